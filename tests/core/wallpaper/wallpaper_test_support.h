#pragma once

// Folders and picture files for the compositor and changer tests.

#include <gtest/gtest.h>
#include <png.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "core/settings/system_colors.h"
#include "core/wallpaper/dib_image.h"
#include "support/result_assertions.h"

namespace kalvory::test {

// A fresh folder under the temporary folder, removed with everything in it.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kalvory-wallpaper-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TemporaryFolder() {
    std::error_code code;
    if (!path_.empty()) std::filesystem::remove_all(path_, code);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct Colour {
  int r = 0;
  int g = 0;
  int b = 0;
  friend bool operator==(const Colour&, const Colour&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Colour& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
  }
};

inline Colour ColourOf(ColorRef color) { return {redOf(color), greenOf(color), blueOf(color)}; }

inline Colour PixelAt(const CDibImage& image, int x, int y) {
  const RgbQuad q = image.GetPixelColor(x, y);
  return {q.red, q.green, q.blue};
}

// A 24-bit Windows bitmap whose pixel (x, y), top row 0, is colourAt(x, y).
inline void WriteBmp(const std::string& path, int width, int height, const std::function<Colour(int, int)>& colourAt) {
  CDibImage image;
  ASSERT_TRUE(test::Succeeded(image.Create(width, height, 24)));
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = image.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      const Colour c = colourAt(x, y);
      row[3 * x] = static_cast<std::uint8_t>(c.b);
      row[3 * x + 1] = static_cast<std::uint8_t>(c.g);
      row[3 * x + 2] = static_cast<std::uint8_t>(c.r);
    }
  }
  ASSERT_TRUE(test::Succeeded(image.Save(path, kImageFormatBmp)));
}

inline void WriteSolidBmp(const std::string& path, int width, int height, Colour colour) {
  WriteBmp(path, width, height, [colour](int, int) { return colour; });
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

inline std::vector<char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A JPEG file of one colour, written by libjpeg.
inline void WriteJpeg(const std::string& path, int width, int height, Colour colour) {
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr error{};
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 95, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
  for (int x = 0; x < width; ++x) {
    row[3 * x] = static_cast<JSAMPLE>(colour.r);
    row[3 * x + 1] = static_cast<JSAMPLE>(colour.g);
    row[3 * x + 2] = static_cast<JSAMPLE>(colour.b);
  }
  for (int y = 0; y < height; ++y) {
    JSAMPROW rowPointer = row.data();
    jpeg_write_scanlines(&cinfo, &rowPointer, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::fclose(file);
}

// An 8-bit RGB PNG file of one colour, written by libpng.
inline void WritePng(const std::string& path, int width, int height, Colour colour) {
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<png_byte> row(static_cast<std::size_t>(width) * 3);
  for (int x = 0; x < width; ++x) {
    row[3 * x] = static_cast<png_byte>(colour.r);
    row[3 * x + 1] = static_cast<png_byte>(colour.g);
    row[3 * x + 2] = static_cast<png_byte>(colour.b);
  }
  for (int y = 0; y < height; ++y) png_write_row(png, row.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

inline bool Near(const Colour& a, const Colour& b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

}  // namespace kalvory::test
