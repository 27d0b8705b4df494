#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/common/result.h"

namespace kalvory {

// Format codes of the picture readers and writers.
enum ImageFormat : int {
  kImageFormatBmp = 0,
  kImageFormatGif = 1,
  kImageFormatJpeg = 2,
  kImageFormatPng = 3,
  kImageFormatIco = 4,
  kImageFormatTiff = 5,
};

// The short name of a format code ("BMP", "GIF", ...), or "unknown".
std::string_view ImageFormatName(int format);

// The format code for a picture file by its extension, the text after the last "." in lower
// case: "bmp"; "jpg" or "jpeg"; "gif"; "png"; "ico"; "tiff" or "tif". -1 for any other.
int ImageFormatFromPath(std::string_view path);

// Bounds every reader respects before it allocates, so a hostile file cannot make the program
// allocate absurd amounts. A wallpaper never needs more than 16384 pixels a side, and 256 MiB
// holds a 24-bit picture of about 89 million pixels; anything larger is refused.
struct ImageLimits {
  int maxSide = 16384;                                 // width and height, each
  std::size_t maxBlockBytes = std::size_t{256} << 20;  // the whole bitmap block
  std::size_t maxFileBytes = std::size_t{256} << 20;   // a picture file read into memory
};

namespace dib_detail {

// Large pixel blocks get mappings of their own, aligned and advised for huge pages: a
// photo-sized picture then costs a handful of page faults instead of thousands, which on a
// virtual machine is as slow as decoding the picture.
void* AllocatePixelBlock(std::size_t bytes);
void ReleasePixelBlock(void* block, std::size_t bytes) noexcept;
// Whether a block of this size comes fresh from the system, and so already reads as zeros.
bool FreshPixelBlockIsZeroed(std::size_t bytes);

template <typename T>
struct PixelBlockAllocator {
  using value_type = T;
  PixelBlockAllocator() = default;
  template <typename U>
  PixelBlockAllocator(const PixelBlockAllocator<U>&) noexcept {}
  T* allocate(std::size_t count) { return static_cast<T*>(AllocatePixelBlock(count * sizeof(T))); }
  void deallocate(T* block, std::size_t count) noexcept { ReleasePixelBlock(block, count * sizeof(T)); }
  // Bytes added by resize are left as they are: their owner fills them at once (a picture is
  // cleared with one memset where it is not zero already, a file is read over them), where a
  // constructor call per byte would take as long as decoding the picture.
  template <typename U>
  void construct(U* element) noexcept {
    ::new (static_cast<void*>(element)) U;
  }
  template <typename U, typename... Args>
  void construct(U* element, Args&&... args) {
    ::new (static_cast<void*>(element)) U(std::forward<Args>(args)...);
  }
  template <typename U>
  friend bool operator==(const PixelBlockAllocator&, const PixelBlockAllocator<U>&) {
    return true;
  }
};

// Bytes of a picture block or of a picture file read whole.
using PixelBytes = std::vector<std::uint8_t, PixelBlockAllocator<std::uint8_t>>;

}  // namespace dib_detail

// One palette entry, as it is laid out in the bitmap block.
struct RgbQuad {
  std::uint8_t blue = 0;
  std::uint8_t green = 0;
  std::uint8_t red = 0;
  std::uint8_t reserved = 0;
  friend bool operator==(const RgbQuad&, const RgbQuad&) = default;
};

// A 32-bit drawing surface owned by someone else: pixels 0xffRRGGBB in native byte order
// (the layout of QImage::Format_RGB32), top row first, stride in pixels.
struct PixelSurface {
  std::uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;
};

// A device-independent bitmap held by the program: one block with the 40-byte information
// header, the palette (2, 16 or 256 entries for 1, 4 and 8 bits per pixel, none for 24) and
// the pixel rows, bottom row first, each row padded to a multiple of 4 bytes; 24-bit pixels
// are stored blue, green, red.
class CDibImage {
 public:
  static constexpr int kHeaderSize = 40;
  static constexpr std::size_t kMaxFileNameLength = 254;
  static constexpr std::size_t kMaxErrorLength = 255;
  static constexpr int kDefaultQuality = 75;

  CDibImage() = default;

  // Makes an empty picture; bits 1 or less give 1, up to 4 give 4, up to 8 give 8, more give
  // 24. The palette is zeroed (black) and the pixels are index 0 / black. The previous block is
  // dropped. A failure when the size is not positive or exceeds the limits.
  Result<void> Create(int width, int height, int bits);
  void Destroy();
  // Drops the picture but keeps its memory for the next one this image receives (by Create or
  // Load), so that pictures of one size decoded again and again reuse it.
  void DestroyKeepingStorage();

