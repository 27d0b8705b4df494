// kalvory-cli compose and set-wallpaper, run as a program on pictures made for the test.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "core/wallpaper/dib_image.h"
#include "support/result_assertions.h"

namespace kalvory {
namespace {

namespace fs = std::filesystem;
using cli_test::CliResult;
using cli_test::Environment;
using cli_test::readFile;
using cli_test::writeFile;

struct Rgb {
  int r, g, b;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

Rgb PixelOf(const CDibImage& image, int x, int y) {
  const RgbQuad q = image.GetPixelColor(x, y);
  return {q.red, q.green, q.blue};
}

class WallpaperCommandsTest : public ::testing::Test {
 protected:
  // A 24-bit picture of one colour.
  std::string Picture(const std::string& name, int width, int height, Rgb colour) {
    CDibImage image;
    EXPECT_TRUE(test::Succeeded(image.Create(width, height, 24)));
    for (int y = 0; y < height; ++y) {
      std::uint8_t* row = image.ScanLine(y);
      for (int x = 0; x < width; ++x) {
        row[3 * x] = static_cast<std::uint8_t>(colour.b);
        row[3 * x + 1] = static_cast<std::uint8_t>(colour.g);
        row[3 * x + 2] = static_cast<std::uint8_t>(colour.r);
      }
    }
    const std::string path = (dir_ / name).string();
    EXPECT_TRUE(test::Succeeded(image.Save(path, kImageFormatBmp)));
    return path;
  }

  CliResult Run(const std::vector<std::string>& args, Environment environment = {}) const {
    environment.insert(environment.begin(), {{"HOME", dir_.string()},
                                             {"KALVORY_HOME", (dir_ / "data").string()},
                                             {"XDG_RUNTIME_DIR", dir_.string()},
                                             {"ASAN_OPTIONS", "detect_leaks=0"}});
    return cli_test::runCli(args, environment);
  }

  cli_test::TemporaryFolder folder_{"kalvory-wallpaper-cli"};
  const fs::path dir_ = folder_.path();
};

TEST_F(WallpaperCommandsTest, ComposeWritesTheScreenSizedBitmap) {
  // 4:3 on 16:10 with the background (10, 20, 30): bands beside it, frame lines along it.
  const std::string picture = Picture("photo.BMP", 400, 300, {255, 0, 0});
  const std::string out = (dir_ / "wall.bmp").string();
  const CliResult run =
      Run({"compose", "--picture", picture, "--screen", "320x200", "--background", "0A141E", "--out", out});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, out + ": 320x200, 0 stickers\n");
  CDibImage composed;
  ASSERT_TRUE(test::Succeeded(composed.Load(out, kImageFormatBmp)));
  EXPECT_EQ(composed.Width(), 320);
  EXPECT_EQ(composed.Height(), 200);
  EXPECT_EQ(composed.GetBpp(), 24);
  EXPECT_EQ(PixelOf(composed, 25, 100), (Rgb{20, 40, 60}));
  EXPECT_EQ(PixelOf(composed, 27, 100), (Rgb{255, 0, 0}));
  EXPECT_EQ(PixelOf(composed, 0, 100), (Rgb{82, 83, 84}));
  // Nothing is left in the data folder: the tool writes only --out.
  EXPECT_FALSE(fs::exists(dir_ / "data" / "KalvoryCurWP.bmp"));

