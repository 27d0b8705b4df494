#include "speech/spoken_time.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/common/config_home.h"

namespace russi {

namespace {

// Russian and Ukrainian noun forms: [0] after 1, 21, 31...; [1] after 2-4, 22-24...; [2] otherwise.
int pluralForm(int n) {
  if (n % 10 == 1 && n % 100 != 11) return 0;
  if (n % 10 >= 2 && n % 10 <= 4 && (n % 100 < 12 || n % 100 > 14)) return 1;
  return 2;
}

// A number before a feminine noun: the last "one" or "two" written out in its feminine form.
std::string feminineNumber(int n, const char* one, const char* two) {
  const int last = n % 10;
  if ((last != 1 && last != 2) || n % 100 == 11 || n % 100 == 12) return std::to_string(n);
  const std::string word = last == 1 ? one : two;
  return n >= 10 ? std::to_string(n - last) + " " + word : word;
}

std::string english(int hour, int minute) {
  const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
  std::string text = "It is " + std::to_string(hour12);
  if (minute == 0)
    text += " o'clock";
  else if (minute < 10)
    text += " oh " + std::to_string(minute);
  else
    text += " " + std::to_string(minute);
  return text + (hour < 12 ? " a.m." : " p.m.");
}

std::string russian(int hour, int minute) {
  static const char* const hours[] = {"час", "часа", "часов"};
  static const char* const minutes[] = {"минута", "минуты", "минут"};
  std::string text = std::to_string(hour) + " " + hours[pluralForm(hour)];
  if (minute == 0) return text + " ровно";
  return text + " " + feminineNumber(minute, "одна", "две") + " " + minutes[pluralForm(minute)];
}

std::string ukrainian(int hour, int minute) {
  static const char* const hours[] = {"година", "години", "годин"};
  static const char* const minutes[] = {"хвилина", "хвилини", "хвилин"};
  std::string text = feminineNumber(hour, "одна", "дві") + " " + hours[pluralForm(hour)];
  if (minute == 0) return text + " рівно";
  return text + " " + feminineNumber(minute, "одна", "дві") + " " + minutes[pluralForm(minute)];
}

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

bool parseSmallNumber(const std::string& text, int& value) {
  if (text.empty() || text.size() > 9) return false;
  char* end = nullptr;
  const long number = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + text.size()) return false;
  value = static_cast<int>(number);
  return true;
}

}  // namespace

Language languageFromSetting(int value) {
  if (value == 0) return Language::Russian;
  if (value == 2) return Language::Ukrainian;
  return Language::English;
}

const char* voiceName(Language language) {
  switch (language) {
    case Language::Russian:
      return "ru";
    case Language::Ukrainian:
      return "uk";
    case Language::English:
      break;
  }
  return "en";
}

std::string spokenTime(Language language, int hour, int minute) {
  switch (language) {
    case Language::Russian:
      return russian(hour, minute);
    case Language::Ukrainian:
      return ukrainian(hour, minute);
    case Language::English:
      break;
  }
  return english(hour, minute);
}

int languageFromSettingsText(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  bool inSection = false;
  while (std::getline(lines, line)) {
    line = trimmed(line);
    if (!line.empty() && line.front() == '[') {
      inSection = line == "[AppSettings]";
      continue;
    }
    if (!inSection) continue;
    const auto equals = line.find('=');
    if (equals == std::string::npos || trimmed(line.substr(0, equals)) != "Language") continue;
    int value = 0;
    return parseSmallNumber(trimmed(line.substr(equals + 1)), value) ? value : -1;
  }
  return -1;
}

Language programLanguage() {
  int value = 0;
  if (const char* fromProgram = std::getenv("KALVORY_LANGUAGE"); fromProgram && parseSmallNumber(fromProgram, value))
    return languageFromSetting(value);

  const std::string folder = kalvory::configHomeFolderOf(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
  if (folder.empty()) return Language::English;
  std::ifstream file(folder + "/Kalvory/Kalvory.conf");
  if (!file) return Language::English;
  // A settings file is a few kilobytes; read no more than that much more.
  std::string text(64 * 1024, '\0');
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(file.gcount()));
  const int setting = languageFromSettingsText(text);
  return setting < 0 ? Language::English : languageFromSetting(setting);
}

}  // namespace russi
