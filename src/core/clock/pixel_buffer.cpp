#include "core/clock/pixel_buffer.h"

#include <algorithm>

namespace kalvory {

PixelBuffer::PixelBuffer(int width, int height, ColorRef fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), pixelFromColorRef(fill)) {}

ColorRef PixelBuffer::get(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return colorRefFromPixel(
      pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)]);
}

void PixelBuffer::fill(ColorRef color) { std::fill(pixels_.begin(), pixels_.end(), pixelFromColorRef(color)); }

}  // namespace kalvory
