#pragma once

#include <array>
#include <string_view>
#include <type_traits>

#include "core/settings/app_settings.h"

namespace kalvory {

// The one list of stored keys, in reading order, shared by loading, saving and listing.
// `Settings` is ApplicationSettings or const ApplicationSettings. The visitor receives
//   section(name)
//   integer(key, int32&)      a 32-bit integer
//   color(key, ColorRef&)     a colour reference stored as an integer
//   flag(key, bool&)          stored as an integer, any non-zero value is on
//   text(key, string&)        a string
//   interval(key, span&)      stored as whole minutes
//   dateTime(key, time&)      stored as "%m/%d/%Y %H:%M:%S", read as a US English date-time
//   recentFile(key, string&)  a string that is not stored while empty
//   binary(key, bytes&, n)    raw bytes of exactly n bytes
// with const references when Settings is const.
template <class Settings, class Visitor>
void visitSettingsKeys(Settings& s, Visitor& v) {
  static_assert(std::is_same_v<std::remove_const_t<Settings>, ApplicationSettings>);

  v.section(kClockSection);
  v.integer("isClockVisible", s.clock.is_visible);
  v.text("ClockFontName", s.clock.font.face_name);
  v.flag("ClockIsItalic", s.clock.font.italic);
  v.integer("ClockFontWeight", s.clock.font.weight);
  v.integer("ClockFontSize", s.clock.font.height);
  v.color("ClockColor", s.clock.color);
  v.color("ClockShadowColor", s.clock.shadow_color);
  v.color("ClockGradColor", s.clock.grad_color);
  v.integer("IsClockVertGrad", s.clock.is_vert_grad);
  v.integer("IsClockGrad", s.clock.is_grad);
  v.integer("IsClockShadow", s.clock.is_shadow);
  v.integer("ClockPositionX", s.clock.position_x);
  v.integer("ClockPositionY", s.clock.position_y);
  v.integer("ClockShadowX", s.clock.shadow_x);
  v.integer("ClockShadowY", s.clock.shadow_y);
  v.text("ClockFormat", s.clock.format);
  v.integer("ClockOpacity", s.clock.opacity);

  v.section(kTextSection);
  v.text("TextFontName", s.text.font.face_name);
  v.flag("TextIsItalic", s.text.font.italic);
  v.integer("TextFontWeight", s.text.font.weight);
  v.integer("TextFontSize", s.text.font.height);
  v.color("TextColor", s.text.color);
  v.color("TextShadowColor", s.text.shadow_color);
  v.color("TextGradColor", s.text.grad_color);
  v.integer("IsTextVertGrad", s.text.is_vert_grad);
  v.integer("IsTextGrad", s.text.is_grad);
  v.integer("IsTextShadow", s.text.is_shadow);
  v.integer("ShowTime", s.text.show_time);
  v.integer("TextPositionX", s.text.position_x);
  v.integer("TextPositionY", s.text.position_y);
  v.integer("TextShadowX", s.text.shadow_x);
  v.integer("TextShadowY", s.text.shadow_y);
  v.integer("TextOpacity", s.text.opacity);

  v.section(kAppSection);
  v.text("SkinPath", s.app.skin_path);
  v.integer("LoadLastDocument", s.app.load_last_document);
  v.integer("SaveDocumentOnExit", s.app.save_document_on_exit);
  v.integer("MainFrameVisible", s.app.main_frame_visible);
  v.integer("CalendarInTray", s.app.calendar_in_tray);
  v.integer("Language", s.app.language);
  v.integer("MainPositionX", s.app.main_position_x);
  v.integer("MainPositionY", s.app.main_position_y);
  v.integer("ListHeight", s.app.list_height);
  v.text("DefaultNotifier", s.app.default_notifier);
  v.text("DefaultSticker", s.app.default_sticker);
  v.integer("MissedReminders", s.app.missed_reminders);
  v.integer("Notifications", s.app.notifications);
  v.integer("WakeComputer", s.app.wake_computer);
  v.dateTime("LastSeen", s.app.last_seen);
  v.text("TrustedPrograms", s.app.trusted_programs);
  v.integer("CloseNoticeShown", s.app.close_notice_shown);

  v.section(kSoundSection);
  v.integer("StopMusicOnCancelAlarm", s.sound.stop_music_on_cancel_alarm);
  v.text("WinampPath", s.sound.winamp_path);
  v.integer("IsMusic", s.sound.is_music);
  v.integer("IsSayTime", s.sound.is_say_time);
  v.integer("SayTimeRange", s.sound.say_time_range);

  v.section(kWallpaperSection);
  v.integer("Enabled", s.wallpaper.enabled);
  v.integer("Shuffle", s.wallpaper.shuffle);
  v.integer("Style", s.wallpaper.style);
  v.integer("Type", s.wallpaper.origin);
  v.integer("ID", s.wallpaper.position);
  v.interval("IntervalMin", s.wallpaper.interval);
  v.text("Path", s.wallpaper.folders);
  v.dateTime("LastChanged", s.wallpaper.last_changed);
  v.integer("BackgroundStyle", s.wallpaper.background_style);
  v.text("BackgroundPattern", s.wallpaper.pattern);
  v.color("BackgroundColor", s.wallpaper.background_color);

  static constexpr std::array<std::string_view, RecentFileList::kSize> kFileKeys{"File1", "File2", "File3", "File4"};
  v.section(kRecentFileSection);
  for (std::size_t i = 0; i < kFileKeys.size(); ++i) v.recentFile(kFileKeys[i], s.recent_files.files[i]);

  v.section(kColorDataSection);
  v.binary("ColorTable", s.color_data.color_table, ColorData::kColorTableSize);
  v.binary("MRU", s.color_data.mru, ColorData::kMruSize);
}

}  // namespace kalvory
