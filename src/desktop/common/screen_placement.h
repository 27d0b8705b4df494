#pragma once

#include <QList>
#include <QRect>

class QWidget;

namespace kalvory {

// Where a window may stand: a stored place or size from another screen layout (another scale,
// a monitor since unplugged, a panel since added) must never leave a window where the user
// cannot reach it.

// The screens' work areas (each screen without its panels and docks), in the coordinates
// windows are placed in.
QList<QRect> screenWorkAreas();
// The screens' whole areas, panels included.
QList<QRect> screenAreas();

// `window` moved, without changing its size, into the area nearest to it: the one it overlaps
// most, else the one closest to it. A window larger than that area is put at its top-left
// corner, so that its caption and left edge stay within reach. No areas: `window` unchanged.
QRect keptInArea(const QRect& window, const QList<QRect>& areas);

// How far a window may go.
enum class ScreenBounds {
  WorkArea,    // an ordinary window: never under a panel
  WholeScreen  // an overlay that floats above everything (the on-screen clock), also over a panel
};

// `window` kept in the current screens' areas.
QRect keptOnScreen(const QRect& window, ScreenBounds bounds = ScreenBounds::WorkArea);

// Moves the top-level `window` (its frame) into the current screens' areas.
void moveOntoScreen(QWidget* window, ScreenBounds bounds = ScreenBounds::WorkArea);

// Moves the top-level `window` back onto the screens whenever they change while it lives (a
// monitor unplugged, a resolution or scale changed, a panel added), and whenever it is shown
// (the screens may have changed while it was hidden).
void keepOnScreenWhenScreensChange(QWidget* window, ScreenBounds bounds = ScreenBounds::WorkArea);

}  // namespace kalvory
