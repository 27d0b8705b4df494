#include "core/common/date_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

namespace kalvory {
namespace {

constexpr double kSecond = 1.0 / 86400.0;

TEST(DateTime, KnownDaysAndParts) {
  EXPECT_DOUBLE_EQ(COleDateTime(1899, 12, 30, 0, 0, 0).days(), 0.0);
  EXPECT_DOUBLE_EQ(COleDateTime(1900, 1, 1, 0, 0, 0).days(), 2.0);
  EXPECT_DOUBLE_EQ(COleDateTime(2000, 1, 1, 18, 0, 0).days(), 36526.75);
  EXPECT_DOUBLE_EQ(COleDateTime(100, 1, 1, 0, 0, 0).days(), -657434.0);
  EXPECT_DOUBLE_EQ(COleDateTime(9999, 12, 31, 0, 0, 0).days(), 2958465.0);

  const COleDateTime moment(1995, 3, 14, 12, 41, 29);
  EXPECT_TRUE(moment.isValid());
  EXPECT_EQ(moment.GetYear(), 1995);
  EXPECT_EQ(moment.GetMonth(), 3);
  EXPECT_EQ(moment.GetDay(), 14);
  EXPECT_EQ(moment.GetHour(), 12);
  EXPECT_EQ(moment.GetMinute(), 41);
  EXPECT_EQ(moment.GetSecond(), 29);
  EXPECT_EQ(moment.GetDayOfWeek(), 3);  // Tuesday
  EXPECT_EQ(moment.GetDayOfYear(), 73);

  COleDateTime::Parts parts{};
  ASSERT_TRUE(moment.GetParts(parts));
  EXPECT_EQ(parts.year, 95);  // struct tm style
  EXPECT_EQ(parts.month, 2);
  EXPECT_EQ(parts.dayOfWeek, 2);
  EXPECT_EQ(parts.dayOfYear, 72);

  EXPECT_EQ(COleDateTime(2024, 12, 31, 0, 0, 0).GetDayOfYear(), 366);
  EXPECT_EQ(COleDateTime(1899, 12, 30, 0, 0, 0).GetDayOfWeek(), 7);  // Saturday
}

TEST(DateTime, ImpossiblePartsGiveInvalid) {
  struct Case {
    int year, month, day, hour, minute, second;
  };
  const Case impossible[] = {
      {2024, 1, 1, 24, 0, 0}, {2024, 1, 1, 0, 60, 0}, {2024, 1, 1, 0, 0, 60}, {2024, 4, 31, 0, 0, 0},
      {2023, 2, 29, 0, 0, 0}, {1900, 2, 29, 0, 0, 0}, {99, 12, 31, 0, 0, 0},  {10000, 1, 1, 0, 0, 0},
      {2024, 0, 1, 0, 0, 0},  {2024, 13, 1, 0, 0, 0}, {2024, 1, 0, 0, 0, 0},  {2024, 1, 1, -1, 0, 0},
  };
  for (const auto& c : impossible) {
    COleDateTime value(c.year, c.month, c.day, c.hour, c.minute, c.second);
    EXPECT_EQ(value.GetStatus(), COleDateTime::invalid) << c.year << "-" << c.month << "-" << c.day;
    EXPECT_EQ(value.GetYear(), -1);
    COleDateTime reset = COleDateTime::fromDays(5.0);
    EXPECT_FALSE(reset.SetDateTime(c.year, c.month, c.day, c.hour, c.minute, c.second));
    EXPECT_EQ(reset.GetStatus(), COleDateTime::invalid);
  }
  EXPECT_TRUE(COleDateTime(2000, 2, 29, 23, 59, 59).isValid());
  EXPECT_TRUE(COleDateTime(2024, 2, 29, 0, 0, 0).isValid());

  COleDateTime value;
  EXPECT_TRUE(value.SetDate(2024, 2, 29));
  EXPECT_EQ(value.GetHour(), 0);

  // Values outside the years 100..9999 and non-numbers have no parts.
  EXPECT_EQ(COleDateTime::fromDays(-700000.0).GetYear(), -1);
  EXPECT_EQ(COleDateTime::fromDays(2958466.0).GetYear(), -1);
  EXPECT_EQ(COleDateTime::fromDays(std::nan("")).GetYear(), -1);
  EXPECT_EQ(COleDateTime::makeNull().GetYear(), -1);
  COleDateTime::Parts parts{};
  EXPECT_FALSE(COleDateTime::makeInvalid().GetParts(parts));
}

TEST(DateTime, PartsRoundToNearestSecond) {
  const double base = COleDateTime(2020, 6, 15, 10, 20, 30).days();
  EXPECT_EQ(COleDateTime::fromDays(base + 0.4 * kSecond).GetSecond(), 30);
  EXPECT_EQ(COleDateTime::fromDays(base + 0.6 * kSecond).GetSecond(), 31);
  EXPECT_EQ(COleDateTime::fromDays(base - 0.4 * kSecond).GetSecond(), 30);
  // Rounding carries over into the next day.
  const COleDateTime lateNight =
      COleDateTime::fromDays(COleDateTime(2020, 12, 31, 0, 0, 0).days() + 1.0 - 0.3 * kSecond);
  EXPECT_EQ(lateNight.GetYear(), 2021);
  EXPECT_EQ(lateNight.GetMonth(), 1);
  EXPECT_EQ(lateNight.GetDay(), 1);
  EXPECT_EQ(lateNight.GetHour(), 0);
}

TEST(DateTime, BeforeTheEpochDaysCountBackAndTimeForward) {
  const COleDateTime value = COleDateTime::fromDays(-1.25);
  EXPECT_EQ(value.GetYear(), 1899);
  EXPECT_EQ(value.GetMonth(), 12);
  EXPECT_EQ(value.GetDay(), 29);
  EXPECT_EQ(value.GetHour(), 6);
  EXPECT_DOUBLE_EQ(COleDateTime(1899, 12, 29, 6, 0, 0).days(), -1.25);
  EXPECT_DOUBLE_EQ(COleDateTime(1899, 12, 29, 18, 0, 0).days(), -1.75);
  EXPECT_DOUBLE_EQ(COleDateTime(1800, 3, 1, 12, 0, 0).days(), -36463.5);
  EXPECT_EQ(COleDateTime(1800, 3, 1, 12, 0, 0).GetDayOfWeek(), 7);  // a Saturday

  // Between -1 and 0 the value is a time on 30 December 1899 itself.
  const COleDateTime halfDay = COleDateTime::fromDays(-0.5);
  EXPECT_EQ(halfDay.GetDay(), 30);
  EXPECT_EQ(halfDay.GetHour(), 12);

  // Arithmetic moves through real time across the epoch and across pre-epoch midnights.
  const COleDateTime morning = COleDateTime(1899, 12, 29, 6, 0, 0);
  const COleDateTime evening = morning + COleDateTimeSpan(0.5);
  EXPECT_DOUBLE_EQ(evening.days(), -1.75);
  EXPECT_EQ(evening.GetHour(), 18);
  const COleDateTime nextDay = evening + COleDateTimeSpan(0, 12, 0, 0);
  EXPECT_DOUBLE_EQ(nextDay.days(), 0.25);
  EXPECT_EQ(nextDay.GetDay(), 30);
  EXPECT_DOUBLE_EQ((nextDay - COleDateTimeSpan(1.0)).days(), -1.25);
  EXPECT_DOUBLE_EQ((COleDateTime::fromDays(0.25) - morning).days(), 1.0);
  EXPECT_DOUBLE_EQ((morning - COleDateTime::fromDays(0.25)).days(), -1.0);

  // Ordering follows time, not the stored double: -1.75 (18:00) is after -1.25 (06:00).
  EXPECT_TRUE(COleDateTime::fromDays(-1.25) < COleDateTime::fromDays(-1.75));
  EXPECT_FALSE(COleDateTime::fromDays(-1.75) < COleDateTime::fromDays(-1.0));
  EXPECT_TRUE(COleDateTime::fromDays(-1.75) < COleDateTime::fromDays(0.0));
  EXPECT_TRUE(COleDateTime::fromDays(-2.0) < COleDateTime::fromDays(-1.9));
  EXPECT_TRUE(COleDateTime::fromDays(-1.75) >= COleDateTime::fromDays(-1.25));
  EXPECT_FALSE(COleDateTime::fromDays(-1.75) <= COleDateTime::fromDays(-1.25));
}

TEST(DateTime, ArithmeticAndRange) {
  const COleDateTime start(2023, 12, 31, 23, 59, 30);
  const COleDateTime later = start + COleDateTimeSpan::fromSeconds(45);
  EXPECT_EQ(later.GetYear(), 2024);
  EXPECT_EQ(later.GetSecond(), 15);
  EXPECT_NEAR((later - start).days() * 86400.0, 45.0, 1e-6);
  COleDateTime moving = start;
  moving += COleDateTimeSpan::fromMinutes(1);
  moving -= COleDateTimeSpan::fromMinutes(2);
  EXPECT_EQ(moving.GetMinute(), 58);

  // Leaving the years 100..9999 makes the result invalid; a value that is not valid stays as it is.
  EXPECT_EQ((COleDateTime(9999, 12, 31, 12, 0, 0) + COleDateTimeSpan(1.0)).GetStatus(), COleDateTime::invalid);
  EXPECT_EQ((COleDateTime(100, 1, 1, 12, 0, 0) - COleDateTimeSpan(1.0)).GetStatus(), COleDateTime::invalid);
  EXPECT_EQ((COleDateTime::makeNull() + COleDateTimeSpan(1.0)).GetStatus(), COleDateTime::null);
  EXPECT_DOUBLE_EQ((COleDateTime::makeInvalid() - start).days(), 0.0);
}

TEST(DateTime, CalendarDateComparison) {
  const COleDateTime morning(2024, 3, 5, 0, 0, 1);
  const COleDateTime evening(2024, 3, 5, 23, 59, 59);
  EXPECT_TRUE(morning.sameDate(evening));
  EXPECT_FALSE(morning.sameDate(COleDateTime(2024, 3, 6, 0, 0, 0)));
  EXPECT_FALSE(morning.sameDate(COleDateTime::makeNull()));
  EXPECT_DOUBLE_EQ(evening.datePart().days(), COleDateTime(2024, 3, 5, 0, 0, 0).days());
  EXPECT_TRUE(COleDateTime::fromDays(-1.25).sameDate(COleDateTime::fromDays(-1.75)));
  EXPECT_DOUBLE_EQ(COleDateTime::fromDays(-1.75).datePart().days(), -1.0);
  EXPECT_EQ(COleDateTime::makeNull().datePart().GetStatus(), COleDateTime::null);
}

TEST(DateTimeSpan, WholeUnitsAddHalfASecondAwayFromZero) {
  // 1 day 2 hours 3 minutes 4 seconds, slightly short as a real difference would be.
  const COleDateTimeSpan ahead(COleDateTimeSpan(1, 2, 3, 4).days() - 1e-9);
  EXPECT_EQ(ahead.GetDays(), 1);
  EXPECT_EQ(ahead.GetHours(), 2);
  EXPECT_EQ(ahead.GetMinutes(), 3);
  EXPECT_EQ(ahead.GetSeconds(), 4);
  EXPECT_EQ(ahead.GetTotalHours(), 26);
  EXPECT_EQ(ahead.GetTotalMinutes(), 1563);
  EXPECT_EQ(ahead.GetTotalSeconds(), 93784);

  const COleDateTimeSpan past = COleDateTimeSpan::fromSeconds(-90);
  EXPECT_EQ(past.GetDays(), 0);
  EXPECT_EQ(past.GetTotalSeconds(), -90);
  EXPECT_EQ(past.GetMinutes(), -1);
  EXPECT_EQ(past.GetSeconds(), -30);
  EXPECT_EQ(past.GetTotalMinutes(), -1);

  // 59.6 seconds counts as a minute; whole days do not round: 23:59:59.9 is still 0 days.
  EXPECT_EQ(COleDateTimeSpan::fromSeconds(59.6).GetTotalMinutes(), 1);
  EXPECT_EQ(COleDateTimeSpan::fromSeconds(59.4).GetTotalMinutes(), 0);
  EXPECT_EQ(COleDateTimeSpan::fromSeconds(-59.6).GetTotalMinutes(), -1);
  EXPECT_EQ(COleDateTimeSpan::fromSeconds(86399.9).GetDays(), 0);
  EXPECT_EQ(COleDateTimeSpan::fromSeconds(86399.9).GetTotalHours(), 24);
  EXPECT_EQ(COleDateTimeSpan::fromSeconds(-86399.9).GetDays(), 0);

  EXPECT_TRUE(COleDateTimeSpan(1.0) > COleDateTimeSpan(0.5));
  EXPECT_EQ(COleDateTimeSpan(std::nan("")).GetTotalSeconds(), 0);
  EXPECT_GT(COleDateTimeSpan(1e300).GetTotalSeconds(), 0);
}

TEST(DateTime, SystemNowIsLocalTimeInWholeSeconds) {
  const std::time_t before = std::time(nullptr);
  const COleDateTime now = systemNow();
  ASSERT_TRUE(now.isValid());
  std::tm local{};
  localtime_r(&before, &local);
  EXPECT_EQ(now.GetYear(), local.tm_year + 1900);
  const double seconds = now.days() * 86400.0;
  EXPECT_NEAR(seconds, std::round(seconds), 1e-3);
}

// The command line's moments: exactly "YYYY-MM-DD HH:MM:SS", and only moments that exist.
TEST(DateTime, LocalTimeText) {
  EXPECT_EQ(formatLocalTime(parseLocalTime("2026-03-10 07:05:09").value()), "2026-03-10 07:05:09");
  EXPECT_EQ(parseLocalTime("0100-01-01 00:00:00"), COleDateTime(100, 1, 1, 0, 0, 0));
  for (const char* refused :
       {"2026-03-10T10:00:00", "2026-03-10 24:00:00", "2026-02-29 10:00:00", "0099-12-31 23:59:59",
        "2026-3-10 10:00:00", "2026-03-10 10:00:00 ", "+026-03-10 10:00:00", ""}) {
    EXPECT_FALSE(parseLocalTime(refused)) << refused;
  }
}

}  // namespace
}  // namespace kalvory