  // Centred with the built-in pattern when the pattern file is missing.
  const CliResult patterned =
      Run({"compose", "--picture", Picture("small.bmp", 10, 10, {0, 0, 255}), "--screen", "64x48", "--style", "0",
           "--background", "#102030", "--pattern", (dir_ / "none.bmp").string(), "--out", out});
  ASSERT_EQ(patterned.exitCode, 0) << patterned.err;
  ASSERT_TRUE(test::Succeeded(composed.Load(out, kImageFormatBmp)));
  EXPECT_EQ(PixelOf(composed, 27, 19), (Rgb{0, 0, 255}));
  EXPECT_EQ(PixelOf(composed, 25, 17), (Rgb{16, 32, 48}));
}

TEST_F(WallpaperCommandsTest, ComposeDrawsTheNamedStickersWithTheirText) {
  const std::string picture = Picture("back.bmp", 640, 400, {40, 40, 40});
  const std::string res = std::string(KALVORY_SOURCE_DIR) + "/res";
  const std::string lettered = (dir_ / "lettered.bmp").string();
  const std::string blank = (dir_ / "blank.bmp").string();
  const CliResult withText = Run({"compose", "--picture", picture, "--screen", "640x400", "--sticker", "Note",
                                  "--sticker-text", "Dentist at three", "--data", res, "--out", lettered});
  ASSERT_EQ(withText.exitCode, 0) << withText.err;
  EXPECT_EQ(withText.out, lettered + ": 640x400, 1 sticker\n");
  const CliResult withoutText = Run({"compose", "--picture", picture, "--screen", "640x400", "--sticker", "Note",
                                     "--sticker-text", "", "--data", res, "--out", blank});
  ASSERT_EQ(withoutText.exitCode, 0) << withoutText.err;

  CDibImage a;
  CDibImage b;
  ASSERT_TRUE(test::Succeeded(a.Load(lettered, kImageFormatBmp)));
  ASSERT_TRUE(test::Succeeded(b.Load(blank, kImageFormatBmp)));
  // The note sits 60 pixels from the top right corner; its text rectangle is (16, 28)-(204, 140).
  int differing = 0;
  int outsideNote = 0;
  for (int y = 0; y < 400; ++y) {
    for (int x = 0; x < 640; ++x) {
      if (PixelOf(a, x, y) == PixelOf(b, x, y)) continue;
      const bool inText = x >= 640 - 60 - 220 + 16 && x < 640 - 60 - 220 + 204 && y >= 60 + 28 && y < 60 + 140;
      (inText ? differing : outsideNote)++;
    }
  }
  EXPECT_GT(differing, 100);
  EXPECT_EQ(outsideNote, 0);
  // The sticker itself covers the dark background in both.
  EXPECT_NE(PixelOf(b, 640 - 60 - 110, 60 + 10), (Rgb{40, 40, 40}));
}

TEST_F(WallpaperCommandsTest, ComposeRefusesBadInput) {
  const std::string picture = Picture("back.bmp", 8, 8, {1, 2, 3});
  const std::string out = (dir_ / "out.bmp").string();
  EXPECT_EQ(Run({"compose", "--screen", "8x8", "--out", out}).exitCode, 1);
  EXPECT_EQ(Run({"compose", "--picture", picture, "--screen", "800", "--out", out}).exitCode, 1);
  EXPECT_EQ(Run({"compose", "--picture", picture, "--screen", "0x600", "--out", out}).exitCode, 1);
  EXPECT_EQ(Run({"compose", "--picture", picture, "--screen", "8x8", "--background", "12345G", "--out", out}).exitCode,
            1);
  EXPECT_EQ(Run({"compose", "--picture", picture, "--screen", "8x8", "--style", "3", "--out", out}).exitCode, 1);
  EXPECT_EQ(Run({"compose", "--picture", picture, "--screen", "8x8", "--sticker", "Note", "--out", out}).exitCode, 1);

  writeFile(dir_ / "broken.jpg", "no picture here");
  const CliResult broken =
      Run({"compose", "--picture", (dir_ / "broken.jpg").string(), "--screen", "8x8", "--out", out});
  EXPECT_EQ(broken.exitCode, 2);
  EXPECT_NE(broken.err.find("kalvory-cli compose: "), std::string::npos);
  EXPECT_FALSE(fs::exists(out));

  const CliResult unknown = Run({"compose", "--picture", picture, "--screen", "8x8", "--sticker", "Nope",
                                 "--sticker-text", "x", "--data", (dir_ / "data").string(), "--out", out});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find("no sticker definition named \"Nope\""), std::string::npos) << unknown.err;
}

TEST_F(WallpaperCommandsTest, SetWallpaperUsesTheDesktopsTool) {
  const fs::path bin = dir_ / "bin";
  const std::string log = (dir_ / "gsettings.log").string();
  writeFile(bin / "gsettings", "#!/bin/sh\necho \"$@\" >> \"$GSETTINGS_LOG\"\n");
  writeFile(bin / "xfconf-query", "#!/bin/sh\necho 'Property not found' >&2\nexit 1\n");
  ::chmod((bin / "gsettings").c_str(), 0755);
  ::chmod((bin / "xfconf-query").c_str(), 0755);
  const char* inheritedPath = std::getenv("PATH");
  // The fake tools come first on the path; the fake gsettings logs where the test reads.
  const Environment desktop = {{"PATH", bin.string() + ":" + (inheritedPath != nullptr ? inheritedPath : "")},
                               {"GSETTINGS_LOG", log}};
  auto on = [&](const std::string& name) {
    Environment environment = desktop;
    environment.emplace_back("XDG_CURRENT_DESKTOP", name);
    return environment;
  };
  const std::string picture = Picture("wall.bmp", 4, 4, {9, 9, 9});

  const CliResult gnome = Run({"set-wallpaper", picture, "--style", "0"}, on("ubuntu:GNOME"));
  ASSERT_EQ(gnome.exitCode, 0) << gnome.err;
  EXPECT_EQ(gnome.out, "wallpaper set (GNOME): " + picture + "\n");
  const std::string copy = (dir_ / "data" / "KalvoryDesktop-1.bmp").string();
  EXPECT_EQ(readFile(log),
            "set org.gnome.desktop.background picture-options 'centered'\n"
            "set org.gnome.desktop.background picture-uri 'file://" +
                copy +
                "'\n"
                "set org.gnome.desktop.background picture-uri-dark 'file://" +
                copy + "'\n");
  EXPECT_EQ(readFile(copy), readFile(picture));

  const CliResult xfce = Run({"set-wallpaper", picture}, on("XFCE"));
  EXPECT_EQ(xfce.exitCode, 2);
  EXPECT_EQ(xfce.err,
            "kalvory-cli set-wallpaper: " + picture + ": xfconf-query failed (exit code 1): Property not found\n");

  const CliResult missing = Run({"set-wallpaper", (dir_ / "gone.bmp").string()}, on("GNOME"));
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.err.find("does not exist"), std::string::npos);
  EXPECT_EQ(Run({"set-wallpaper"}).exitCode, 1);
  EXPECT_EQ(Run({"set-wallpaper", picture, "--style", "x"}).exitCode, 1);
}

}  // namespace
}  // namespace kalvory
