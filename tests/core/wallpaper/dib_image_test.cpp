#include "core/wallpaper/dib_image.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "image_test_support.h"
#include "support/result_assertions.h"

namespace kalvory {
namespace {

using test::ByteVector;

std::uint32_t HeaderField(const CDibImage& image, std::size_t offset) {
  const auto block = image.GetBlock();
  return block[offset] | (block[offset + 1] << 8) | (block[offset + 2] << 16) | (block[offset + 3] << 24);
}

TEST(ImageFormat, ComesFromTheLowerCasedExtension) {
  EXPECT_EQ(ImageFormatFromPath("/p/a.bmp"), kImageFormatBmp);
  EXPECT_EQ(ImageFormatFromPath("/p/PHOTO.JPG"), kImageFormatJpeg);
  EXPECT_EQ(ImageFormatFromPath("x.jpeg"), kImageFormatJpeg);
  EXPECT_EQ(ImageFormatFromPath("x.Gif"), kImageFormatGif);
  EXPECT_EQ(ImageFormatFromPath("x.png"), kImageFormatPng);
  EXPECT_EQ(ImageFormatFromPath("x.ico"), kImageFormatIco);
  EXPECT_EQ(ImageFormatFromPath("x.tif"), kImageFormatTiff);
  EXPECT_EQ(ImageFormatFromPath("x.TIFF"), kImageFormatTiff);
  EXPECT_EQ(ImageFormatFromPath("x.webp"), -1);
  EXPECT_EQ(ImageFormatFromPath("noextension"), -1);
  EXPECT_EQ(ImageFormatFromPath("/dir.png/file"), -1);
  EXPECT_EQ(ImageFormatName(kImageFormatTiff), "TIFF");
}

TEST(DibImageCreate, NormalisesDepthAndLaysOutTheBlock) {
  struct Case {
    int asked, depth, palette;
  };
  for (const Case c : {Case{0, 1, 2}, Case{1, 1, 2}, Case{2, 4, 16}, Case{4, 4, 16}, Case{5, 8, 256}, Case{8, 8, 256},
                       Case{15, 24, 0}, Case{16, 24, 0}, Case{24, 24, 0}, Case{32, 24, 0}}) {
    CDibImage image;
    ASSERT_TRUE(test::Succeeded(image.Create(1, 1, c.asked))) << c.asked;
    EXPECT_EQ(image.GetBpp(), c.depth) << c.asked;
    EXPECT_EQ(image.GetPaletteSize(), c.palette) << c.asked;
    // A 1×1 picture has rows of 4 bytes at every depth.
    EXPECT_EQ(image.GetStride(), 4u) << c.asked;
    EXPECT_EQ(image.GetBlock().size(), 40u + 4u * c.palette + 4u) << c.asked;
    EXPECT_EQ(HeaderField(image, 0), 40u);
    EXPECT_EQ(HeaderField(image, 4), 1u);
    EXPECT_EQ(HeaderField(image, 8), 1u);
    EXPECT_EQ(HeaderField(image, 12) & 0xFFFF, 1u);  // planes
    EXPECT_EQ(HeaderField(image, 12) >> 16, static_cast<std::uint32_t>(c.depth));
    EXPECT_EQ(HeaderField(image, 16), 0u);  // no compression
    EXPECT_EQ(HeaderField(image, 20), 4u);  // image size
  }

  CDibImage image;
  ASSERT_TRUE(test::Succeeded(image.Create(33, 3, 1)));
  EXPECT_EQ(image.GetStride(), 8u);
  ASSERT_TRUE(test::Succeeded(image.Create(7, 3, 24)));  // the previous block is replaced
  EXPECT_EQ(image.GetStride(), 24u);
  EXPECT_EQ(image.GetImageSize(), 72u);
  EXPECT_EQ(image.Width(), 7);

  EXPECT_FALSE(image.Create(0, 5, 24).ok());
  EXPECT_FALSE(image.Create(5, -1, 24).ok());
  EXPECT_EQ(image.Create(16385, 1, 24).error(), "Picture too large");
  EXPECT_EQ(image.Width(), 7);  // a refused size keeps the old picture
  ImageLimits small;
  small.maxBlockBytes = 1000;
  image.SetLimits(small);
  EXPECT_FALSE(image.Create(20, 20, 24).ok());
  EXPECT_FALSE(image.Create(10, 10, 8).ok());  // 40 + 1024 + 120 bytes
  EXPECT_TRUE(test::Succeeded(image.Create(10, 10, 4)));
}

TEST(DibImageDraw, StretchesByDroppingAndRepeatingPixels) {
  // A 4×2 picture: top row red, green, blue, white; bottom row in the same colours reversed.
  CDibImage source;
  ASSERT_TRUE(test::Succeeded(source.Create(4, 2, 24)));
  const std::uint32_t colours[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  for (int x = 0; x < 4; ++x) {
    for (int y = 0; y < 2; ++y) {
      const std::uint32_t c = colours[y == 0 ? x : 3 - x];
      std::uint8_t* p = source.ScanLine(y) + 3 * x;
      p[0] = c & 0xFF;
      p[1] = (c >> 8) & 0xFF;
      p[2] = c >> 16;
    }
  }
  std::vector<std::uint32_t> pixels(8 * 4, 0xFF123456);
  PixelSurface surface{pixels.data(), 8, 4, 8};
  ASSERT_TRUE(source.Draw(surface, 0, 0, 8, 4));
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(pixels[y * 8 + x], 0xFF000000u | colours[y < 2 ? x / 2 : 3 - x / 2]) << x << "," << y;
    }
  }

