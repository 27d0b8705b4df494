#include <gtest/gtest.h>

#include "core/wallpaper/dib_image.h"
#include "image_test_support.h"
#include "support/result_assertions.h"

namespace kalvory {
namespace {

using test::BmpLayout;
using test::ByteVector;
using test::Colour;
using test::Decode;
using test::MakeBmp;

BmpLayout TwoByTwo24() {
  BmpLayout layout;
  layout.width = 2;
  layout.height = 2;
  // Bottom row first: blue, green; then the top row: red, white.
  layout.rows = {{255, 0, 0, 0, 255, 0}, {0, 0, 255, 255, 255, 255}};
  return layout;
}

TEST(BmpReader, Reads24BitFilesWithAndWithoutFileHeader) {
  for (bool fileHeader : {true, false}) {
    BmpLayout layout = TwoByTwo24();
    layout.fileHeader = fileHeader;
    CDibImage image;
    ASSERT_TRUE(test::Succeeded(Decode(image, MakeBmp(layout), kImageFormatBmp)));
    EXPECT_EQ(image.GetBpp(), 24);
    EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "255,0,0");
    EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "255,255,255");
    EXPECT_EQ(Colour(image.GetPixelColor(0, 1)), "0,0,255");
    EXPECT_EQ(Colour(image.GetPixelColor(1, 1)), "0,255,0");
  }

  // A negative height stores the top row first.
  BmpLayout topDown = TwoByTwo24();
  topDown.height = -2;
  CDibImage image;
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeBmp(topDown), kImageFormatBmp)));
  EXPECT_EQ(image.Height(), 2);
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "0,0,255");

  // The pixel offset of the file header is honoured.
  BmpLayout gap = TwoByTwo24();
  gap.gapBeforePixels = 6;
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeBmp(gap), kImageFormatBmp)));
  EXPECT_EQ(Colour(image.GetPixelColor(1, 1)), "0,255,0");
}

TEST(BmpReader, ReadsPaletteDepthsAndTheCoreHeader) {
  // 1 bit, 3 pixels: 1, 0, 1.
  BmpLayout mono;
  mono.width = 3;
  mono.bits = 1;
  mono.palette = {{0, 0, 0}, {250, 240, 230}};
  mono.rows = {{0xA0}};
  CDibImage image;
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeBmp(mono), kImageFormatBmp)));
  EXPECT_EQ(image.GetBpp(), 1);
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "250,240,230");
  EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "0,0,0");
  EXPECT_EQ(Colour(image.GetPixelColor(2, 0)), "250,240,230");

  // 4 bits with a core header (3-byte palette entries, 16-bit sizes), no file header.
  BmpLayout core;
  core.headerSize = 12;
  core.fileHeader = false;
  core.width = 3;
  core.height = 1;
  core.bits = 4;
  core.palette.assign(16, {0, 0, 0});
  core.palette[2] = {1, 2, 3};
  core.palette[15] = {9, 8, 7};
  core.rows = {{0x2F, 0x20}};
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeBmp(core), kImageFormatBmp)));
  EXPECT_EQ(image.GetBpp(), 4);
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "1,2,3");
  EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "9,8,7");
  EXPECT_EQ(Colour(image.GetPixelColor(2, 0)), "1,2,3");

  // 8 bits with a short palette: indices beyond it are black, nothing is read past the end.
  BmpLayout eight;
  eight.width = 2;
  eight.bits = 8;
  eight.palette = {{5, 6, 7}, {8, 9, 10}};
  eight.rows = {{1, 200}};
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeBmp(eight), kImageFormatBmp)));
  EXPECT_EQ(image.GetBpp(), 8);
  EXPECT_EQ(image.GetPaletteSize(), 256);
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "8,9,10");
  EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "0,0,0");

  // 2 bits are widened to 8-bit indices.
  BmpLayout two;
  two.width = 4;
  two.bits = 2;
  two.palette = {{0, 0, 0}, {10, 10, 10}, {20, 20, 20}, {30, 30, 30}};
  two.rows = {{0x1B}};  // 0, 1, 2, 3
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeBmp(two), kImageFormatBmp)));
  EXPECT_EQ(image.GetBpp(), 8);
  EXPECT_EQ(Colour(image.GetPixelColor(3, 0)), "30,30,30");
  EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "10,10,10");
}

