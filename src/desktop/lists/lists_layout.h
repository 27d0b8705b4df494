#pragma once

#include <QRect>
#include <QSize>

namespace kalvory {

// Where the lists window goes and how its parts sit, in device-independent pixels.

// The window's height is never placed below this, whatever the screen leaves (the tab bar,
// several rows and the buttons must still show).
inline constexpr int kMinimumPlacedListHeight = 150;
// The smallest height the user may drag the window to.
inline constexpr int kMinimumListHeight = 180;

// Directly below the frame, as wide as it and `listHeight` high; a window that would reach
// below the usable screen is made shorter by the overflow, down to kMinimumPlacedListHeight.
QRect listsPlacement(const QRect& frame, int listHeight, const QRect& usableScreen);

// The parts of the window for a client size: the tab control keeps its top-left corner and
// gets its right and bottom edges at (dx + 401, dy + 377), the buttons keep their sizes and
// stand in a row with their tops at dy + 382, where dx and dy are the amounts the client area
// is wider and taller than 410 pixels at the screen's resolution.
struct ListsWindowLayout {
  QRect tabs;
  QRect add;
  QRect modify;
  QRect remove;
  QRect close;
};
inline constexpr QPoint kTabsTopLeft{6, 6};
inline constexpr QSize kRoundButtonSize{36, 19};
inline constexpr QSize kCloseButtonSize{26, 26};
ListsWindowLayout listsWindowLayout(const QSize& client, int dpiX, int dpiY);

}  // namespace kalvory
