// Windows bitmap files and the bitmaps inside icons.

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>

#include "core/wallpaper/image_readers.h"

namespace kalvory::image_readers {

namespace {

constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kBitfields = 3;

// One colour channel of a 16- or 32-bit pixel, scaled to 0..255.
class Channel {
 public:
  explicit Channel(std::uint32_t mask) : mask_(mask) {
    if (mask_ == 0) return;
    shift_ = std::countr_zero(mask_);
    bits_ = std::bit_width(mask_ >> shift_);
    max_ = bits_ >= 32 ? 0xFFFFFFFFu : (1u << bits_) - 1;
  }
  std::uint8_t operator()(std::uint32_t pixel) const {
    if (mask_ == 0) return 0;
    const std::uint32_t v = (pixel & mask_) >> shift_;
    if (bits_ >= 8) return static_cast<std::uint8_t>(v >> (bits_ - 8));
    return static_cast<std::uint8_t>((v * 255 + max_ / 2) / max_);
  }

 private:
  std::uint32_t mask_;
  int shift_ = 0;
  int bits_ = 0;
  std::uint32_t max_ = 0;
};

struct Layout {
  std::uint32_t headerSize = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;  // rows of the colour picture
  bool topDown = false;
  int bits = 0;
  std::uint32_t compression = kRgb;
  std::uint32_t colorsUsed = 0;
  std::int32_t xPelsPerMeter = 0;
  std::int32_t yPelsPerMeter = 0;
  std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue
  std::uint64_t tableBytes = 0;        // palette (or masks) between the header and the pixels
  int paletteEntrySize = 4;
  std::uint64_t paletteEntries = 0;  // as stored in the file
};

Result<void> ParseHeader(Bytes data, bool icon, Layout& layout) {
  if (data.size() < 4) return Failure{"The bitmap header is truncated"};
  const std::uint8_t* h = data.data();
  layout.headerSize = ReadU32(h);
  if (layout.headerSize != kCoreHeaderSize && layout.headerSize < kInfoHeaderSize)
    return Failure{"Unsupported bitmap header"};
  if (layout.headerSize > data.size()) return Failure{"The bitmap header is truncated"};
  std::int64_t height = 0;
  if (layout.headerSize == kCoreHeaderSize) {
    // The old core header: 16-bit width and height, planes, depth; palette entries of 3 bytes.
    layout.width = ReadU16(h + 4);
    height = ReadU16(h + 6);
    layout.bits = ReadU16(h + 10);
    layout.paletteEntrySize = 3;
  } else {
    layout.width = ReadI32(h + 4);
    height = ReadI32(h + 8);
    layout.bits = ReadU16(h + 14);
    layout.compression = ReadU32(h + 16);
    layout.xPelsPerMeter = ReadI32(h + 24);
    layout.yPelsPerMeter = ReadI32(h + 28);
    layout.colorsUsed = ReadU32(h + 32);
  }

  const bool deepPixels = layout.bits == 16 || layout.bits == 32;
  if (layout.compression != kRgb && !(layout.compression == kBitfields && deepPixels))
    return Failure{"RLE decompression not implemented"};
  switch (layout.bits) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      return Failure{"Unsupported bitmap depth"};
  }

  if (height < 0 && !icon && layout.headerSize != kCoreHeaderSize) {
    layout.topDown = true;  // a negative height stores the rows top row first
    height = -height;
  }
  if (icon) height /= 2;  // the transparency mask's rows are counted in too
  layout.height = height;
  if (layout.width <= 0 || layout.height <= 0) return Failure{"Invalid picture size"};

  if (layout.bits <= 8) {
    layout.paletteEntries = layout.colorsUsed ? layout.colorsUsed : (1u << layout.bits);
  } else {
    layout.paletteEntries = layout.colorsUsed;  // an optional display palette, not used
  }
  layout.tableBytes = layout.paletteEntries * static_cast<std::uint64_t>(layout.paletteEntrySize);

