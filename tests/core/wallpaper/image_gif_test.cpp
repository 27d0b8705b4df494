#include <gtest/gtest.h>

#include "core/wallpaper/dib_image.h"
#include "image_test_support.h"
#include "support/result_assertions.h"

namespace kalvory {
namespace {

using test::ByteVector;
using test::Colour;
using test::Decode;
using test::GifFrame;
using test::MakeGif;
using test::Rgb;

const std::vector<Rgb> kFourColours = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};

GifFrame Frame(int width, int height, ByteVector pixels) {
  GifFrame frame;
  frame.width = width;
  frame.height = height;
  frame.pixels = std::move(pixels);
  frame.minimumCodeSize = 2;
  return frame;
}

TEST(GifReader, DecodesAHandEncodedPicture) {
  // Pixels 0 0 0 0 1 with 2-bit codes: clear (4), 0, 6 (defined by this very code), 0, then
  // at 4 bits 1 and the end code 5, packed from the lowest bit: 84 11 05.
  GifFrame frame = Frame(5, 1, {});
  frame.lzw = {0x84, 0x11, 0x05};
  CDibImage image;
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeGif(5, 1, {{0, 0, 0}, {200, 100, 50}}, {frame}), kImageFormatGif)));
  EXPECT_EQ(image.GetBpp(), 8);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(image.ScanLine(0)[x], 0) << x;
  EXPECT_EQ(image.ScanLine(0)[4], 1);
  EXPECT_EQ(Colour(image.GetPixelColor(4, 0)), "200,100,50");
  // Entries above the colour table are white.
  EXPECT_EQ(Colour(image.GetPalette()[2]), "255,255,255");
  EXPECT_EQ(Colour(image.GetPalette()[255]), "255,255,255");
  EXPECT_EQ(image.GetTransIndex(), -1);
  EXPECT_EQ(image.GetNumFrames(), 1);
}

TEST(GifReader, DecodesLongDataThroughEveryCodeWidth) {
  // Enough varied data to fill the table: with clear codes, and with the table left full.
  ByteVector pixels(300 * 200);
  std::uint32_t seed = 12345;
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    seed = seed * 1103515245 + 12345;
    pixels[i] = static_cast<std::uint8_t>(((seed >> 16) % 7 == 0) ? (seed >> 8) : (i / 50));
  }
  std::vector<Rgb> table(256);
  for (int i = 0; i < 256; ++i) table[i] = {static_cast<std::uint8_t>(i), 0, 0};
  for (bool clearWhenFull : {true, false}) {
    GifFrame frame = Frame(300, 200, pixels);
    frame.minimumCodeSize = 8;
    frame.lzw = test::LzwEncode(pixels, 8, clearWhenFull);
    CDibImage image;
    ASSERT_TRUE(test::Succeeded(Decode(image, MakeGif(300, 200, table, {frame}), kImageFormatGif)));
    bool same = true;
    for (int y = 0; y < 200 && same; ++y) {
      same = std::equal(pixels.begin() + y * 300, pixels.begin() + (y + 1) * 300, image.ScanLine(y));
    }
    EXPECT_TRUE(same) << clearWhenFull;
  }
}

TEST(GifReader, PlacesInterlacedRows) {
  // Ten rows, each filled with its own row number, stored in interlaced order.
  const int order[10] = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
  ByteVector pixels;
  for (int row : order) pixels.insert(pixels.end(), 3, static_cast<std::uint8_t>(row));
  GifFrame frame = Frame(3, 10, pixels);
  frame.interlaced = true;
  frame.minimumCodeSize = 4;
  std::vector<Rgb> table(16, {0, 0, 0});
  CDibImage image;
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeGif(3, 10, table, {frame}), kImageFormatGif)));
  for (int y = 0; y < 10; ++y) EXPECT_EQ(image.ScanLine(y)[2], y) << y;
}

TEST(GifReader, HandlesTransparencyLocalTablesAndFrames) {
  GifFrame first = Frame(2, 1, {0, 1});
  first.transparent = 1;
  GifFrame second = Frame(3, 2, {2, 2, 2, 3, 3, 3});
  second.local = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}};
  GifFrame third = Frame(1, 1, {0});
  const ByteVector gif = MakeGif(4, 4, kFourColours, {first, second, third});

  CDibImage image;
  ASSERT_TRUE(test::Succeeded(Decode(image, gif, kImageFormatGif)));
  EXPECT_EQ(image.Width(), 2);
  EXPECT_EQ(image.GetNumFrames(), 3);
  EXPECT_EQ(image.GetTransIndex(), 1);
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "255,0,0");
  EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "0,0,0");  // the transparent entry is black

  image.SetFrame(1);
  ASSERT_TRUE(test::Succeeded(Decode(image, gif, kImageFormatGif)));
  EXPECT_EQ(image.Width(), 3);
  EXPECT_EQ(image.Height(), 2);
  EXPECT_EQ(image.GetTransIndex(), -1);  // the control extension belonged to the first image
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "3,3,3");
  EXPECT_EQ(Colour(image.GetPixelColor(2, 1)), "4,4,4");

  image.SetFrame(3);
  EXPECT_FALSE(Decode(image, gif, kImageFormatGif).ok());
  EXPECT_EQ(image.Width(), 3);
}

