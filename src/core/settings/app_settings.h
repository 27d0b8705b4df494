#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/date_time.h"
#include "core/resources/resource_strings.h"
#include "core/settings/system_colors.h"

namespace kalvory {

class SettingsStore;

// Section names of the settings store.
inline constexpr std::string_view kClockSection = "ClockSettings";
inline constexpr std::string_view kTextSection = "TextSettings";
inline constexpr std::string_view kAppSection = "AppSettings";
inline constexpr std::string_view kSoundSection = "SoundSettings";
inline constexpr std::string_view kWallpaperSection = "WallpaperSettings";
inline constexpr std::string_view kRecentFileSection = "Recent File List";
inline constexpr std::string_view kColorDataSection = "ColorData";

// A font as the settings describe it; the desktop turns it into a real font. Underline and
// strike-out are always off and the character set is the default one (1).
struct FontDescription {
  std::string face_name;
  // Logical-font height: negative is the character height in pixels, positive the cell height.
  std::int32_t height = 0;
  std::int32_t weight = 400;  // 400 normal, 700 bold
  bool italic = false;        // any non-zero stored value counts as italic; saved as 0 or 1
  static constexpr bool underline = false;
  static constexpr bool strike_out = false;
  static constexpr int char_set = 1;

  friend bool operator==(const FontDescription&, const FontDescription&) = default;
};

// "ClockSettings": the on-screen clock.
struct ClockSettings {
  std::int32_t is_visible = 1;
  FontDescription font{"Georgia", -24, 700, false};
  ColorRef color = makeColorRef(192, 192, 192);
  ColorRef shadow_color = makeColorRef(14, 14, 14);
  ColorRef grad_color = makeColorRef(243, 243, 243);
  std::int32_t is_vert_grad = 0;
  std::int32_t is_grad = 1;
  std::int32_t is_shadow = 1;
  std::int32_t position_x = 0;  // default depends on the screen width
  std::int32_t position_y = 0;
  std::int32_t shadow_x = 1;
  std::int32_t shadow_y = 1;
  std::string format = "%H%~%M";
  std::int32_t opacity = 100;  // percent

  friend bool operator==(const ClockSettings&, const ClockSettings&) = default;
};

// "TextSettings": the on-screen alarm message.
struct TextSettings {
  FontDescription font{"Comic Sans MS", 72, 400, false};
  ColorRef color = makeColorRef(255, 0, 0);
  ColorRef shadow_color = makeColorRef(0, 0, 0);
  ColorRef grad_color = makeColorRef(255, 255, 255);
  std::int32_t is_vert_grad = 1;
  std::int32_t is_grad = 1;
  std::int32_t is_shadow = 1;
  // Seconds an alarm message shows: a new reminder's show_seconds and the limit of a showing.
  std::int32_t show_time = 60;
  std::int32_t position_x = 0;
  std::int32_t position_y = 0;
  std::int32_t shadow_x = 1;
  std::int32_t shadow_y = 1;
  std::int32_t opacity = 100;

  friend bool operator==(const TextSettings&, const TextSettings&) = default;
};

// "AppSettings": the program as a whole.
struct AppSettings {
  std::string skin_path = "skin.xml";  // a relative name is taken against the data folder
  // On where the file has no such key yet: a tray program started with the session must find its
  // reminders again, or a saved daily reminder never rings after a restart.
  std::int32_t load_last_document = 1;
  std::int32_t save_document_on_exit = 1;
  std::int32_t main_frame_visible = 1;
  std::int32_t calendar_in_tray = 1;
  // 0 Russian, 1 English, 2 Ukrainian; kept as stored, so any other value stays and means English.
  std::int32_t language = 1;
  std::int32_t main_position_x = 0;  // default depends on the screen width
  std::int32_t main_position_y = 100;
  std::int32_t list_height = 200;
  std::string default_notifier = "n/a";
  std::string default_sticker = "n/a";
  // Features of this program beyond the reminder check itself.
  // "MissedReminders": list the reminders whose window passed while the program was not running,
  // the computer slept or the clock jumped, in one "While you were away" window.
  std::int32_t missed_reminders = 1;
  // "Notifications": a firing reminder is also a desktop notification; see NotificationMode.
  std::int32_t notifications = 0;
  // "WakeComputer": wake the computer from sleep for the next reminder with a sound or a program.
  std::int32_t wake_computer = 0;
  // "LastSeen": the last moment the reminder check ran, stored at exit; the start-up check for
  // missed reminders begins there. Invalid (never stored) means there is nothing to catch up.
  COleDateTime last_seen = COleDateTime::makeInvalid();
  // "TrustedPrograms": what the user answered about documents whose reminders start programs
  // (see the desktop's program trust), the newest first.
  std::string trusted_programs{};
  // "CloseNoticeShown": the user was told once that the window manager's close button leaves the
  // program running in the notification area.
  std::int32_t close_notice_shown = 0;

