#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "core/wallpaper/dib_image.h"
#include "image_test_support.h"
#include "support/result_assertions.h"

namespace kalvory {
namespace {

using test::ByteVector;
using test::Colour;
using test::Decode;
using test::MakeTiff;
using test::TiffPage;

TiffPage RgbPage(std::uint16_t compression = COMPRESSION_NONE) {
  TiffPage page;
  page.width = 2;
  page.height = 3;
  page.compression = compression;
  page.rowsPerStrip = 1;
  page.rows = {{255, 0, 0, 0, 255, 0}, {0, 0, 255, 10, 20, 30}, {1, 2, 3, 4, 5, 6}};
  return page;
}

TiffPage PalettePage() {
  TiffPage page;
  page.width = 3;
  page.height = 2;
  page.samples = 1;
  page.photometric = PHOTOMETRIC_PALETTE;
  page.red.assign(256, 0);
  page.green.assign(256, 0);
  page.blue.assign(256, 0);
  page.red[1] = 0xC800;  // 200 in the 16-bit colour map
  page.green[2] = 0x6400;
  page.rows = {{0, 1, 2}, {2, 1, 0}};
  return page;
}

// Rewrites the value of a tag of the first directory held in its entry (one value of 4 bytes
// or less, as libtiff writes the width and a single strip offset).
bool PatchTag(ByteVector& bytes, std::uint16_t tag, std::uint32_t value) {
  const std::uint32_t at = bytes[4] | (bytes[5] << 8) | (bytes[6] << 16) | (bytes[7] << 24);
  const int entries = bytes[at] | (bytes[at + 1] << 8);
  for (int i = 0; i < entries; ++i) {
    std::uint8_t* entry = bytes.data() + at + 2 + 12 * i;
    if ((entry[0] | (entry[1] << 8)) != tag) continue;
    entry[2] = TIFF_LONG;  // the type
    entry[3] = 0;
    for (int b = 0; b < 4; ++b) entry[8 + b] = static_cast<std::uint8_t>(value >> (8 * b));
    return true;
  }
  return false;
}

TEST(TiffReader, ReadsColourAndPalettePages) {
  CDibImage image;
  for (std::uint16_t compression : {COMPRESSION_NONE, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE}) {
    ASSERT_TRUE(test::Succeeded(Decode(image, MakeTiff({RgbPage(compression)}), kImageFormatTiff)));
    EXPECT_EQ(image.GetBpp(), 24);
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(image.Height(), 3);
    EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "255,0,0");
    EXPECT_EQ(Colour(image.GetPixelColor(1, 1)), "10,20,30");
    EXPECT_EQ(Colour(image.GetPixelColor(1, 2)), "4,5,6");
  }

  ASSERT_TRUE(test::Succeeded(Decode(image, MakeTiff({PalettePage()}), kImageFormatTiff)));
  EXPECT_EQ(image.GetBpp(), 8);
  EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "200,0,0");
  EXPECT_EQ(Colour(image.GetPixelColor(2, 0)), "0,100,0");
  EXPECT_EQ(Colour(image.GetPixelColor(0, 1)), "0,100,0");

  // Grey pages and alpha through the RGBA path: transparent parts show the background colour.
  TiffPage grey;
  grey.samples = 1;
  grey.photometric = PHOTOMETRIC_MINISBLACK;
  grey.rows = {{90}};
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeTiff({grey}), kImageFormatTiff)));
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "90,90,90");
  TiffPage alpha;
  alpha.width = 2;
  alpha.samples = 4;
  alpha.extraAlpha = EXTRASAMPLE_UNASSALPHA;
  alpha.rows = {{10, 20, 30, 255, 200, 200, 200, 0}};
  ASSERT_TRUE(test::Succeeded(Decode(image, MakeTiff({alpha}), kImageFormatTiff)));
  EXPECT_EQ(Colour(image.GetPixelColor(0, 0)), "10,20,30");
  EXPECT_EQ(Colour(image.GetPixelColor(1, 0)), "31,127,255");
}

TEST(TiffReader, ReadsTheRequestedPage) {
  const ByteVector pages = MakeTiff({RgbPage(), PalettePage()});
  CDibImage image;
  ASSERT_TRUE(test::Succeeded(Decode(image, pages, kImageFormatTiff)));
  EXPECT_EQ(image.GetNumFrames(), 2);
  EXPECT_EQ(image.GetBpp(), 24);
  image.SetFrame(1);
  ASSERT_TRUE(test::Succeeded(Decode(image, pages, kImageFormatTiff)));
  EXPECT_EQ(image.GetBpp(), 8);
  image.SetFrame(2);
  EXPECT_EQ(Decode(image, pages, kImageFormatTiff).error(), "Error: page not present in TIFF file");
  EXPECT_EQ(image.GetBpp(), 8);
}

TEST(TiffReader, RefusesDamagedFilesWithItsMessagesAndPrintsNothing) {
  // Whatever libtiff has to say goes nowhere near stderr.
  std::fflush(stderr);
  const int savedError = ::dup(2);
  std::FILE* captured = std::tmpfile();
  ASSERT_NE(captured, nullptr);
  ::dup2(::fileno(captured), 2);

  CDibImage image;
  EXPECT_EQ(Decode(image, {'I', 'I', 42, 0, 0xFF, 0xFF, 0, 0}, kImageFormatTiff).error(),
            "Error encountered while opening TIFF file");
  EXPECT_EQ(Decode(image, {'G', 'I', 'F', '8'}, kImageFormatTiff).error(), "Error encountered while opening TIFF file");

  // Strip data that lie past the end of the file.
  TiffPage oneStrip = RgbPage();
  oneStrip.rowsPerStrip = 3;
  const ByteVector strips = MakeTiff({oneStrip});
  ByteVector damaged = strips;
  ASSERT_TRUE(PatchTag(damaged, TIFFTAG_STRIPOFFSETS, 0x7FFFFF00));
  EXPECT_EQ(Decode(image, damaged, kImageFormatTiff).error(), "Corrupted TIFF file!");

  // Huge sizes are refused before any raster is allocated.
  ByteVector huge = strips;
  ASSERT_TRUE(PatchTag(huge, TIFFTAG_IMAGEWIDTH, 70000));
  EXPECT_EQ(Decode(image, huge, kImageFormatTiff).error(), "No space for raster buffer");

  test::ExpectEveryTruncationFails(strips, kImageFormatTiff);
  test::ExpectEveryTruncationFails(MakeTiff({PalettePage()}), kImageFormatTiff);

  std::fflush(stderr);
  ::dup2(savedError, 2);
  ::close(savedError);
  std::fseek(captured, 0, SEEK_END);
  EXPECT_EQ(std::ftell(captured), 0) << "libtiff printed to stderr";
  std::fclose(captured);
}

}  // namespace
}  // namespace kalvory
