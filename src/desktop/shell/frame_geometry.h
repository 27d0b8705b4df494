#pragma once

#include <QPoint>
#include <QSize>

namespace kalvory {

// a × b / c rounded half away from zero, as the window system's MulDiv does; -1 when c is 0.
int mulDiv(int a, int b, int c);

// The main window's size when it is created.
QSize initialFrameSize(int dpiX, int dpiY);

// The one size the main window may have (its minimum and maximum are the same). The caption
// and menu heights are those at 96 dots per inch.
QSize fixedFrameSize(int dpiX, int dpiY, int screenWidth, int captionHeight, int menuHeight);

// Where the main window opens: the stored position, or a place on screen when that is off it.
QPoint initialFramePosition(int storedX, int storedY, const QSize& screen);

}  // namespace kalvory
