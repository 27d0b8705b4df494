#include "core/model/day_info.h"

#include <gtest/gtest.h>

namespace kalvory {
namespace {

COleDateTime day(int year, int month, int dayOfMonth, int hour = 0) {
  return COleDateTime(year, month, dayOfMonth, hour, 0, 0);
}
const COleDateTime kWednesday = day(2026, 5, 13, 15);  // Wednesday 13 May 2026, 15:00

CDayInfo note(CDayInfo::Repeat repeat, const COleDateTime& date, int intervalDays = 1, int weekDay = 0) {
  CDayInfo info(date);
  info.repeat = repeat;
  info.interval_days = intervalDays;
  info.week_day = weekDay;
  return info;
}

TEST(DayInfoRecord, NewNoteDefaults) {
  const CDayInfo info(day(2026, 5, 2));
  EXPECT_EQ(info.date, day(2026, 5, 2));
  EXPECT_EQ(info.text, "");
  EXPECT_EQ(info.week_day, 0);
  EXPECT_EQ(info.interval_days, 1);
  EXPECT_EQ(info.repeat, CDayInfo::Annual);
  EXPECT_EQ(info.event_type, CDayInfo::Note);
  EXPECT_FALSE(info.block_changer);
  EXPECT_TRUE(info.wallpaper.empty() && info.sticker.empty());
}

TEST(DayInfoMatching, EachRepetitionKind) {
  const CDayInfo leap = note(CDayInfo::Annual, day(2024, 2, 29, 13));
  EXPECT_TRUE(leap.matches(day(2028, 2, 29, 23)));
  EXPECT_FALSE(leap.matches(day(2026, 2, 28)));
  EXPECT_FALSE(leap.matches(day(2026, 3, 1)));
  const CDayInfo march = note(CDayInfo::Annual, day(1990, 3, 5));
  EXPECT_TRUE(march.matches(day(2026, 3, 5)));
  EXPECT_TRUE(march.matches(day(1950, 3, 5)));
  EXPECT_FALSE(march.matches(day(2026, 4, 5)));

  const CDayInfo monthly = note(CDayInfo::Monthly, day(2026, 1, 31));
  EXPECT_TRUE(monthly.matches(day(2026, 5, 31)));
  EXPECT_FALSE(monthly.matches(day(2026, 4, 30)));

  const CDayInfo monday = note(CDayInfo::Weekly, day(2026, 5, 13), 1, 0);
  EXPECT_TRUE(monday.matches(day(2026, 5, 11)));
  EXPECT_TRUE(monday.matches(day(1999, 1, 4)));
  EXPECT_FALSE(monday.matches(kWednesday));

  const CDayInfo weekly = note(CDayInfo::Interval, day(2026, 1, 1), 7);
  EXPECT_TRUE(weekly.matches(day(2026, 1, 8)));
  EXPECT_TRUE(weekly.matches(day(2025, 12, 25))) << "before the note's date too";
  EXPECT_FALSE(weekly.matches(day(2026, 1, 9)));
  EXPECT_TRUE(note(CDayInfo::Interval, day(2026, 1, 1), -7).matches(day(2026, 1, 15)));
  const CDayInfo zero = note(CDayInfo::Interval, day(2026, 1, 1), 0);
  EXPECT_TRUE(zero.matches(day(2026, 1, 1, 20))) << "an interval of 0 falls on its own date only";
  EXPECT_FALSE(zero.matches(day(2026, 1, 2)));
  EXPECT_TRUE(note(CDayInfo::Interval, day(2026, 1, 1), INT32_MIN).matches(day(2026, 1, 1)));

  const CDayInfo once = note(CDayInfo::Once, day(2026, 5, 13, 8));
  EXPECT_TRUE(once.matches(kWednesday));
  EXPECT_FALSE(once.matches(day(2027, 5, 13)));

  EXPECT_FALSE(note(static_cast<CDayInfo::Repeat>(9), kWednesday).matches(kWednesday));
  EXPECT_FALSE(note(CDayInfo::Once, COleDateTime::makeNull()).matches(kWednesday));
  EXPECT_FALSE(once.matches(COleDateTime::makeInvalid()));
}

TEST(DayInfoNextDate, AnnualAndMonthly) {
  EXPECT_EQ(note(CDayInfo::Annual, day(2000, 5, 13)).nextDate(kWednesday), day(2026, 5, 13)) << "today counts";
  EXPECT_EQ(note(CDayInfo::Annual, day(1990, 3, 5)).nextDate(kWednesday), day(2027, 3, 5));
  EXPECT_EQ(note(CDayInfo::Annual, day(2024, 2, 29)).nextDate(kWednesday), day(2028, 2, 29))
      << "a year without the day is skipped";
  EXPECT_EQ(note(CDayInfo::Annual, day(2096, 2, 29)).nextDate(day(2096, 3, 1)), day(2104, 2, 29));

  const CDayInfo fifteenth = note(CDayInfo::Monthly, day(2020, 8, 15));
  EXPECT_EQ(fifteenth.nextDate(day(2026, 5, 10)), day(2026, 5, 15));
  EXPECT_EQ(fifteenth.nextDate(day(2026, 5, 15, 9)), day(2026, 6, 15)) << "its own day gives next month's";
  EXPECT_EQ(fifteenth.nextDate(day(2026, 12, 20)), day(2027, 1, 15));
  const CDayInfo thirtyFirst = note(CDayInfo::Monthly, day(2026, 1, 31));
  EXPECT_EQ(thirtyFirst.nextDate(day(2026, 4, 5)), day(2026, 5, 31)) << "April has no 31st";
  EXPECT_EQ(thirtyFirst.nextDate(day(2026, 1, 31)), day(2026, 3, 31));
}

TEST(DayInfoNextDate, WeeklyIntervalOnceAndOthers) {
  EXPECT_FALSE(note(CDayInfo::Weekly, kWednesday, 1, 0).nextDate(kWednesday).has_value())
      << "only the rest of this week is looked at";
  EXPECT_EQ(note(CDayInfo::Weekly, kWednesday, 1, 2).nextDate(kWednesday), day(2026, 5, 13));
  EXPECT_EQ(note(CDayInfo::Weekly, kWednesday, 1, 6).nextDate(kWednesday), day(2026, 5, 17));
  EXPECT_FALSE(note(CDayInfo::Weekly, kWednesday, 1, 7).nextDate(kWednesday).has_value());

  // Dated ten days ago, every 7 days: 3 May + 14 = 17 May.
  EXPECT_EQ(note(CDayInfo::Interval, day(2026, 5, 3), 7).nextDate(kWednesday), day(2026, 5, 17));
  EXPECT_EQ(note(CDayInfo::Interval, day(2026, 5, 6), 7).nextDate(kWednesday), day(2026, 5, 13));
  // Dated three days ahead: its own date is the first day it falls on, not a week after it.
  EXPECT_EQ(note(CDayInfo::Interval, day(2026, 5, 16), 7).nextDate(kWednesday), day(2026, 5, 16));
  EXPECT_EQ(note(CDayInfo::Interval, day(2026, 6, 16), 7).nextDate(kWednesday), day(2026, 5, 19));
  EXPECT_EQ(note(CDayInfo::Interval, day(2026, 5, 3), -7).nextDate(kWednesday), day(2026, 5, 17));
  EXPECT_EQ(note(CDayInfo::Interval, day(2026, 5, 20), 0).nextDate(kWednesday), day(2026, 5, 20));
  EXPECT_FALSE(note(CDayInfo::Interval, day(2026, 5, 1), 0).nextDate(kWednesday).has_value());
  EXPECT_FALSE(note(CDayInfo::Interval, day(2026, 5, 1), INT32_MAX).nextDate(day(9999, 12, 1)).has_value());

  EXPECT_EQ(note(CDayInfo::Once, day(2026, 5, 13, 9)).nextDate(kWednesday), day(2026, 5, 13));
  EXPECT_EQ(note(CDayInfo::Once, day(2030, 1, 2, 9)).nextDate(kWednesday), day(2030, 1, 2));
  EXPECT_FALSE(note(CDayInfo::Once, day(2026, 5, 12)).nextDate(kWednesday).has_value());
  EXPECT_FALSE(note(static_cast<CDayInfo::Repeat>(-1), kWednesday).nextDate(kWednesday).has_value());
}

TEST(DayInfoTexts, WeekdayAndDateLabels) {
  EXPECT_EQ(note(CDayInfo::Once, kWednesday).weekday(), 2);
  EXPECT_EQ(note(CDayInfo::Annual, day(2026, 5, 17)).weekday(), 6);
  EXPECT_EQ(note(CDayInfo::Weekly, kWednesday, 1, 4).weekday(), 4);
  EXPECT_EQ(note(CDayInfo::Once, COleDateTime::makeInvalid()).weekday(), -3);

  EXPECT_EQ(note(CDayInfo::Annual, day(2026, 5, 3)).dateLabel(UiLanguage::English), "03.05.2026");
  EXPECT_EQ(note(CDayInfo::Monthly, day(2026, 5, 3)).dateLabel(UiLanguage::English), "03");
  const CDayInfo monday = note(CDayInfo::Weekly, kWednesday, 1, 0);
  EXPECT_EQ(monday.dateLabel(UiLanguage::English), "Monday");
  EXPECT_EQ(monday.dateLabel(UiLanguage::Russian), "понедельник");
  EXPECT_EQ(monday.dateLabel(UiLanguage::Ukrainian), "понеділок");
  EXPECT_EQ(note(CDayInfo::Weekly, kWednesday, 1, 6).dateLabel(UiLanguage::English), "Sunday");
  EXPECT_EQ(note(CDayInfo::Weekly, kWednesday, 1, 7).dateLabel(UiLanguage::English), "");
}

TEST(DayInfoTexts, EventTextLabels) {
  CDayInfo info = note(CDayInfo::Once, day(2026, 5, 14));
  info.text = "Buy\r\nmilk";
  EXPECT_EQ(info.eventText(kWednesday, UiLanguage::English), "Tomorrow: Buy  milk");
  EXPECT_EQ(info.eventText(kWednesday, UiLanguage::Russian),
            loadString(StringId::Tomorrow, UiLanguage::Russian) + ": Buy  milk");
  info.date = day(2026, 5, 13);
  EXPECT_EQ(info.eventText(kWednesday, UiLanguage::English), "Today: Buy  milk");
  info.date = day(2026, 7, 4);
  EXPECT_EQ(info.eventText(kWednesday, UiLanguage::English), "07/04: Buy  milk");
  info.date = day(2027, 7, 4);
  EXPECT_EQ(info.eventText(kWednesday, UiLanguage::English), "07/04/2027: Buy  milk");
  // On 31 December tomorrow is in the next year, so early January goes without the year.
  info.date = day(2027, 1, 3);
  EXPECT_EQ(info.eventText(day(2026, 12, 31), UiLanguage::English), "01/03: Buy  milk");
  info.date = day(2026, 1, 3);
  EXPECT_EQ(info.eventText(kWednesday, UiLanguage::English), "") << "no next date, no event";
}

}  // namespace
}  // namespace kalvory
