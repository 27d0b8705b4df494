#include "core/model/alarm_line.h"

#include <gtest/gtest.h>

#include "core/model/alarm_doc.h"

namespace kalvory {
namespace {

// Wednesday 13 May 2026.
COleDateTime at(int day, int hour, int minute, int second = 0) {
  return COleDateTime(2026, 5, day, hour, minute, second);
}
const COleDateTime kNow = at(13, 10, 0);

constexpr int kSunday = 1 << 0, kMonday = 1 << 1, kWednesday = 1 << 3, kFriday = 1 << 5;

CAlarmLine daily(int hour, int minute, int weekDays, int storedDay = 2) {
  CAlarmLine line(COleDateTime(2025, 1, storedDay, hour, minute, 42), 60);
  line.daily = 1;
  line.week_days = weekDays;
  return line;
}

TEST(AlarmLineRecord, NewRecordDefaultsAndTheCopyRuleKeepsRunTimeFields) {
  const CAlarmLine fresh(kNow, 75);
  EXPECT_EQ(fresh.time, kNow);
  EXPECT_EQ(fresh.state, ReminderState::Armed);
  EXPECT_EQ(fresh.timer_mode, 0);
  EXPECT_EQ(fresh.daily, 0);
  EXPECT_EQ(fresh.timer_minutes, 0);
  EXPECT_EQ(fresh.show_seconds, 75);
  EXPECT_EQ(fresh.osd, 1);
  EXPECT_EQ(fresh.exit_action, 0);
  EXPECT_EQ(fresh.week_days, 127);
  EXPECT_EQ(fresh.show_count, 0);
  EXPECT_FALSE(fresh.fired);
  EXPECT_TRUE(fresh.text.empty() && fresh.sound_file.empty() && fresh.program.empty() && fresh.notifier.empty() &&
              fresh.wallpaper.empty() && fresh.sticker.empty());

  CAlarmLine source(at(1, 7, 0), 10);
  source.state = ReminderState::TurnedOff;
  source.timer_mode = 1;
  source.daily = 1;
  source.timer_minutes = 90;
  source.text = "t";
  source.sound_file = "s";
  source.osd = 0;
  source.notifier = "n";
  source.wallpaper = "w";
  source.sticker = "k";
  source.exit_action = 3;
  source.program = "p";
  source.week_days = 5;
  source.show_count = 7;
  source.fired = true;
  CAlarmLine target(kNow, 60);
  target.show_count = 2;
  target.copyFrom(source);
  EXPECT_EQ(target.time, source.time);
  EXPECT_EQ(target.state, ReminderState::TurnedOff);
  EXPECT_EQ(target.timer_mode, 1);
  EXPECT_EQ(target.daily, 1);
  EXPECT_EQ(target.timer_minutes, 90);
  EXPECT_EQ(target.show_seconds, 10);
  EXPECT_EQ(target.osd, 0);
  EXPECT_EQ(target.exit_action, 3);
  EXPECT_EQ(target.week_days, 5);
  EXPECT_EQ(target.text + target.sound_file + target.notifier + target.wallpaper + target.sticker + target.program,
            "tsnwkp");
  EXPECT_EQ(target.show_count, 2);
  EXPECT_FALSE(target.fired);
}

TEST(AlarmLineTimes, StartAndEndTimes) {
  // A daily reminder starts today at its hour and minute, whatever its stored date and seconds.
  const CAlarmLine morning = daily(7, 30, 127);
  EXPECT_EQ(morning.startTime(kNow), at(13, 7, 30, 0));
  EXPECT_EQ(morning.endTime(kNow), at(13, 7, 31, 0));

  CAlarmLine once(at(20, 9, 15, 30), 90061);
  EXPECT_EQ(once.startTime(kNow), at(20, 9, 15, 30));
  EXPECT_EQ(once.endTime(kNow), at(21, 10, 16, 31)) << "1 day 1 hour 1 minute 1 second later";

  // A timer's stored time already holds its length; timer_minutes is not added again.
  CAlarmLine timer(at(13, 11, 30), 60);
  timer.timer_mode = 1;
  timer.timer_minutes = 90;
  EXPECT_EQ(timer.startTime(kNow), at(13, 11, 30));

  // A stored value a hair below a whole second counts as that second.
  CAlarmLine nearly(COleDateTime::fromDays(at(13, 10, 0).days() - 1e-9), 0);
  EXPECT_EQ(nearly.startTime(kNow), kNow);
  EXPECT_TRUE(nearly.isDue(kNow));
}

TEST(AlarmLineTimes, EligibleToday) {
  EXPECT_TRUE(daily(7, 30, kWednesday).eligibleToday(kNow));
  EXPECT_FALSE(daily(7, 30, 127 & ~kWednesday).eligibleToday(kNow));
  EXPECT_FALSE(daily(7, 30, 0).eligibleToday(kNow));
  EXPECT_TRUE(daily(7, 30, kSunday).eligibleToday(at(17, 8, 0)));

  CAlarmLine timer(at(1, 1, 0), 60);
  timer.timer_mode = 1;
  EXPECT_TRUE(timer.eligibleToday(kNow)) << "a timer is eligible on any day";

  // A one-time reminder of yesterday whose window reaches past midnight is not eligible today.
  CAlarmLine lateLastNight(at(12, 23, 59, 30), 120);
  EXPECT_FALSE(lateLastNight.eligibleToday(at(13, 0, 0, 30)));
  EXPECT_FALSE(lateLastNight.isDue(at(13, 0, 0, 30)));
  EXPECT_TRUE(CAlarmLine(at(13, 23, 0), 60).eligibleToday(kNow));
}

TEST(AlarmLineTimes, DueWindowIncludesBothEnds) {
  const CAlarmLine ten(at(13, 10, 0), 60);
  EXPECT_FALSE(ten.isDue(at(13, 9, 59, 59)));
  EXPECT_TRUE(ten.isDue(at(13, 10, 0, 0)));
  EXPECT_TRUE(ten.isDue(at(13, 10, 1, 0)));
  EXPECT_FALSE(ten.isDue(at(13, 10, 1, 1)));

  const CAlarmLine instant(at(13, 10, 0), 0);
  EXPECT_TRUE(instant.isDue(at(13, 10, 0, 0)));
  EXPECT_FALSE(instant.isDue(at(13, 10, 0, 1)));

  // Off reminders are still "due"; the alarm check looks at state itself.
  CAlarmLine off(at(13, 10, 0), 60);
  off.state = ReminderState::Inactive;
  EXPECT_TRUE(off.isDue(kNow));

  EXPECT_TRUE(daily(9, 59, kWednesday).isDue(kNow));
  EXPECT_FALSE(daily(9, 59, kFriday).isDue(kNow));
}

TEST(AlarmLineTimes, NextFireTime) {
  CAlarmLine off = daily(11, 0, 127);
  off.state = ReminderState::Inactive;
  EXPECT_FALSE(off.nextFireTime(kNow).has_value());

  // Still inside today's window: today's time. The window's last second is not "still inside".
  EXPECT_EQ(daily(9, 59, 127).nextFireTime(at(13, 9, 59, 59)), at(13, 9, 59));
  EXPECT_EQ(daily(9, 59, 127).nextFireTime(kNow), at(14, 9, 59));
  // Window over today: the next enabled weekday.
  EXPECT_EQ(daily(9, 58, kMonday | kFriday).nextFireTime(kNow), at(15, 9, 58));
  EXPECT_FALSE(daily(9, 58, kWednesday).nextFireTime(kNow).has_value()) << "seven days from today only";
  EXPECT_EQ(daily(10, 30, kWednesday).nextFireTime(kNow), at(13, 10, 30));
  EXPECT_FALSE(daily(7, 30, 0).nextFireTime(kNow).has_value());

  EXPECT_FALSE(CAlarmLine(at(13, 9, 59, 30), 30).nextFireTime(kNow).has_value()) << "window ends exactly now";
  EXPECT_EQ(CAlarmLine(at(13, 9, 59, 30), 31).nextFireTime(kNow), at(13, 9, 59, 30));
  EXPECT_EQ(CAlarmLine(at(20, 8, 0), 60).nextFireTime(kNow), at(20, 8, 0));

  CAlarmLine timer(at(13, 10, 45), 60);
  timer.timer_mode = 1;
  timer.timer_minutes = 45;
  EXPECT_EQ(timer.nextFireTime(kNow), at(13, 10, 45));
}

TEST(AlarmLineTimes, ATimeThatIsNotValidNeverFires) {
  for (const COleDateTime& time :
       {COleDateTime::makeNull(), COleDateTime::makeInvalid(), COleDateTime::fromDays(1e12)}) {
    CAlarmLine line(time, 60);
    for (int isDaily : {0, 1}) {
      line.daily = isDaily;
      EXPECT_FALSE(line.eligibleToday(kNow));
      EXPECT_FALSE(line.isDue(kNow));
      EXPECT_FALSE(line.nextFireTime(kNow).has_value());
      EXPECT_FALSE(line.startTime(kNow).isValid());
      EXPECT_FALSE(line.endTime(kNow).isValid());
    }
  }
}

TEST(AlarmLineTexts, ScheduleAndPlainText) {
  EXPECT_EQ(daily(7, 5, 127).scheduleText(), "Daily: 07:05");
  CAlarmLine timer(kNow, 60);
  timer.timer_mode = 1;
  timer.timer_minutes = 90;
  EXPECT_EQ(timer.scheduleText(), "Timer:  1:30");
  timer.timer_minutes = 5;
  EXPECT_EQ(timer.scheduleText(), "Timer:  0:5");
  timer.timer_minutes = 0;
  EXPECT_EQ(timer.scheduleText(), "Timer:  0:0");
  timer.timer_minutes = 6000;
  EXPECT_EQ(timer.scheduleText(), "Timer: 100:0");
  EXPECT_EQ(CAlarmLine(at(2, 9, 0), 60).scheduleText(), "02/05/2026-09:00");
  EXPECT_EQ(CAlarmLine(COleDateTime::makeNull(), 60).scheduleText(), "");

  CAlarmLine marked(kNow, 60);
  marked.text =
      "a\xC2\x80"
      "Zb\xC2\x81"
      "2\xC2\x82";  // the symbol mark and the character after it go; raised marks stay
  EXPECT_EQ(marked.plainText(),
            "ab\xC2\x81"
            "2\xC2\x82");
}

TEST(AlarmLineTexts, NextReminderLine) {
  CAlarmLine call(at(14, 9, 5), 60);
  call.text = "Call\r\nhome";
  EXPECT_EQ(nextReminderLine(call, at(14, 9, 5), kNow, UiLanguage::English), "Tomorrow, 09:05: Call  home");
  EXPECT_EQ(nextReminderLine(call, at(13, 18, 0), kNow, UiLanguage::English), "18:00: Call  home");
  EXPECT_EQ(nextReminderLine(call, at(20, 8, 0), kNow, UiLanguage::English), "05/20 - 08:00: Call  home");
  call.text = "\xC2\x80Nap";
  EXPECT_EQ(nextReminderLine(call, at(13, 18, 0), kNow, UiLanguage::English), "18:00: ap");
  // Other languages take their own word for tomorrow.
  const std::string russian = nextReminderLine(call, at(14, 9, 5), kNow, UiLanguage::Russian);
  EXPECT_EQ(russian, loadString(StringId::Tomorrow, UiLanguage::Russian) + ", 09:05: ap");
  EXPECT_NE(russian.substr(0, 8), "Tomorrow");
}

}  // namespace
}  // namespace kalvory