  // Halving keeps every other column, untouched by the colours dropped.
  std::fill(pixels.begin(), pixels.end(), 0xFF123456);
  ASSERT_TRUE(source.Draw(surface, 1, 1, 2, 1));
  EXPECT_EQ(pixels[8 + 1], 0xFFFF0000u);
  EXPECT_EQ(pixels[8 + 2], 0xFF0000FFu);
  EXPECT_EQ(pixels[8 + 3], 0xFF123456u);
  EXPECT_EQ(pixels[0], 0xFF123456u);

  // Parts outside the target are clipped; the visible part keeps its place in the stretch.
  std::fill(pixels.begin(), pixels.end(), 0xFF123456);
  ASSERT_TRUE(source.Draw(surface, -4, -2, 8, 4));
  EXPECT_EQ(pixels[0], 0xFF00FF00u);  // source column 2 of the bottom row
  EXPECT_EQ(pixels[1], 0xFF00FF00u);
  EXPECT_EQ(pixels[3], 0xFFFF0000u);
  EXPECT_EQ(pixels[4], 0xFF123456u);
  EXPECT_EQ(pixels[8 + 3], 0xFFFF0000u);
  EXPECT_EQ(pixels[16], 0xFF123456u);
  ASSERT_TRUE(source.Draw(surface, 100, 100, 8, 4));
  ASSERT_TRUE(source.Draw(surface, 0, 0, 0, 4));