TEST(GifReader, FullTableWithoutWhiteGivesEntry255ToWhiteWhenTransparent) {
  // 256 dark entries, the last one its own colour; pixels use entries 0 (transparent), 1 and 255.
  std::vector<Rgb> dark(256, {7, 7, 7});
  dark[255] = {9, 8, 7};
  GifFrame frame = Frame(3, 1, {0, 1, 255});
  frame.minimumCodeSize = 8;
  frame.transparent = 0;
  CDibImage image;
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeGif(3, 1, dark, {frame}), kImageFormatGif)));
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "0,0,0");
  EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "7,7,7");
  EXPECT_EQ(Colour(image.GetPixelColor(2, 0)), "255,255,255");

  // Without a transparent index, or with a white entry elsewhere in the table, entry 255 keeps
  // its own colour.
  frame.transparent = -1;
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeGif(3, 1, dark, {frame}), kImageFormatGif)));
  EXPECT_EQ(Colour(image.GetPixelColor(2, 0)), "9,8,7");
  frame.transparent = 0;
  dark[1] = {255, 255, 255};
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeGif(3, 1, dark, {frame}), kImageFormatGif)));
  EXPECT_EQ(Colour(image.GetPixelColor(2, 0)), "9,8,7");
}

TEST(GifReader, RefusesFilesThatAreNotGifOrAreDamaged) {
  CDibImage image;
  ASSERT_TRUE(test::Succeeded(image.Create(4, 4, 24)));

  // A file named .gif holding a bitmap.
  test::BmpLayout bmp;
  bmp.rows = {{1, 2, 3}};
  EXPECT_EQ(Decode(image, test::MakeBmp(bmp), kImageFormatGif).error(), "Not a GIF file");

  // A code beyond the next free one.
  GifFrame bad = Frame(4, 1, {});
  bad.lzw = {0xC4, 0x01};  // clear (4), 0, then 7 while only 6 may come next
  EXPECT_EQ(Decode(image, MakeGif(4, 1, kFourColours, {bad}), kImageFormatGif).error(),
            "Invalid LZW code in the GIF file");
  bad.lzw = {0x3C, 0x00};  // clear, then 7 where only a colour may start the data
  EXPECT_FALSE(Decode(image, MakeGif(4, 1, kFourColours, {bad}), kImageFormatGif).ok());

  // Fewer pixels than the picture has.
  GifFrame shortData = Frame(4, 2, {});
  shortData.lzw = test::LzwEncode({1, 2, 3}, 2);
  EXPECT_FALSE(Decode(image, MakeGif(4, 2, kFourColours, {shortData}), kImageFormatGif).ok());

  // A code size the format does not allow.
  GifFrame wide = Frame(1, 1, {0});
  wide.minimumCodeSize = 12;
  wide.lzw = {0xFF, 0xFF, 0xFF};
  EXPECT_FALSE(Decode(image, MakeGif(1, 1, kFourColours, {wide}), kImageFormatGif).ok());

  // A huge descriptor is refused before the pixels are decoded.
  GifFrame huge = Frame(60000, 60000, {0});
  EXPECT_EQ(Decode(image, MakeGif(1, 1, kFourColours, {huge}), kImageFormatGif).error(), "Picture too large");

  // A stray byte between blocks is passed over.
  ByteVector stray = MakeGif(1, 1, kFourColours, {Frame(1, 1, {2})});
  stray.insert(stray.begin() + 13 + 12, 0x00);  // after the screen and its table
  ASSERT_TRUE(test::Succeeded(Decode(image, stray, kImageFormatGif)));
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "0,0,255");

  // A file with no image at all.
  EXPECT_EQ(Decode(image, MakeGif(1, 1, kFourColours, {}), kImageFormatGif).error(), "The GIF file holds no image");
  EXPECT_EQ(image.Width(), 1);

  GifFrame one = Frame(3, 2, {0, 1, 2, 3, 2, 1});
  one.transparent = 3;
  GifFrame two = Frame(2, 2, {1, 1, 1, 1});
  two.local = kFourColours;
  test::ExpectEveryTruncationFails(MakeGif(3, 2, kFourColours, {one, two}), kImageFormatGif);
}

}  // namespace
}  // namespace kalvory
