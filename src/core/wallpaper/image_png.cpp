// PNG files through libpng.
//
// libpng reports errors by calling a handler that must not return; ours longjmps back to the
// function that called setjmp. Those functions hold no objects with destructors, and
// everything the decoder needs (rows, buffers, the image) is allocated outside them, so the
// jump never skips a destructor.

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "core/wallpaper/image_readers.h"

namespace kalvory::image_readers {

namespace {

// The largest ancillary chunk (text, colour profile) libpng may inflate.
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;

struct PngSource {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos;
  char message[256];
};

void OnPngError(png_structp png, png_const_charp message) {
  auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
  std::snprintf(source->message, sizeof source->message, "%s", message ? message : "PNG error");
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void OnPngRead(png_structp png, png_bytep out, png_size_t length) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (length > source->size - source->pos) png_error(png, "The PNG file is truncated");
  std::memcpy(out, source->data + source->pos, length);
  source->pos += length;
}

// How the decoded rows reach the picture.
enum class PngOutput {
  palette,  // palette indices, 1, 4 or 8 bits, the file's palette (or a grey ramp) kept
  colour,   // blue, green, red rows read straight into the picture
  alpha,    // blue, green, red, alpha rows composited over the background colour
};

struct PngHeader {
  png_uint_32 width;
  png_uint_32 height;
  int bitDepth;
  int colourType;
  int interlace;
  PngOutput output;
  int outputBits;
  int greyLevels;  // grey pictures: entries of the ramp; 0 for a palette from the file
  int paletteCount;
  png_color palette[256];
  int transparentCount;
  png_byte transparentAlpha[256];
  png_size_t rowBytes;
};

bool ReadPngHeader(png_structp png, png_infop info, int maxSide, PngHeader* header) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_user_limits(png, static_cast<png_uint_32>(maxSide), static_cast<png_uint_32>(maxSide));
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
  // Checksums would stop nearly every mutated input before the decoding code is reached.
  png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
  png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
  png_read_info(png, info);
  png_get_IHDR(png, info, &header->width, &header->height, &header->bitDepth, &header->colourType, &header->interlace,
               nullptr, nullptr);
  const bool hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  header->paletteCount = 0;
  header->transparentCount = 0;
  header->greyLevels = 0;

  if (header->colourType == PNG_COLOR_TYPE_PALETTE) {
    header->output = PngOutput::palette;
    png_colorp palette = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &palette, &count) && palette != nullptr) {
      header->paletteCount = count > 256 ? 256 : count;
      std::memcpy(header->palette, palette, sizeof(png_color) * static_cast<std::size_t>(header->paletteCount));
    }
    if (hasTransparency) {
      png_bytep alpha = nullptr;
      int alphaCount = 0;
      if (png_get_tRNS(png, info, &alpha, &alphaCount, nullptr) && alpha != nullptr) {
        header->transparentCount = alphaCount > 256 ? 256 : alphaCount;
        std::memcpy(header->transparentAlpha, alpha, static_cast<std::size_t>(header->transparentCount));
      }
    }
    if (header->bitDepth == 2) png_set_packing(png);
    header->outputBits = header->bitDepth == 2 ? 8 : header->bitDepth;
  } else if (header->colourType == PNG_COLOR_TYPE_GRAY && !hasTransparency) {
    header->output = PngOutput::palette;
    header->greyLevels = header->bitDepth >= 8 ? 256 : 1 << header->bitDepth;
    if (header->bitDepth == 16) png_set_strip_16(png);
    if (header->bitDepth == 2) png_set_packing(png);
    header->outputBits = (header->bitDepth == 2 || header->bitDepth == 16) ? 8 : header->bitDepth;
  } else if (header->colourType == PNG_COLOR_TYPE_RGB && !hasTransparency) {
    header->output = PngOutput::colour;
    header->outputBits = 24;
    png_set_strip_16(png);
    png_set_bgr(png);
  } else {
    // Grey or colour with an alpha channel or a transparent colour: expanded to 8-bit BGRA.
    header->output = PngOutput::alpha;
    header->outputBits = 24;
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  header->rowBytes = png_get_rowbytes(png, info);
  return true;
}

