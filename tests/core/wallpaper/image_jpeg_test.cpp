#include <gtest/gtest.h>

#include <cstdlib>

#include "core/wallpaper/dib_image.h"
#include "image_test_support.h"
#include "support/result_assertions.h"

namespace kalvory {
namespace {

using test::ByteVector;
using test::Decode;
using test::MakeJpeg;

// Lossy coding moves flat colours by a step or two.
void ExpectNear(const RgbQuad& c, int red, int green, int blue) {
  EXPECT_NEAR(c.red, red, 3);
  EXPECT_NEAR(c.green, green, 3);
  EXPECT_NEAR(c.blue, blue, 3);
}

// Left half red, right half blue, 16×8.
ByteVector RedBlue(bool progressive = false) {
  return MakeJpeg(
      16, 8, 3, JCS_RGB,
      [](int x, int, std::uint8_t* p) {
        p[0] = x < 8 ? 255 : 0;
        p[1] = 0;
        p[2] = x < 8 ? 0 : 255;
      },
      95, progressive);
}

TEST(JpegReader, ReadsColourInBitmapOrder) {
  for (bool progressive : {false, true}) {
    CDibImage image;
    ASSERT_TRUE(test::Succeeded(Decode(image, RedBlue(progressive), kImageFormatJpeg)));
    EXPECT_EQ(image.GetBpp(), 24);
    EXPECT_EQ(image.Width(), 16);
    EXPECT_EQ(image.Height(), 8);
    ExpectNear(image.GetPixelColor(2, 3), 255, 0, 0);
    ExpectNear(image.GetPixelColor(13, 3), 0, 0, 255);
    EXPECT_GT(image.ScanLine(3)[3 * 13], 250);  // blue first in memory
  }
}

TEST(JpegReader, GivesGreyPicturesAGreyPalette) {
  CDibImage image;
  const ByteVector grey = MakeJpeg(8, 8, 1, JCS_GRAYSCALE, [](int, int, std::uint8_t* p) { *p = 100; });
  ASSERT_TRUE(test::Succeeded(Decode(image, grey, kImageFormatJpeg)));
  EXPECT_EQ(image.GetBpp(), 8);
  ASSERT_EQ(image.GetPaletteSize(), 256);
  for (int i = 0; i < 256; ++i) {
    const RgbQuad e = image.GetPalette()[i];
    ASSERT_TRUE(e.red == i && e.green == i && e.blue == i) << i;
  }
  ExpectNear(image.GetPixelColor(4, 4), 100, 100, 100);
  // Drawn in grey through the palette.
  std::uint32_t pixel = 0;
  PixelSurface surface{&pixel, 1, 1, 1};
  ASSERT_TRUE(image.Draw(surface, 0, 0, 1, 1));
  EXPECT_EQ(pixel & 0xFF, (pixel >> 8) & 0xFF);
  EXPECT_EQ(pixel & 0xFF, (pixel >> 16) & 0xFF);
  EXPECT_NEAR(static_cast<int>(pixel & 0xFF), 100, 3);
}

TEST(JpegReader, ConvertsCmyk) {
  // libjpeg marks CMYK files as Adobe does, with inverted ink (255 is none): cyan is 0, 255, 255, 255.
  const auto cyan = [](bool inverted) {
    return [inverted](int, int, std::uint8_t* p) {
      const std::uint8_t ink[4] = {255, 0, 0, 0};
      for (int i = 0; i < 4; ++i) p[i] = inverted ? 255 - ink[i] : ink[i];
    };
  };
  CDibImage image;
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeJpeg(8, 8, 4, JCS_CMYK, cyan(true)), kImageFormatJpeg)));
  EXPECT_EQ(image.GetBpp(), 24);
  ExpectNear(image.GetPixelColor(3, 3), 0, 255, 255);

  // Without the Adobe marker the values are plain ink amounts.
  ByteVector plain = MakeJpeg(8, 8, 4, JCS_CMYK, cyan(false));
  for (std::size_t i = 2; i + 4 < plain.size(); ++i) {
    if (plain[i] == 0xFF && plain[i + 1] == 0xEE) {
      const std::size_t length = (plain[i + 2] << 8) | plain[i + 3];
      plain.erase(plain.begin() + static_cast<std::ptrdiff_t>(i),
                  plain.begin() + static_cast<std::ptrdiff_t>(i + 2 + length));
      break;
    }
  }
  ASSERT_TRUE(test::Succeeded(Decode(image, plain, kImageFormatJpeg)));
  ExpectNear(image.GetPixelColor(3, 3), 0, 255, 255);
}

TEST(JpegReader, RefusesDamagedFiles) {
  CDibImage image;
  ASSERT_TRUE(test::Succeeded(image.Create(2, 2, 24)));
  EXPECT_FALSE(Decode(image, {}, kImageFormatJpeg).ok());
  const Result<void> bitmap = Decode(image, {0x42, 0x4D, 0, 0}, kImageFormatJpeg);
  EXPECT_NE(bitmap.error().find("Not a JPEG file"), std::string::npos) << bitmap.error();

  // A frame header claiming a huge picture.
  ByteVector huge = RedBlue();
  for (std::size_t i = 0; i + 8 < huge.size(); ++i) {
    if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
      huge[i + 5] = 0xFF;  // height 0xFF08
      huge[i + 7] = 0xFF;  // width 0xFF10
      break;
    }
  }
  EXPECT_EQ(Decode(image, huge, kImageFormatJpeg).error(), "Picture too large");
  EXPECT_EQ(image.Width(), 2);

  test::ExpectEveryTruncationFails(RedBlue(), kImageFormatJpeg);
  test::ExpectEveryTruncationFails(RedBlue(true), kImageFormatJpeg);
}

}  // namespace
}  // namespace kalvory