  // Onto another bitmap, which must be a 24-bit one.
  CDibImage canvas;
  ASSERT_TRUE(test::Succeeded(canvas.Create(3, 3, 24)));
  ASSERT_TRUE(source.Draw(canvas, 1, 1, 2, 2));
  EXPECT_EQ(test::Colour(canvas.GetPixelColor(1, 1)), "255,0,0");
  EXPECT_EQ(test::Colour(canvas.GetPixelColor(2, 1)), "0,0,255");
  EXPECT_EQ(test::Colour(canvas.GetPixelColor(1, 2)), "255,255,255");
  EXPECT_EQ(test::Colour(canvas.GetPixelColor(0, 0)), "0,0,0");
  CDibImage palette;
  ASSERT_TRUE(test::Succeeded(palette.Create(3, 3, 8)));
  EXPECT_FALSE(source.Draw(palette, 0, 0, 3, 3));
  EXPECT_FALSE(CDibImage().Draw(canvas, 0, 0, 3, 3));
  EXPECT_FALSE(CDibImage().Draw(surface, 0, 0, 3, 3));
}

TEST(DibImageDraw, LooksUpPaletteColoursAtEveryDepth) {
  for (int bits : {1, 4, 8}) {
    CDibImage image;
    ASSERT_TRUE(test::Succeeded(image.Create(9, 1, bits)));
    image.SetPaletteColor(1, {10, 20, 30, 0});
    // Pixel 8 gets index 1: bit 0 of byte 1, the low nibble of byte 4, or byte 8.
    if (bits == 1) image.ScanLine(0)[1] = 0x80;
    if (bits == 4) image.ScanLine(0)[4] = 0x10;
    if (bits == 8) image.ScanLine(0)[8] = 1;
    EXPECT_EQ(test::Colour(image.GetPixelColor(8, 0)), "30,20,10") << bits;
    EXPECT_EQ(test::Colour(image.GetPixelColor(7, 0)), "0,0,0") << bits;
    std::vector<std::uint32_t> pixels(9);
    PixelSurface surface{pixels.data(), 9, 1, 9};
    ASSERT_TRUE(image.Draw(surface, 0, 0, 9, 1));
    EXPECT_EQ(pixels[8], 0xFF1E140Au) << bits;
    EXPECT_EQ(pixels[7], 0xFF000000u) << bits;
  }
}

TEST(DibImageDraw, TrueColourOntoABitmapMatchesTheSurfaceStretch) {
  // Photos drawn onto the canvas take a direct byte path; it must place exactly the pixels the
  // surface stretch places, whether shrinking, enlarging or clipped.
  CDibImage source;
  ASSERT_TRUE(test::Succeeded(source.Create(13, 7, 24)));
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 13; ++x) {
      std::uint8_t* p = source.ScanLine(y) + 3 * x;
      p[0] = static_cast<std::uint8_t>(x * 19);
      p[1] = static_cast<std::uint8_t>(y * 37);
      p[2] = static_cast<std::uint8_t>(x * y + 5);
    }
  }
  struct Rect {
    int x, y, width, height;
  };
  const Rect rects[] = {{0, 0, 20, 11}, {3, 2, 5, 3},    {-7, -4, 30, 17}, {15, 8, 9, 9},
                        {2, 1, 13, 7},  {-30, 0, 40, 2}, {19, 10, 4, 4},   {0, 0, 1, 1}};
  for (const Rect& r : rects) {
    CDibImage canvas;
    ASSERT_TRUE(test::Succeeded(canvas.Create(20, 11, 24)));
    std::vector<std::uint32_t> pixels(20 * 11, 0xFF000000u);
    PixelSurface surface{pixels.data(), 20, 11, 20};
    ASSERT_TRUE(source.Draw(canvas, r.x, r.y, r.width, r.height));
    ASSERT_TRUE(source.Draw(surface, r.x, r.y, r.width, r.height));
    for (int y = 0; y < 11; ++y) {
      for (int x = 0; x < 20; ++x) {
        const RgbQuad c = canvas.GetPixelColor(x, y);
        const std::uint32_t drawn = 0xFF000000u | (std::uint32_t{c.red} << 16) | (std::uint32_t{c.green} << 8) | c.blue;
        ASSERT_EQ(drawn, pixels[static_cast<std::size_t>(y * 20 + x)])
            << "rect " << r.x << "," << r.y << " " << r.width << "x" << r.height << " at " << x << "," << y;
      }
    }
  }
}

