#include "core/alarms/quiet_reminders.h"

#include <gtest/gtest.h>

#include <random>

#include "core/alarms/alarm_engine.h"
#include "core/model/alarm_doc.h"
#include "recording_frame.h"

namespace kalvory {
namespace {

using testing::RecordingFrame;

COleDateTime addSeconds(const COleDateTime& t, int seconds) {
  const COleDateTime u = t + COleDateTimeSpan::fromSeconds(seconds);
  return COleDateTime(u.GetYear(), u.GetMonth(), u.GetDay(), u.GetHour(), u.GetMinute(), u.GetSecond());
}

CAlarmLine reminderAt(const COleDateTime& time, const std::string& text, int showSeconds = 30) {
  CAlarmLine line(time, showSeconds);
  line.time = time;
  line.text = text;
  return line;
}

struct Check {
  CAlarmDoc doc;
  RecordingFrame frame;
  AlarmSettings settings;
  AlarmEngine engine{doc, frame, settings};
};

// Every kind of reminder around a midnight, checked twice: once passing over
// the quiet ones, and once looking at every reminder on every tick (as if the
// document changed each second). Both must do exactly the same, second by
// second, while reminders show, are turned off, postponed and armed again.
TEST(QuietReminders, TheCheckDoesWhatAFullWalkDoes) {
  std::mt19937 random(7);
  const COleDateTime from(2026, 3, 9, 23, 50, 0);
  auto fill = [&](CAlarmDoc& doc) {
    std::mt19937 same(random);
    for (int i = 0; i < 60; ++i) {
      const COleDateTime time = addSeconds(from, static_cast<int>(same() % 1500) - 60);
      CAlarmLine line = reminderAt(time, "R" + std::to_string(i), static_cast<int>(same() % 90));
      line.daily = i % 3 == 0 ? 1 : 0;
      line.timer_mode = i % 7 == 1 ? 1 : 0;
      line.week_days = static_cast<int>(same() % 128);
      if (i % 11 == 0) line.state = ReminderState::Inactive;
      if (i % 13 == 0) line.state = ReminderState::TurnedOff;
      if (i % 17 == 0) line.sticker = "Note";
      if (i % 19 == 0) line.time = COleDateTime::makeInvalid();
      doc.AddAlarm(line);
    }
  };
  Check quiet;
  Check full;
  fill(quiet.doc);
  fill(full.doc);
  COleDateTime t = from;
  for (int second = 0; second < 1500; ++second, t = addSeconds(t, 1)) {
    full.engine.documentChanged();
    quiet.engine.tick(t);
    full.engine.tick(t);
    // The user settles what shows now and then: turned off, or postponed by a
    // minute.
    if (second % 97 == 40) {
      quiet.engine.StopAlarms(false, second % 2 == 0 ? 60 : 0);
      full.engine.StopAlarms(false, second % 2 == 0 ? 60 : 0);
    }
    ASSERT_EQ(quiet.frame.calls, full.frame.calls) << "at second " << second;
  }
  EXPECT_GT(std::count(full.frame.calls.begin(), full.frame.calls.end(), std::string("day-refresh")), 0);
  EXPECT_LT(quiet.frame.stickerUpdates,
            full.frame.stickerUpdates / 4);  // most were passed over
}

TEST(QuietReminders, AChangedDocumentAndAClockSetBackAreLookedAtAgain) {
  Check c;
  const COleDateTime ten(2026, 3, 10, 10, 0, 0);
  CAlarmLine& later = *c.doc.AddAlarm(reminderAt(COleDateTime(2026, 3, 10, 12, 0, 0), "Later"));
  CAlarmLine daily = reminderAt(COleDateTime(2026, 1, 1, 9, 30, 0), "Daily");
  daily.daily = 1;
  c.doc.AddAlarm(daily);
  c.engine.tick(ten);
  c.engine.tick(addSeconds(ten, 1));
  EXPECT_EQ(c.frame.stickerUpdates, 2 + 1);  // the second tick passes over both

  // Moved to now in the editor: it rings on the next tick after the change is
  // told.
  later.time = addSeconds(ten, 2);
  c.engine.documentChanged();
  c.engine.tick(addSeconds(ten, 2));
  EXPECT_TRUE(c.frame.saw("osd Later"));
  c.engine.StopAlarms(false, 0);

  // The daily one's window passed before ten; with the clock set back to 9:30
  // it rings.
  c.frame.calls.clear();
  c.engine.tick(addSeconds(ten, 3));
  c.engine.tick(COleDateTime(2026, 3, 10, 9, 30, 0));
  EXPECT_TRUE(c.frame.saw("osd Daily"));
}

TEST(QuietReminders, ARecordWithRunTimeStateIsNeverQuiet) {
  const record_times::Now now(COleDateTime(2026, 3, 10, 10, 0, 0));
  CAlarmLine line = reminderAt(COleDateTime(2026, 3, 10, 12, 0, 0), "Later");
  EXPECT_EQ(quietUntilSecond(line, now), now.seconds + 2 * 3600);
  line.show_count = 1;
  EXPECT_EQ(quietUntilSecond(line, now), now.seconds);
  line.show_count = 0;
  line.fired = true;
  EXPECT_EQ(quietUntilSecond(line, now), now.seconds);
  line.fired = false;
  line.state = ReminderState::TurnedOff;
  EXPECT_EQ(quietUntilSecond(line, now), now.seconds);
  line.state = ReminderState::Inactive;
  EXPECT_EQ(quietUntilSecond(line, now), QuietReminders::kNever);
}

}  // namespace
}  // namespace kalvory
namespace kalvory {
TEST(QuietRemindersMergeCheck, PostponedIsNotQuiet) {
  const record_times::Now now(COleDateTime(2026, 3, 10, 10, 0, 0));
  CAlarmLine line(COleDateTime(2026, 3, 10, 12, 0, 0), 30);
  line.time = COleDateTime(2026, 3, 10, 12, 0, 0);
  EXPECT_NE(quietUntilSecond(line, now), now.seconds);
  line.postponed = CAlarmLine::Postponement{now.seconds + 300, now.seconds - 60};
  EXPECT_EQ(quietUntilSecond(line, now), now.seconds);
}
}  // namespace kalvory
