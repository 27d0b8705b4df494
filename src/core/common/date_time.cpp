#include "core/common/date_time.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <limits>

#include "core/common/civil_date.h"

namespace kalvory {

namespace {

constexpr double kHalfSecond = 1.0 / 172800.0;
constexpr std::int64_t kSecondsPerDay = 86400;

using civil::civilFromDays;
using civil::daysFromCivil;
using CivilDate = civil::Date;

// The stored days count from 30 December 1899.
constexpr std::int64_t kEpochFromUnix = civil::kDayZeroFromUnix;
constexpr std::int64_t kFirstDay = daysFromCivil(100, 1, 1) - kEpochFromUnix;
constexpr std::int64_t kEndDay = daysFromCivil(10000, 1, 1) - kEpochFromUnix;  // first day past the range

constexpr bool isLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

constexpr int daysInMonth(int year, int month) {
  constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// The stored double counts whole days down before the epoch but the time of day up;
// this turns it into a plain count of days that grows with time.
double toLinear(double stored) {
  if (stored >= 0.0) return stored;
  const double whole = std::ceil(stored);
  return whole - (stored - whole);
}

double fromLinear(double linear) {
  if (linear >= 0.0) return linear;
  const double whole = std::floor(linear);
  return whole - (linear - whole);
}

bool linearInRange(double linear) {
  return std::isfinite(linear) && linear >= static_cast<double>(kFirstDay) && linear < static_cast<double>(kEndDay);
}

// The moment rounded to the nearest second, counted in seconds from the epoch; false out of range.
bool roundedSeconds(double stored, std::int64_t& seconds) {
  if (!std::isfinite(stored)) return false;
  const double linear = toLinear(stored);
  if (!linearInRange(linear)) return false;
  seconds = static_cast<std::int64_t>(std::floor(linear * static_cast<double>(kSecondsPerDay) + 0.5));
  return seconds < kEndDay * kSecondsPerDay;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// Truncation toward zero that cannot overflow: out-of-range values are held at the limits.
long truncateToLong(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kLimit = 9.2e18;
  if (value >= kLimit) return std::numeric_limits<long>::max();
  if (value <= -kLimit) return std::numeric_limits<long>::min();
  return static_cast<long>(std::trunc(value));
}

double withHalfSecond(double days) { return days >= 0.0 ? days + kHalfSecond : days - kHalfSecond; }

}  // namespace

// ---------------------------------------------------------------- COleDateTimeSpan

COleDateTimeSpan::COleDateTimeSpan(long days, int hours, int minutes, int seconds)
    : days_(static_cast<double>(days) + hours / 24.0 + minutes / 1440.0 + seconds / 86400.0) {}

long COleDateTimeSpan::GetDays() const { return truncateToLong(days_); }
long COleDateTimeSpan::GetTotalHours() const { return truncateToLong(withHalfSecond(days_) * 24.0); }
long COleDateTimeSpan::GetTotalMinutes() const { return truncateToLong(withHalfSecond(days_) * 1440.0); }
long COleDateTimeSpan::GetTotalSeconds() const { return truncateToLong(withHalfSecond(days_) * 86400.0); }
int COleDateTimeSpan::GetHours() const { return static_cast<int>(GetTotalHours() % 24); }
int COleDateTimeSpan::GetMinutes() const { return static_cast<int>(GetTotalMinutes() % 60); }
int COleDateTimeSpan::GetSeconds() const { return static_cast<int>(GetTotalSeconds() % 60); }

// ---------------------------------------------------------------- COleDateTime

COleDateTime::COleDateTime(int year, int month, int day, int hour, int minute, int second) {
  SetDateTime(year, month, day, hour, minute, second);
}

bool COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second) {
  const bool possible = year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
                        day <= daysInMonth(year, month) && hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 &&
                        second >= 0 && second <= 59;
  if (!possible) {
    days_ = 0.0;
    status_ = invalid;
    return false;
  }
  const auto dayNumber = static_cast<double>(daysFromCivil(year, month, day) - kEpochFromUnix);
  const double timeOfDay = (hour * 3600 + minute * 60 + second) / 86400.0;
  days_ = dayNumber >= 0.0 ? dayNumber + timeOfDay : dayNumber - timeOfDay;
  status_ = valid;
  return true;
}

bool COleDateTime::GetParts(Parts& parts) const {
  std::int64_t seconds = 0;
  if (status_ != valid || !roundedSeconds(days_, seconds)) return false;
  const std::int64_t dayNumber = floorDiv(seconds, kSecondsPerDay);
  const auto secondOfDay = static_cast<int>(seconds - dayNumber * kSecondsPerDay);
  const std::int64_t unixDay = dayNumber + kEpochFromUnix;
  const CivilDate date = civilFromDays(unixDay);
  parts.year = date.year - 1900;
  parts.month = date.month - 1;
  parts.day = date.day;
  parts.hour = secondOfDay / 3600;
  parts.minute = secondOfDay / 60 % 60;
  parts.second = secondOfDay % 60;
  // 1 January 1970 was a Thursday.
  parts.dayOfWeek = static_cast<int>(((unixDay + 4) % 7 + 7) % 7);
  parts.dayOfYear = static_cast<int>(unixDay - daysFromCivil(date.year, 1, 1));
  return true;
}

int COleDateTime::GetYear() const {
  Parts parts{};
  return GetParts(parts) ? parts.year + 1900 : -1;
}
int COleDateTime::GetMonth() const {
  Parts parts{};
  return GetParts(parts) ? parts.month + 1 : -1;
}
int COleDateTime::GetDay() const {
  Parts parts{};
  return GetParts(parts) ? parts.day : -1;
}
int COleDateTime::GetHour() const {
  Parts parts{};
  return GetParts(parts) ? parts.hour : -1;
}
int COleDateTime::GetMinute() const {
  Parts parts{};
  return GetParts(parts) ? parts.minute : -1;
}
int COleDateTime::GetSecond() const {
  Parts parts{};
  return GetParts(parts) ? parts.second : -1;
}
int COleDateTime::GetDayOfWeek() const {
  Parts parts{};
  return GetParts(parts) ? parts.dayOfWeek + 1 : -1;
}
int COleDateTime::GetDayOfYear() const {
  Parts parts{};
  return GetParts(parts) ? parts.dayOfYear + 1 : -1;
}

COleDateTime COleDateTime::datePart() const {
  Parts parts{};
  if (!GetParts(parts)) return *this;
  return COleDateTime(parts.year + 1900, parts.month + 1, parts.day, 0, 0, 0);
}

bool COleDateTime::sameDate(const COleDateTime& other) const {
  Parts mine{};
  Parts theirs{};
  if (!GetParts(mine) || !other.GetParts(theirs)) return false;
  return mine.year == theirs.year && mine.month == theirs.month && mine.day == theirs.day;
}

COleDateTime COleDateTime::operator+(COleDateTimeSpan span) const {
  if (status_ != valid) return *this;
  const double linear = toLinear(days_) + span.days();
  if (!linearInRange(linear)) return makeInvalid();
  return COleDateTime(fromLinear(linear), valid);
}

COleDateTime COleDateTime::operator-(COleDateTimeSpan span) const { return *this + COleDateTimeSpan(-span.days()); }

COleDateTimeSpan COleDateTime::operator-(const COleDateTime& other) const {
  if (status_ != valid || other.status_ != valid) return COleDateTimeSpan();
  return COleDateTimeSpan(toLinear(days_) - toLinear(other.days_));
}

bool COleDateTime::operator<(const COleDateTime& other) const { return toLinear(days_) < toLinear(other.days_); }

COleDateTime systemNow() {
  const std::time_t seconds = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return COleDateTime::makeInvalid();
  // A leap second (tm_sec 60) is shown as the last ordinary second of its minute.
  return COleDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                      local.tm_sec > 59 ? 59 : local.tm_sec);
}

std::optional<COleDateTime> parseLocalTime(std::string_view text) {
  // YYYY-MM-DD HH:MM:SS
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' || text[16] != ':') {
    return std::nullopt;
  }
  int parts[6];
  const std::size_t starts[6] = {0, 5, 8, 11, 14, 17};
  const std::size_t lengths[6] = {4, 2, 2, 2, 2, 2};
  for (int i = 0; i < 6; ++i) {
    const std::string_view piece = text.substr(starts[i], lengths[i]);
    for (char c : piece) {
      if (c < '0' || c > '9') return std::nullopt;
    }
    parts[i] = 0;
    for (char c : piece) parts[i] = parts[i] * 10 + (c - '0');
  }
  if (parts[0] < 100) return std::nullopt;  // the date-time's calendar starts in the year 100
  const COleDateTime time(parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]);
  if (!time.isValid()) return std::nullopt;
  return time;
}

std::string formatLocalTime(const COleDateTime& time) {
  char buffer[80];  // room for any int in every field, so nothing is ever cut
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", time.GetYear(), time.GetMonth(), time.GetDay(),
                time.GetHour(), time.GetMinute(), time.GetSecond());
  return buffer;
}

}  // namespace kalvory
