#include "desktop/lists/lists_layout.h"

#include <algorithm>

namespace kalvory {

namespace {

// A rectangle from its left-top corner to a right-bottom edge one past its last pixel.
QRect fromEdges(const QPoint& topLeft, int right, int bottom) {
  return QRect(topLeft, QSize(std::max(0, right - topLeft.x()), std::max(0, bottom - topLeft.y())));
}

int scaled(int value, int dpi) { return static_cast<int>((static_cast<long long>(value) * dpi + 48) / 96); }

}  // namespace

QRect listsPlacement(const QRect& frame, int listHeight, const QRect& usableScreen) {
  const int top = frame.y() + frame.height();
  int height = listHeight;
  const int overflow = top + height - (usableScreen.y() + usableScreen.height());
  if (overflow > 0) height -= overflow;
  height = std::max(height, kMinimumPlacedListHeight);
  return QRect(frame.x(), top, frame.width(), height);
}

ListsWindowLayout listsWindowLayout(const QSize& client, int dpiX, int dpiY) {
  const int dx = client.width() - scaled(410, dpiX);
  const int dy = client.height() - scaled(410, dpiY);
  ListsWindowLayout layout;
  layout.tabs = fromEdges(kTabsTopLeft, dx + 401, dy + 377);
  const int top = dy + 382;
  layout.add = QRect(QPoint(dx + 284, top), kRoundButtonSize);
  layout.modify = QRect(QPoint(dx + 324, top), kRoundButtonSize);
  layout.remove = QRect(QPoint(dx + 364, top), kRoundButtonSize);
  layout.close = QRect(QPoint(dx + 384, top), kCloseButtonSize);
  return layout;
}

}  // namespace kalvory