TEST(DibImageCreate, LargePicturesStartBlackAndCopyWhole) {
  // Photo-sized blocks come from their own memory; they must behave like any other block.
  CDibImage large;
  ASSERT_TRUE(test::Succeeded(large.Create(1500, 1200, 24)));
  ASSERT_GT(large.GetBlock().size(), std::size_t{4} << 20);
  EXPECT_EQ(test::Colour(large.GetPixelColor(0, 0)), "0,0,0");
  EXPECT_EQ(test::Colour(large.GetPixelColor(1499, 1199)), "0,0,0");
  EXPECT_EQ(test::Colour(large.GetPixelColor(750, 600)), "0,0,0");
  std::uint8_t* last = large.ScanLine(1199) + 3 * 1499;
  last[0] = 1;
  last[1] = 2;
  last[2] = 3;
  CDibImage copy = large;
  EXPECT_EQ(test::Colour(copy.GetPixelColor(1499, 1199)), "3,2,1");
  CDibImage moved = std::move(copy);
  EXPECT_EQ(test::Colour(moved.GetPixelColor(1499, 1199)), "3,2,1");
  ASSERT_TRUE(test::Succeeded(large.Create(1500, 1200, 8)));  // a new block replaces the old one
  EXPECT_EQ(large.GetPixelColor(1499, 1199), RgbQuad{});
  large.Destroy();
  EXPECT_FALSE(large.IsValid());
  std::vector<std::uint8_t> file;
  ASSERT_TRUE(test::Succeeded(moved.SaveToMemory(file, kImageFormatBmp)));
  CDibImage reread;
  ASSERT_TRUE(test::Succeeded(reread.LoadFromMemory(file, kImageFormatBmp)));
  EXPECT_EQ(test::Colour(reread.GetPixelColor(1499, 1199)), "3,2,1");
}

TEST(DibImageFromBitmap, CapturesASurfaceAsA24BitPicture) {
  std::vector<std::uint32_t> pixels = {0xFF102030, 0xFF405060, 0, 0xFFA0B0C0, 0xFFD0E0F0, 0};
  CDibImage image;
  ASSERT_TRUE(test::Succeeded(image.FromBitmap(PixelSurface{pixels.data(), 2, 2, 3})));
  EXPECT_EQ(image.GetBpp(), 24);
  EXPECT_EQ(test::Colour(image.GetPixelColor(1, 0)), "64,80,96");
  EXPECT_EQ(test::Colour(image.GetPixelColor(0, 1)), "160,176,192");

  EXPECT_EQ(image.FromBitmap(PixelSurface{}).error(), "GetDIBits failed");
  EXPECT_FALSE(image.FromBitmap(PixelSurface{pixels.data(), 3, 2, 2}).ok());
  EXPECT_EQ(image.Width(), 2);
}