void CompositeRow(const png_byte* bgra, std::uint8_t* out, png_uint_32 width) {
  for (png_uint_32 x = 0; x < width; ++x, bgra += 4, out += 3) {
    const unsigned a = bgra[3];
    out[0] = Composite(bgra[0], a, kBackgroundBlue);
    out[1] = Composite(bgra[1], a, kBackgroundGreen);
    out[2] = Composite(bgra[2], a, kBackgroundRed);
  }
}

bool ReadAllRows(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  return true;
}

bool ReadCompositedRows(png_structp png, png_bytepp pictureRows, png_bytep scratch, png_uint_32 width,
                        png_uint_32 height) {
  if (setjmp(png_jmpbuf(png))) return false;
  for (png_uint_32 y = 0; y < height; ++y) {
    png_read_row(png, scratch, nullptr);
    CompositeRow(scratch, pictureRows[y], width);
  }
  png_read_end(png, nullptr);
  return true;
}

struct PngReadDeleter {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngReadDeleter() {
    if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  }
};

}  // namespace

Result<void> ReadPng(Bytes data, CDibImage& out) {
  out.SetNumFrames(1);
  auto source = std::make_unique<PngSource>();
  source->data = data.data();
  source->size = data.size();
  source->pos = 0;
  source->message[0] = '\0';
  auto header = std::make_unique<PngHeader>();

  PngReadDeleter guard;
  guard.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, source.get(), OnPngError, OnPngWarning);
  if (guard.png == nullptr) return Failure{"Unable to start the PNG decoder"};
  guard.info = png_create_info_struct(guard.png);
  if (guard.info == nullptr) return Failure{"Unable to start the PNG decoder"};
  png_set_read_fn(guard.png, source.get(), OnPngRead);

  if (!ReadPngHeader(guard.png, guard.info, out.GetLimits().maxSide, header.get())) return Failure{source->message};
  const PngHeader& h = *header;
  if (auto created = out.Create(static_cast<int>(h.width), static_cast<int>(h.height), h.outputBits); !created.ok())
    return created;

  if (h.greyLevels) SetGreyPalette(out, h.greyLevels);
  for (int i = 0; i < h.paletteCount && i < out.GetPaletteSize(); ++i) {
    unsigned r = h.palette[i].red, g = h.palette[i].green, b = h.palette[i].blue;
    if (i < h.transparentCount) {
      const unsigned a = h.transparentAlpha[i];
      r = Composite(r, a, kBackgroundRed);
      g = Composite(g, a, kBackgroundGreen);
      b = Composite(b, a, kBackgroundBlue);
    }
    out.SetPaletteColor(i,
                        {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(r), 0});
  }

  std::vector<png_bytep> pictureRows(h.height);
  for (png_uint_32 y = 0; y < h.height; ++y) pictureRows[y] = out.ScanLine(static_cast<int>(y));

  bool ok = false;
  if (h.output != PngOutput::alpha) {
    if (h.rowBytes > out.GetStride()) return Failure{"Unexpected PNG row size"};
    ok = ReadAllRows(guard.png, pictureRows.data());
  } else if (h.interlace == PNG_INTERLACE_NONE) {
    std::vector<png_byte> scratch(h.rowBytes);
    ok = ReadCompositedRows(guard.png, pictureRows.data(), scratch.data(), h.width, h.height);
  } else {
    // Interlaced passes revisit every row, so the whole picture is decoded before compositing.
    const std::uint64_t bytes = static_cast<std::uint64_t>(h.rowBytes) * h.height;
    if (bytes > out.GetLimits().maxBlockBytes) return Failure{"Picture too large"};
    std::vector<png_byte> whole(static_cast<std::size_t>(bytes));
    std::vector<png_bytep> wholeRows(h.height);
    for (png_uint_32 y = 0; y < h.height; ++y) wholeRows[y] = whole.data() + static_cast<std::size_t>(y) * h.rowBytes;
    ok = ReadAllRows(guard.png, wholeRows.data());
    if (ok) {
      for (png_uint_32 y = 0; y < h.height; ++y) CompositeRow(wholeRows[y], pictureRows[y], h.width);
    }
  }
  if (!ok) return Failure{source->message};
  return {};
}

}  // namespace kalvory::image_readers
