// kalvory-cli settings: every user setting as the program loads it, defaults for missing keys.
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/line_text.h"
#include "core/common/text.h"
#include "core/settings/app_settings.h"
#include "core/settings/app_settings_keys.h"
#include "core/settings/settings_date_text.h"
#include "platform/settings/ini_settings_store.h"
#include "platform/settings/user_folders.h"

namespace kalvory::cli {
namespace {

// Without a display there is no screen to measure; this is the width the defaults assume then.
constexpr int kDefaultScreenWidth = 1024;
constexpr int kLargestScreenWidth = 100000;

std::string hexBytes(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  char pair[3];
  for (std::uint8_t byte : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", byte);
    text += pair;
  }
  return text;
}

std::string fontText(const FontDescription& font) {
  return font.face_name + "; height " + std::to_string(font.height) + "; weight " + std::to_string(font.weight) +
         "; italic " + (font.italic ? "1" : "0");
}

const char* languageName(UiLanguage language) {
  switch (language) {
    case UiLanguage::Russian:
      return "Russian";
    case UiLanguage::Ukrainian:
      return "Ukrainian";
    case UiLanguage::English:
      break;
  }
  return "English";
}

// Collects each key with the text it would be saved as; `quoted` marks the values that are
// strings (or raw bytes, shown as hexadecimal) rather than numbers.
class KeyLister {
 public:
  struct Entry {
    std::string key;
    std::string value;
    bool quoted;
    bool present;  // false for raw bytes that were never stored
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };

  void section(std::string_view name) { sections.push_back({std::string(name), {}}); }
  void integer(std::string_view key, const std::int32_t& value) { add(key, std::to_string(value), false); }
  void color(std::string_view key, const ColorRef& value) {
    add(key, std::to_string(static_cast<std::int32_t>(value)), false);
  }
  void flag(std::string_view key, const bool& value) { add(key, value ? "1" : "0", false); }
  void text(std::string_view key, const std::string& value) { add(key, value, true); }
  void recentFile(std::string_view key, const std::string& value) { add(key, value, true); }
  void interval(std::string_view key, const COleDateTimeSpan& value) {
    add(key, std::to_string(intervalToMinutes(value)), false);
  }
  void dateTime(std::string_view key, const COleDateTime& value) { add(key, formatSettingsDateTime(value), true); }
  void binary(std::string_view key, const std::vector<std::uint8_t>& value, std::size_t /*size*/) {
    add(key, hexBytes(value), true, !value.empty());
  }

  std::vector<Section> sections;

 private:
  void add(std::string_view key, std::string value, bool quoted, bool present = true) {
    sections.back().entries.push_back({std::string(key), std::move(value), quoted, present});
  }
};

std::vector<std::pair<std::string, std::string>> derivedValues(const ApplicationSettings& settings) {
  return {
      {"ClockFont", fontText(settings.clock.font)},
      {"TextFont", fontText(settings.text.font)},
      {"UiLanguage", languageName(settings.app.uiLanguage())},
      {"Locale", std::string(settings.app.localeName())},
      {"ResourceLanguage", std::to_string(settings.app.resourceLanguageId())},
      {"IntervalSeconds", std::to_string(settings.wallpaper.interval.GetTotalSeconds())},
      {"LastChangedValid", settings.wallpaper.last_changed.isValid() ? "1" : "0"},
  };
}

void printText(std::ostream& out, const std::string& file, bool fileExists, const ApplicationSettings& settings,
               const KeyLister& lister) {
  out << "; settings file: " << file << (fileExists ? "" : " (none yet: every value is a default)") << "\n";
  for (const auto& section : lister.sections) {
    out << "[" << section.name << "]\n";
    for (const auto& entry : section.entries) out << entry.key << "=" << lineSafe(entry.value) << "\n";
  }
  out << "[Derived]\n";
  for (const auto& [key, value] : derivedValues(settings)) out << key << "=" << value << "\n";
}

void printJson(std::ostream& out, const std::string& file, bool fileExists, const ApplicationSettings& settings,
               const KeyLister& lister) {
  out << "{\n  \"file\": " << jsonQuoted(file) << ",\n  \"fileExists\": " << (fileExists ? "true" : "false");
  for (const auto& section : lister.sections) {
    out << ",\n  " << jsonQuoted(section.name) << ": {";
    const char* separator = "\n";
    for (const auto& entry : section.entries) {
      out << separator << "    " << jsonQuoted(entry.key) << ": ";
      if (!entry.present) {
        out << "null";
      } else if (entry.quoted) {
        out << jsonQuoted(entry.value);
      } else {
        out << entry.value;
      }
      separator = ",\n";
    }
    out << "\n  }";
  }
  out << ",\n  \"Derived\": {";
  const char* separator = "\n";
  for (const auto& [key, value] : derivedValues(settings)) {
    out << separator << "    " << jsonQuoted(key) << ": ";
    if (key == "ResourceLanguage" || key == "IntervalSeconds") {
      out << value;
    } else if (key == "LastChangedValid") {
      out << (value == "1" ? "true" : "false");
    } else {
      out << jsonQuoted(value);
    }
    separator = ",\n";
  }
  out << "\n  }\n}\n";
}

int runSettings(CommandContext& context) {
  Arguments arguments(context.args);
  std::string file, widthText;
  const bool haveFile = arguments.takeOption("--config", file);
  const bool haveWidth = arguments.takeOption("--screen-width", widthText);
  const bool json = arguments.takeFlag("--json");
  arguments.positionals(0, 0);

  int width = kDefaultScreenWidth;
  if (haveWidth) {
    const std::optional<int> number = parseNumber<int>(widthText);
    width = number.value_or(0);
    if (width < 1 || width > kLargestScreenWidth) {
      return context.refuse("--screen-width needs a number of pixels from 1 to " + std::to_string(kLargestScreenWidth) +
                            ": " + widthText);
    }
  }
  if (!haveFile) file = defaultSettingsFilePath();

  const IniSettingsStore store(file);
  const bool fileExists = store.fileState() != IniSettingsStore::FileState::Missing;
  if (haveFile && !fileExists) return context.refuse("no such settings file: " + file);
  if (const std::string problem = store.problem(); !problem.empty()) return context.refuse(problem);

  const ApplicationSettings settings = LoadSettings(store, SettingsEnvironment{width, picturesFolder(), nullptr});
  KeyLister lister;
  visitSettingsKeys(settings, lister);
  if (json) {
    printJson(context.out, file, fileExists, settings, lister);
  } else {
    printText(context.out, file, fileExists, settings, lister);
  }
  return kExitOk;
}

const Registration registration{{"settings", "settings [--config FILE] [--screen-width N] [--json]",
                                 "Prints every user setting as the program loads it, with the default for each "
                                 "missing key (the file defaults to $XDG_CONFIG_HOME/Kalvory/Kalvory.conf, the "
                                 "screen width to 1024).",
                                 runSettings}};

}  // namespace
}  // namespace kalvory::cli
