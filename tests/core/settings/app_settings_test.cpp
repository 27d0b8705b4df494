#include "core/settings/app_settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "core/settings/settings_date_text.h"
#include "core/settings/settings_store.h"

namespace kalvory {
namespace {

using Value = MemorySettingsStore::Value;

// Distinct colours for every index, so a default taken from the wrong index shows.
class FakeSystemColors final : public SystemColorProvider {
 public:
  ColorRef systemColor(int index) const override { return makeColorRef(static_cast<std::uint8_t>(index), 0x40, 0x80); }
};

const FakeSystemColors kColors;

SettingsEnvironment environment(int screenWidth = 1024) {
  return SettingsEnvironment{screenWidth, "/home/ann/Pictures", &kColors};
}

// A store that records the order in which keys are read.
class RecordingStore final : public SettingsStore {
 public:
  std::optional<std::int32_t> readInt(std::string_view section, std::string_view key) const override {
    reads.emplace_back(section, key);
    return std::nullopt;
  }
  std::optional<std::string> readString(std::string_view section, std::string_view key) const override {
    reads.emplace_back(section, key);
    return std::nullopt;
  }
  std::optional<std::vector<std::uint8_t>> readBinary(std::string_view section, std::string_view key) const override {
    reads.emplace_back(section, key);
    return std::nullopt;
  }
  void writeInt(std::string_view, std::string_view, std::int32_t) override {}
  void writeString(std::string_view, std::string_view, std::string_view) override {}
  void writeBinary(std::string_view, std::string_view, const std::vector<std::uint8_t>&) override {}
  void remove(std::string_view, std::string_view) override {}