  UiLanguage uiLanguage() const;
  // The resource language: 1049 Russian, 1058 Ukrainian, 1033 English (for every other value).
  int resourceLanguageId() const;
  // The locale that dates and texts follow: "ru_RU", "uk_UA" or "en_US".
  std::string_view localeName() const;

  friend bool operator==(const AppSettings&, const AppSettings&) = default;
};

// The values of "Notifications": automatic (only where no tray icon can be shown), always, never.
enum class NotificationMode { Automatic = 0, Always = 1, Never = 2 };
// Any other stored value reads as automatic.
NotificationMode notificationMode(const AppSettings& app);

// "SoundSettings": the media player and the spoken time.
struct SoundSettings {
  std::int32_t stop_music_on_cancel_alarm = 1;
  std::string winamp_path = "audacious";  // the media player program to start
  std::int32_t is_music = 1;
  std::int32_t is_say_time = 1;
  std::int32_t say_time_range = 60;  // minutes between spoken times

  friend bool operator==(const SoundSettings&, const SoundSettings&) = default;
};

// A wallpaper request: the "WallpaperSettings" section, copied whenever a picture is to be set.
// Constructed empty; the settings loader fills in the defaults.
struct CWallpaperContext {
  std::int32_t style = 0;             // "Style": 0 centre, 1 tile, 2 stretch
  std::int32_t background_style = 0;  // "BackgroundStyle": 0 gradient, 1 pattern
  std::int32_t position = 0;          // "ID": 1-based position of the picture last shown, 0 none
  std::int32_t origin = 0;            // "Type": 1 the changer, 4 a reminder or day note
  std::int32_t enabled = 0;           // "Enabled"
  std::int32_t shuffle = 0;           // "Shuffle"
  ColorRef background_color = 0;      // "BackgroundColor"
  COleDateTimeSpan interval;          // "IntervalMin", kept in whole minutes
  COleDateTime last_changed;          // "LastChanged"; invalid means never changed
  std::string folders;                // "Path": picture folders joined by "*"
  std::string picture;                // the picture of this request (not stored)
  std::string pattern;                // "BackgroundPattern"

  friend bool operator==(const CWallpaperContext&, const CWallpaperContext&) = default;
};

// "Recent File List": the four most recently used documents, most recent first.
struct RecentFileList {
  static constexpr std::size_t kSize = 4;
  std::array<std::string, kSize> files;  // "File1".."File4"; empty entries are not stored

  // Puts `path` first, dropping an equal entry further down and the oldest one when full.
  void add(const std::string& path);
  // Removes `path`; the entries after it move up.
  void remove(const std::string& path);

  friend bool operator==(const RecentFileList&, const RecentFileList&) = default;
};

// "ColorData": the colour picker's tables, kept as raw bytes.
struct ColorData {
  static constexpr std::size_t kColorTableSize = 80;
  static constexpr std::size_t kMruSize = 20;
  // Empty until the picker first stores them. A stored value of any other length is ignored,
  // since the picker reads a fixed-size table.
  std::vector<std::uint8_t> color_table;  // "ColorTable"
  std::vector<std::uint8_t> mru;          // "MRU"

  friend bool operator==(const ColorData&, const ColorData&) = default;
};

// What some defaults depend on, supplied by the platform.
struct SettingsEnvironment {
  int primary_screen_width = 1024;  // pixels
  // The user's pictures folder (on Linux the XDG pictures directory); "Path" defaults to it
  // followed by "/Wallpapers/".
  std::string pictures_folder;
  // Where "BackgroundColor" takes its default (system colour 1, the desktop); nullptr means the
  // installed provider.
  const SystemColorProvider* system_colors = nullptr;
};

// Every user setting the program keeps.
struct ApplicationSettings {
  ClockSettings clock;
  TextSettings text;
  AppSettings app;
  SoundSettings sound;
  CWallpaperContext wallpaper;
  RecentFileList recent_files;
  ColorData color_data;

  friend bool operator==(const ApplicationSettings&, const ApplicationSettings&) = default;
};

// The value every setting takes when its key is missing.
ApplicationSettings defaultSettings(const SettingsEnvironment& environment);

// Reads every key, section by section, applying the defaults for missing or unreadable keys.
ApplicationSettings LoadSettings(const SettingsStore& store, const SettingsEnvironment& environment);

// Writes every key of the seven sections. The recent-file entries that are empty are removed;
// a colour table that was never stored is left alone.
void SaveSettings(const ApplicationSettings& settings, SettingsStore& store);

// "IntervalMin" of an interval: the whole minutes after adding half a second away from zero,
// held to the 32-bit range.
std::int32_t intervalToMinutes(const COleDateTimeSpan& interval);
COleDateTimeSpan intervalFromMinutes(std::int32_t minutes);

}  // namespace kalvory
