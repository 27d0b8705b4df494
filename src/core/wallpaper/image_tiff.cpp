// TIFF files through libtiff: palette pages keep their palette, every other kind of page is
// read through libtiff's RGBA interface into a 24-bit picture.

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "core/wallpaper/image_readers.h"

namespace kalvory::image_readers {

namespace {

const char* const kOpenFailed = "Error encountered while opening TIFF file";
const char* const kPageMissing = "Error: page not present in TIFF file";
const char* const kLzwUnsupported = "LZW compression is no longer supported due to Unisys patent enforcement";
const char* const kNoRasterSpace = "No space for raster buffer";
const char* const kCorrupted = "Corrupted TIFF file!";
const char* const kNoPaletteSpace = "Unable to allocate TIFF palette";

// RGBA rows decoded at a time; bounds the scratch memory whatever the strip layout says.
constexpr std::size_t kMaxBandBytes = std::size_t{32} << 20;

struct TiffMemory {
  const std::uint8_t* data;
  std::uint64_t size;
  std::uint64_t pos;
};

tmsize_t TiffRead(thandle_t handle, void* buffer, tmsize_t length) {
  auto* memory = static_cast<TiffMemory*>(handle);
  if (length <= 0 || memory->pos >= memory->size) return 0;
  const std::uint64_t n = std::min<std::uint64_t>(static_cast<std::uint64_t>(length), memory->size - memory->pos);
  std::memcpy(buffer, memory->data + memory->pos, static_cast<std::size_t>(n));
  memory->pos += n;
  return static_cast<tmsize_t>(n);
}

tmsize_t TiffWrite(thandle_t, void*, tmsize_t) { return -1; }

toff_t TiffSeek(thandle_t handle, toff_t offset, int whence) {
  auto* memory = static_cast<TiffMemory*>(handle);
  std::uint64_t base = 0;
  if (whence == SEEK_CUR)
    base = memory->pos;
  else if (whence == SEEK_END)
    base = memory->size;
  if (offset > ~std::uint64_t{0} - base) return static_cast<toff_t>(-1);
  memory->pos = base + offset;  // past the end is allowed; reads there return nothing
  return memory->pos;
}

int TiffClose(thandle_t) { return 0; }
toff_t TiffSize(thandle_t handle) { return static_cast<TiffMemory*>(handle)->size; }

// The bytes are already in memory, so libtiff may read them in place.
int TiffMap(thandle_t handle, void** base, toff_t* size) {
  auto* memory = static_cast<TiffMemory*>(handle);
  *base = const_cast<std::uint8_t*>(memory->data);
  *size = memory->size;
  return 1;
}
void TiffUnmap(thandle_t, void*, toff_t) {}

// libtiff's own messages are not shown: the reader reports its fixed texts instead, and
// returning 1 keeps libtiff from printing them. libtiff reads past some damage with no more
// than a warning (a colour map cut off makes a palette page grey), so a warning about failed
// reading marks the file as damaged too.
struct TiffMessages {
  bool damaged = false;
};
int OnTiffError(TIFF*, void* userData, const char*, const char*, va_list) {
  static_cast<TiffMessages*>(userData)->damaged = true;
  return 1;
}
int OnTiffWarning(TIFF*, void* userData, const char*, const char* format, va_list) {
  if (format != nullptr && std::strstr(format, "IO error") != nullptr) {
    static_cast<TiffMessages*>(userData)->damaged = true;
  }
  return 1;
}

// Messages libtiff sends without a file handle would go to stderr; a desktop program has no
// reader there.
void SilenceGlobalTiffHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
  });
}

struct TiffCloser {
  TIFF* tif;
  ~TiffCloser() {
    if (tif) TIFFClose(tif);
  }
};

struct RgbaImageEnder {
  TIFFRGBAImage* image;
  ~RgbaImageEnder() {
    if (image) TIFFRGBAImageEnd(image);
  }
};

Result<void> ReadPalettePage(TIFF* tif, std::uint32_t width, std::uint32_t height, int bits, bool bottomUp,
                             CDibImage& out) {
  if (!out.Create(static_cast<int>(width), static_cast<int>(height), bits).ok()) return Failure{kNoRasterSpace};
  std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
  if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue) return Failure{kCorrupted};
  const int entries = 1 << bits;
  std::vector<RgbQuad> palette;
  try {
    palette.resize(static_cast<std::size_t>(entries));
  } catch (const std::bad_alloc&) {
    return Failure{kNoPaletteSpace};
  }
  // Old writers stored 8-bit values in the 16-bit colour map.
  bool eightBit = true;
  for (int i = 0; i < entries && eightBit; ++i) eightBit = red[i] < 256 && green[i] < 256 && blue[i] < 256;
  const int shift = eightBit ? 0 : 8;
  for (int i = 0; i < entries; ++i) {
    out.SetPaletteColor(i, {static_cast<std::uint8_t>(blue[i] >> shift), static_cast<std::uint8_t>(green[i] >> shift),
                            static_cast<std::uint8_t>(red[i] >> shift), 0});
  }

  const tmsize_t lineSize = TIFFScanlineSize(tif);
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 7) / 8;
  if (lineSize <= 0 || static_cast<std::size_t>(lineSize) < rowBytes) return Failure{kCorrupted};
  std::vector<std::uint8_t> line;
  try {
    line.resize(static_cast<std::size_t>(lineSize));
  } catch (const std::bad_alloc&) {
    return Failure{kNoRasterSpace};
  }
  for (std::uint32_t row = 0; row < height; ++row) {
    if (TIFFReadScanline(tif, line.data(), row, 0) < 0) return Failure{kCorrupted};
    const int y = static_cast<int>(bottomUp ? height - 1 - row : row);
    std::memcpy(out.ScanLine(y), line.data(), rowBytes);
  }
  return {};
}

