#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kalvory {

// A span of time in days (one second is 1/86400, one minute 1/1440).
class COleDateTimeSpan {
 public:
  constexpr COleDateTimeSpan() = default;
  constexpr explicit COleDateTimeSpan(double days) : days_(days) {}
  COleDateTimeSpan(long days, int hours, int minutes, int seconds);

  static COleDateTimeSpan fromSeconds(double seconds) { return COleDateTimeSpan(seconds / 86400.0); }
  static COleDateTimeSpan fromMinutes(double minutes) { return COleDateTimeSpan(minutes / 1440.0); }

  constexpr double days() const { return days_; }
  // Whole units: half a second is added away from zero before truncating (whole days truncate).
  long GetDays() const;
  long GetTotalHours() const;
  long GetTotalMinutes() const;
  long GetTotalSeconds() const;
  // The parts keep the sign of the span: GetTotalX() mod 24 or 60, so -90 s has -1 minutes and -30 seconds.
  int GetHours() const;    // 0..23 part (-23..0 for a negative span)
  int GetMinutes() const;  // 0..59 part
  int GetSeconds() const;  // 0..59 part

  friend constexpr bool operator==(COleDateTimeSpan, COleDateTimeSpan) = default;
  friend constexpr auto operator<=>(COleDateTimeSpan a, COleDateTimeSpan b) { return a.days_ <=> b.days_; }

 private:
  double days_ = 0.0;
};

// A moment: a double of days since 30 December 1899 00:00 with the time of day as the
// fraction, plus a status. Moments before the epoch count the whole days down and the
// time of day up (-1.25 is 29 December 1899 06:00), as the stored files do.
class COleDateTime {
 public:
  enum DateTimeStatus : std::int32_t { valid = 0, invalid = 1, null = 2 };

  constexpr COleDateTime() = default;  // 0.0, valid
  constexpr COleDateTime(double days, DateTimeStatus status) : days_(days), status_(status) {}
  // From calendar parts; impossible parts (hour 24, minute 60, 31 April...) give an invalid value.
  COleDateTime(int year, int month, int day, int hour, int minute, int second);

  static constexpr COleDateTime fromDays(double days) { return COleDateTime(days, valid); }
  static constexpr COleDateTime makeNull() { return COleDateTime(0.0, null); }
  static constexpr COleDateTime makeInvalid() { return COleDateTime(0.0, invalid); }

  // Sets from parts; returns false and sets the status to invalid for impossible parts.
  bool SetDateTime(int year, int month, int day, int hour, int minute, int second);
  bool SetDate(int year, int month, int day) { return SetDateTime(year, month, day, 0, 0, 0); }

  constexpr double days() const { return days_; }
  constexpr DateTimeStatus GetStatus() const { return status_; }
  constexpr bool isValid() const { return status_ == valid; }
  void SetStatus(DateTimeStatus status) { status_ = status; }

  // Calendar parts of a valid value, rounded to the nearest second; -1 when not valid.
  int GetYear() const;
  int GetMonth() const;      // 1..12
  int GetDay() const;        // 1..31
  int GetHour() const;       // 0..23
  int GetMinute() const;     // 0..59
  int GetSecond() const;     // 0..59
  int GetDayOfWeek() const;  // 1 = Sunday .. 7 = Saturday
  int GetDayOfYear() const;  // 1..366

  // Broken-down form as the C run-time's struct tm would hold it (tm_year since 1900,
  // tm_mon 0..11, tm_wday 0 = Sunday, tm_yday 0..365); false when not valid.
  struct Parts {
    int year, month, day, hour, minute, second, dayOfWeek, dayOfYear;
  };
  bool GetParts(Parts& parts) const;

  // The same calendar date at 00:00.
  COleDateTime datePart() const;
  // Compares calendar dates only (year, month, day).
  bool sameDate(const COleDateTime& other) const;

  COleDateTime operator+(COleDateTimeSpan span) const;
  COleDateTime operator-(COleDateTimeSpan span) const;
  // Adding to a value that is not valid leaves it unchanged; a result outside the years
  // 100..9999 is invalid. The difference involving a value that is not valid is zero.
  COleDateTimeSpan operator-(const COleDateTime& other) const;
  COleDateTime& operator+=(COleDateTimeSpan span) { return *this = *this + span; }
  COleDateTime& operator-=(COleDateTimeSpan span) { return *this = *this - span; }

  // Ordering compares the points in time (the stored double is not monotonic before the epoch);
  // the status takes no part in it.
  bool operator<(const COleDateTime& other) const;
  bool operator>(const COleDateTime& other) const { return other < *this; }
  bool operator<=(const COleDateTime& other) const { return !(other < *this); }
  bool operator>=(const COleDateTime& other) const { return !(*this < other); }
  bool operator==(const COleDateTime& other) const { return status_ == other.status_ && days_ == other.days_; }

 private:
  double days_ = 0.0;
  DateTimeStatus status_ = valid;
};

// Where "now" comes from: local wall-clock time in whole seconds. Tests inject their own.
using Clock = std::function<COleDateTime()>;
COleDateTime systemNow();  // the local time now, whole seconds

// The program's own text form of a moment on the command line and in logs, "YYYY-MM-DD HH:MM:SS"
// with every field at its full number of digits. Parsing refuses any other shape and a date or
// time that does not exist.
std::optional<COleDateTime> parseLocalTime(std::string_view text);
std::string formatLocalTime(const COleDateTime& time);

}  // namespace kalvory
