#include "core/wallpaper/dib_image.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "core/common/text.h"
#include "core/wallpaper/image_readers.h"

namespace kalvory {

namespace {

using image_readers::WriteU16;
using image_readers::WriteU32;

int NormalisedDepth(int bits) {
  if (bits <= 1) return 1;
  if (bits <= 4) return 4;
  if (bits <= 8) return 8;
  return 24;
}

std::size_t Utf8Length(std::string_view text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Reads a whole file, refusing files larger than the limit before reading them.
enum class FileReadResult { ok, cannotOpen, tooLarge, readError };
FileReadResult ReadWholeFile(const std::string& path, std::size_t maxBytes, dib_detail::PixelBytes& out) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FileReadResult::cannotOpen;
  struct stat info {};
  FileReadResult result = FileReadResult::ok;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    result = FileReadResult::cannotOpen;
  } else if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
    result = FileReadResult::tooLarge;
  } else {
    out.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < out.size()) {
      const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    // A file that shrank while being read is read as far as it goes; the reader judges it.
    out.resize(done);
  }
  ::close(fd);
  return result;
}

// Writes through a temporary file in the same folder and renames it over the target, so a
// reader of the target (the desktop showing the wallpaper) never sees a half-written file.
bool WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> header,
                        std::span<const std::uint8_t> body) {
  const std::string temporary = path + ".tmp" + std::to_string(::getpid());
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = true;
  for (auto part : {header, body}) {
    std::size_t done = 0;
    while (ok && done < part.size()) {
      const ssize_t n = ::write(fd, part.data() + done, part.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0)
        ok = false;
      else
        done += static_cast<std::size_t>(n);
    }
  }
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

// Source column (or row) for each destination position of a stretch: the source pixel whose
// span covers the destination position's start, as a stretch that drops pixels does it.
std::vector<int> StretchMap(int sourceLength, int destinationLength, int first, int count) {
  std::vector<int> map(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const std::int64_t d = first + i;
    map[static_cast<std::size_t>(i)] = static_cast<int>(d * sourceLength / destinationLength);
  }
  return map;
}

// One source row converted to 0xffRRGGBB for the given source columns.
void ConvertRow(const CDibImage& image, const std::uint8_t* row, const std::uint32_t* lookup,
                const std::vector<int>& columns, std::uint32_t* out) {
  const std::size_t n = columns.size();
  switch (image.GetBpp()) {
    case 24:
      for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t* p = row + 3 * static_cast<std::size_t>(columns[i]);
        out[i] = 0xFF000000u | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
      }
      break;
    case 8:
      for (std::size_t i = 0; i < n; ++i) out[i] = lookup[row[columns[i]]];
      break;
    case 4:
      for (std::size_t i = 0; i < n; ++i) {
        const int x = columns[i];
        out[i] = lookup[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F];
      }
      break;
    default:
      for (std::size_t i = 0; i < n; ++i) {
        const int x = columns[i];
        out[i] = lookup[(row[x >> 3] >> (7 - (x & 7))) & 1];
      }
      break;
  }
}

// The part of the rectangle (x, y, width, height) that lies on a width × height target, and the
// source column of each of its columns.
struct StretchArea {
  std::int64_t left = 0, top = 0, right = 0, bottom = 0;
  std::vector<int> columns;

  // False when nothing of the rectangle is on the target.
  bool Clip(const CDibImage& image, int targetWidth, int targetHeight, int x, int y, int width, int height) {
    if (width <= 0 || height <= 0) return false;
    left = std::max<std::int64_t>(x, 0);
    top = std::max<std::int64_t>(y, 0);
    right = std::min<std::int64_t>(std::int64_t{x} + width, targetWidth);
    bottom = std::min<std::int64_t>(std::int64_t{y} + height, targetHeight);
    if (left >= right || top >= bottom) return false;
    columns = StretchMap(image.Width(), width, static_cast<int>(left - x), static_cast<int>(right - left));
    return true;
  }
};

// The source row drawn on target row dy of a stretch to (…, y, …, height).
int StretchSourceRow(const CDibImage& image, std::int64_t dy, int y, int height) {
  return static_cast<int>((dy - y) * image.Height() / height);
}

