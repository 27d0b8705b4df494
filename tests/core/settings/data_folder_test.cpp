#include "core/settings/data_folder.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/common/error_reporter.h"

namespace kalvory {
namespace {

namespace fs = std::filesystem;

class DataFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::path(::testing::TempDir()) / ("data_folder_test_" + std::to_string(::getpid()) + "_" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  static void write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path root_;
};

TEST_F(DataFolderTest, ChosenFromTheEnvironment) {
  EXPECT_EQ(dataFolderPath({"/k", "/x", "/h"}), "/k");
  EXPECT_EQ(dataFolderPath({"", "/x", "/h"}), "/x/kalvory");
  EXPECT_EQ(dataFolderPath({"", "relative", "/h"}), "/h/.local/share/kalvory");  // not absolute: ignored
  EXPECT_EQ(dataFolderPath({"", "", "/h"}), "/h/.local/share/kalvory");
}

TEST_F(DataFolderTest, FirstStartSeedsAndLaterStartsKeepTheUsersFiles) {
  const fs::path bundle = root_ / "bundle";
  write(bundle / "Skins" / "skin.xml", "bundled skin");
  write(bundle / "Skins" / "skin.bmp", "picture");
  write(bundle / "Notifiers" / "a.xml", "bundled notifier");
  write(bundle / "Other" / "ignored.txt", "not a definition folder");
  const fs::path home = root_ / "home";
  fs::create_directories(home);  // present but empty counts as a first start

  DataFolderSetup first = prepareDataFolder(home.string(), bundle.string());
  EXPECT_TRUE(first.ok());
  EXPECT_FALSE(first.created);
  std::sort(first.copied.begin(), first.copied.end());
  EXPECT_EQ(first.copied, (std::vector<std::string>{"Notifiers/a.xml", "Skins/skin.bmp", "Skins/skin.xml"}));
  EXPECT_EQ(read(home / "Skins" / "skin.xml"), "bundled skin");
  EXPECT_FALSE(fs::exists(home / "Other"));

  // The user edits one file and deletes another; the bundle gains a sticker and changes the skin.
  write(home / "Skins" / "skin.xml", "my skin");
  fs::remove(home / "Notifiers" / "a.xml");
  write(bundle / "Stickers" / "s.xml", "bundled sticker");
  write(bundle / "Skins" / "skin.xml", "bundled skin, version 2");

  const DataFolderSetup second = prepareDataFolder(home.string(), bundle.string());
  EXPECT_TRUE(second.ok());
  EXPECT_EQ(second.copied, std::vector<std::string>{"Stickers/s.xml"});
  EXPECT_EQ(read(home / "Skins" / "skin.xml"), "my skin");
  EXPECT_FALSE(fs::exists(home / "Notifiers" / "a.xml"));
  EXPECT_EQ(read(home / "Stickers" / "s.xml"), "bundled sticker");

  // A user's file of the same name as a new bundled one is never replaced.
  write(home / "Stickers" / "t.xml", "mine");
  write(bundle / "Stickers" / "t.xml", "bundled");
  EXPECT_TRUE(prepareDataFolder(home.string(), bundle.string()).copied.empty());
  EXPECT_EQ(read(home / "Stickers" / "t.xml"), "mine");
}

TEST_F(DataFolderTest, MissingFolderIsCreatedAndFailuresAreReported) {
  const fs::path bundle = root_ / "bundle";
  write(bundle / "Skins" / "skin.xml", "bundled skin");
  const DataFolderSetup created = prepareDataFolder((root_ / "a" / "b").string(), bundle.string());
  EXPECT_TRUE(created.created);
  EXPECT_TRUE(fs::exists(root_ / "a" / "b" / "Skins" / "skin.xml"));

  write(root_ / "file", "x");
  const DataFolderSetup blocked = prepareDataFolder((root_ / "file" / "sub").string(), bundle.string());
  EXPECT_FALSE(blocked.ok());
  EXPECT_TRUE(blocked.copied.empty());
}

TEST_F(DataFolderTest, TheProgramSeedsItsHomeFromTheBundleItFinds) {
  const std::string bundled = bundledDataFolder();
  ASSERT_FALSE(bundled.empty());  // res/ of the source tree, for a program run from its build tree
  EXPECT_TRUE(fs::exists(fs::path(bundled) / "Skins" / "skin.xml"));

  const fs::path home = root_ / "kalvory_home";
  const char* previous = std::getenv("KALVORY_HOME");
  const std::string saved = previous != nullptr ? previous : "";
  ::setenv("KALVORY_HOME", home.c_str(), 1);
  RecordingErrorReporter reporter;
  const std::string path = prepareDataFolder(reporter);
  if (previous != nullptr) {
    ::setenv("KALVORY_HOME", saved.c_str(), 1);
  } else {
    ::unsetenv("KALVORY_HOME");
  }
  EXPECT_EQ(path, home.string());
  EXPECT_TRUE(reporter.entries.empty());
  EXPECT_TRUE(fs::exists(home / "Skins" / "skin.xml"));
  EXPECT_TRUE(fs::exists(home / "Notifiers"));
  EXPECT_TRUE(fs::exists(home / "Stickers"));
}

}  // namespace
}  // namespace kalvory
