// kalvory-cli profile and definitions, run as a program on hand-made and bundled definition files.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_runner.h"

namespace kalvory {
namespace {

namespace fs = std::filesystem;
using cli_test::CliResult;
using cli_test::Environment;
using cli_test::readFile;
using cli_test::writeFile;

class DefinitionCommandsTest : public ::testing::Test {
 protected:
  CliResult run(const std::vector<std::string>& args, Environment environment = {}) const {
    // A home and settings folder of the test's own, so that the user's settings never take part.
    environment.insert(environment.begin(), {{"HOME", dir_.string()}, {"XDG_CONFIG_HOME", (dir_ / "config").string()}});
    return cli_test::runCli(args, environment);
  }

  cli_test::TemporaryFolder folder_{"kalvory-definitions"};
  const fs::path dir_ = folder_.path();
};

TEST_F(DefinitionCommandsTest, ProfileReadsOneValueAndWritesNothing) {
  const fs::path file = dir_ / "notifier.xml";
  const std::string text =
      "<xml>\r\n\t<General>\r\n\t\t<Name>Blue &amp; white</Name>\r\n\t\t<Transparency> 150px</Transparency>\r\n"
      "\t\t<Scale>2.5</Scale>\r\n\t\t<Empty></Empty>\r\n\t</General>\r\n\t<text>\r\n"
      "\t\t<NormalTextColor>#0000FF</NormalTextColor>\r\n\t\t<Face>COLOR_WINDOW</Face>\r\n\t</text>\r\n</xml>\r\n";
  writeFile(file, text);
  const std::string path = file.string();

  EXPECT_EQ(run({"profile", path, "general", "name"}).out, "Blue & white\n");
  EXPECT_EQ(run({"profile", path, "General", "Transparency", "--int"}).out, "150\n");
  EXPECT_EQ(run({"profile", path, "General", "Scale", "--double"}).out, "2.5\n");
  EXPECT_EQ(run({"profile", path, "Text", "NormalTextColor", "--color"}).out, "16711680\n");
  EXPECT_EQ(run({"profile", path, "Text", "Face", "--color"}).out, "16777215\n");  // the classic window colour
  EXPECT_EQ(run({"profile", path, "General", "Empty", "--default", "fallback"}).out, "fallback\n");
  EXPECT_EQ(run({"profile", path, "General", "Missing", "--int", "--default", "-7"}).out, "-7\n");
  EXPECT_EQ(run({"profile", path, "General", "Missing", "--color", "--default", "255"}).out, "255\n");
  EXPECT_EQ(readFile(file), text);  // no defaults stored, nothing saved

  EXPECT_EQ(run({"profile", path, "General", "Name", "--int", "--color"}).exitCode, 1);
  EXPECT_EQ(run({"profile", path, "General", "Missing", "--int", "--default", "ten"}).exitCode, 1);
  EXPECT_EQ(run({"profile", path, "General", "Missing", "--color", "--default", "16777216"}).exitCode, 1);
  EXPECT_EQ(run({"profile", path, "General"}).exitCode, 1);

  const fs::path missing = dir_ / "missing.xml";
  const CliResult absent = run({"profile", missing.string(), "General", "Name"});
  EXPECT_EQ(absent.exitCode, 2);
  EXPECT_EQ(absent.err, "kalvory-cli profile: Unable to load file:  " + missing.string() +
                            " Please verify that the file exists.\n");
  EXPECT_FALSE(fs::exists(missing));

  writeFile(dir_ / "broken.xml", "<xml><General><Name>x</General></xml>");
  const CliResult broken = run({"profile", (dir_ / "broken.xml").string(), "General", "Name"});
  EXPECT_EQ(broken.exitCode, 2);
  EXPECT_NE(broken.err.find("Unable to load file:  "), std::string::npos);
  EXPECT_EQ(broken.out, "");
}

TEST_F(DefinitionCommandsTest, DefinitionsListTheBundledData) {
  const std::string bundle = std::string(KALVORY_SOURCE_DIR) + "/res";
  const CliResult result =
      run({"definitions", "--data", bundle, "--json", "--default-notifier", "Ocean", "--skin-path", "Skins/skin.xml"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const auto json = nlohmann::json::parse(result.out);
  ASSERT_GE(json["notifiers"].size(), 2u);
  ASSERT_GE(json["stickers"].size(), 2u);
  ASSERT_GE(json["skins"].size(), 2u);
  int defaults = 0;
  for (const auto& notifier : json["notifiers"]) {
    defaults += notifier["isDefault"].get<bool>() ? 1 : 0;
    EXPECT_TRUE(fs::is_regular_file(notifier["skinPath"].get<std::string>()));
  }
  EXPECT_EQ(defaults, 1);
  int current = 0;
  for (const auto& skin : json["skins"]) {
    if (skin["isCurrent"].get<bool>()) {
      ++current;
      EXPECT_EQ(skin["fileName"], "skin.xml");
    }
    EXPECT_TRUE(skin["analogClock"].contains("minuteHandColor"));
    EXPECT_TRUE(skin["calendar"].contains("clButtonHighlight"));
    EXPECT_TRUE(skin["lists"].contains("textHighlightColor"));
  }
  EXPECT_EQ(current, 1);

  // Without the options the settings file decides.
  writeFile(dir_ / "config" / "Kalvory" / "Kalvory.conf",
            "[AppSettings]\nDefaultNotifier=Classic\nDefaultSticker=Tag\nSkinPath=" + bundle + "/skins/NIGHT.xml\n");
  const auto fromSettings = nlohmann::json::parse(run({"definitions", "--data", bundle, "--json"}).out);
  EXPECT_EQ(fromSettings["settingsFile"], (dir_ / "config" / "Kalvory" / "Kalvory.conf").string());
  for (const auto& notifier : fromSettings["notifiers"]) {
    EXPECT_EQ(notifier["isDefault"].get<bool>(), notifier["name"] == "Classic");
  }
  for (const auto& sticker : fromSettings["stickers"]) {
    EXPECT_EQ(sticker["isDefault"].get<bool>(), sticker["name"] == "Tag");
  }
  for (const auto& skin : fromSettings["skins"])
    EXPECT_EQ(skin["isCurrent"].get<bool>(), skin["fileName"] == "night.xml");
  EXPECT_EQ(run({"definitions", "--data", bundle, "--config", (dir_ / "none.conf").string()}).exitCode, 2);

  const CliResult text = run({"definitions", "--data", bundle});
  EXPECT_EQ(text.exitCode, 0);
  EXPECT_NE(text.out.find("notifiers: "), std::string::npos);
  EXPECT_NE(text.out.find("  closeBox: "), std::string::npos);
}

TEST_F(DefinitionCommandsTest, DefinitionsShowBrokenFilesWithDefaults) {
  const fs::path home = dir_ / "home";
  writeFile(home / "Notifiers" / "broken.xml", "<xml><General>");
  writeFile(home / "Stickers" / "left.xml",
            "<xml><Align><XAlign>left</XAlign></Align><General><Name>S</Name></General></xml>");
  // Without --data the program's data folder is read: $KALVORY_HOME here.
  const CliResult result = run({"definitions", "--json"}, {{"KALVORY_HOME", home.string()}});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err, "kalvory-cli definitions: Unable to load file:  " +
                            (home / "Notifiers" / "broken.xml").string() + " Please verify that the file exists.\n");
  const auto json = nlohmann::json::parse(result.out);
  EXPECT_EQ(json["dataFolder"], home.string());
  ASSERT_EQ(json["notifiers"].size(), 1u);
  EXPECT_EQ(json["notifiers"][0]["name"], "");
  EXPECT_EQ(json["notifiers"][0]["transparency"], 200);
  EXPECT_EQ(json["notifiers"][0]["selectedTextColor"], 64 * 65536);
  ASSERT_EQ(json["stickers"].size(), 1u);
  EXPECT_EQ(json["stickers"][0]["placement"], 16 | 1);  // centred horizontally, at the top
  EXPECT_TRUE(json["skins"].empty());

  const CliResult nowhere = run({"definitions", "--data", (dir_ / "nowhere").string()});
  EXPECT_EQ(nowhere.exitCode, 2);
  EXPECT_EQ(nowhere.out, "");
}

}  // namespace
}  // namespace kalvory