TEST(BmpReader, Decodes16And32BitPixels) {
  CDibImage image;
  // 16 bits, default 5-5-5: pure red 0x7C00, then white-ish 0x7FFF.
  BmpLayout five;
  five.width = 2;
  five.bits = 16;
  five.rows = {{0x00, 0x7C, 0xFF, 0x7F}};
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeBmp(five), kImageFormatBmp)));
  EXPECT_EQ(image.GetBpp(), 24);
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "255,0,0");
  EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "255,255,255");

  // 16 bits, 5-6-5 bit fields after the header: green 0x07E0 and a middle grey.
  BmpLayout six = five;
  six.compression = 3;
  six.masks = {0xF800, 0x07E0, 0x001F};
  six.rows = {{0xE0, 0x07, 0x10, 0x84}};  // 0x8410: r 16/31, g 32/63, b 16/31
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeBmp(six), kImageFormatBmp)));
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "0,255,0");
  EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "132,130,132");

  // 32 bits without compression: blue, green, red, unused.
  BmpLayout plain;
  plain.width = 1;
  plain.bits = 32;
  plain.rows = {{30, 20, 10, 0}};
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeBmp(plain), kImageFormatBmp)));
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "10,20,30");

  // 32 bits, bit fields inside a version 5 header (red in the low byte here).
  BmpLayout v5;
  v5.width = 1;
  v5.bits = 32;
  v5.compression = 3;
  v5.headerSize = 124;
  v5.rows = {{10, 20, 30, 0}};
  ByteVector bytes = MakeBmp(v5);
  const std::size_t masksAt = 14 + 40;
  const std::uint32_t masks[3] = {0x000000FF, 0x0000FF00, 0x00FF0000};
  for (int i = 0; i < 3; ++i) {
    for (int b = 0; b < 4; ++b) bytes[masksAt + 4 * i + b] = static_cast<std::uint8_t>(masks[i] >> (8 * b));
  }
  ASSERT_TRUE(test::Succeeded(Decode(image, bytes, kImageFormatBmp)));
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "10,20,30");
}

TEST(BmpReader, RefusesCompressionAndDamagedFiles) {
  CDibImage image;
  ASSERT_TRUE(test::Succeeded(image.Create(5, 5, 8)));
  for (std::uint32_t compression : {1u, 2u, 4u}) {
    BmpLayout rle;
    rle.width = 2;
    rle.bits = 8;
    rle.compression = compression;
    rle.palette = {{0, 0, 0}};
    rle.rows = {{0, 0}};
    EXPECT_EQ(Decode(image, MakeBmp(rle), kImageFormatBmp).error(), "RLE decompression not implemented");
  }
  EXPECT_EQ(image.Width(), 5);

  // Bit fields only make sense for 16 and 32 bits.
  BmpLayout fields = TwoByTwo24();
  fields.compression = 3;
  fields.masks = {0xFF0000, 0xFF00, 0xFF};
  EXPECT_FALSE(Decode(image, MakeBmp(fields), kImageFormatBmp).ok());

  BmpLayout depth = TwoByTwo24();
  depth.bits = 7;
  EXPECT_EQ(Decode(image, MakeBmp(depth), kImageFormatBmp).error(), "Unsupported bitmap depth");

  // A header that claims a huge picture is refused before anything is allocated.
  BmpLayout huge = TwoByTwo24();
  huge.width = 100000;
  huge.height = 100000;
  EXPECT_FALSE(Decode(image, MakeBmp(huge), kImageFormatBmp).ok());
  huge.width = 16000;
  huge.height = 16000;
  EXPECT_EQ(Decode(image, MakeBmp(huge), kImageFormatBmp).error(), "The bitmap file is truncated");

  BmpLayout negative = TwoByTwo24();
  negative.width = -2;
  EXPECT_FALSE(Decode(image, MakeBmp(negative), kImageFormatBmp).ok());

  // A colour count far beyond the file.
  BmpLayout colours;
  colours.bits = 8;
  colours.rows = {{0}};
  ByteVector bytes = MakeBmp(colours);
  bytes[14 + 32] = 0xFF;
  bytes[14 + 35] = 0x7F;
  EXPECT_FALSE(Decode(image, bytes, kImageFormatBmp).ok());

  // A pixel offset past the end.
  bytes = MakeBmp(TwoByTwo24());
  bytes[12] = 0x10;
  EXPECT_FALSE(Decode(image, bytes, kImageFormatBmp).ok());
  EXPECT_EQ(image.Width(), 5);

  test::ExpectEveryTruncationFails(MakeBmp(TwoByTwo24()), kImageFormatBmp);
  BmpLayout bare = TwoByTwo24();
  bare.fileHeader = false;
  test::ExpectEveryTruncationFails(MakeBmp(bare), kImageFormatBmp);
  BmpLayout sixteen;
  sixteen.width = 3;
  sixteen.height = 2;
  sixteen.bits = 16;
  sixteen.compression = 3;
  sixteen.masks = {0xF800, 0x07E0, 0x001F};
  sixteen.rows = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}};
  test::ExpectEveryTruncationFails(MakeBmp(sixteen), kImageFormatBmp);
}

}  // namespace
}  // namespace kalvory
