#include "desktop/shell/frame_geometry.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace kalvory {

int mulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  const std::int64_t half = std::llabs(c) / 2;
  const bool negative = (product < 0) != (c < 0);
  const std::int64_t magnitude = (std::llabs(product) + half) / std::llabs(c);
  return static_cast<int>(negative ? -magnitude : magnitude);
}

QSize initialFrameSize(int dpiX, int dpiY) { return {mulDiv(420, dpiX, 96), mulDiv(450, dpiY, 96)}; }

QSize fixedFrameSize(int dpiX, int dpiY, int screenWidth, int captionHeight, int menuHeight) {
  const int width = std::min(mulDiv(380, dpiX, 96), screenWidth);
  int height = captionHeight > 16 ? captionHeight + 244 : 260;
  if (menuHeight <= 18) height -= 10;
  return {width, mulDiv(height, dpiY, 96)};
}

QPoint initialFramePosition(int storedX, int storedY, const QSize& screen) {
  const int x = (storedX < 0 || storedX > screen.width()) ? screen.width() / 2 - 150 : storedX;
  const int y = (storedY < 0 || storedY > screen.height()) ? 50 : storedY;
  return {x, y};
}

}  // namespace kalvory
