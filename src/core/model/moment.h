#pragma once

// Whole-second and whole-day arithmetic on local wall-clock moments, shared by the record
// rules. A moment is counted in seconds, a date in days, both from 30 December 1899 00:00, so
// that comparisons and steps are exact integer work.

#include <cstdint>
#include <optional>

#include "core/common/date_time.h"

namespace kalvory::moment {

inline constexpr std::int64_t kSecondsPerDay = 86400;
// The calendar range of the date-time type: 1 January 100 up to (not including) 1 January 10000.
inline constexpr std::int64_t kFirstDay = -657434;
inline constexpr std::int64_t kEndDay = 2958466;

struct CivilDate {
  int year;
  int month;  // 1..12
  int day;    // 1..31
};

constexpr std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
// The remainder that takes the sign of the divisor's magnitude: 0 <= result < |b|.
constexpr std::int64_t floorMod(std::int64_t a, std::int64_t b) {
  const std::int64_t m = b < 0 ? -b : b;
  const std::int64_t r = a % m;
  return r < 0 ? r + m : r;
}

constexpr bool isLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }
constexpr int daysInMonth(int year, int month) {
  constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}
// Whether the date exists in the calendar range of the date-time type (years 100..9999).
constexpr bool dateExists(int year, int month, int day) {
  return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

// Day number of a proleptic Gregorian date (0 is 30 December 1899) and back.
std::int64_t dayNumber(const CivilDate& date);
CivilDate civilDate(std::int64_t dayNumber);

// Sunday = 0 .. Saturday = 6, as the system date structure counts.
constexpr int weekdaySundayFirst(std::int64_t dayNumber) { return static_cast<int>(floorMod(dayNumber + 6, 7)); }
// Monday = 0 .. Sunday = 6, as the day notes count.
constexpr int weekdayMondayFirst(std::int64_t dayNumber) { return static_cast<int>(floorMod(dayNumber + 5, 7)); }

// Whether a moment in seconds lies in the calendar range of the date-time type.
bool inCalendar(std::int64_t seconds);

// The moment in whole seconds (rounded to the nearest), or nullopt for a value that is not a
// valid date-time of the calendar range.
std::optional<std::int64_t> toSeconds(const COleDateTime& value);
// The moment for whole seconds; invalid outside the calendar range.
COleDateTime fromSeconds(std::int64_t seconds);
inline COleDateTime fromDay(std::int64_t day) { return fromSeconds(day * kSecondsPerDay); }

// The calendar date of a value as a day number, or nullopt when it is not valid.
inline std::optional<std::int64_t> toDay(const COleDateTime& value) {
  const auto seconds = toSeconds(value);
  if (!seconds) return std::nullopt;
  return floorDiv(*seconds, kSecondsPerDay);
}

}  // namespace kalvory::moment
