#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/settings/system_colors.h"

namespace kalvory {

// Pixels are 0xffRRGGBB in native byte order, the layout of QImage::Format_RGB32, so a widget
// hands its image's bits over without converting them.
using Pixel = std::uint32_t;

constexpr Pixel pixelFromColorRef(ColorRef color) {
  return 0xFF000000u | (static_cast<Pixel>(redOf(color)) << 16) | (static_cast<Pixel>(greenOf(color)) << 8) |
         blueOf(color);
}
constexpr ColorRef colorRefFromPixel(Pixel pixel) {
  return makeColorRef(static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
                      static_cast<std::uint8_t>(pixel));
}

struct PixelPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// A drawing surface owned by someone else: top row first, stride in pixels. Every drawing
// function of the clocks reads and writes only inside width x height, so a caller may pass a
// part of a larger image.
struct PixelView {
  Pixel* pixels = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;

  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  // Unchecked: the caller has tested contains().
  Pixel& at(int x, int y) const { return pixels[static_cast<std::ptrdiff_t>(y) * stride + x]; }
  // Clipped write and read; outside the surface a write does nothing and a read gives black.
  void set(int x, int y, ColorRef color) const {
    if (contains(x, y)) at(x, y) = pixelFromColorRef(color);
  }
  ColorRef get(int x, int y) const { return contains(x, y) ? colorRefFromPixel(at(x, y)) : 0; }
};

// A surface that owns its pixels, for tests and for the layers the on-screen windows combine.
class PixelBuffer {
 public:
  PixelBuffer() = default;
  // A negative size counts as 0.
  PixelBuffer(int width, int height, ColorRef fill = 0);

  int width() const { return width_; }
  int height() const { return height_; }
  PixelView view() { return PixelView{pixels_.data(), width_, height_, width_}; }
  ColorRef get(int x, int y) const;  // black outside
  void set(int x, int y, ColorRef color) { view().set(x, y, color); }
  void fill(ColorRef color);
  const std::vector<Pixel>& pixels() const { return pixels_; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Pixel> pixels_;
};

}  // namespace kalvory
