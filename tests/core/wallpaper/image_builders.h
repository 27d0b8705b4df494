#pragma once

// Picture files for the reader tests: the Windows layouts and GIF are built byte by byte from
// the format's tables; PNG, JPEG and TIFF files are written by the libraries themselves.

#include <png.h>
#include <tiffio.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace kalvory::test {

using ByteVector = std::vector<std::uint8_t>;

// Appends little-endian fields.
class ByteWriter {
 public:
  ByteWriter& u8(unsigned v) {
    bytes.push_back(static_cast<std::uint8_t>(v));
    return *this;
  }
  ByteWriter& u16(unsigned v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
  ByteWriter& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  ByteWriter& i32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
  ByteWriter& text(const char* s) {
    while (*s) u8(static_cast<unsigned char>(*s++));
    return *this;
  }
  ByteWriter& append(const ByteVector& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return *this;
  }
  ByteWriter& zeros(std::size_t n) {
    bytes.insert(bytes.end(), n, 0);
    return *this;
  }
  ByteVector bytes;
};

struct Rgb {
  std::uint8_t r, g, b;
};

// ---- Windows bitmaps -------------------------------------------------------------------

// The 40-byte information header.
inline void InfoHeader(ByteWriter& w, std::int32_t width, std::int32_t height, unsigned bits, std::uint32_t compression,
                       std::uint32_t colorsUsed, std::uint32_t headerSize = 40) {
  w.u32(headerSize).i32(width).i32(height).u16(1).u16(bits).u32(compression).u32(0).i32(2835).i32(2835);
  w.u32(colorsUsed).u32(0);
  if (headerSize > 40) w.zeros(headerSize - 40);
}

inline std::uint32_t RowBytes(std::uint32_t width, unsigned bits) { return (width * bits + 31) / 32 * 4; }

// A bitmap file: file header (when asked), information header, palette, then the rows exactly
// as given (bottom row first unless the height is negative), each padded to 4 bytes.
struct BmpLayout {
  std::int32_t width = 1;
  std::int32_t height = 1;
  unsigned bits = 24;
  std::uint32_t compression = 0;
  std::vector<Rgb> palette;
  std::vector<ByteVector> rows;  // unpadded
  bool fileHeader = true;
  std::uint32_t headerSize = 40;
  std::vector<std::uint32_t> masks;  // bitfield masks written after a 40-byte header
  std::size_t gapBeforePixels = 0;   // bytes between the palette and the pixels
};

inline ByteVector MakeBmp(const BmpLayout& layout) {
  ByteWriter body;
  if (layout.headerSize == 12) {
    body.u32(12)
        .u16(static_cast<unsigned>(layout.width))
        .u16(static_cast<unsigned>(layout.height))
        .u16(1)
        .u16(layout.bits);
  } else {
    InfoHeader(body, layout.width, layout.height, layout.bits, layout.compression,
               static_cast<std::uint32_t>(layout.palette.size()), layout.headerSize);
  }
  for (std::uint32_t m : layout.masks) body.u32(m);
  for (const Rgb& c : layout.palette) {
    body.u8(c.b).u8(c.g).u8(c.r);
    if (layout.headerSize != 12) body.u8(0);
  }
  body.zeros(layout.gapBeforePixels);
  const std::size_t pixelsAt = body.bytes.size();
  const std::uint32_t stride = RowBytes(static_cast<std::uint32_t>(std::abs(layout.width)), layout.bits);
  for (const ByteVector& row : layout.rows) {
    body.append(row);
    if (row.size() < stride) body.zeros(stride - row.size());
  }
  if (!layout.fileHeader) return body.bytes;
  ByteWriter file;
  file.text("BM").u32(static_cast<std::uint32_t>(14 + body.bytes.size())).u16(0).u16(0);
  file.u32(static_cast<std::uint32_t>(14 + pixelsAt));
  file.append(body.bytes);
  return file.bytes;
}

// ---- GIF -------------------------------------------------------------------------------

// A plain LZW encoder of the GIF kind (variable code width, least significant bit first).
// clearWhenFull sends a clear code when the table fills; otherwise the table stays full.
inline ByteVector LzwEncode(const ByteVector& pixels, int minimumCodeSize, bool clearWhenFull = true) {
  const int clear = 1 << minimumCodeSize;
  const int end = clear + 1;
  ByteVector out;
  std::uint32_t bitBuffer = 0;
  int bitCount = 0;
  int codeSize = minimumCodeSize + 1;
  auto emit = [&](int code) {
    bitBuffer |= static_cast<std::uint32_t>(code) << bitCount;
    bitCount += codeSize;
    while (bitCount >= 8) {
      out.push_back(static_cast<std::uint8_t>(bitBuffer));
      bitBuffer >>= 8;
      bitCount -= 8;
    }
  };
  std::map<std::pair<int, int>, int> table;
  int next = clear + 2;
  emit(clear);
  int current = -1;
  for (std::uint8_t p : pixels) {
    if (current < 0) {
      current = p;
      continue;
    }
    auto found = table.find({current, p});
    if (found != table.end()) {
      current = found->second;
      continue;
    }
    emit(current);
    if (next < 4096) {
      table[{current, p}] = next++;
      // The decoder widens its codes one code later than the encoder defines them.
      if (next - 1 == (1 << codeSize) && codeSize < 12) ++codeSize;
    } else if (clearWhenFull) {
      emit(clear);
      table.clear();
      next = clear + 2;
      codeSize = minimumCodeSize + 1;
    }
    current = p;
  }
  if (current >= 0) emit(current);
  emit(end);
  if (bitCount > 0) out.push_back(static_cast<std::uint8_t>(bitBuffer));
  return out;
}

inline void SubBlocks(ByteWriter& w, const ByteVector& data) {
  for (std::size_t at = 0; at < data.size(); at += 255) {
    const std::size_t n = std::min<std::size_t>(255, data.size() - at);
    w.u8(static_cast<unsigned>(n));
    w.bytes.insert(w.bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                   data.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  w.u8(0);
}

struct GifFrame {
  int width = 1;
  int height = 1;
  ByteVector pixels;       // in file row order (for interlaced frames: the interlaced order)
  std::vector<Rgb> local;  // a local colour table when not empty (2, 4, ... 256 entries)
  int transparent = -1;    // a graphic control extension with this index when >= 0
  bool interlaced = false;
  int minimumCodeSize = 8;
  ByteVector lzw;  // used instead of encoding the pixels when not empty
};

inline unsigned TableSizeBits(std::size_t entries) {
  unsigned n = 0;
  while ((2u << n) < entries) ++n;
  return n;
}

inline void PutTable(ByteWriter& w, const std::vector<Rgb>& table) {
  const std::size_t size = std::size_t{2} << TableSizeBits(table.size());
  for (std::size_t i = 0; i < size; ++i) {
    const Rgb c = i < table.size() ? table[i] : Rgb{0, 0, 0};
    w.u8(c.r).u8(c.g).u8(c.b);
  }
}

inline ByteVector MakeGif(int screenWidth, int screenHeight, const std::vector<Rgb>& global,
                          const std::vector<GifFrame>& frames) {
  ByteWriter w;
  w.text("GIF89a").u16(static_cast<unsigned>(screenWidth)).u16(static_cast<unsigned>(screenHeight));
  w.u8(global.empty() ? 0 : 0x80 | 0x70 | TableSizeBits(global.size())).u8(0).u8(0);
  if (!global.empty()) PutTable(w, global);
  // An application extension, skipped by its sub-block lengths.
  w.u8(0x21).u8(0xFF).u8(11).text("NETSCAPE2.0").u8(3).u8(1).u16(0).u8(0);
  for (const GifFrame& f : frames) {
    if (f.transparent >= 0) w.u8(0x21).u8(0xF9).u8(4).u8(1).u16(0).u8(static_cast<unsigned>(f.transparent)).u8(0);
    w.u8(0x2C).u16(0).u16(0).u16(static_cast<unsigned>(f.width)).u16(static_cast<unsigned>(f.height));
    unsigned flags = f.interlaced ? 0x40 : 0;
    if (!f.local.empty()) flags |= 0x80 | TableSizeBits(f.local.size());
    w.u8(flags);
    if (!f.local.empty()) PutTable(w, f.local);
    w.u8(static_cast<unsigned>(f.minimumCodeSize));
    SubBlocks(w, f.lzw.empty() ? LzwEncode(f.pixels, f.minimumCodeSize) : f.lzw);
  }
  w.u8(0x3B);
  return w.bytes;
}

// ---- PNG (written by libpng) ------------------------------------------------------------

struct PngLayout {
  int width = 1;
  int height = 1;
  int bitDepth = 8;
  int colourType = PNG_COLOR_TYPE_RGB;
  bool interlaced = false;
  std::vector<png_color> palette;
  std::vector<png_byte> transparentAlpha;  // palette pictures
  bool transparentColour = false;          // grey and colour pictures
  png_color_16 transparent{};
  std::vector<ByteVector> rows;  // packed as PNG stores them (16-bit samples big-endian)
};

// The earlier names, used by the composition and changer tests.
using PngSpec = PngLayout;
using BmpSpec = BmpLayout;

inline ByteVector MakePng(const PngLayout& layout) {
  struct Sink {
    static void Write(png_structp png, png_bytep data, png_size_t length) {
      auto* out = static_cast<ByteVector*>(png_get_io_ptr(png));
      out->insert(out->end(), data, data + length);
    }
    static void Flush(png_structp) {}
    static void Error(png_structp, png_const_charp message) { throw std::runtime_error(message); }
  };
  ByteVector out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Sink::Error, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, Sink::Write, Sink::Flush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(layout.width), static_cast<png_uint_32>(layout.height),
               layout.bitDepth, layout.colourType, layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!layout.palette.empty()) png_set_PLTE(png, info, layout.palette.data(), static_cast<int>(layout.palette.size()));
  if (!layout.transparentAlpha.empty()) {
    png_set_tRNS(png, info, layout.transparentAlpha.data(), static_cast<int>(layout.transparentAlpha.size()), nullptr);
  }
  if (layout.transparentColour) {
    png_color_16 colour = layout.transparent;
    png_set_tRNS(png, info, nullptr, 0, &colour);
  }
  png_write_info(png, info);
  std::vector<png_bytep> rows;
  std::vector<ByteVector> copies = layout.rows;
  for (auto& row : copies) rows.push_back(row.data());
  png_write_image(png, rows.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

// ---- JPEG (written by libjpeg) ----------------------------------------------------------

// pixel(x, y) gives the samples of one pixel (1, 3 or 4 of them for grey, RGB and CMYK).
inline ByteVector MakeJpeg(int width, int height, int components, J_COLOR_SPACE space,
                           const std::function<void(int, int, std::uint8_t*)>& pixel, int quality = 95,
                           bool progressive = false) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr error{};
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = components;
  cinfo.in_color_space = space;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  ByteVector row(static_cast<std::size_t>(width * components));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixel(x, y, row.data() + x * components);
    JSAMPROW rowPointer = row.data();
    jpeg_write_scanlines(&cinfo, &rowPointer, 1);
  }
  jpeg_finish_compress(&cinfo);
  ByteVector out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

// ---- TIFF (written by libtiff) -----------------------------------------------------------

struct TiffPage {
  std::uint32_t width = 1;
  std::uint32_t height = 1;
  std::uint16_t bitsPerSample = 8;
  std::uint16_t samples = 3;
  std::uint16_t photometric = PHOTOMETRIC_RGB;
  std::uint16_t compression = COMPRESSION_NONE;
  std::uint32_t rowsPerStrip = 0;               // 0: the library's choice
  std::uint16_t extraAlpha = 0;                 // EXTRASAMPLE_* when the last sample is alpha
  std::vector<std::uint16_t> red, green, blue;  // the colour map of palette pages
  std::vector<ByteVector> rows;
};

inline std::filesystem::path TemporaryPath(const std::string& name) {
  return std::filesystem::temp_directory_path() / ("kalvory-image-test-" + std::to_string(::getpid()) + "-" + name);
}

inline ByteVector ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return ByteVector(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::filesystem::path& path, const ByteVector& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline ByteVector MakeTiff(const std::vector<TiffPage>& pages) {
  const auto path = TemporaryPath("write.tif");
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (tif == nullptr) throw std::runtime_error("TIFFOpen failed");
  for (const TiffPage& page : pages) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, page.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, page.bitsPerSample);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, page.samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, page.photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, page.compression);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, page.rowsPerStrip ? page.rowsPerStrip : TIFFDefaultStripSize(tif, 0));
    if (page.extraAlpha) {
      std::uint16_t kind = page.extraAlpha;
      TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &kind);
    }
    if (!page.red.empty()) {
      TIFFSetField(tif, TIFFTAG_COLORMAP, page.red.data(), page.green.data(), page.blue.data());
    }
    if (pages.size() > 1) TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    for (std::uint32_t y = 0; y < page.height; ++y) {
      ByteVector row = page.rows[y];
      TIFFWriteScanline(tif, row.data(), y, 0);
    }
    TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
  ByteVector bytes = ReadFileBytes(path);
  std::filesystem::remove(path);
  return bytes;
}

}  // namespace kalvory::test