  mutable std::vector<std::pair<std::string, std::string>> reads;
};

struct ExpectedKey {
  std::string section;
  std::string key;
  Value value;
};

// Every key of the five sections with its stored type and default, in reading order, for a
// 1024-pixel screen.
std::vector<ExpectedKey> expectedDefaults() {
  const auto i = [](std::int32_t v) { return Value(v); };
  const auto s = [](const char* v) { return Value(std::string(v)); };
  return {
      {"ClockSettings", "isClockVisible", i(1)},
      {"ClockSettings", "ClockFontName", s("Georgia")},
      {"ClockSettings", "ClockIsItalic", i(0)},
      {"ClockSettings", "ClockFontWeight", i(700)},
      {"ClockSettings", "ClockFontSize", i(-24)},
      {"ClockSettings", "ClockColor", i(12632256)},
      {"ClockSettings", "ClockShadowColor", i(921102)},
      {"ClockSettings", "ClockGradColor", i(15987699)},
      {"ClockSettings", "IsClockVertGrad", i(0)},
      {"ClockSettings", "IsClockGrad", i(1)},
      {"ClockSettings", "IsClockShadow", i(1)},
      {"ClockSettings", "ClockPositionX", i(462)},
      {"ClockSettings", "ClockPositionY", i(0)},
      {"ClockSettings", "ClockShadowX", i(1)},
      {"ClockSettings", "ClockShadowY", i(1)},
      {"ClockSettings", "ClockFormat", s("%H%~%M")},
      {"ClockSettings", "ClockOpacity", i(100)},
      {"TextSettings", "TextFontName", s("Comic Sans MS")},
      {"TextSettings", "TextIsItalic", i(0)},
      {"TextSettings", "TextFontWeight", i(400)},
      {"TextSettings", "TextFontSize", i(72)},
      {"TextSettings", "TextColor", i(255)},
      {"TextSettings", "TextShadowColor", i(0)},
      {"TextSettings", "TextGradColor", i(16777215)},
      {"TextSettings", "IsTextVertGrad", i(1)},
      {"TextSettings", "IsTextGrad", i(1)},
      {"TextSettings", "IsTextShadow", i(1)},
      {"TextSettings", "ShowTime", i(60)},
      {"TextSettings", "TextPositionX", i(0)},
      {"TextSettings", "TextPositionY", i(0)},
      {"TextSettings", "TextShadowX", i(1)},
      {"TextSettings", "TextShadowY", i(1)},
      {"TextSettings", "TextOpacity", i(100)},
      {"AppSettings", "SkinPath", s("skin.xml")},
      {"AppSettings", "LoadLastDocument", i(1)},
      {"AppSettings", "SaveDocumentOnExit", i(1)},
      {"AppSettings", "MainFrameVisible", i(1)},
      {"AppSettings", "CalendarInTray", i(1)},
      {"AppSettings", "Language", i(1)},
      {"AppSettings", "MainPositionX", i(312)},
      {"AppSettings", "MainPositionY", i(100)},
      {"AppSettings", "ListHeight", i(200)},
      {"AppSettings", "DefaultNotifier", s("n/a")},
      {"AppSettings", "DefaultSticker", s("n/a")},
      {"AppSettings", "MissedReminders", i(1)},
      {"AppSettings", "Notifications", i(0)},
      {"AppSettings", "WakeComputer", i(0)},
      {"AppSettings", "LastSeen", s("Invalid DateTime")},
      {"AppSettings", "TrustedPrograms", s("")},
      {"AppSettings", "CloseNoticeShown", i(0)},
      {"SoundSettings", "StopMusicOnCancelAlarm", i(1)},
      {"SoundSettings", "WinampPath", s("audacious")},
      {"SoundSettings", "IsMusic", i(1)},
      {"SoundSettings", "IsSayTime", i(1)},
      {"SoundSettings", "SayTimeRange", i(60)},
      {"WallpaperSettings", "Enabled", i(0)},
      {"WallpaperSettings", "Shuffle", i(0)},
      {"WallpaperSettings", "Style", i(2)},
      {"WallpaperSettings", "Type", i(1)},
      {"WallpaperSettings", "ID", i(0)},
      {"WallpaperSettings", "IntervalMin", i(1440)},
      {"WallpaperSettings", "Path", s("/home/ann/Pictures/Wallpapers/")},
      {"WallpaperSettings", "LastChanged", s("11/10/1975 07:30:00")},
      {"WallpaperSettings", "BackgroundStyle", i(0)},
      {"WallpaperSettings", "BackgroundPattern", s("")},
      {"WallpaperSettings", "BackgroundColor", i(static_cast<std::int32_t>(makeColorRef(1, 0x40, 0x80)))},
  };
}

TEST(AppSettings, EmptyStoreGivesEveryDefaultInReadingOrder) {
  RecordingStore recorder;
  const ApplicationSettings loaded = LoadSettings(recorder, environment());

  // The keys are read section by section in table order, then the recent files and colour tables.
  std::vector<std::pair<std::string, std::string>> expectedReads;
  for (const auto& key : expectedDefaults()) expectedReads.emplace_back(key.section, key.key);
  for (const char* file : {"File1", "File2", "File3", "File4"}) expectedReads.emplace_back("Recent File List", file);
  expectedReads.emplace_back("ColorData", "ColorTable");
  expectedReads.emplace_back("ColorData", "MRU");
  EXPECT_EQ(recorder.reads, expectedReads);

  EXPECT_EQ(loaded, defaultSettings(environment()));
  EXPECT_EQ(loaded.clock.font, (FontDescription{"Georgia", -24, 700, false}));
  EXPECT_EQ(loaded.text.font, (FontDescription{"Comic Sans MS", 72, 400, false}));
  EXPECT_EQ(loaded.wallpaper.interval, COleDateTimeSpan(1.0));
  EXPECT_EQ(loaded.wallpaper.last_changed, COleDateTime(1975, 11, 10, 7, 30, 0));
  EXPECT_EQ(loaded.app.uiLanguage(), UiLanguage::English);

  // Saving the defaults writes exactly the table: names, types and values.
  MemorySettingsStore saved;
  SaveSettings(loaded, saved);
  std::size_t keyCount = 0;
  for (const auto& [name, section] : saved.sections()) keyCount += section.size();
  const auto expected = expectedDefaults();
  EXPECT_EQ(keyCount, expected.size()) << "no recent files and no colour tables are written for defaults";
  for (const auto& key : expected) {
    const Value* value = saved.find(key.section, key.key);
    ASSERT_NE(value, nullptr) << key.section << "/" << key.key;
    EXPECT_EQ(*value, key.value) << key.section << "/" << key.key;
  }
}

TEST(AppSettings, ScreenAndFolderDependentDefaults) {
  EXPECT_EQ(defaultSettings(environment(1280)).clock.position_x, 590);
  EXPECT_EQ(defaultSettings(environment(1280)).app.main_position_x, 440);
  EXPECT_EQ(defaultSettings(environment(1025)).clock.position_x, 462);  // integer division
  EXPECT_EQ(defaultSettings(environment(0)).clock.position_x, -50);

  SettingsEnvironment env = environment();
  env.pictures_folder = "/home/ann/Bilder/";
  EXPECT_EQ(defaultSettings(env).wallpaper.folders, "/home/ann/Bilder/Wallpapers/");
  env.pictures_folder.clear();
  EXPECT_EQ(defaultSettings(env).wallpaper.folders, "/Wallpapers/");

  // Without a provider of its own the loader asks the installed one.
  env.system_colors = nullptr;
  setSystemColorProvider(&kColors);
  EXPECT_EQ(defaultSettings(env).wallpaper.background_color, makeColorRef(1, 0x40, 0x80));
  setSystemColorProvider(nullptr);
  EXPECT_EQ(defaultSettings(env).wallpaper.background_color, systemColor(1));
}

TEST(AppSettings, LanguageKeepsItsStoredValue) {
  MemorySettingsStore store;
  struct Case {
    int stored;
    UiLanguage language;
    int resourceId;
    std::string_view locale;
  };
  for (const Case& c : {Case{0, UiLanguage::Russian, 1049, "ru_RU"}, Case{1, UiLanguage::English, 1033, "en_US"},
                        Case{2, UiLanguage::Ukrainian, 1058, "uk_UA"}, Case{5, UiLanguage::English, 1033, "en_US"},
                        Case{-1, UiLanguage::English, 1033, "en_US"}}) {
    store.writeInt("AppSettings", "Language", c.stored);
    const ApplicationSettings settings = LoadSettings(store, environment());
    EXPECT_EQ(settings.app.uiLanguage(), c.language) << c.stored;
    EXPECT_EQ(settings.app.resourceLanguageId(), c.resourceId) << c.stored;
    EXPECT_EQ(settings.app.localeName(), c.locale) << c.stored;
    MemorySettingsStore saved;
    SaveSettings(settings, saved);
    EXPECT_EQ(saved.readInt("AppSettings", "Language"), c.stored) << "the stored number survives a save";
  }
}

// A settings file from before the key reopens the last document; one that says 0 keeps saying it.
TEST(AppSettings, LoadLastDocumentOnUnlessTheFileSaysOtherwise) {
  MemorySettingsStore store;
  store.writeInt("AppSettings", "Language", 0);
  EXPECT_EQ(LoadSettings(store, environment()).app.load_last_document, 1);
  store.writeInt("AppSettings", "LoadLastDocument", 0);
  const ApplicationSettings off = LoadSettings(store, environment());
  EXPECT_EQ(off.app.load_last_document, 0);
  MemorySettingsStore saved;
  SaveSettings(off, saved);
  EXPECT_EQ(saved.readInt("AppSettings", "LoadLastDocument"), 0);
}

TEST(AppSettings, IntervalMinutesWithTheHalfSecondRule) {
  EXPECT_EQ(intervalToMinutes(COleDateTimeSpan::fromSeconds(119)), 1);
  EXPECT_EQ(intervalToMinutes(COleDateTimeSpan::fromSeconds(119.6)), 2);
  EXPECT_EQ(intervalToMinutes(COleDateTimeSpan::fromSeconds(-119.6)), -2);
  EXPECT_EQ(intervalToMinutes(COleDateTimeSpan::fromSeconds(-119)), -1);
  EXPECT_EQ(intervalToMinutes(COleDateTimeSpan(1e12)), 2147483647);
  EXPECT_EQ(intervalToMinutes(COleDateTimeSpan(-1e12)), -2147483647 - 1);

  ApplicationSettings settings = defaultSettings(environment());
  settings.wallpaper.interval = COleDateTimeSpan::fromSeconds(119.6);
  MemorySettingsStore store;
  SaveSettings(settings, store);
  EXPECT_EQ(store.readInt("WallpaperSettings", "IntervalMin"), 2);
  const ApplicationSettings loaded = LoadSettings(store, environment());
  EXPECT_EQ(loaded.wallpaper.interval.GetTotalSeconds(), 120);

  // Every stored minute count comes back as the same count.
  for (std::int32_t minutes : {0, 1, 5, 1440, 20160, -3, 2147483647, -2147483647 - 1}) {
    store.writeInt("WallpaperSettings", "IntervalMin", minutes);
    ApplicationSettings again = LoadSettings(store, environment());
    EXPECT_EQ(intervalToMinutes(again.wallpaper.interval), minutes);
  }
}

TEST(AppSettings, LastChangedReadAndWritten) {
  MemorySettingsStore store;
  const auto lastChanged = [&](const char* text) {
    store.writeString("WallpaperSettings", "LastChanged", text);
    return LoadSettings(store, environment()).wallpaper.last_changed;
  };
  EXPECT_EQ(lastChanged("11/10/1975 7:30:00"), COleDateTime(1975, 11, 10, 7, 30, 0));
  EXPECT_EQ(lastChanged("3/4/2024 23:59:58"), COleDateTime(2024, 3, 4, 23, 59, 58));
  EXPECT_FALSE(lastChanged("yesterday").isValid());
  EXPECT_FALSE(lastChanged("").isValid());
  EXPECT_FALSE(lastChanged("Invalid DateTime").isValid());
  EXPECT_FALSE(lastChanged("2/30/2024 10:00:00").isValid());

  ApplicationSettings settings = defaultSettings(environment());
  settings.wallpaper.last_changed = COleDateTime(2026, 1, 2, 3, 4, 5);
  SaveSettings(settings, store);
  EXPECT_EQ(store.readString("WallpaperSettings", "LastChanged"), "01/02/2026 03:04:05");
  EXPECT_EQ(LoadSettings(store, environment()).wallpaper.last_changed, settings.wallpaper.last_changed);

  // A time that never parsed is written so that it reads back as never changed.
  settings.wallpaper.last_changed = COleDateTime::makeInvalid();
  SaveSettings(settings, store);
  EXPECT_FALSE(LoadSettings(store, environment()).wallpaper.last_changed.isValid());
  settings.wallpaper.last_changed = COleDateTime::makeNull();
  SaveSettings(settings, store);
  EXPECT_EQ(store.readString("WallpaperSettings", "LastChanged"), "");
  EXPECT_FALSE(LoadSettings(store, environment()).wallpaper.last_changed.isValid());
}

TEST(AppSettings, FeaturesBeyondTheReminderCheck) {
  MemorySettingsStore store;
  store.writeInt("AppSettings", "MissedReminders", 0);
  store.writeInt("AppSettings", "WakeComputer", 1);
  store.writeString("AppSettings", "LastSeen", "05/31/2026 23:59:30");
  const auto mode = [&](std::int32_t stored) {
    store.writeInt("AppSettings", "Notifications", stored);
    return notificationMode(LoadSettings(store, environment()).app);
  };
  EXPECT_EQ(mode(0), NotificationMode::Automatic);
  EXPECT_EQ(mode(1), NotificationMode::Always);
  EXPECT_EQ(mode(2), NotificationMode::Never);
  EXPECT_EQ(mode(7), NotificationMode::Automatic);
  EXPECT_EQ(mode(-1), NotificationMode::Automatic);
  const ApplicationSettings loaded = LoadSettings(store, environment());
  EXPECT_EQ(loaded.app.missed_reminders, 0);
  EXPECT_EQ(loaded.app.wake_computer, 1);
  EXPECT_EQ(loaded.app.last_seen, COleDateTime(2026, 5, 31, 23, 59, 30));
  MemorySettingsStore saved;
  SaveSettings(loaded, saved);
  EXPECT_EQ(saved.readString("AppSettings", "LastSeen"), "05/31/2026 23:59:30");
  EXPECT_EQ(saved.readInt("AppSettings", "Notifications"), -1) << "an unknown mode is kept as stored";
}

TEST(AppSettings, UsDateTimeForms) {
  EXPECT_EQ(parseUsDateTime("  12/31/1999 11:59:59 PM "), COleDateTime(1999, 12, 31, 23, 59, 59));
  EXPECT_EQ(parseUsDateTime("1/2/2003 12:00 am"), COleDateTime(2003, 1, 2, 0, 0, 0));
  EXPECT_EQ(parseUsDateTime("1/2/2003 12:15PM"), COleDateTime(2003, 1, 2, 12, 15, 0));
  EXPECT_EQ(parseUsDateTime("1-2-2003"), COleDateTime(2003, 1, 2, 0, 0, 0));
  EXPECT_EQ(parseUsDateTime("1/2/05"), COleDateTime(2005, 1, 2, 0, 0, 0));
  EXPECT_EQ(parseUsDateTime("1/2/29"), COleDateTime(2029, 1, 2, 0, 0, 0));
  EXPECT_EQ(parseUsDateTime("1/2/30"), COleDateTime(1930, 1, 2, 0, 0, 0));
  EXPECT_EQ(parseUsDateTime("7:30"), COleDateTime(1899, 12, 30, 7, 30, 0));
  EXPECT_EQ(parseUsDateTime("02/29/2024\t08:00:00"), COleDateTime(2024, 2, 29, 8, 0, 0));

  for (const char* bad :
       {"13/1/2000", "2/29/2023", "1/2/2003 24:00:00", "1/2/2003 10:60", "1/2/2003 13:00 PM", "1/2/2003 0:30 AM",
        "1/2/2003 10", "1/2/2003 10:", "1/2/2003T10:00", "1/2-2003", "1/2/12345", "111111111111111111111/1/2000",
        "1/2/2003 10:00:00 PMX", "10:00:00:00", "/", ":", "1/2/99 7:30:00 xyz", "1/2/50\xC3\xA9"}) {
    EXPECT_FALSE(parseUsDateTime(bad).isValid()) << bad;
  }
}

TEST(AppSettings, StoredValuesOfTheWrongTypeOrOddValues) {
  MemorySettingsStore store;
  store.writeString("ClockSettings", "ClockColor", "red");      // not an integer
  store.writeInt("ClockSettings", "ClockFontName", 12);         // not a string
  store.writeInt("ClockSettings", "ClockIsItalic", 2);          // any non-zero is italic
  store.writeInt("TextSettings", "TextColor", -1);              // outside the colour range
  store.writeString("WallpaperSettings", "IntervalMin", "60");  // not an integer
  store.writeInt("WallpaperSettings", "LastChanged", 5);        // not a string
  store.writeString("ClockSettings", "ClockFormat", "");        // present but empty stays empty
  store.writeString("AppSettings", "SkinPath", "\xD0\xA1\xD0\xBA\xD0\xB8\xD0\xBD.xml");

  const ApplicationSettings settings = LoadSettings(store, environment());
  EXPECT_EQ(settings.clock.color, makeColorRef(192, 192, 192));
  EXPECT_EQ(settings.clock.font.face_name, "Georgia");
  EXPECT_TRUE(settings.clock.font.italic);
  EXPECT_EQ(settings.text.color, 0xFFFFFFFFu);
  EXPECT_EQ(intervalToMinutes(settings.wallpaper.interval), 1440);
  EXPECT_EQ(settings.wallpaper.last_changed, COleDateTime(1975, 11, 10, 7, 30, 0));
  EXPECT_EQ(settings.clock.format, "");
  EXPECT_EQ(settings.app.skin_path, "\xD0\xA1\xD0\xBA\xD0\xB8\xD0\xBD.xml");

  MemorySettingsStore saved;
  SaveSettings(settings, saved);
  EXPECT_EQ(saved.readInt("ClockSettings", "ClockIsItalic"), 1);
  EXPECT_EQ(saved.readInt("TextSettings", "TextColor"), -1) << "the colour is saved back bit for bit";
}

TEST(AppSettings, RecentFilesAndColourTables) {
  MemorySettingsStore store;
  store.writeString("Recent File List", "File1", "/home/ann/a.alr");
  store.writeString("Recent File List", "File3", "/home/ann/c.alr");
  store.writeString("Recent File List", "File5", "/home/ann/e.alr");  // beyond the four entries
  const std::vector<std::uint8_t> table(80, 0xAB);
  store.writeBinary("ColorData", "ColorTable", table);
  store.writeBinary("ColorData", "MRU", std::vector<std::uint8_t>(19, 1));  // not the picker's size

  ApplicationSettings settings = LoadSettings(store, environment());
  EXPECT_EQ(settings.recent_files.files, (std::array<std::string, 4>{"/home/ann/a.alr", "", "/home/ann/c.alr", ""}));
  EXPECT_EQ(settings.color_data.color_table, table);
  EXPECT_TRUE(settings.color_data.mru.empty());

  settings.recent_files.add("/home/ann/c.alr");  // an entry already listed moves to the top
  EXPECT_EQ(settings.recent_files.files, (std::array<std::string, 4>{"/home/ann/c.alr", "/home/ann/a.alr", "", ""}));
  settings.recent_files.add("/home/ann/A.alr");  // another file: names differ by case
  settings.recent_files.add("/home/ann/d.alr");
  settings.recent_files.add("/home/ann/e.alr");  // the oldest entry drops out
  settings.recent_files.add("");
  EXPECT_EQ(settings.recent_files.files,
            (std::array<std::string, 4>{"/home/ann/e.alr", "/home/ann/d.alr", "/home/ann/A.alr", "/home/ann/c.alr"}));
  settings.recent_files.remove("/home/ann/d.alr");
  settings.recent_files.remove("/home/ann/none.alr");
  EXPECT_EQ(settings.recent_files.files,
            (std::array<std::string, 4>{"/home/ann/e.alr", "/home/ann/A.alr", "/home/ann/c.alr", ""}));

  settings.color_data.mru.assign(20, 7);
  SaveSettings(settings, store);
  EXPECT_EQ(store.readString("Recent File List", "File3"), "/home/ann/c.alr");
  EXPECT_EQ(store.find("Recent File List", "File4"), nullptr) << "an empty entry is not stored";
  EXPECT_EQ(store.readBinary("ColorData", "MRU"), settings.color_data.mru);
  EXPECT_EQ(LoadSettings(store, environment()).recent_files, settings.recent_files);
}

TEST(AppSettings, SaveAndLoadRoundTrip) {
  ApplicationSettings settings = defaultSettings(environment());
  settings.clock =
      ClockSettings{0, {"DejaVu Serif", 30, 400, true}, 1, 2, 3, 1, 0, 0, -10, 2000, -3, 4, "%A %~%d%-", 55};
  settings.text = TextSettings{{"Comic Neue", -40, 900, true}, 11, 12, 13, 0, 0, 0, 5, 7, 8, 9, 10, 30};
  settings.app = AppSettings{"Skins/blue.xml", 1, 0, 0, 0, 2, -400, 5000, 321, "Blue note", "Star"};
  settings.sound = SoundSettings{0, "/usr/bin/vlc --started-from-file", 0, 0, 15};
  settings.wallpaper.enabled = 1;
  settings.wallpaper.shuffle = 1;
  settings.wallpaper.style = 1;
  settings.wallpaper.origin = 4;
  settings.wallpaper.position = 17;
  settings.wallpaper.interval = intervalFromMinutes(20160);
  settings.wallpaper.folders = "/data/pics/*/home/ann/Фото/*";
  settings.wallpaper.last_changed = COleDateTime(2025, 6, 7, 8, 9, 10);
  settings.wallpaper.background_style = 1;
  settings.wallpaper.pattern = "/data/pattern.bmp";
  settings.wallpaper.background_color = makeColorRef(9, 8, 7);
  settings.recent_files.files = {"/a.alr", "/b.alr", "/c.alr", "/d.alr"};
  settings.color_data.color_table.assign(80, 0);
  for (std::size_t i = 0; i < 80; ++i) settings.color_data.color_table[i] = static_cast<std::uint8_t>(i * 3);
  settings.color_data.mru.assign(20, 0xFF);

  MemorySettingsStore store;
  SaveSettings(settings, store);
  EXPECT_EQ(LoadSettings(store, environment(800)), settings);

  // Saving what was loaded changes nothing, so saving twice at shutdown is harmless.
  MemorySettingsStore again = store;
  SaveSettings(LoadSettings(again, environment()), again);
  EXPECT_EQ(again.sections(), store.sections());
}

}  // namespace
}  // namespace kalvory
