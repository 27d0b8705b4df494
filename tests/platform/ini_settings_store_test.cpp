#include "platform/settings/ini_settings_store.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/settings/app_settings.h"
#include "platform/settings/user_folders.h"

namespace kalvory {
namespace {

class FixedColors final : public SystemColorProvider {
 public:
  ColorRef systemColor(int index) const override { return makeColorRef(static_cast<std::uint8_t>(index), 2, 3); }
};
const FixedColors kColors;

SettingsEnvironment environment() { return SettingsEnvironment{1024, "/home/ann/Pictures", &kColors}; }

QByteArray readBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

// Sets an environment variable for the life of the object and puts the old value back.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    apply(value);
  }
  ~ScopedEnvironment() { apply(old_); }

 private:
  void apply(const std::optional<std::string>& value) {
    if (value) {
      setenv(name_, value->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  const char* name_;
  std::optional<std::string> old_;
};

class IniSettingsStoreTest : public ::testing::Test {
 protected:
  std::string path(const char* name) const { return (dir_.path() + "/" + name).toStdString(); }
  QString qpath(const char* name) const { return dir_.path() + "/" + name; }

  QTemporaryDir dir_;
};

TEST_F(IniSettingsStoreTest, FoldersFollowTheXdgVariables) {
  const std::string home = path("home");
  ScopedEnvironment homeVariable("HOME", home);
  {
    ScopedEnvironment config("XDG_CONFIG_HOME", path("config"));
    EXPECT_EQ(defaultSettingsFilePath(), path("config") + "/Kalvory/Kalvory.conf");
    EXPECT_EQ(picturesFolder(), home + "/Pictures");
    writeBytes(qpath("config/user-dirs.dirs"), "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    EXPECT_EQ(picturesFolder(), home + "/Bilder");
  }
  {
    ScopedEnvironment config("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(defaultSettingsFilePath(), home + "/.config/Kalvory/Kalvory.conf");
  }
  {
    ScopedEnvironment config("XDG_CONFIG_HOME", "relative/config");  // not absolute, so ignored
    EXPECT_EQ(defaultSettingsFilePath(), home + "/.config/Kalvory/Kalvory.conf");
  }
}

TEST_F(IniSettingsStoreTest, SettingsRoundTripThroughTheFile) {
  const std::string file = path("config/Kalvory/Kalvory.conf");
  ApplicationSettings settings;
  {
    IniSettingsStore store(file);
    EXPECT_EQ(store.fileState(), IniSettingsStore::FileState::Missing);
    EXPECT_EQ(store.problem(), "");
    settings = LoadSettings(store, environment());
    EXPECT_EQ(settings, defaultSettings(environment()));

    settings.clock.font = {"Гарнитура «Ёлка»", -31, 600, true};
    settings.text.color = 0xFFFFFFFF;
    settings.app.language = 5;
    settings.app.default_notifier = "@ByteArray(not bytes), \"quoted\"; #hash = sign\\";
    settings.sound.winamp_path = "/opt/плеер/bin/player --flag=1";
    settings.wallpaper.folders = "/home/ann/Картинки/*/srv/pics, shared/*";
    settings.wallpaper.interval = COleDateTimeSpan::fromSeconds(119.6);
    settings.wallpaper.last_changed = COleDateTime(2024, 2, 29, 23, 0, 1);
    settings.wallpaper.pattern = "";
    settings.clock.format = "  %H:%M, %S\t";  // blanks at both ends and a comma
    settings.recent_files.files = {"/home/ann/документ.alr", "", "/tmp/line\nbreak.alr", ""};
    for (int i = 0; i < 80; ++i) settings.color_data.color_table.push_back(static_cast<std::uint8_t>(i * 37 + 11));
    for (int i = 0; i < 20; ++i) settings.color_data.mru.push_back(static_cast<std::uint8_t>(255 - i * 13));
    SaveSettings(settings, store);
    // Every byte value survives, not only the colour tables' sizes.
    std::vector<std::uint8_t> allBytes;
    for (int i = 0; i < 256; ++i) allBytes.push_back(static_cast<std::uint8_t>(i));
    store.writeBinary("Extra", "AllBytes", allBytes);
    ASSERT_TRUE(store.save());
    EXPECT_FALSE(store.hasPendingChanges());
  }

  const QString text = QString::fromUtf8(readBytes(QString::fromStdString(file)));
  EXPECT_TRUE(text.contains("[ClockSettings]\n")) << text.toStdString();
  EXPECT_TRUE(text.contains("ClockFontSize=-31\n"));
  EXPECT_TRUE(text.contains("IntervalMin=2\n"));
  EXPECT_TRUE(text.contains("Language=5\n"));
  EXPECT_TRUE(text.contains("[WallpaperSettings]\n"));
  EXPECT_FALSE(text.contains("File2"));

  // A copy at a new path is parsed from its text, not from anything this process remembers.
  const std::string copy = path("copy.conf");
  ASSERT_TRUE(QFile::copy(QString::fromStdString(file), QString::fromStdString(copy)));
  IniSettingsStore reread(copy);
  EXPECT_EQ(reread.fileState(), IniSettingsStore::FileState::Ok);
  const ApplicationSettings loaded = LoadSettings(reread, environment());
  EXPECT_EQ(loaded.wallpaper.interval, intervalFromMinutes(2));
  settings.wallpaper.interval = intervalFromMinutes(2);  // kept in whole minutes
  EXPECT_EQ(loaded, settings);
  EXPECT_EQ(loaded.clock.font.face_name, "Гарнитура «Ёлка»");
  EXPECT_EQ(reread.readBinary("Extra", "AllBytes")->size(), 256u);
  EXPECT_EQ((*reread.readBinary("Extra", "AllBytes"))[0x80], 0x80);
}

TEST_F(IniSettingsStoreTest, HandWrittenValues) {
  const QString file = qpath("hand.conf");
  writeBytes(file,
             "[ClockSettings]\n"
             "ClockFontSize = -18 \n"
             "ClockFontWeight=+500\n"
             "ClockOpacity=0x10\n"
             "ClockShadowX=99999999999\n"
             "ClockShadowY=4294967295\n"
             "ClockPositionY=-2147483648\n"
             "ClockFontName=Comic Neue, Bold\n"
             "ClockFormat=\"%H:%M, %d\"\n"
             "ClockColor=@ByteArray(abc)\n"
             "[AppSettings]\n"
             "SkinPath=Скины/синий.xml\n"
             "Language=two\n"
             "[Recent%20File%20List]\n"
             "File1=/home/ann/a.alr\n"
             "[ColorData]\n"
             "MRU=@ByteArray(\\0\\x1\\x2\\x3\\x4\\x5\\x6\\a\\b\\t\\n\\v\\f\\r\\xe\\xf\\x10\\x11\\x12\\xff)\n"
             "ColorTable=@ByteArray(too short)\n");
  IniSettingsStore store(file.toStdString());
  ASSERT_EQ(store.fileState(), IniSettingsStore::FileState::Ok);
  const ApplicationSettings s = LoadSettings(store, environment());
  EXPECT_EQ(s.clock.font.height, -18);
  EXPECT_EQ(s.clock.font.weight, 500);
  EXPECT_EQ(s.clock.opacity, 100) << "hexadecimal is not a stored form";
  EXPECT_EQ(s.clock.shadow_x, 1) << "beyond 32 bits";
  EXPECT_EQ(s.clock.shadow_y, 1) << "beyond 32 bits";
  EXPECT_EQ(s.clock.position_y, -2147483647 - 1);
  EXPECT_EQ(s.clock.font.face_name, "Comic Neue, Bold");
  EXPECT_EQ(s.clock.format, "%H:%M, %d");
  EXPECT_EQ(s.clock.color, makeColorRef(192, 192, 192)) << "bytes are not an integer";
  EXPECT_EQ(s.app.skin_path, "Скины/синий.xml");
  EXPECT_EQ(s.app.language, 1);
  EXPECT_EQ(s.recent_files.files[0], "/home/ann/a.alr");
  std::vector<std::uint8_t> mru{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0xFF};
  EXPECT_EQ(s.color_data.mru, mru);
  EXPECT_TRUE(s.color_data.color_table.empty());
}

TEST_F(IniSettingsStoreTest, OnlySavingWritesAndChangesMergeIntoTheFile) {
  const QString file = qpath("shared.conf");
  const QByteArray original = "[AppSettings]\nListHeight=250\n[Other]\nKeptKey=kept\n";
  writeBytes(file, original);
  {
    IniSettingsStore store(file.toStdString());
    const ApplicationSettings settings = LoadSettings(store, environment());
    EXPECT_EQ(settings.app.list_height, 250);
  }
  EXPECT_EQ(readBytes(file), original) << "reading never writes";

  IniSettingsStore first(file.toStdString());
  IniSettingsStore second(file.toStdString());
  second.writeString("Other", "FromSecond", "2");
  ASSERT_TRUE(second.save());
  first.writeInt("AppSettings", "ListHeight", 300);
  first.remove("Other", "KeptKey");
  {
    IniSettingsStore third(file.toStdString());
    third.writeString("Other", "FromThird", "3");
  }  // unsaved changes are saved when the store goes away
  ASSERT_TRUE(first.save());

  IniSettingsStore check(file.toStdString());
  EXPECT_EQ(check.readInt("AppSettings", "ListHeight"), 300);
  EXPECT_EQ(check.readString("Other", "FromSecond"), "2");
  EXPECT_EQ(check.readString("Other", "FromThird"), "3");
  EXPECT_EQ(check.readString("Other", "KeptKey"), std::nullopt);
}

TEST_F(IniSettingsStoreTest, DamagedFileIsKeptAside) {
  const QString file = qpath("damaged.conf");
  const QByteArray damaged = "[ClockSettings]\nClockFontSize=30\n[Broken\nx=1\n\xff\xfe=\x01\n";
  writeBytes(file, damaged);
  {
    IniSettingsStore store(file.toStdString());
    EXPECT_EQ(store.fileState(), IniSettingsStore::FileState::Damaged);
    EXPECT_NE(store.problem().find("is damaged"), std::string::npos);
    ApplicationSettings settings = LoadSettings(store, environment());
    EXPECT_EQ(settings.clock.font.height, 30);
    EXPECT_EQ(readBytes(file), damaged) << "loading leaves the damaged file alone";
    settings.app.list_height = 222;
    SaveSettings(settings, store);
    ASSERT_TRUE(store.save());
    EXPECT_EQ(store.fileState(), IniSettingsStore::FileState::Ok);
  }
  EXPECT_EQ(readBytes(file + ".damaged"), damaged);
  IniSettingsStore again(file.toStdString());
  EXPECT_EQ(again.fileState(), IniSettingsStore::FileState::Ok);
  EXPECT_EQ(again.readInt("ClockSettings", "ClockFontSize"), 30);
  EXPECT_EQ(again.readInt("AppSettings", "ListHeight"), 222);
}

TEST_F(IniSettingsStoreTest, OversizedAndUnreadableFiles) {
  const QString large = qpath("large.conf");
  writeBytes(large, "[AppSettings]\nListHeight=250\n" + QByteArray(IniSettingsStore::kMaxFileSize, '#'));
  {
    IniSettingsStore store(large.toStdString());
    EXPECT_EQ(store.fileState(), IniSettingsStore::FileState::TooLarge);
    EXPECT_EQ(store.readInt("AppSettings", "ListHeight"), std::nullopt);
    EXPECT_TRUE(store.save()) << "nothing to save leaves the file where it is";
    EXPECT_TRUE(QFileInfo::exists(large));
    store.writeInt("AppSettings", "ListHeight", 10);
    ASSERT_TRUE(store.save());
  }
  EXPECT_GT(QFileInfo(large + ".damaged").size(), IniSettingsStore::kMaxFileSize);
  EXPECT_EQ(IniSettingsStore(large.toStdString()).readInt("AppSettings", "ListHeight"), 10);

  // A folder where the file should be cannot be read, and is never replaced.
  const QString folder = qpath("folder.conf");
  ASSERT_TRUE(QDir().mkpath(folder + "/inside"));
  IniSettingsStore store(folder.toStdString());
  EXPECT_EQ(store.fileState(), IniSettingsStore::FileState::Unreadable);
  EXPECT_NE(store.problem().find("cannot be read"), std::string::npos);
  EXPECT_EQ(LoadSettings(store, environment()), defaultSettings(environment()));
  store.writeInt("AppSettings", "ListHeight", 10);
  EXPECT_FALSE(store.save());
  EXPECT_TRUE(store.hasPendingChanges());
  EXPECT_TRUE(QFileInfo(folder + "/inside").isDir());

  // A file that cannot be written (its folder is a file) reports the failure and keeps the changes.
  writeBytes(qpath("plainfile"), "x");
  IniSettingsStore blocked(path("plainfile/Kalvory.conf"));
  EXPECT_EQ(blocked.fileState(), IniSettingsStore::FileState::Missing);
  blocked.writeInt("AppSettings", "ListHeight", 10);
  EXPECT_FALSE(blocked.save());
  EXPECT_TRUE(blocked.hasPendingChanges());
}

}  // namespace
}  // namespace kalvory
