// Small files of every kind the readers know. Each must decode; with KALVORY_WRITE_FUZZ_SEEDS
// set to the fuzz/corpus folder they are written there as the fuzz targets' seeds.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/common/text.h"
#include "core/wallpaper/dib_image.h"
#include "image_test_support.h"
#include "support/result_assertions.h"

namespace kalvory {
namespace {

using namespace test;

struct Seed {
  int format;
  std::string name;
  ByteVector bytes;
};

std::vector<Seed> Seeds() {
  std::vector<Seed> seeds;

  BmpLayout rgb;
  rgb.width = 3;
  rgb.height = 2;
  rgb.rows = {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {9, 8, 7, 6, 5, 4, 3, 2, 1}};
  seeds.push_back({kImageFormatBmp, "rgb24.bmp", MakeBmp(rgb)});
  BmpLayout palette;
  palette.width = 5;
  palette.height = -2;
  palette.bits = 8;
  palette.palette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}};
  palette.rows = {{0, 1, 2, 1, 0}, {2, 2, 1, 1, 0}};
  seeds.push_back({kImageFormatBmp, "palette8-topdown.bmp", MakeBmp(palette)});
  BmpLayout fields;
  fields.width = 3;
  fields.bits = 16;
  fields.compression = 3;
  fields.masks = {0xF800, 0x07E0, 0x001F};
  fields.rows = {{0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00}};
  seeds.push_back({kImageFormatBmp, "bitfields16.bmp", MakeBmp(fields)});
  BmpLayout core;
  core.headerSize = 12;
  core.fileHeader = false;
  core.width = 4;
  core.bits = 4;
  core.palette.assign(16, {9, 9, 9});
  core.rows = {{0x01, 0x23}};
  seeds.push_back({kImageFormatBmp, "core4-bare.bmp", MakeBmp(core)});

  const std::vector<Rgb> four = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  GifFrame first;
  first.width = 4;
  first.height = 3;
  first.minimumCodeSize = 2;
  first.transparent = 2;
  first.pixels = {0, 1, 2, 3, 3, 2, 1, 0, 0, 0, 0, 0};
  GifFrame second = first;
  second.interlaced = true;
  second.local = {{1, 2, 3}, {4, 5, 6}};
  second.pixels = {1, 1, 0, 0, 0, 1, 1, 0, 1, 0, 1, 0};
  second.transparent = -1;
  seeds.push_back({kImageFormatGif, "two-frames.gif", MakeGif(4, 3, four, {first, second})});

  ByteWriter ico;
  ByteWriter bitmap;
  InfoHeader(bitmap, 2, 4, 4, 0, 16);
  for (int i = 0; i < 16; ++i) bitmap.u8(i * 16).u8(i * 8).u8(i * 4).u8(0);
  bitmap.u32(0x00000012).u32(0x00000021).u32(0).u32(0);  // two colour rows, two mask rows
  ico.u16(0).u16(1).u16(1).u8(2).u8(2).u8(16).u8(0).u16(1).u16(4);
  ico.u32(static_cast<std::uint32_t>(bitmap.bytes.size())).u32(22).append(bitmap.bytes);
  seeds.push_back({kImageFormatIco, "palette4.ico", ico.bytes});
  PngLayout small;
  small.rows = {{10, 20, 30}};
  const ByteVector inner = MakePng(small);
  ByteWriter pngIcon;
  pngIcon.u16(0).u16(1).u16(1).u8(1).u8(1).u8(0).u8(0).u16(1).u16(32);
  pngIcon.u32(static_cast<std::uint32_t>(inner.size())).u32(22).append(inner);
  seeds.push_back({kImageFormatIco, "png.ico", pngIcon.bytes});

  PngLayout png;
  png.width = 3;
  png.height = 2;
  png.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
  png.interlaced = true;
  png.rows = {{1, 2, 3, 255, 4, 5, 6, 0, 7, 8, 9, 128}, {9, 8, 7, 64, 6, 5, 4, 255, 3, 2, 1, 0}};
  seeds.push_back({kImageFormatPng, "rgba-interlaced.png", MakePng(png)});
  PngLayout indexed;
  indexed.width = 5;
  indexed.colourType = PNG_COLOR_TYPE_PALETTE;
  indexed.bitDepth = 4;
  indexed.palette = {{1, 2, 3}, {4, 5, 6}};
  indexed.transparentAlpha = {0};
  indexed.rows = {{0x01, 0x10, 0x00}};
  seeds.push_back({kImageFormatPng, "palette4-trns.png", MakePng(indexed)});
  PngLayout grey;
  grey.width = 2;
  grey.colourType = PNG_COLOR_TYPE_GRAY;
  grey.bitDepth = 16;
  grey.rows = {{0x12, 0x34, 0xFF, 0x00}};
  seeds.push_back({kImageFormatPng, "grey16.png", MakePng(grey)});

  const auto gradient = [](int x, int y, std::uint8_t* p) {
    p[0] = static_cast<std::uint8_t>(x * 16);
    p[1] = static_cast<std::uint8_t>(y * 16);
    p[2] = 128;
  };
  seeds.push_back({kImageFormatJpeg, "rgb.jpg", MakeJpeg(16, 16, 3, JCS_RGB, gradient, 75)});
  seeds.push_back({kImageFormatJpeg, "progressive.jpg", MakeJpeg(16, 16, 3, JCS_RGB, gradient, 75, true)});
  seeds.push_back({kImageFormatJpeg, "grey.jpg",
                   MakeJpeg(
                       8, 8, 1, JCS_GRAYSCALE, [](int x, int, std::uint8_t* p) { *p = x * 30; }, 75)});

  TiffPage tiffRgb;
  tiffRgb.width = 3;
  tiffRgb.height = 2;
  tiffRgb.compression = COMPRESSION_LZW;
  tiffRgb.rows = {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {9, 8, 7, 6, 5, 4, 3, 2, 1}};
  TiffPage tiffPalette;
  tiffPalette.width = 2;
  tiffPalette.height = 2;
  tiffPalette.bitsPerSample = 4;
  tiffPalette.samples = 1;
  tiffPalette.photometric = PHOTOMETRIC_PALETTE;
  tiffPalette.red.assign(16, 0x1000);
  tiffPalette.green.assign(16, 0x2000);
  tiffPalette.blue.assign(16, 0x3000);
  tiffPalette.rows = {{0x12}, {0x21}};
  seeds.push_back({kImageFormatTiff, "two-pages.tif", MakeTiff({tiffRgb, tiffPalette})});
  return seeds;
}

TEST(ImageSeeds, EverySeedDecodesAndIsWrittenWhenAsked) {
  const char* folder = std::getenv("KALVORY_WRITE_FUZZ_SEEDS");
  for (const Seed& seed : Seeds()) {
    CDibImage image;
    EXPECT_TRUE(test::Succeeded(Decode(image, seed.bytes, seed.format))) << seed.name;
    if (folder == nullptr) continue;
    const std::string target = asciiLower(ImageFormatName(seed.format));
    const std::filesystem::path dir = std::filesystem::path(folder) / ("fuzz_image_" + target);
    std::filesystem::create_directories(dir);
    WriteFileBytes(dir / seed.name, seed.bytes);
  }
}

}  // namespace
}  // namespace kalvory