  // Reads a picture file with the reader of the given format code. On failure the picture is
  // left as it was and the failure carries the reader's error text.
  Result<void> Load(const std::string& path, int format);
  // The same from bytes already in memory; the file name is not touched.
  Result<void> LoadFromMemory(std::span<const std::uint8_t> data, int format);

  // Writes the picture; only the Windows bitmap writer (code 0) exists.
  Result<void> Save(const std::string& path, int format);
  Result<void> SaveToMemory(std::vector<std::uint8_t>& out, int format);

  // Builds a 24-bit picture from a 32-bit surface (a screen capture). An empty or
  // inconsistent surface leaves the picture unchanged and fails with "GetDIBits failed".
  Result<void> FromBitmap(const PixelSurface& surface);

  // Draws the whole picture stretched to the rectangle (x, y, width, height) of the target,
  // copying pixels: eliminated rows and columns are dropped and enlarged ones repeated, never
  // averaged. Parts outside the target are clipped. False if there is no picture; the target
  // picture must be a 24-bit one.
  bool Draw(PixelSurface& target, int x, int y, int width, int height) const;
  bool Draw(CDibImage& target, int x, int y, int width, int height) const;

  bool IsValid() const { return !block_.empty(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int GetBpp() const { return bits_; }
  std::uint32_t GetStride() const { return stride_; }  // bytes per stored row
  int GetPaletteSize() const { return paletteSize_; }  // entries
  std::uint32_t GetImageSize() const { return stride_ * static_cast<std::uint32_t>(height_); }

  // The whole block (header, palette, pixels) as the bitmap writer stores it.
  std::span<const std::uint8_t> GetBlock() const { return block_; }
  RgbQuad* GetPalette();
  const RgbQuad* GetPalette() const;
  std::uint8_t* GetBits();  // the pixel rows, bottom row first
  const std::uint8_t* GetBits() const;
  // The pixel row y counted from the top (0 is the top row).
  std::uint8_t* ScanLine(int y);
  const std::uint8_t* ScanLine(int y) const;
  // The colour at (x, y), y counted from the top; palette pictures are looked up.
  RgbQuad GetPixelColor(int x, int y) const;
  void SetPaletteColor(int index, RgbQuad color);

  // Resolution fields of the header, pixels per metre.
  void SetResolution(std::int32_t xPelsPerMeter, std::int32_t yPelsPerMeter);

  const std::string& GetFileName() const { return fileName_; }
  void SetFrame(int frame) { frame_ = frame; }
  int GetFrame() const { return frame_; }
  // Frames (GIF images, icon entries, TIFF pages) in the file last read, 1 for single pictures.
  int GetNumFrames() const { return frameCount_; }
  int GetTransIndex() const { return transIndex_; }
  void SetTransIndex(int index) { transIndex_ = index; }
  int GetQuality() const { return quality_; }
  void SetQuality(int quality) { quality_ = quality; }
  const ImageLimits& GetLimits() const { return limits_; }
  void SetLimits(const ImageLimits& limits) { limits_ = limits; }

  // Used by the readers: take over the decoded picture (block, frame count, transparent index)
  // of another image, keeping this image's file name, frame number, quality and limits.
  void AdoptPictureOf(CDibImage&& decoded);
  void SetNumFrames(int count) { frameCount_ = count; }

 private:
  void StoreFileName(const std::string& path);
  std::uint32_t PixelOffset() const { return kHeaderSize + static_cast<std::uint32_t>(paletteSize_) * 4; }

  dib_detail::PixelBytes block_;
  int width_ = 0;
  int height_ = 0;
  int bits_ = 0;
  int paletteSize_ = 0;
  std::uint32_t stride_ = 0;

  std::string fileName_;
  int frame_ = 0;
  int frameCount_ = 0;
  int transIndex_ = -1;
  int quality_ = kDefaultQuality;
  ImageLimits limits_;
};

// The failure of a picture operation, its text cut to CDibImage::kMaxErrorLength bytes (at a
// character boundary), so that a reader's long complaint stays one readable line.
Failure pictureFailure(std::string_view why);

// The row length in bytes of a bitmap row: (width × bits + 31) / 32 × 4.
constexpr std::uint64_t DibStride(std::uint64_t width, int bits) { return (width * bits + 31) / 32 * 4; }

// The 14-byte file header that a ".bmp" file puts in front of a bitmap block (information header,
// palette, pixel rows): "BM", the file size, two reserved zeros and the file offset of the pixel
// rows, little-endian. `pixelOffsetInBlock` counts from the start of the block.
inline constexpr std::size_t kBmpFileHeaderSize = 14;
std::array<std::uint8_t, kBmpFileHeaderSize> bmpFileHeader(std::size_t blockSize, std::uint32_t pixelOffsetInBlock);

}  // namespace kalvory
