#include "core/settings/app_settings.h"

#include <algorithm>
#include <limits>

#include "core/settings/app_settings_keys.h"
#include "core/settings/settings_date_text.h"
#include "core/settings/settings_store.h"

namespace kalvory {

// ---------------------------------------------------------------- derived values

UiLanguage AppSettings::uiLanguage() const {
  switch (language) {
    case 0:
      return UiLanguage::Russian;
    case 2:
      return UiLanguage::Ukrainian;
    default:
      return UiLanguage::English;
  }
}

int AppSettings::resourceLanguageId() const {
  switch (uiLanguage()) {
    case UiLanguage::Russian:
      return 1049;
    case UiLanguage::Ukrainian:
      return 1058;
    case UiLanguage::English:
      break;
  }
  return 1033;
}

std::string_view AppSettings::localeName() const {
  switch (uiLanguage()) {
    case UiLanguage::Russian:
      return "ru_RU";
    case UiLanguage::Ukrainian:
      return "uk_UA";
    case UiLanguage::English:
      break;
  }
  return "en_US";
}

NotificationMode notificationMode(const AppSettings& app) {
  switch (app.notifications) {
    case 1:
      return NotificationMode::Always;
    case 2:
      return NotificationMode::Never;
    default:
      return NotificationMode::Automatic;
  }
}

std::int32_t intervalToMinutes(const COleDateTimeSpan& interval) {
  const long minutes = interval.GetTotalMinutes();
  return static_cast<std::int32_t>(
      std::clamp<long>(minutes, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

COleDateTimeSpan intervalFromMinutes(std::int32_t minutes) { return COleDateTimeSpan::fromMinutes(minutes); }

// ---------------------------------------------------------------- recent files

void RecentFileList::add(const std::string& path) {
  if (path.empty()) return;
  // Paths on Linux differ by case, so only an identical path counts as the same document.
  auto last = std::find(files.begin(), files.end(), path);
  if (last == files.end()) last = files.end() - 1;
  std::move_backward(files.begin(), last, last + 1);
  files.front() = path;
}

void RecentFileList::remove(const std::string& path) {
  const auto it = std::find(files.begin(), files.end(), path);
  if (it == files.end() || path.empty()) return;
  std::move(it + 1, files.end(), it);
  files.back().clear();
}

// ---------------------------------------------------------------- defaults

ApplicationSettings defaultSettings(const SettingsEnvironment& environment) {
  ApplicationSettings settings;
  // Integer division, as the screen-centred positions were always computed.
  settings.clock.position_x = (environment.primary_screen_width - 100) / 2;
  settings.app.main_position_x = (environment.primary_screen_width - 400) / 2;

  CWallpaperContext& wallpaper = settings.wallpaper;
  wallpaper.enabled = 0;
  wallpaper.shuffle = 0;
  wallpaper.style = 2;
  wallpaper.origin = 1;
  wallpaper.position = 0;
  wallpaper.interval = intervalFromMinutes(1440);
  std::string pictures = environment.pictures_folder;
  while (!pictures.empty() && pictures.back() == '/') pictures.pop_back();
  wallpaper.folders = pictures + "/Wallpapers/";
  wallpaper.last_changed = COleDateTime(1975, 11, 10, 7, 30, 0);
  wallpaper.background_style = 0;
  wallpaper.pattern.clear();
  const SystemColorProvider& colors =
      environment.system_colors != nullptr ? *environment.system_colors : systemColorProvider();
  wallpaper.background_color = colors.systemColor(1);
  return settings;
}

// ---------------------------------------------------------------- loading and saving

namespace {

class KeyReader {
 public:
  explicit KeyReader(const SettingsStore& store) : store_(store) {}

  void section(std::string_view name) { section_ = name; }
  void integer(std::string_view key, std::int32_t& value) {
    if (const auto stored = store_.readInt(section_, key)) value = *stored;
  }
  void color(std::string_view key, ColorRef& value) {
    // Kept bit for bit as stored, so a value outside the colour range is saved back unchanged.
    if (const auto stored = store_.readInt(section_, key)) value = static_cast<ColorRef>(*stored);
  }
  void flag(std::string_view key, bool& value) {
    if (const auto stored = store_.readInt(section_, key)) value = *stored != 0;
  }
  void text(std::string_view key, std::string& value) {
    if (auto stored = store_.readString(section_, key)) value = std::move(*stored);
  }
  void recentFile(std::string_view key, std::string& value) { text(key, value); }
  void interval(std::string_view key, COleDateTimeSpan& value) {
    if (const auto stored = store_.readInt(section_, key)) value = intervalFromMinutes(*stored);
  }
  void dateTime(std::string_view key, COleDateTime& value) {
    if (const auto stored = store_.readString(section_, key)) value = parseUsDateTime(*stored);
  }
  void binary(std::string_view key, std::vector<std::uint8_t>& value, std::size_t size) {
    if (auto stored = store_.readBinary(section_, key); stored && stored->size() == size) value = std::move(*stored);
  }

 private:
  const SettingsStore& store_;
  std::string_view section_;
};

class KeyWriter {
 public:
  explicit KeyWriter(SettingsStore& store) : store_(store) {}

  void section(std::string_view name) { section_ = name; }
  void integer(std::string_view key, const std::int32_t& value) { store_.writeInt(section_, key, value); }
  void color(std::string_view key, const ColorRef& value) {
    store_.writeInt(section_, key, static_cast<std::int32_t>(value));
  }
  void flag(std::string_view key, const bool& value) { store_.writeInt(section_, key, value ? 1 : 0); }
  void text(std::string_view key, const std::string& value) { store_.writeString(section_, key, value); }
  void recentFile(std::string_view key, const std::string& value) {
    if (value.empty()) {
      store_.remove(section_, key);
    } else {
      store_.writeString(section_, key, value);
    }
  }
  void interval(std::string_view key, const COleDateTimeSpan& value) {
    store_.writeInt(section_, key, intervalToMinutes(value));
  }
  void dateTime(std::string_view key, const COleDateTime& value) {
    store_.writeString(section_, key, formatSettingsDateTime(value));
  }
  void binary(std::string_view key, const std::vector<std::uint8_t>& value, std::size_t /*size*/) {
    if (!value.empty()) store_.writeBinary(section_, key, value);
  }

 private:
  SettingsStore& store_;
  std::string_view section_;
};

}  // namespace

ApplicationSettings LoadSettings(const SettingsStore& store, const SettingsEnvironment& environment) {
  ApplicationSettings settings = defaultSettings(environment);
  KeyReader reader(store);
  visitSettingsKeys(settings, reader);
  return settings;
}

void SaveSettings(const ApplicationSettings& settings, SettingsStore& store) {
  KeyWriter writer(store);
  visitSettingsKeys(settings, writer);
}

}  // namespace kalvory
