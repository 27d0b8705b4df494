#pragma once

// Shared body of the picture reader fuzz targets: any bytes must give a picture or an error,
// never a fault; a picture that was read must draw, and must survive the bitmap writer.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/wallpaper/dib_image.h"

namespace kalvory::fuzzing {

inline void DecodeDrawAndRewrite(CDibImage& image, const std::uint8_t* data, std::size_t size, int format) {
  if (auto read = image.LoadFromMemory(std::span<const std::uint8_t>(data, size), format); !read.ok()) {
    if (read.error().empty()) __builtin_trap();  // a refusal always says why
    return;
  }
  std::vector<std::uint32_t> pixels(24 * 16);
  PixelSurface surface{pixels.data(), 24, 16, 24};
  image.Draw(surface, -3, -2, 30, 11);
  CDibImage canvas;
  if (canvas.Create(9, 7, 24).ok()) image.Draw(canvas, 1, 1, 13, 5);

  std::vector<std::uint8_t> bitmap;
  if (!image.SaveToMemory(bitmap, kImageFormatBmp).ok()) __builtin_trap();
  CDibImage back;
  back.SetLimits(image.GetLimits());
  if (!back.LoadFromMemory(bitmap, kImageFormatBmp).ok()) __builtin_trap();
  const auto a = image.GetBlock().subspan(CDibImage::kHeaderSize);
  const auto b = back.GetBlock().subspan(CDibImage::kHeaderSize);
  if (a.size() != b.size() || !std::equal(a.begin(), a.end(), b.begin())) __builtin_trap();
}

inline int FuzzImageReader(const std::uint8_t* data, std::size_t size, int format) {
  // Smaller bounds than the program's keep each run fast; the checks are the same.
  ImageLimits limits;
  limits.maxSide = 4096;
  limits.maxBlockBytes = std::size_t{24} << 20;
  CDibImage image;
  image.SetLimits(limits);
  DecodeDrawAndRewrite(image, data, size, format);
  // Multi-picture files: the second frame goes through the skipping paths.
  if (image.IsValid() && image.GetNumFrames() > 1) {
    image.SetFrame(1);
    DecodeDrawAndRewrite(image, data, size, format);
  }
  return 0;
}

}  // namespace kalvory::fuzzing
