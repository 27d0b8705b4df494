#include "core/alarms/missed_reminders.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/alarms/alarm_engine.h"
#include "core/model/alarm_doc.h"
#include "recording_frame.h"

namespace kalvory {
namespace {

using testing::RecordingFrame;

COleDateTime at(int day, int hour, int minute, int second = 0) {
  return COleDateTime(2026, 3, day, hour, minute, second);
}

COleDateTime plusSeconds(const COleDateTime& t, int seconds) {
  const COleDateTime u = t + COleDateTimeSpan::fromSeconds(seconds);
  return COleDateTime(u.GetYear(), u.GetMonth(), u.GetDay(), u.GetHour(), u.GetMinute(), u.GetSecond());
}

CAlarmLine reminder(const COleDateTime& time, const std::string& text, int showSeconds = 60) {
  CAlarmLine line(time, showSeconds);
  line.time = time;
  line.text = text;
  line.sound_file = text + ".ogg";
  return line;
}

// The alarm check as the program drives it: a clock that can be made to jump, a tick a second,
// and the question for missed reminders whenever two ticks lie more than a minute apart.
struct JumpingClock {
  CAlarmDoc doc;
  RecordingFrame frame;
  AlarmSettings settings;
  AlarmEngine engine{doc, frame, settings};
  COleDateTime now = at(10, 9, 0);
  COleDateTime previous = COleDateTime::makeInvalid();
  std::vector<std::string> missed;

