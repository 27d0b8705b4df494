#pragma once

// The format readers behind CDibImage::Load. Each one decodes bytes held in memory into a fresh
// image (whose frame number and limits are already set), or says why it cannot; the caller then
// leaves its own picture untouched.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/common/result.h"
#include "core/wallpaper/dib_image.h"

namespace kalvory::image_readers {

using Bytes = std::span<const std::uint8_t>;

Result<void> ReadBmp(Bytes data, CDibImage& out);
Result<void> ReadGif(Bytes data, CDibImage& out);
Result<void> ReadIco(Bytes data, CDibImage& out);
Result<void> ReadPng(Bytes data, CDibImage& out);
Result<void> ReadJpeg(Bytes data, CDibImage& out);
Result<void> ReadTiff(Bytes data, CDibImage& out);

// A bitmap without file header (information header, palette, pixels) as icons hold it: the
// header's height counts the colour rows and the transparency mask rows together.
Result<void> ReadIconBitmap(Bytes data, CDibImage& out);

// Transparent parts of pictures with an alpha channel are shown over this colour.
inline constexpr std::uint8_t kBackgroundRed = 31;
inline constexpr std::uint8_t kBackgroundGreen = 127;
inline constexpr std::uint8_t kBackgroundBlue = 255;

// alpha × colour + (255 − alpha) × background, rounded, on 0..255 values.
inline std::uint8_t Composite(unsigned colour, unsigned alpha, unsigned background) {
  return static_cast<std::uint8_t>((colour * alpha + background * (255 - alpha) + 127) / 255);
}

// Little-endian fields of the Windows file layouts.
inline std::uint16_t ReadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t ReadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int32_t ReadI32(const std::uint8_t* p) { return static_cast<std::int32_t>(ReadU32(p)); }
inline void WriteU16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void WriteU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A grey ramp over the whole palette of a picture: entry i of n gets i × 255 / (n − 1).
void SetGreyPalette(CDibImage& image, int levels);

}  // namespace kalvory::image_readers
