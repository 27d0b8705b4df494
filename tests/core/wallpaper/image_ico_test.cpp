#include <gtest/gtest.h>

#include "core/wallpaper/dib_image.h"
#include "image_test_support.h"
#include "support/result_assertions.h"

namespace kalvory {
namespace {

using test::ByteVector;
using test::ByteWriter;
using test::Colour;
using test::Decode;
using test::Rgb;

// One icon picture: information header with the doubled height, palette, colour rows (bottom
// row first, unpadded here) and an all-zero transparency mask.
ByteVector IconBitmap(int width, int height, unsigned bits, const std::vector<Rgb>& palette,
                      const std::vector<ByteVector>& rows) {
  ByteWriter w;
  test::InfoHeader(w, width, 2 * height, bits, 0, static_cast<std::uint32_t>(palette.size()));
  for (const Rgb& c : palette) w.u8(c.b).u8(c.g).u8(c.r).u8(0);
  const std::uint32_t stride = test::RowBytes(static_cast<std::uint32_t>(width), bits);
  for (const ByteVector& row : rows) {
    w.append(row);
    w.zeros(stride - row.size());
  }
  w.zeros(test::RowBytes(static_cast<std::uint32_t>(width), 1) * static_cast<std::uint32_t>(height));
  return w.bytes;
}

ByteVector MakeIco(const std::vector<ByteVector>& pictures, unsigned colourCount = 16) {
  ByteWriter w;
  w.u16(0).u16(1).u16(static_cast<unsigned>(pictures.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * pictures.size());
  for (const ByteVector& picture : pictures) {
    w.u8(2).u8(2).u8(colourCount).u8(0).u16(1).u16(4).u32(static_cast<std::uint32_t>(picture.size())).u32(offset);
    offset += static_cast<std::uint32_t>(picture.size());
  }
  for (const ByteVector& picture : pictures) w.append(picture);
  return w.bytes;
}

std::vector<Rgb> SixteenColours() {
  std::vector<Rgb> palette(16, {0, 0, 0});
  palette[1] = {10, 20, 30};
  palette[15] = {250, 240, 230};
  return palette;
}

TEST(IcoReader, ReadsPaletteAndTrueColourIcons) {
  CDibImage image;
  // 4 bits, 2×2: bottom row 1, 15; top row 15, 1.
  const ByteVector four = IconBitmap(2, 2, 4, SixteenColours(), {{0x1F}, {0xF1}});
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeIco({four}), kImageFormatIco)));
  EXPECT_EQ(image.GetBpp(), 4);
  EXPECT_EQ(image.Width(), 2);
  EXPECT_EQ(image.Height(), 2);
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "250,240,230");
  EXPECT_EQ(Colour(image.GetPixelColor(0, 1)), "10,20,30");

  // 24 bits, with a directory colour count of 0, decoded as colour rows.
  const ByteVector deep = IconBitmap(1, 1, 24, {}, {{30, 20, 10}});
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeIco({deep}, 0), kImageFormatIco)));
  EXPECT_EQ(image.GetBpp(), 24);
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "10,20,30");

  // 32 bits with alpha: transparent pixels show the background colour.
  const ByteVector alpha = IconBitmap(2, 1, 32, {}, {{30, 20, 10, 255, 0, 0, 0, 0}});
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeIco({alpha}, 0), kImageFormatIco)));
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "10,20,30");
  EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "31,127,255");
  // An alpha channel of zeros everywhere is an old icon: shown as it is.
  const ByteVector noAlpha = IconBitmap(1, 1, 32, {}, {{30, 20, 10, 0}});
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeIco({noAlpha}, 0), kImageFormatIco)));
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "10,20,30");

  // The requested entry is used.
  const ByteVector icon = MakeIco({four, deep});
  image.SetFrame(1);
  ASSERT_TRUE(test::Succeeded(Decode(image, icon, kImageFormatIco)));
  EXPECT_EQ(image.GetBpp(), 24);
  EXPECT_EQ(image.GetNumFrames(), 2);
  image.SetFrame(2);
  EXPECT_FALSE(Decode(image, icon, kImageFormatIco).ok());
}

TEST(IcoReader, ReadsPngPictures) {
  test::PngLayout layout;
  layout.width = 1;
  layout.height = 1;
  layout.rows = {{1, 2, 3}};
  CDibImage image;
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeIco({test::MakePng(layout)}), kImageFormatIco)));
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "1,2,3");
}

TEST(IcoReader, RefusesDamagedIcons) {
  CDibImage image;
  ByteVector cursor = MakeIco({IconBitmap(2, 2, 4, SixteenColours(), {{0x1F}, {0xF1}})});
  cursor[2] = 2;  // a cursor file, not an icon
  EXPECT_FALSE(Decode(image, cursor, kImageFormatIco).ok());
  EXPECT_FALSE(Decode(image, MakeIco({}), kImageFormatIco).ok());

  // An entry whose data lie outside the file.
  ByteVector outside = MakeIco({IconBitmap(1, 1, 24, {}, {{1, 2, 3}})});
  outside[6 + 12 + 2] = 0x40;
  EXPECT_FALSE(Decode(image, outside, kImageFormatIco).ok());

  // A picture header claiming more rows than the entry holds.
  ByteVector tall = MakeIco({IconBitmap(1, 1, 24, {}, {{1, 2, 3}})});
  tall[6 + 16 + 8] = 200;
  EXPECT_FALSE(Decode(image, tall, kImageFormatIco).ok());

  test::ExpectEveryTruncationFails(MakeIco({IconBitmap(2, 2, 4, SixteenColours(), {{0x1F}, {0xF1}})}), kImageFormatIco);
  test::ExpectEveryTruncationFails(MakeIco({IconBitmap(2, 1, 32, {}, {{30, 20, 10, 255, 0, 0, 0, 0}})}, 0),
                                   kImageFormatIco);
}

}  // namespace
}  // namespace kalvory
