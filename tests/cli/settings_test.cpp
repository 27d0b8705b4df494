// kalvory-cli settings, run as a program on hand-made settings files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_runner.h"

namespace kalvory {
namespace {

namespace fs = std::filesystem;
using cli_test::CliResult;
using cli_test::readFile;
using cli_test::writeFile;

class SettingsCommandTest : public ::testing::Test {
 protected:
  // Runs the tool with a home and configuration folder of the test's own.
  CliResult settings(std::vector<std::string> args) const {
    args.insert(args.begin(), "settings");
    return cli_test::runCli(args, {{"HOME", dir_.string()}, {"XDG_CONFIG_HOME", (dir_ / "config").string()}});
  }

  nlohmann::json settingsJson(std::vector<std::string> args) {
    args.push_back("--json");
    const CliResult run = settings(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return nlohmann::json::parse(run.out, nullptr, false);
  }

  cli_test::TemporaryFolder folder_{"kalvory-settings"};
  const fs::path dir_ = folder_.path();
};

TEST_F(SettingsCommandTest, WithoutAFileEveryValueIsItsDefault) {
  const nlohmann::json json = settingsJson({});
  ASSERT_FALSE(json.is_discarded());
  EXPECT_EQ(json["file"], (dir_ / "config/Kalvory/Kalvory.conf").string());
  EXPECT_EQ(json["fileExists"], false);
  EXPECT_EQ(json["ClockSettings"]["ClockPositionX"], 462);
  EXPECT_EQ(json["ClockSettings"]["ClockFontSize"], -24);
  EXPECT_EQ(json["ClockSettings"]["ClockFormat"], "%H%~%M");
  EXPECT_EQ(json["AppSettings"]["MainPositionX"], 312);
  EXPECT_EQ(json["SoundSettings"]["WinampPath"], "audacious");
  EXPECT_EQ(json["WallpaperSettings"]["Path"], (dir_ / "Pictures/Wallpapers/").string());
  EXPECT_EQ(json["WallpaperSettings"]["LastChanged"], "11/10/1975 07:30:00");
  EXPECT_EQ(json["WallpaperSettings"]["BackgroundColor"], 0x3A + 0x6E * 256 + 0xA5 * 65536);  // the desktop colour
  EXPECT_EQ(json["Recent File List"]["File1"], "");
  EXPECT_TRUE(json["ColorData"]["MRU"].is_null());
  EXPECT_EQ(json["Derived"]["UiLanguage"], "English");

  const nlohmann::json wide = settingsJson({"--screen-width", "1280"});
  EXPECT_EQ(wide["ClockSettings"]["ClockPositionX"], 590);
  EXPECT_EQ(wide["AppSettings"]["MainPositionX"], 440);

  const CliResult text = settings({});
  EXPECT_EQ(text.exitCode, 0);
  EXPECT_NE(text.out.find("\n[ClockSettings]\nisClockVisible=1\nClockFontName=Georgia\n"), std::string::npos);
  EXPECT_NE(text.out.find("\n[WallpaperSettings]\nEnabled=0\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "config")) << "looking creates nothing";
}

TEST_F(SettingsCommandTest, HandMadeFiles) {
  const std::string content =
      "[ClockSettings]\n"
      "ClockFontName=Гарнитура\n"
      "ClockIsItalic=1\n"
      "[AppSettings]\n"
      "Language=5\n"
      "[WallpaperSettings]\n"
      "IntervalMin=2\n"
      "LastChanged=not a time\n"
      "Path=/srv/pics/*/home/ann/pics/*\n"
      "[Recent%20File%20List]\n"
      "File2=/home/ann/b.alr\n";
  // The file in the configuration folder is the one read without --config.
  writeFile(dir_ / "config/Kalvory/Kalvory.conf", content);
  const nlohmann::json json = settingsJson({});
  EXPECT_EQ(json["fileExists"], true);
  EXPECT_EQ(json["ClockSettings"]["ClockFontName"], "Гарнитура");
  EXPECT_EQ(json["ClockSettings"]["ClockIsItalic"], 1);
  EXPECT_EQ(json["AppSettings"]["Language"], 5);
  EXPECT_EQ(json["Derived"]["UiLanguage"], "English");
  EXPECT_EQ(json["Derived"]["ResourceLanguage"], 1033);
  EXPECT_EQ(json["WallpaperSettings"]["IntervalMin"], 2);
  EXPECT_EQ(json["Derived"]["IntervalSeconds"], 120);
  EXPECT_EQ(json["Derived"]["LastChangedValid"], false);
  EXPECT_EQ(json["WallpaperSettings"]["Path"], "/srv/pics/*/home/ann/pics/*");
  EXPECT_EQ(json["Recent File List"]["File2"], "/home/ann/b.alr");

  const fs::path other = dir_ / "other.conf";
  writeFile(other, "[AppSettings]\nLanguage=0\n");
  const nlohmann::json russian = settingsJson({"--config", other.string()});
  EXPECT_EQ(russian["Derived"]["Locale"], "ru_RU");
  EXPECT_EQ(russian["ClockSettings"]["ClockFontName"], "Georgia");
  EXPECT_EQ(readFile(dir_ / "config/Kalvory/Kalvory.conf"), content) << "looking changes nothing";
}

TEST_F(SettingsCommandTest, BadInput) {
  CliResult run = settings({"--config", (dir_ / "missing.conf").string()});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("no such settings file"), std::string::npos);

  const fs::path damaged = dir_ / "damaged.conf";
  writeFile(damaged, "[AppSettings\nLanguage=0\n");
  run = settings({"--config", damaged.string()});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("is damaged"), std::string::npos);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
  EXPECT_EQ(readFile(damaged), "[AppSettings\nLanguage=0\n");
  EXPECT_FALSE(fs::exists(dir_ / "damaged.conf.damaged"));

  for (const char* width : {"0", "-5", "wide", "1024px", "100001"}) {
    run = settings({"--screen-width", width});
    EXPECT_EQ(run.exitCode, 2) << width;
    EXPECT_NE(run.err.find("--screen-width"), std::string::npos) << width;
  }
  EXPECT_EQ(settings({"--bogus"}).exitCode, 1);
}

}  // namespace
}  // namespace kalvory