  if (layout.bits == 16) {
    layout.masks[0] = 0x7C00;
    layout.masks[1] = 0x03E0;
    layout.masks[2] = 0x001F;
  } else if (layout.bits == 32) {
    layout.masks[0] = 0x00FF0000;
    layout.masks[1] = 0x0000FF00;
    layout.masks[2] = 0x000000FF;
  }
  if (layout.compression == kBitfields) {
    // The masks close the header when it is long enough to hold them, else follow it.
    std::uint64_t at = kInfoHeaderSize;
    if (layout.headerSize < kInfoHeaderSize + 12) {
      layout.tableBytes += 12;
      at = layout.headerSize;
    }
    if (at + 12 > data.size()) return Failure{"The bitmap header is truncated"};
    for (int i = 0; i < 3; ++i) layout.masks[i] = ReadU32(h + at + 4 * i);
  }
  return {};
}

// Copies the pixel rows found at pixels (already checked to be complete) into the picture.
void CopyRows(const Layout& layout, const std::uint8_t* pixels, bool compositeAlpha, CDibImage& image) {
  const std::uint64_t sourceStride = DibStride(static_cast<std::uint64_t>(layout.width), layout.bits);
  const int width = static_cast<int>(layout.width);
  const int height = static_cast<int>(layout.height);
  const Channel red(layout.masks[0]), green(layout.masks[1]), blue(layout.masks[2]);

  for (int fileRow = 0; fileRow < height; ++fileRow) {
    const std::uint8_t* in = pixels + fileRow * sourceStride;
    // Rows are stored bottom row first unless the header said otherwise.
    std::uint8_t* out = image.ScanLine(layout.topDown ? fileRow : height - 1 - fileRow);
    switch (layout.bits) {
      case 1:
      case 4:
      case 8:
      case 24:
        std::memcpy(out, in, image.GetStride());
        break;
      case 2:
        for (int x = 0; x < width; ++x) out[x] = (in[x >> 2] >> (6 - 2 * (x & 3))) & 3;
        break;
      case 16:
        for (int x = 0; x < width; ++x) {
          const std::uint32_t p = ReadU16(in + 2 * x);
          out[3 * x] = blue(p);
          out[3 * x + 1] = green(p);
          out[3 * x + 2] = red(p);
        }
        break;
      default:
        for (int x = 0; x < width; ++x) {
          const std::uint32_t p = ReadU32(in + 4 * x);
          std::uint8_t b = blue(p), g = green(p), r = red(p);
          if (compositeAlpha) {
            const unsigned a = in[4 * x + 3];
            b = Composite(b, a, kBackgroundBlue);
            g = Composite(g, a, kBackgroundGreen);
            r = Composite(r, a, kBackgroundRed);
          }
          out[3 * x] = b;
          out[3 * x + 1] = g;
          out[3 * x + 2] = r;
        }
        break;
    }
  }
}

// Decodes a bitmap whose information header starts data; pixelOffset, when given, is where the
// rows start (counted from the start of data), else they follow the palette.
Result<void> DecodeBitmap(Bytes data, std::optional<std::uint64_t> pixelOffset, std::uint64_t headerAt, bool icon,
                          CDibImage& out) {
  Layout layout;
  if (headerAt > data.size()) return Failure{"The bitmap header is truncated"};
  if (Result<void> header = ParseHeader(data.subspan(headerAt), icon, layout); !header.ok()) return header;

  const std::uint64_t tableAt = headerAt + layout.headerSize;
  if (tableAt + layout.tableBytes > data.size()) return Failure{"The bitmap file is truncated"};
  const std::uint64_t pixelsAt = pixelOffset.value_or(tableAt + layout.tableBytes);
  const std::uint64_t sourceStride = DibStride(static_cast<std::uint64_t>(layout.width), layout.bits);
  std::uint64_t needed = sourceStride * static_cast<std::uint64_t>(layout.height);
  if (icon) needed += DibStride(static_cast<std::uint64_t>(layout.width), 1) * layout.height;  // the mask
  // Sizes are checked against what the file holds before anything is allocated.
  if (layout.width > out.GetLimits().maxSide || layout.height > out.GetLimits().maxSide)
    return Failure{"Picture too large"};
  if (pixelsAt > data.size() || needed > data.size() - pixelsAt) return Failure{"The bitmap file is truncated"};

  const int depth = layout.bits == 2 ? 8 : layout.bits;
  if (auto created = out.Create(static_cast<int>(layout.width), static_cast<int>(layout.height), depth); !created.ok())
    return created;
  if (layout.bits <= 8) {
    const std::uint64_t entries = std::min<std::uint64_t>(layout.paletteEntries, 1u << layout.bits);
    const std::uint8_t* table = data.data() + tableAt;
    for (std::uint64_t i = 0; i < entries; ++i) {
      const std::uint8_t* e = table + i * layout.paletteEntrySize;
      out.SetPaletteColor(static_cast<int>(i), {e[0], e[1], e[2], 0});
    }
  }

  // 32-bit icons carry alpha; an alpha channel that is zero everywhere is an old icon that
  // relies on its mask alone, and is shown opaque.
  bool compositeAlpha = false;
  if (icon && layout.bits == 32) {
    const std::uint8_t* pixels = data.data() + pixelsAt;
    for (std::uint64_t i = 0; i < static_cast<std::uint64_t>(layout.width * layout.height) && !compositeAlpha; ++i) {
      compositeAlpha = pixels[4 * i + 3] != 0;
    }
  }
  CopyRows(layout, data.data() + pixelsAt, compositeAlpha, out);
  out.SetResolution(layout.xPelsPerMeter, layout.yPelsPerMeter);
  return {};
}

}  // namespace

Result<void> ReadBmp(Bytes data, CDibImage& out) {
  constexpr std::uint64_t kFileHeaderSize = 14;
  out.SetNumFrames(1);
  if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
    if (data.size() < kFileHeaderSize) return Failure{"The bitmap file is truncated"};
    const std::uint32_t offset = ReadU32(data.data() + 10);
    std::optional<std::uint64_t> pixelOffset;
    if (offset != 0) pixelOffset = offset;
    return DecodeBitmap(data, pixelOffset, kFileHeaderSize, false, out);
  }
  // No "BM": a bare bitmap that starts with its information header.
  return DecodeBitmap(data, std::nullopt, 0, false, out);
}

Result<void> ReadIconBitmap(Bytes data, CDibImage& out) { return DecodeBitmap(data, std::nullopt, 0, true, out); }

}  // namespace kalvory::image_readers
