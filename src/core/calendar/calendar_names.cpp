#include "core/calendar/calendar_names.h"

#include <cstddef>
#include <string_view>

#include "core/common/text.h"

namespace kalvory {

namespace {

// The short day names and stand-alone month names of en_US, ru_RU and uk_UA as the desktop's
// locale data gives them, so that the command-line tools print what the window shows.
const std::array<std::string, 7> kEnglishDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const std::array<std::string, 7> kRussianDays = {"вс", "пн", "вт", "ср", "чт", "пт", "сб"};
const std::array<std::string, 7> kUkrainianDays = {"нд", "пн", "вт", "ср", "чт", "пт", "сб"};

const std::array<std::string, 12> kEnglishMonths = {"January",   "February", "March",    "April",
                                                    "May",       "June",     "July",     "August",
                                                    "September", "October",  "November", "December"};
const std::array<std::string, 12> kRussianMonths = {"январь", "февраль", "март",     "апрель",  "май",    "июнь",
                                                    "июль",   "август",  "сентябрь", "октябрь", "ноябрь", "декабрь"};
const std::array<std::string, 12> kUkrainianMonths = {"січень",   "лютий",   "березень", "квітень",
                                                      "травень",  "червень", "липень",   "серпень",
                                                      "вересень", "жовтень", "листопад", "грудень"};

const std::string kNoName;

// The first `count` characters (not bytes: the Cyrillic names take two bytes a letter).
std::string firstCharacters(std::string_view text, int count) {
  std::string out;
  std::size_t pos = 0;
  for (int taken = 0; taken < count && pos < text.size(); ++taken) appendUtf8(out, nextCodePoint(text, pos));
  return out;
}

}  // namespace

bool weekStartsOnSunday(UiLanguage language) { return language == UiLanguage::English; }

const std::string& abbreviatedDayName(int sundayFirstWeekday, UiLanguage language) {
  if (sundayFirstWeekday < 0 || sundayFirstWeekday > 6) return kNoName;
  const auto index = static_cast<std::size_t>(sundayFirstWeekday);
  switch (language) {
    case UiLanguage::Russian:
      return kRussianDays[index];
    case UiLanguage::Ukrainian:
      return kUkrainianDays[index];
    default:
      return kEnglishDays[index];
  }
}

std::array<std::string, 7> weekdayHeader(UiLanguage language) {
  const int firstDay = weekStartsOnSunday(language) ? 0 : 1;
  std::array<std::string, 7> header;
  for (int column = 0; column < 7; ++column) {
    header[static_cast<std::size_t>(column)] =
        firstCharacters(abbreviatedDayName((firstDay + column) % 7, language), 2);
  }
  return header;
}

const std::string& calendarMonthName(int month, UiLanguage language) {
  if (month < 1 || month > 12) return kNoName;
  const auto index = static_cast<std::size_t>(month - 1);
  switch (language) {
    case UiLanguage::Russian:
      return kRussianMonths[index];
    case UiLanguage::Ukrainian:
      return kUkrainianMonths[index];
    default:
      return kEnglishMonths[index];
  }
}

}  // namespace kalvory