  void tick() {
    if (previous.isValid() && clockJumped(previous, now)) {
      for (const MissedReminder& m : findMissedReminders(doc, previous, now)) {
        missed.push_back(doc.alarms()[m.index]->text + " " + std::to_string(m.start.GetDay()) + "@" +
                         std::to_string(m.start.GetHour()) + ":" + std::to_string(m.start.GetMinute()));
      }
    }
    engine.tick(now);
    previous = now;
  }
  void runSeconds(int count) {
    for (int i = 0; i < count; ++i) {
      now = plusSeconds(now, 1);
      tick();
    }
  }
  bool played(const std::string& text) const { return frame.saw("sound " + text + ".ogg"); }
};

TEST(MissedReminders, AJumpListsWindowsThatFellBetweenTheTicksAndRunsNoneOfTheirActions) {
  JumpingClock c;
  c.doc.AddAlarm(reminder(at(10, 9, 30), "Before"));        // fires normally before the jump
  c.doc.AddAlarm(reminder(at(10, 10, 0), "Passed"));        // window wholly inside the gap
  c.doc.AddAlarm(reminder(at(10, 11, 59, 30), "Ringing"));  // window still holds the new time
  CAlarmLine off = reminder(at(10, 10, 30), "Off");
  off.state = ReminderState::Inactive;
  c.doc.AddAlarm(off);
  c.doc.AddAlarm(reminder(at(10, 13, 0), "Later"));  // not yet

  c.now = at(10, 9, 29, 50);
  c.tick();
  c.runSeconds(20);  // 9:30:10, "Before" fires
  EXPECT_TRUE(c.played("Before"));
  EXPECT_TRUE(c.missed.empty());

  c.now = at(10, 12, 0);  // the computer slept
  c.tick();
  EXPECT_EQ(c.missed, (std::vector<std::string>{"Passed 10@10:0"}));
  EXPECT_FALSE(c.played("Passed")) << "a missed reminder's sound is not played late";
  EXPECT_TRUE(c.played("Ringing")) << "a window that holds the new time fires as always";

  c.runSeconds(90);  // ordinary ticks ask nothing
  EXPECT_EQ(c.missed.size(), 1u);
}

TEST(MissedReminders, EdgesOfTheGap) {
  CAlarmDoc doc;
  doc.AddAlarm(reminder(at(10, 10, 0), "AtLastSeen"));
  doc.AddAlarm(reminder(at(10, 10, 0, 1), "JustAfter"));
  doc.AddAlarm(reminder(at(10, 11, 0), "EndsAtNow"));  // 11:00 + 60 s = now: still due now
  const auto names = [&](const COleDateTime& from, const COleDateTime& to) {
    std::vector<std::string> result;
    for (const auto& m : findMissedReminders(doc, from, to)) result.push_back(doc.alarms()[m.index]->text);
    return result;
  };
  EXPECT_EQ(names(at(10, 10, 0), at(10, 11, 1)), (std::vector<std::string>{"JustAfter"}));
  EXPECT_EQ(names(at(10, 10, 0), at(10, 11, 1, 1)), (std::vector<std::string>{"JustAfter", "EndsAtNow"}));
  EXPECT_TRUE(names(at(10, 12, 0), at(10, 9, 0)).empty()) << "a clock set back misses nothing";
  EXPECT_TRUE(names(COleDateTime::makeInvalid(), at(10, 12, 0)).empty()) << "no last moment: nothing to catch up";

  doc.alarms()[1]->state = ReminderState::TurnedOff;
  doc.alarms()[2]->fired = true;
  EXPECT_TRUE(names(at(10, 10, 0), at(10, 11, 1, 1)).empty()) << "turned off and already fired are not missed";
}

TEST(MissedReminders, ADailyReminderIsListedOnceWithItsLatestEnabledDay) {
  CAlarmDoc doc;
  CAlarmLine line = reminder(COleDateTime(2026, 1, 1, 7, 30, 0), "Pills");
  line.daily = 1;
  line.week_days = 0x7F & ~(1 << 2);  // every day but Tuesday (Sunday first)
  doc.AddAlarm(line);
  // Away from Saturday 7 March 8:00 to Wednesday 11 March 7:00: Tuesday 10 March is not enabled,
  // so the latest missed window is Monday's.
  auto missed = findMissedReminders(doc, at(7, 8, 0), at(11, 7, 0));
  ASSERT_EQ(missed.size(), 1u);
  EXPECT_EQ(missed[0].start, at(9, 7, 30));
  // Back on Wednesday after its window: Wednesday's own counts.
  missed = findMissedReminders(doc, at(7, 8, 0), at(11, 9, 0));
  ASSERT_EQ(missed.size(), 1u);
  EXPECT_EQ(missed[0].start, at(11, 7, 30));
  // Away for less than a day, before the daily time: nothing.
  EXPECT_TRUE(findMissedReminders(doc, at(11, 8, 0), at(12, 7, 0)).empty());
}

TEST(MissedReminders, APostponedShowingThatFellInTheGapIsMissed) {
  // A daily reminder rang at 9:00 and was postponed by an hour; the computer slept from 9:30 to
  // 10:30: the postponed showing is listed, and its own time stays 9:00.
  JumpingClock c;
  CAlarmLine daily = reminder(at(1, 9, 0), "Stretch");
  daily.daily = 1;
  c.doc.AddAlarm(daily);
  c.now = at(10, 8, 59, 59);
  c.tick();
  c.runSeconds(10);
  EXPECT_TRUE(c.played("Stretch"));
  c.engine.StopAlarms(false, 3600);
  c.now = at(10, 9, 30);
  c.tick();
  c.now = at(10, 10, 30);
  c.tick();
  EXPECT_EQ(c.missed, (std::vector<std::string>{"Stretch 10@10:0"}));
  EXPECT_EQ(c.doc.alarms()[0]->time, at(1, 9, 0));
}

TEST(MissedReminders, ClockJumpIsMoreThanAMinuteEitherWay) {
  EXPECT_FALSE(clockJumped(at(10, 9, 0), at(10, 9, 1)));
  EXPECT_FALSE(clockJumped(at(10, 9, 0), at(10, 9, 0, 59)));
  EXPECT_TRUE(clockJumped(at(10, 9, 0), at(10, 9, 1, 1)));
  EXPECT_TRUE(clockJumped(at(10, 9, 0), at(10, 8, 58)));
}

}  // namespace
}  // namespace kalvory
