// kalvory-cli image-info, run as a program on pictures built by hand or by the image libraries.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "core/wallpaper/image_builders.h"

namespace kalvory {
namespace {

namespace fs = std::filesystem;
using cli_test::CliResult;

class ImageInfoCommand : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const test::ByteVector& bytes) {
    const fs::path path = dir_ / name;
    test::WriteFileBytes(path, bytes);
    return path.string();
  }

  static CliResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), "image-info");
    return cli_test::runCli(args);
  }

  cli_test::TemporaryFolder folder_{"kalvory-image-info"};
  const fs::path dir_ = folder_.path();
};

TEST_F(ImageInfoCommand, PrintsWhatTheReaderMakesOfAPicture) {
  test::BmpLayout bmp;
  bmp.width = 3;
  bmp.height = 2;
  bmp.rows = {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3, 4, 5, 6, 7, 8, 9}};
  CliResult result = Run({Write("picture.bmp", test::MakeBmp(bmp))});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "format: BMP\nwidth: 3\nheight: 2\nbits: 24\nframes: 1\n");

  // The extension picks the reader, in any case.
  const auto grey = test::MakeJpeg(5, 4, 1, JCS_GRAYSCALE, [](int, int, std::uint8_t* p) { *p = 9; });
  result = Run({Write("PHOTO.JPG", grey)});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "format: JPEG\nwidth: 5\nheight: 4\nbits: 8\nframes: 1\n");

  test::GifFrame first, second;
  first.pixels = {0};
  second.width = 2;
  second.pixels = {1, 0};
  const std::string gif = Write("two.gif", test::MakeGif(2, 1, {{0, 0, 0}, {9, 9, 9}}, {first, second}));
  result = Run({gif, "--frame", "1"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "format: GIF\nwidth: 2\nheight: 1\nbits: 8\nframes: 2\n");
}

TEST_F(ImageInfoCommand, ReportsTheReadersErrorWithExitStatus2) {
  test::BmpLayout bmp;
  bmp.rows = {{1, 2, 3}};
  CliResult result = Run({Write("not-a.gif", test::MakeBmp(bmp))});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("not-a.gif: Not a GIF file\n"), std::string::npos) << result.err;

  bmp.bits = 8;
  bmp.compression = 1;
  bmp.palette = {{0, 0, 0}};
  result = Run({Write("rle.bmp", test::MakeBmp(bmp))});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("RLE decompression not implemented"), std::string::npos) << result.err;

  result = Run({Write("picture.webp", {1, 2, 3})});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("unsupported picture extension"), std::string::npos) << result.err;

  result = Run({(dir_ / "missing.png").string()});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;

  result = Run({});
  EXPECT_EQ(result.exitCode, 1);
  result = Run({"a.png", "--frame", "x"});
  EXPECT_EQ(result.exitCode, 1);
}

}  // namespace
}  // namespace kalvory