TEST(DibImageSave, WritesTheBitmapFileLayoutAndReadsItBack) {
  CDibImage image;
  ASSERT_TRUE(test::Succeeded(image.Create(1, 1, 24)));
  image.ScanLine(0)[0] = 0x11;
  image.ScanLine(0)[1] = 0x22;
  image.ScanLine(0)[2] = 0x33;
  ByteVector bytes;
  ASSERT_TRUE(test::Succeeded(image.SaveToMemory(bytes, kImageFormatBmp)));
  ASSERT_EQ(bytes.size(), 58u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(bytes[2], 58);   // the file size
  EXPECT_EQ(bytes[10], 54);  // the pixel offset: 14 + 40
  EXPECT_EQ(bytes[14], 40);  // the header follows unchanged
  EXPECT_EQ(bytes[54], 0x11);
  EXPECT_EQ(bytes[57], 0);  // row padding

  CDibImage palette;
  ASSERT_TRUE(test::Succeeded(palette.Create(3, 2, 4)));
  palette.SetPaletteColor(3, {1, 2, 3, 0});
  palette.ScanLine(1)[0] = 0x30;
  ASSERT_TRUE(test::Succeeded(palette.SaveToMemory(bytes, kImageFormatBmp)));
  EXPECT_EQ(bytes[10], 14 + 40 + 64);
  CDibImage back;
  ASSERT_TRUE(test::Succeeded(test::Decode(back, bytes, kImageFormatBmp)));
  EXPECT_EQ(back.GetBpp(), 4);
  EXPECT_EQ(test::Colour(back.GetPixelColor(0, 1)), "3,2,1");
  EXPECT_TRUE(std::equal(back.GetBlock().begin() + 40, back.GetBlock().end(), palette.GetBlock().begin() + 40));

  EXPECT_EQ(image.SaveToMemory(bytes, kImageFormatPng).error(), "Unsupported operation for this format");
  EXPECT_EQ(CDibImage().SaveToMemory(bytes, kImageFormatBmp).error(), "No picture to save");

  const auto path = test::TemporaryPath("save.bmp");
  test::WriteFileBytes(path, {1, 2, 3});  // an earlier file is replaced
  ASSERT_TRUE(test::Succeeded(image.Save(path.string(), kImageFormatBmp)));
  ASSERT_TRUE(test::Succeeded(image.SaveToMemory(bytes, kImageFormatBmp)));
  EXPECT_EQ(test::ReadFileBytes(path), bytes);  // the file and memory writers share one layout
  EXPECT_FALSE(image.Save(path.string(), kImageFormatJpeg).ok());
  EXPECT_FALSE(image.Save("/nonexistent-folder/x.bmp", kImageFormatBmp).ok());
  std::filesystem::remove(path);
}

TEST(DibImageLoad, ReadsFilesAndKeepsThePictureOnFailure) {
  test::BmpLayout layout;
  layout.width = 2;
  layout.rows = {{1, 2, 3, 4, 5, 6}};
  const auto path = test::TemporaryPath("load.bmp");
  test::WriteFileBytes(path, test::MakeBmp(layout));

  CDibImage image;
  ASSERT_TRUE(test::Succeeded(image.Load(path.string(), kImageFormatBmp)));
  EXPECT_EQ(image.GetFileName(), path.string());
  EXPECT_EQ(image.Width(), 2);
  EXPECT_EQ(image.GetNumFrames(), 1);

  // A missing file, an unknown format and a picture that does not decode all leave the
  // picture as it was.
  EXPECT_FALSE(image.Load("/nonexistent/picture.bmp", kImageFormatBmp).error().empty());
  EXPECT_EQ(image.Load("/nonexistent/picture.tif", kImageFormatTiff).error(),
            "Error encountered while opening TIFF file");
  EXPECT_EQ(image.Load(path.string(), 9).error(), "Unsupported operation for this format");
  EXPECT_FALSE(image.Load(path.string(), kImageFormatGif).ok());
  EXPECT_EQ(image.Width(), 2);
  EXPECT_EQ(test::Colour(image.GetPixelColor(1, 0)), "6,5,4");

  // Names longer than 254 characters are not kept.
  const std::string longName = "/tmp/" + std::string(260, 'x') + ".bmp";
  EXPECT_FALSE(image.Load(longName, kImageFormatBmp).ok());
  EXPECT_EQ(image.GetFileName(), "");

  // Files larger than the limit are refused before they are read.
  ImageLimits limits;
  limits.maxFileBytes = 10;
  image.SetLimits(limits);
  EXPECT_EQ(image.Load(path.string(), kImageFormatBmp).error(), "The file is too large");
  std::filesystem::remove(path);

  // Error texts are kept to 255 bytes, and a character is never cut in two.
  EXPECT_EQ(pictureFailure(std::string(400, 'e')).message.size(), 255u);
  std::string accented(200, 'x');
  for (int i = 0; i < 30; ++i) accented += "\u00e9";  // two bytes each; byte 255 is inside one
  EXPECT_EQ(pictureFailure(accented).message.size(), 254u);
}

}  // namespace
}  // namespace kalvory