// Stretches the picture over the rectangle of a width × height target, clipped, handing each
// finished destination row (top-down index, first column, pixels) to store.
template <typename Store>
void Stretch(const CDibImage& image, int targetWidth, int targetHeight, int x, int y, int width, int height,
             Store&& store) {
  StretchArea area;
  if (!area.Clip(image, targetWidth, targetHeight, x, y, width, height)) return;
  const std::vector<int>& columns = area.columns;
  std::uint32_t lookup[256] = {};
  if (image.GetBpp() <= 8) {
    const RgbQuad* palette = image.GetPalette();
    for (int i = 0; i < image.GetPaletteSize(); ++i) {
      lookup[i] = 0xFF000000u | (std::uint32_t{palette[i].red} << 16) | (std::uint32_t{palette[i].green} << 8) |
                  palette[i].blue;
    }
  }
  std::vector<std::uint32_t> converted(columns.size());
  int convertedRow = -1;
  for (std::int64_t dy = area.top; dy < area.bottom; ++dy) {
    const int sourceRow = StretchSourceRow(image, dy, y, height);
    if (sourceRow != convertedRow) {
      ConvertRow(image, image.ScanLine(sourceRow), lookup, columns, converted.data());
      convertedRow = sourceRow;
    }
    store(static_cast<int>(dy), static_cast<int>(area.left), converted);
  }
}

// The same stretch from a 24-bit picture onto a 24-bit one, which the composition does with
// every photo: each pixel's three bytes are copied straight across, and a target row that
// repeats the source row of the row above is a copy of that row.
void StretchTrueColour(const CDibImage& image, CDibImage& target, int x, int y, int width, int height) {
  StretchArea area;
  if (!area.Clip(image, target.Width(), target.Height(), x, y, width, height)) return;
  std::vector<std::size_t> offsets(area.columns.size());
  for (std::size_t i = 0; i < offsets.size(); ++i) offsets[i] = 3 * static_cast<std::size_t>(area.columns[i]);
  const std::size_t rowBytes = 3 * offsets.size();
  const std::size_t* offset = offsets.data();
  const std::size_t count = offsets.size();
  int previousSource = -1;
  const std::uint8_t* previous = nullptr;
  for (std::int64_t dy = area.top; dy < area.bottom; ++dy) {
    std::uint8_t* out = target.ScanLine(static_cast<int>(dy)) + 3 * static_cast<std::size_t>(area.left);
    const int sourceRow = StretchSourceRow(image, dy, y, height);
    if (sourceRow == previousSource) {
      std::memcpy(out, previous, rowBytes);
    } else {
      const std::uint8_t* in = image.ScanLine(sourceRow);
      for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = in + offset[i];
        out[3 * i] = p[0];
        out[3 * i + 1] = p[1];
        out[3 * i + 2] = p[2];
      }
      previousSource = sourceRow;
    }
    previous = out;
  }
}

}  // namespace

namespace dib_detail {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kLargeBlock = std::size_t{4} << 20;

// Under the address sanitizer every block comes from the ordinary heap, where overruns are caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kOrdinaryHeapOnly = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool kOrdinaryHeapOnly = true;
#else
constexpr bool kOrdinaryHeapOnly = false;
#endif
#else
constexpr bool kOrdinaryHeapOnly = false;
#endif

bool HasOwnMapping(std::size_t bytes) { return !kOrdinaryHeapOnly && bytes >= kLargeBlock; }
std::size_t MappedLength(std::size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

}  // namespace

void* AllocatePixelBlock(std::size_t bytes) {
  if (!HasOwnMapping(bytes)) return ::operator new(bytes);
  if (bytes > std::numeric_limits<std::size_t>::max() / 2) throw std::bad_alloc();
  const std::size_t length = MappedLength(bytes);
  // One huge page more than needed, so that the block can start on a huge-page boundary; the
  // ends outside the block are given back at once.
  void* raw = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
  if (aligned > start) ::munmap(raw, aligned - start);
  const std::uintptr_t end = start + length + kHugePage;
  if (end > aligned + length) ::munmap(reinterpret_cast<void*>(aligned + length), end - (aligned + length));
  // Only advice: where huge pages are off the block works the same with small ones.
  ::madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(aligned);
}

bool FreshPixelBlockIsZeroed(std::size_t bytes) { return HasOwnMapping(bytes); }

void ReleasePixelBlock(void* block, std::size_t bytes) noexcept {
  if (block == nullptr) return;
  if (!HasOwnMapping(bytes)) {
    ::operator delete(block);
    return;
  }
  ::munmap(block, MappedLength(bytes));
}

}  // namespace dib_detail

