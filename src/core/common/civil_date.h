#pragma once

#include <cstdint>

// Day numbers of the proleptic Gregorian calendar, the one conversion behind both the date-time
// type and the document's second counts. Years are counted from March inside 400-year eras of
// 146097 days, so that the leap day falls at the end of a year and negative days need no
// special case.
namespace kalvory::civil {

struct Date {
  int year;
  int month;  // 1..12
  int day;    // 1..31
};

// Days from 1 January 1970 to the given date.
constexpr std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// The date `days` after 1 January 1970.
constexpr Date civilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  const int month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
  const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  return {static_cast<int>(year), month, day};
}

// The date-time type's day 0, 30 December 1899, counted from 1 January 1970.
inline constexpr std::int64_t kDayZeroFromUnix = daysFromCivil(1899, 12, 30);

}  // namespace kalvory::civil
