#include "core/model/moment.h"

#include <cmath>

#include "core/common/civil_date.h"

namespace kalvory::moment {

std::int64_t dayNumber(const CivilDate& date) {
  return civil::daysFromCivil(date.year, date.month, date.day) - civil::kDayZeroFromUnix;
}

CivilDate civilDate(std::int64_t day) {
  const civil::Date date = civil::civilFromDays(day + civil::kDayZeroFromUnix);
  return {date.year, date.month, date.day};
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