std::string_view ImageFormatName(int format) {
  switch (format) {
    case kImageFormatBmp:
      return "BMP";
    case kImageFormatGif:
      return "GIF";
    case kImageFormatJpeg:
      return "JPEG";
    case kImageFormatPng:
      return "PNG";
    case kImageFormatIco:
      return "ICO";
    case kImageFormatTiff:
      return "TIFF";
    default:
      return "unknown";
  }
}

std::array<std::uint8_t, kBmpFileHeaderSize> bmpFileHeader(std::size_t blockSize, std::uint32_t pixelOffsetInBlock) {
  std::array<std::uint8_t, kBmpFileHeaderSize> header{'B', 'M'};
  WriteU32(header.data() + 2, static_cast<std::uint32_t>(blockSize + kBmpFileHeaderSize));
  WriteU16(header.data() + 6, 0);
  WriteU16(header.data() + 8, 0);
  WriteU32(header.data() + 10, static_cast<std::uint32_t>(kBmpFileHeaderSize + pixelOffsetInBlock));
  return header;
}

int ImageFormatFromPath(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return -1;
  const std::string extension = asciiLower(path.substr(dot + 1));
  if (extension == "bmp") return kImageFormatBmp;
  if (extension == "jpg" || extension == "jpeg") return kImageFormatJpeg;
  if (extension == "gif") return kImageFormatGif;
  if (extension == "png") return kImageFormatPng;
  if (extension == "ico") return kImageFormatIco;
  if (extension == "tiff" || extension == "tif") return kImageFormatTiff;
  return -1;
}

Result<void> CDibImage::Create(int width, int height, int bits) {
  const int depth = NormalisedDepth(bits);
  if (width <= 0 || height <= 0) {
    return pictureFailure("Invalid picture size");
  }
  const int palette = depth <= 8 ? (1 << depth) : 0;
  const std::uint64_t stride = DibStride(static_cast<std::uint64_t>(width), depth);
  const std::uint64_t total = kHeaderSize + static_cast<std::uint64_t>(palette) * 4 + stride * height;
  if (width > limits_.maxSide || height > limits_.maxSide || total > limits_.maxBlockBytes ||
      stride * height > 0xFFFFFFFFu) {
    return pictureFailure("Picture too large");
  }
  // Memory kept from an earlier picture is used again unless it is more than twice the size.
  const auto bytes = static_cast<std::size_t>(total);
  const bool reuse = bytes <= block_.capacity() && block_.capacity() / 2 <= bytes;
  dib_detail::PixelBytes block;
  if (reuse) block.swap(block_);
  try {
    block.resize(bytes);
  } catch (const std::bad_alloc&) {
    return pictureFailure("Not enough memory for the picture");
  }
  if (reuse || !dib_detail::FreshPixelBlockIsZeroed(bytes)) std::memset(block.data(), 0, bytes);
  std::uint8_t* h = block.data();
  WriteU32(h + 0, kHeaderSize);
  WriteU32(h + 4, static_cast<std::uint32_t>(width));
  WriteU32(h + 8, static_cast<std::uint32_t>(height));
  WriteU16(h + 12, 1);
  WriteU16(h + 14, static_cast<std::uint16_t>(depth));
  WriteU32(h + 16, 0);
  WriteU32(h + 20, static_cast<std::uint32_t>(stride * height));
  WriteU32(h + 32, static_cast<std::uint32_t>(palette));
  WriteU32(h + 36, 0);

  block_ = std::move(block);
  width_ = width;
  height_ = height;
  bits_ = depth;
  paletteSize_ = palette;
  stride_ = static_cast<std::uint32_t>(stride);
  return {};
}

void CDibImage::Destroy() {
  DestroyKeepingStorage();
  block_.shrink_to_fit();
}

void CDibImage::DestroyKeepingStorage() {
  block_.clear();
  width_ = height_ = bits_ = paletteSize_ = 0;
  stride_ = 0;
}

RgbQuad* CDibImage::GetPalette() {
  return paletteSize_ ? reinterpret_cast<RgbQuad*>(block_.data() + kHeaderSize) : nullptr;
}
const RgbQuad* CDibImage::GetPalette() const {
  return paletteSize_ ? reinterpret_cast<const RgbQuad*>(block_.data() + kHeaderSize) : nullptr;
}
std::uint8_t* CDibImage::GetBits() { return block_.empty() ? nullptr : block_.data() + PixelOffset(); }
const std::uint8_t* CDibImage::GetBits() const { return block_.empty() ? nullptr : block_.data() + PixelOffset(); }

