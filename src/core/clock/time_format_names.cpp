// The interface language's weekday and month names for the clock's %a %A %b %B, and the check
// that finds the first code a format gets wrong.
#include <array>
#include <string>
#include <string_view>

#include "core/clock/time_format.h"

namespace kalvory {

namespace {

struct LanguageNames {
  std::array<const char*, 7> shortDays;  // from Sunday
  std::array<const char*, 7> fullDays;
  std::array<const char*, 12> shortMonths;  // from January
  std::array<const char*, 12> fullMonths;   // nominative: "декабрь 2026"
  std::array<const char*, 12> monthsOfDay;  // genitive: "8 декабря"
};

constexpr LanguageNames kRussian{{"вс", "пн", "вт", "ср", "чт", "пт", "сб"},
                                 {"воскресенье", "понедельник", "вторник", "среда", "четверг", "пятница", "суббота"},
                                 {"янв", "фев", "мар", "апр", "май", "июн", "июл", "авг", "сен", "окт", "ноя", "дек"},
                                 {"январь", "февраль", "март", "апрель", "май", "июнь", "июль", "август", "сентябрь",
                                  "октябрь", "ноябрь", "декабрь"},
                                 {"января", "февраля", "марта", "апреля", "мая", "июня", "июля", "августа", "сентября",
                                  "октября", "ноября", "декабря"}};

constexpr LanguageNames kUkrainian{{"нд", "пн", "вт", "ср", "чт", "пт", "сб"},
                                   {"неділя", "понеділок", "вівторок", "середа", "четвер", "п’ятниця", "субота"},
                                   {"січ", "лют", "бер", "кві", "тра", "чер", "лип", "сер", "вер", "жов", "лис", "гру"},
                                   {"січень", "лютий", "березень", "квітень", "травень", "червень", "липень", "серпень",
                                    "вересень", "жовтень", "листопад", "грудень"},
                                   {"січня", "лютого", "березня", "квітня", "травня", "червня", "липня", "серпня",
                                    "вересня", "жовтня", "листопада", "грудня"}};

// True when the text written so far ends with a day of the month ("%d" or "%#d") and blanks.
bool followsDayOfMonth(std::string_view written) {
  while (!written.empty() && written.back() == ' ') written.remove_suffix(1);
  return written.ends_with("%d") || written.ends_with("%#d");
}

constexpr std::string_view kStrftimeCodes = "aAbBcdHIjmMpSUwWxXyYzZ%";
constexpr std::string_view kOwnCodes = "TLlVefgkEFGKD~-";
constexpr std::string_view kRussianDayCode = "\xD0\xB4";    // д
constexpr std::string_view kRussianMonthCode = "\xD0\xBC";  // м

}  // namespace

std::string localizeNameCodes(std::string_view format, const COleDateTime& when, UiLanguage language) {
  if (language == UiLanguage::English || !when.isValid()) return std::string(format);
  const LanguageNames& names = language == UiLanguage::Russian ? kRussian : kUkrainian;
  const int weekday = when.GetDayOfWeek() - 1;  // 1 is Sunday
  const int month = when.GetMonth() - 1;
  std::string result;
  result.reserve(format.size() + 16);
  std::size_t i = 0;
  while (i < format.size()) {
    if (format[i] != '%' || i + 1 >= format.size()) {
      result += format[i++];
      continue;
    }
    const std::size_t letter = format[i + 1] == '#' ? i + 2 : i + 1;
    const char code = letter < format.size() ? format[letter] : '\0';
    const char* name = nullptr;
    if (weekday >= 0 && weekday < 7 && code == 'a') name = names.shortDays[static_cast<std::size_t>(weekday)];
    if (weekday >= 0 && weekday < 7 && code == 'A') name = names.fullDays[static_cast<std::size_t>(weekday)];
    if (month >= 0 && month < 12 && code == 'b') name = names.shortMonths[static_cast<std::size_t>(month)];
    if (month >= 0 && month < 12 && code == 'B')
      name = followsDayOfMonth(result) ? names.monthsOfDay[static_cast<std::size_t>(month)]
                                       : names.fullMonths[static_cast<std::size_t>(month)];
    if (name != nullptr) {
      result += name;
    } else {
      // Any other code, "%%" included, is copied whole so that its letter is not read again.
      result.append(format.substr(i, std::min(letter + 1, format.size()) - i));
    }
    i = letter + 1;
  }
  return result;
}

std::optional<UnknownFormatCode> firstUnknownFormatCode(std::string_view format) {
  std::size_t i = 0;
  while (i < format.size()) {
    if (format[i] != '%') {
      ++i;
      continue;
    }
    const std::size_t start = i;
    std::size_t letter = i + 1;
    const bool flagged = letter < format.size() && format[letter] == '#';
    if (flagged) ++letter;
    if (letter >= format.size()) return UnknownFormatCode{start, std::string(format.substr(start))};
    const std::string_view rest = format.substr(letter);
    if (kStrftimeCodes.find(format[letter]) != std::string_view::npos) {
      i = letter + 1;
      continue;
    }
    if (!flagged && kOwnCodes.find(format[letter]) != std::string_view::npos) {
      i = letter + 1;
      continue;
    }
    if (!flagged && (rest.starts_with(kRussianDayCode) || rest.starts_with(kRussianMonthCode))) {
      i = letter + 2;
      continue;
    }
    // The unknown character whole, even when it takes several UTF-8 bytes.
    std::size_t end = letter + 1;
    while (end < format.size() && (static_cast<unsigned char>(format[end]) & 0xC0) == 0x80) ++end;
    return UnknownFormatCode{start, std::string(format.substr(start, end - start))};
  }
  return std::nullopt;
}

}  // namespace kalvory