Result<void> ReadRgbaPage(TIFF* tif, std::uint32_t width, std::uint32_t height, CDibImage& out) {
  char message[1024] = {};
  if (!TIFFRGBAImageOK(tif, message)) return Failure{kCorrupted};
  TIFFRGBAImage image{};
  if (!TIFFRGBAImageBegin(&image, tif, 1, message)) return Failure{kCorrupted};
  RgbaImageEnder ender{&image};
  image.req_orientation = ORIENTATION_TOPLEFT;
  if (!out.Create(static_cast<int>(width), static_cast<int>(height), 24).ok()) return Failure{kNoRasterSpace};

  // Whole strips or tiles per band, so no strip is decoded twice unless it is huge.
  std::uint32_t unit = 0;
  if (TIFFIsTiled(tif))
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &unit);
  else
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unit);
  const std::uint32_t maxBand =
      static_cast<std::uint32_t>(std::max<std::size_t>(1, kMaxBandBytes / (static_cast<std::size_t>(width) * 4)));
  const std::uint32_t band = std::clamp<std::uint32_t>(unit, 1, std::min(maxBand, height));
  std::vector<std::uint32_t> raster;
  try {
    raster.resize(static_cast<std::size_t>(width) * band);
  } catch (const std::bad_alloc&) {
    return Failure{kNoRasterSpace};
  }
  const bool hasAlpha = image.alpha != 0;
  for (std::uint32_t row = 0; row < height; row += band) {
    const std::uint32_t rows = std::min(band, height - row);
    image.row_offset = static_cast<int>(row);
    image.col_offset = 0;
    if (!TIFFRGBAImageGet(&image, raster.data(), width, rows)) return Failure{kCorrupted};
    for (std::uint32_t k = 0; k < rows; ++k) {
      const std::uint32_t* in = raster.data() + static_cast<std::size_t>(k) * width;
      std::uint8_t* outRow = out.ScanLine(static_cast<int>(row + k));
      for (std::uint32_t x = 0; x < width; ++x) {
        const std::uint32_t p = in[x];
        unsigned r = TIFFGetR(p), g = TIFFGetG(p), b = TIFFGetB(p);
        if (hasAlpha) {
          // libtiff hands out colours premultiplied by alpha; add the background's share.
          const unsigned rest = 255 - TIFFGetA(p);
          r = std::min(255u, r + (kBackgroundRed * rest + 127) / 255);
          g = std::min(255u, g + (kBackgroundGreen * rest + 127) / 255);
          b = std::min(255u, b + (kBackgroundBlue * rest + 127) / 255);
        }
        outRow[3 * x] = static_cast<std::uint8_t>(b);
        outRow[3 * x + 1] = static_cast<std::uint8_t>(g);
        outRow[3 * x + 2] = static_cast<std::uint8_t>(r);
      }
    }
  }
  return {};
}

}  // namespace

Result<void> ReadTiff(Bytes data, CDibImage& out) {
  SilenceGlobalTiffHandlers();
  TiffMemory memory{data.data(), data.size(), 0};
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (options == nullptr) return Failure{kOpenFailed};
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(out.GetLimits().maxBlockBytes));
  TiffMessages messages;
  TIFFOpenOptionsSetErrorHandlerExtR(options, OnTiffError, &messages);
  TIFFOpenOptionsSetWarningHandlerExtR(options, OnTiffWarning, &messages);
  TiffCloser closer{TIFFClientOpenExt("picture", "r", &memory, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize,
                                      TiffMap, TiffUnmap, options)};
  TIFFOpenOptionsFree(options);
  TIFF* tif = closer.tif;
  if (tif == nullptr || messages.damaged) return Failure{kOpenFailed};

  out.SetNumFrames(static_cast<int>(TIFFNumberOfDirectories(tif)));
  const int page = out.GetFrame();
  if (page < 0 || (page > 0 && !TIFFSetDirectory(tif, static_cast<tdir_t>(page)))) return Failure{kPageMissing};

  std::uint16_t compression = COMPRESSION_NONE;
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  if (compression == COMPRESSION_LZW && !TIFFIsCODECConfigured(COMPRESSION_LZW)) return Failure{kLzwUnsupported};

  std::uint32_t width = 0, height = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
  if (width == 0 || height == 0) return Failure{kCorrupted};
  const auto maxSide = static_cast<std::uint32_t>(out.GetLimits().maxSide);
  if (width > maxSide || height > maxSide) return Failure{kNoRasterSpace};

  std::uint16_t photometric = 0, bits = 1, samples = 1, planar = PLANARCONFIG_CONTIG, orientation = ORIENTATION_TOPLEFT;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
  const bool hasPhotometric = TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric) != 0;
  const bool palettePage = hasPhotometric && photometric == PHOTOMETRIC_PALETTE && samples == 1 &&
                           (bits == 1 || bits == 4 || bits == 8) && !TIFFIsTiled(tif) &&
                           planar == PLANARCONFIG_CONTIG &&
                           (orientation == ORIENTATION_TOPLEFT || orientation == ORIENTATION_BOTLEFT);
  Result<void> read = palettePage ? ReadPalettePage(tif, width, height, bits, orientation == ORIENTATION_BOTLEFT, out)
                                  : ReadRgbaPage(tif, width, height, out);
  if (read.ok() && messages.damaged) return Failure{kCorrupted};
  return read;
}

}  // namespace kalvory::image_readers