std::uint8_t* CDibImage::ScanLine(int y) { return GetBits() + static_cast<std::size_t>(height_ - 1 - y) * stride_; }
const std::uint8_t* CDibImage::ScanLine(int y) const {
  return GetBits() + static_cast<std::size_t>(height_ - 1 - y) * stride_;
}

RgbQuad CDibImage::GetPixelColor(int x, int y) const {
  if (!IsValid() || x < 0 || y < 0 || x >= width_ || y >= height_) return {};
  const std::uint8_t* row = ScanLine(y);
  int index = 0;
  switch (bits_) {
    case 24:
      return {row[3 * x], row[3 * x + 1], row[3 * x + 2], 0};
    case 8:
      index = row[x];
      break;
    case 4:
      index = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
      break;
    default:
      index = (row[x >> 3] >> (7 - (x & 7))) & 1;
      break;
  }
  return GetPalette()[index];
}

void CDibImage::SetPaletteColor(int index, RgbQuad color) {
  if (index < 0 || index >= paletteSize_) return;
  color.reserved = 0;
  GetPalette()[index] = color;
}

void CDibImage::SetResolution(std::int32_t xPelsPerMeter, std::int32_t yPelsPerMeter) {
  if (block_.empty()) return;
  WriteU32(block_.data() + 24, static_cast<std::uint32_t>(xPelsPerMeter));
  WriteU32(block_.data() + 28, static_cast<std::uint32_t>(yPelsPerMeter));
}

Failure pictureFailure(std::string_view why) {
  if (why.size() > CDibImage::kMaxErrorLength) {
    std::size_t cut = CDibImage::kMaxErrorLength;
    while (cut > 0 && (static_cast<unsigned char>(why[cut]) & 0xC0) == 0x80) --cut;
    why = why.substr(0, cut);
  }
  return Failure{std::string(why)};
}

void CDibImage::StoreFileName(const std::string& path) {
  // Longer names are not kept; an empty name is better than one naming some other file.
  if (Utf8Length(path) <= kMaxFileNameLength)
    fileName_ = path;
  else
    fileName_.clear();
}

void CDibImage::AdoptPictureOf(CDibImage&& decoded) {
  block_ = std::move(decoded.block_);
  width_ = decoded.width_;
  height_ = decoded.height_;
  bits_ = decoded.bits_;
  paletteSize_ = decoded.paletteSize_;
  stride_ = decoded.stride_;
  frameCount_ = decoded.frameCount_;
  transIndex_ = decoded.transIndex_;
  decoded.Destroy();
}

Result<void> CDibImage::LoadFromMemory(std::span<const std::uint8_t> data, int format) {
  CDibImage decoded;
  decoded.limits_ = limits_;
  decoded.frame_ = frame_;
  decoded.frameCount_ = 1;
  decoded.transIndex_ = -1;
  // An image without a picture lends the decoder the memory it kept (there is nothing to keep).
  if (!IsValid()) decoded.block_.swap(block_);
  Result<void> read = Failure{"Unsupported operation for this format"};
  try {
    switch (format) {
      case kImageFormatBmp:
        read = image_readers::ReadBmp(data, decoded);
        break;
      case kImageFormatGif:
        read = image_readers::ReadGif(data, decoded);
        break;
      case kImageFormatJpeg:
        read = image_readers::ReadJpeg(data, decoded);
        break;
      case kImageFormatPng:
        read = image_readers::ReadPng(data, decoded);
        break;
      case kImageFormatIco:
        read = image_readers::ReadIco(data, decoded);
        break;
      case kImageFormatTiff:
        read = image_readers::ReadTiff(data, decoded);
        break;
      default:
        break;
    }
  } catch (const std::bad_alloc&) {
    read = Failure{"Not enough memory for the picture"};
  }
  if (read.ok() && !decoded.IsValid()) read = Failure{"The file holds no picture"};
  if (!read.ok()) {
    return pictureFailure(read.error().empty() ? std::string_view("Unable to read the picture")
                                               : std::string_view(read.error()));
  }
  AdoptPictureOf(std::move(decoded));
  return {};
}

