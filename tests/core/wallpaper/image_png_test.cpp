#include <gtest/gtest.h>
#include <zlib.h>

#include "core/wallpaper/dib_image.h"
#include "image_test_support.h"
#include "support/result_assertions.h"

namespace kalvory {
namespace {

using test::ByteVector;
using test::Colour;
using test::Decode;
using test::MakePng;
using test::PngLayout;

PngLayout Rgb2x2() {
  PngLayout layout;
  layout.width = 2;
  layout.height = 2;
  layout.rows = {{255, 0, 0, 0, 255, 0}, {0, 0, 255, 10, 20, 30}};
  return layout;
}

PngLayout RgbaRow() {
  PngLayout layout;
  layout.width = 3;
  layout.height = 1;
  layout.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
  // Opaque, fully transparent, half transparent white.
  layout.rows = {{10, 20, 30, 255, 200, 200, 200, 0, 255, 255, 255, 128}};
  return layout;
}

TEST(PngReader, ReadsColourPicturesInBitmapOrder) {
  CDibImage image;
  for (bool interlaced : {false, true}) {
    PngLayout layout = Rgb2x2();
    layout.interlaced = interlaced;
    ASSERT_TRUE(test::Succeeded(Decode(image, MakePng(layout), kImageFormatPng)));
    EXPECT_EQ(image.GetBpp(), 24);
    EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "255,0,0");
    EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "0,255,0");
    EXPECT_EQ(Colour(image.GetPixelColor(0, 1)), "0,0,255");
    EXPECT_EQ(Colour(image.GetPixelColor(1, 1)), "10,20,30");
    EXPECT_EQ(image.ScanLine(1)[3], 30);  // blue first in memory
  }

  // 16-bit samples are reduced to 8 bits.
  PngLayout deep;
  deep.bitDepth = 16;
  deep.rows = {{0x12, 0x34, 0xAB, 0xCD, 0xFF, 0xFF}};
  ASSERT_TRUE(test::Succeeded(Decode(image, MakePng(deep), kImageFormatPng)));
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "18,171,255");
}

TEST(PngReader, ShowsTransparentAreasInTheBackgroundColour) {
  CDibImage image;
  for (bool interlaced : {false, true}) {
    PngLayout layout = RgbaRow();
    layout.interlaced = interlaced;
    ASSERT_TRUE(test::Succeeded(Decode(image, MakePng(layout), kImageFormatPng)));
    EXPECT_EQ(image.GetBpp(), 24);
    EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "10,20,30");
    EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "31,127,255");
    // Half of white over the background: (255 × 128 + c × 127) / 255.
    EXPECT_EQ(Colour(image.GetPixelColor(2, 0)), "143,191,255");
  }

  // Grey with alpha, and colour with a transparent colour.
  PngLayout greyAlpha;
  greyAlpha.width = 2;
  greyAlpha.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
  greyAlpha.rows = {{100, 255, 100, 0}};
  ASSERT_TRUE(test::Succeeded(Decode(image, MakePng(greyAlpha), kImageFormatPng)));
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "100,100,100");
  EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "31,127,255");

  PngLayout keyed = Rgb2x2();
  keyed.transparentColour = true;
  keyed.transparent.red = 0;
  keyed.transparent.green = 255;
  keyed.transparent.blue = 0;
  ASSERT_TRUE(test::Succeeded(Decode(image, MakePng(keyed), kImageFormatPng)));
  EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "31,127,255");
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "255,0,0");
}

TEST(PngReader, KeepsPalettesAndBuildsGreyRamps) {
  CDibImage image;
  // 4-bit palette with one transparent entry: the palette is kept, that entry composited.
  PngLayout palette;
  palette.width = 3;
  palette.colourType = PNG_COLOR_TYPE_PALETTE;
  palette.bitDepth = 4;
  palette.palette = {{1, 2, 3}, {200, 0, 0}, {0, 0, 0}};
  palette.transparentAlpha = {255, 255, 0};
  palette.rows = {{0x12, 0x00}};
  ASSERT_TRUE(test::Succeeded(Decode(image, MakePng(palette), kImageFormatPng)));
  EXPECT_EQ(image.GetBpp(), 4);
  EXPECT_EQ(Colour(image.GetPalette()[1]), "200,0,0");
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "200,0,0");
  EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "31,127,255");
  EXPECT_EQ(Colour(image.GetPixelColor(2, 0)), "1,2,3");

  // 2-bit palette pixels become 8-bit indices.
  palette.bitDepth = 2;
  palette.transparentAlpha.clear();
  palette.rows = {{0x24}};  // 0, 2, 1
  ASSERT_TRUE(test::Succeeded(Decode(image, MakePng(palette), kImageFormatPng)));
  EXPECT_EQ(image.GetBpp(), 8);
  EXPECT_EQ(image.ScanLine(0)[1], 2);
  EXPECT_EQ(Colour(image.GetPixelColor(2, 0)), "200,0,0");

  // Grey pictures get a grey palette.
  PngLayout grey;
  grey.width = 2;
  grey.colourType = PNG_COLOR_TYPE_GRAY;
  grey.rows = {{0, 77}};
  ASSERT_TRUE(test::Succeeded(Decode(image, MakePng(grey), kImageFormatPng)));
  EXPECT_EQ(image.GetBpp(), 8);
  EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "77,77,77");
  grey.bitDepth = 1;
  grey.rows = {{0x40}};
  ASSERT_TRUE(test::Succeeded(Decode(image, MakePng(grey), kImageFormatPng)));
  EXPECT_EQ(image.GetBpp(), 1);
  EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "255,255,255");
  grey.bitDepth = 16;
  grey.rows = {{0x80, 0x00, 0x12, 0x34}};
  ASSERT_TRUE(test::Succeeded(Decode(image, MakePng(grey), kImageFormatPng)));
  EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "18,18,18");
}

TEST(PngReader, RefusesDamagedFiles) {
  CDibImage image;
  ByteVector bytes = MakePng(Rgb2x2());
  ByteVector flipped = bytes;
  flipped[bytes.size() - 20] ^= 0x55;  // inside the image data: a CRC or inflate error
  EXPECT_FALSE(Decode(image, flipped, kImageFormatPng).error().empty());

  // A header with a huge size, with a correct checksum.
  ByteVector huge = bytes;
  huge[16] = 0x00;
  huge[17] = 0x01;  // width 65536 + 2
  const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, huge.data() + 12, 17));
  for (int i = 0; i < 4; ++i) huge[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
  EXPECT_FALSE(Decode(image, huge, kImageFormatPng).ok());
  EXPECT_FALSE(image.IsValid());

  test::ExpectEveryTruncationFails(bytes, kImageFormatPng);
  PngLayout interlaced = RgbaRow();
  interlaced.interlaced = true;
  test::ExpectEveryTruncationFails(MakePng(interlaced), kImageFormatPng);
}

}  // namespace
}  // namespace kalvory
