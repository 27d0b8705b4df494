#include "core/model/moment.h"

#include <cmath>

namespace kalvory::moment {

namespace {

// Days from 1 March of year 0 based eras (400 years, 146097 days) to the epoch 30 December 1899.
constexpr std::int64_t kEraDays = 146097;
constexpr std::int64_t kEpochFromMarchZero = 693899;  // dayNumber(1899-12-30) counted from 0000-03-01

}  // namespace

std::int64_t dayNumber(const CivilDate& date) {
  // Count years from March so that the leap day falls at the end of a year.
  const std::int64_t year = static_cast<std::int64_t>(date.year) - (date.month <= 2 ? 1 : 0);
  const std::int64_t era = floorDiv(year, 400);
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t monthFromMarch = date.month > 2 ? date.month - 3 : date.month + 9;
  const std::int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + date.day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * kEraDays + dayOfEra - kEpochFromMarchZero;
}

CivilDate civilDate(std::int64_t day) {
  const std::int64_t fromMarchZero = day + kEpochFromMarchZero;
  const std::int64_t era = floorDiv(fromMarchZero, kEraDays);
  const std::int64_t dayOfEra = fromMarchZero - era * kEraDays;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  const int dayOfMonth = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  const int month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
  const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  return {static_cast<int>(year), month, dayOfMonth};
}

std::optional<std::int64_t> toSeconds(const COleDateTime& value) {
  // The same rounding as the date-time type's own parts, without the calendar conversion, since
  // the document's walks call this once per record. Before the epoch the stored double counts
  // whole days down and the time of day up.
  if (!value.isValid()) return std::nullopt;
  const double stored = value.days();
  if (!std::isfinite(stored)) return std::nullopt;
  double linear = stored;
  if (stored < 0.0) {
    const double whole = std::ceil(stored);
    linear = whole - (stored - whole);
  }
  if (!(linear >= static_cast<double>(kFirstDay) && linear < static_cast<double>(kEndDay))) return std::nullopt;
  const auto seconds = static_cast<std::int64_t>(std::floor(linear * static_cast<double>(kSecondsPerDay) + 0.5));
  if (!inCalendar(seconds)) return std::nullopt;
  return seconds;
}

bool inCalendar(std::int64_t seconds) {
  return seconds >= kFirstDay * kSecondsPerDay && seconds < kEndDay * kSecondsPerDay;
}

COleDateTime fromSeconds(std::int64_t seconds) {
  const std::int64_t day = floorDiv(seconds, kSecondsPerDay);
  const auto secondOfDay = static_cast<int>(seconds - day * kSecondsPerDay);
  // Far outside the calendar the civil conversion itself would overflow an int year.
  if (day < -1000000 || day > 4000000) return COleDateTime::makeInvalid();
  const CivilDate date = civilDate(day);
  if (!dateExists(date.year, date.month, date.day)) return COleDateTime::makeInvalid();
  return COleDateTime(date.year, date.month, date.day, secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
}

}  // namespace kalvory::moment