Result<void> CDibImage::Load(const std::string& path, int format) {
  StoreFileName(path);
  dib_detail::PixelBytes data;
  switch (ReadWholeFile(path, limits_.maxFileBytes, data)) {
    case FileReadResult::ok:
      return LoadFromMemory(data, format);
    case FileReadResult::tooLarge:
      return pictureFailure("The file is too large");
    case FileReadResult::cannotOpen:
    case FileReadResult::readError:
      break;
  }
  return pictureFailure(format == kImageFormatTiff ? "Error encountered while opening TIFF file"
                                                   : "Unable to open the file");
}

Result<void> CDibImage::SaveToMemory(std::vector<std::uint8_t>& out, int format) {
  if (format != kImageFormatBmp) {
    return pictureFailure("Unsupported operation for this format");
  }
  if (!IsValid()) {
    return pictureFailure("No picture to save");
  }
  const auto header = bmpFileHeader(block_.size(), PixelOffset());
  out.assign(header.begin(), header.end());
  out.insert(out.end(), block_.begin(), block_.end());
  return {};
}

Result<void> CDibImage::Save(const std::string& path, int format) {
  if (format != kImageFormatBmp) {
    return pictureFailure("Unsupported operation for this format");
  }
  if (!IsValid()) {
    return pictureFailure("No picture to save");
  }
  const auto header = bmpFileHeader(block_.size(), PixelOffset());
  if (!WriteFileReplacing(path, header, block_)) {
    return pictureFailure("Unable to write the file");
  }
  StoreFileName(path);
  return {};
}

Result<void> CDibImage::FromBitmap(const PixelSurface& surface) {
  if (surface.pixels == nullptr || surface.width <= 0 || surface.height <= 0 || surface.stride < surface.width) {
    return pictureFailure("GetDIBits failed");
  }
  CDibImage captured;
  captured.limits_ = limits_;
  if (!captured.Create(surface.width, surface.height, 32).ok()) {
    return pictureFailure("GetDIBits failed");
  }
  for (int y = 0; y < surface.height; ++y) {
    const std::uint32_t* in = surface.pixels + static_cast<std::ptrdiff_t>(y) * surface.stride;
    std::uint8_t* out = captured.ScanLine(y);
    for (int x = 0; x < surface.width; ++x) {
      out[3 * x] = static_cast<std::uint8_t>(in[x]);
      out[3 * x + 1] = static_cast<std::uint8_t>(in[x] >> 8);
      out[3 * x + 2] = static_cast<std::uint8_t>(in[x] >> 16);
    }
  }
  captured.frameCount_ = 1;
  AdoptPictureOf(std::move(captured));
  return {};
}

bool CDibImage::Draw(PixelSurface& target, int x, int y, int width, int height) const {
  if (!IsValid()) return false;
  if (target.pixels == nullptr || target.width <= 0 || target.height <= 0) return true;
  Stretch(*this, target.width, target.height, x, y, width, height,
          [&](int row, int column, const std::vector<std::uint32_t>& pixels) {
            std::memcpy(target.pixels + static_cast<std::ptrdiff_t>(row) * target.stride + column, pixels.data(),
                        pixels.size() * sizeof(std::uint32_t));
          });
  return true;
}

bool CDibImage::Draw(CDibImage& target, int x, int y, int width, int height) const {
  if (!IsValid() || !target.IsValid() || target.GetBpp() != 24) return false;
  if (bits_ == 24 && &target != this) {
    StretchTrueColour(*this, target, x, y, width, height);
    return true;
  }
  Stretch(*this, target.Width(), target.Height(), x, y, width, height,
          [&](int row, int column, const std::vector<std::uint32_t>& pixels) {
            std::uint8_t* out = target.ScanLine(row) + 3 * static_cast<std::size_t>(column);
            for (std::uint32_t pixel : pixels) {
              *out++ = static_cast<std::uint8_t>(pixel);
              *out++ = static_cast<std::uint8_t>(pixel >> 8);
              *out++ = static_cast<std::uint8_t>(pixel >> 16);
            }
          });
  return true;
}

namespace image_readers {

void SetGreyPalette(CDibImage& image, int levels) {
  RgbQuad* palette = image.GetPalette();
  if (palette == nullptr || levels < 2) return;
  levels = std::min(levels, image.GetPaletteSize());
  for (int i = 0; i < levels; ++i) {
    const auto v = static_cast<std::uint8_t>(i * 255 / (levels - 1));
    palette[i] = {v, v, v, 0};
  }
}

}  // namespace image_readers

}  // namespace kalvory
