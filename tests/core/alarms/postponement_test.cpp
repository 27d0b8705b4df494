// A postponed daily reminder rings once at its new moment and keeps its schedule: neither its
// time nor the saved document change, and the next day it rings at its own time again.

#include <gtest/gtest.h>

#include "core/alarms/alarm_engine.h"
#include "core/model/alarm_doc.h"
#include "core/model/archive.h"
#include "recording_frame.h"

namespace kalvory {
namespace {

using testing::RecordingFrame;

COleDateTime at(int hour, int minute, int second, int day = 10) {
  return COleDateTime(2026, 3, day, hour, minute, second);
}

COleDateTime nextSecond(const COleDateTime& t) {
  const COleDateTime u = t + COleDateTimeSpan::fromSeconds(1);
  return COleDateTime(u.GetYear(), u.GetMonth(), u.GetDay(), u.GetHour(), u.GetMinute(), u.GetSecond());
}

struct Fixture {
  CAlarmDoc doc;
  RecordingFrame frame;
  AlarmSettings settings;
  AlarmEngine engine{doc, frame, settings};
  CAlarmLine* daily = nullptr;

  explicit Fixture(int showSeconds = 60) {
    CAlarmLine line(COleDateTime(2026, 1, 1, 10, 54, 0), showSeconds);
    line.daily = 1;
    line.text = "Stretch";
    daily = doc.AddAlarm(line);
    doc.SetModifiedFlag(false);
  }
  // One tick a second from `from` to `to`, both included; on how many ticks the message was shown.
  std::size_t run(const COleDateTime& from, const COleDateTime& to) {
    std::size_t shown = 0;
    for (COleDateTime t = from; t <= to; t = nextSecond(t)) {
      frame.calls.clear();
      engine.tick(t);
      if (!frame.only("osd Stretch").empty()) ++shown;
    }
    return shown;
  }
  std::string saved() const {
    ArchiveWriter writer;
    doc.store(writer);
    return writer.bytes();
  }
};

TEST(Postponement, DailyReminderRingsOnceAtTheNewMomentAndKeepsItsTime) {
  Fixture f;
  const std::string before = f.saved();
  EXPECT_EQ(f.run(at(10, 53, 58), at(10, 54, 10)), 1u);
  f.engine.StopAlarms(false, 300);  // "Remind in 5 min"
  EXPECT_EQ(f.daily->time, COleDateTime(2026, 1, 1, 10, 54, 0));
  ASSERT_TRUE(f.daily->postponedTime());
  EXPECT_EQ(*f.daily->postponedTime(), at(10, 59, 0));
  EXPECT_EQ(f.daily->scheduleText(), "Daily: 10:54");
  EXPECT_EQ(postponementText(*f.daily, at(10, 54, 11), UiLanguage::English), "postponed to 10:59");
  EXPECT_EQ(postponementText(*f.daily, at(10, 54, 11), UiLanguage::Russian), "отложено до 10:59");
  EXPECT_EQ(f.doc.nextReminderText(at(10, 54, 11), UiLanguage::English), "10:59: Stretch");

  // The rest of the postponed occurrence's window stays quiet; the postponement rings once.
  EXPECT_EQ(f.run(at(10, 54, 11), at(10, 58, 59)), 0u);
  EXPECT_EQ(f.run(at(10, 59, 0), at(10, 59, 0)), 1u);
  EXPECT_EQ(f.run(at(10, 59, 1), at(11, 5, 0)), 0u);
  EXPECT_FALSE(f.daily->postponed);
  EXPECT_EQ(postponementText(*f.daily, at(11, 5, 0), UiLanguage::English), "");
  EXPECT_EQ(f.daily->state, ReminderState::Armed);
  EXPECT_EQ(f.doc.nextReminderText(at(11, 5, 0), UiLanguage::English), "Tomorrow, 10:54: Stretch");

  // Tomorrow at its own time, and only then.
  EXPECT_EQ(f.run(at(10, 53, 0, 11), at(10, 58, 59, 11)), 1u);
  EXPECT_EQ(f.daily->time, COleDateTime(2026, 1, 1, 10, 54, 0));
  EXPECT_EQ(f.saved(), before);
  EXPECT_FALSE(f.doc.IsModified());
}

TEST(Postponement, LongWindowPostponedTwiceRingsOnlyAtEachNewMoment) {
  // The reminder's own window (10:54 to 11:04) outlasts the postponement: it does not ring again.
  Fixture f(600);
  EXPECT_EQ(f.run(at(10, 54, 0), at(10, 54, 20)), 1u);
  f.engine.StopAlarms(false, 300);
  EXPECT_EQ(f.run(at(10, 54, 21), at(10, 58, 59)), 0u);
  EXPECT_EQ(f.run(at(10, 59, 0), at(10, 59, 30)), 1u);
  // Postponed again while the postponement rings: from its own moment, 10:59 + 10 min.
  f.engine.StopAlarms(false, 600);
  ASSERT_TRUE(f.daily->postponedTime());
  EXPECT_EQ(*f.daily->postponedTime(), at(11, 9, 0));
  EXPECT_EQ(f.run(at(10, 59, 31), at(11, 8, 59)), 0u);
  EXPECT_EQ(f.run(at(11, 9, 0), at(11, 30, 0)), 1u);
  EXPECT_FALSE(f.daily->postponed);
  EXPECT_EQ(f.run(at(10, 54, 0, 11), at(10, 54, 0, 11)), 1u);
  EXPECT_EQ(f.daily->time, COleDateTime(2026, 1, 1, 10, 54, 0));
}

TEST(Postponement, PostponedToAnotherDayRingsThereAndTheScheduleGoesOn) {
  // Postponed by two days ("Remind on"): tomorrow rings at its own time, the day after at the
  // postponed moment once, even where the weekdays would leave that day out.
  Fixture f;
  f.daily->week_days = 0b0000100;  // Tuesdays; 10 March 2026 is a Tuesday
  EXPECT_EQ(f.run(at(10, 54, 0), at(10, 54, 5)), 1u);
  f.engine.StopAlarms(false, 86400 + 3600);
  EXPECT_EQ(f.run(at(10, 54, 6), at(12, 0, 0)), 0u);
  EXPECT_EQ(f.run(at(11, 54, 0, 11), at(11, 56, 0, 11)), 1u);  // a Wednesday
  EXPECT_EQ(f.run(at(10, 54, 0, 17), at(10, 54, 0, 17)), 1u);  // the next Tuesday
}

TEST(Postponement, ATurnedOffShowingIsNotTheNextReminder) {
  // Turned off with most of its window still to run, the line names tomorrow's occurrence.
  Fixture f(600);
  f.run(at(10, 54, 0), at(10, 54, 10));
  f.engine.StopAlarms(false, 0);
  EXPECT_EQ(f.doc.nextReminderText(at(10, 55, 0), UiLanguage::English), "Tomorrow, 10:54: Stretch");
  // A one-time reminder turned off has no next showing at all.
  Fixture g;
  CAlarmLine once(at(12, 0, 0), 600);
  once.text = "Once";
  CAlarmLine* line = g.doc.AddAlarm(once);
  line->state = ReminderState::TurnedOff;
  EXPECT_EQ(g.doc.nextReminderText(at(12, 1, 0), UiLanguage::English), "Tomorrow, 10:54: Stretch");
}

}  // namespace
}  // namespace kalvory
