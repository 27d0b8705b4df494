#include "core/alarms/alarm_engine.h"

#include <gtest/gtest.h>

#include "core/model/alarm_doc.h"
#include "recording_frame.h"

namespace kalvory {
namespace {

using testing::RecordingFrame;

COleDateTime at(int hour, int minute, int second, int day = 10) {
  return COleDateTime(2026, 3, day, hour, minute, second);
}

COleDateTime addSeconds(const COleDateTime& t, int seconds) {
  const COleDateTime u = t + COleDateTimeSpan::fromSeconds(seconds);
  return COleDateTime(u.GetYear(), u.GetMonth(), u.GetDay(), u.GetHour(), u.GetMinute(), u.GetSecond());
}

CAlarmLine oneTime(const COleDateTime& start, const std::string& text, int showSeconds = 60) {
  CAlarmLine line(start, showSeconds);
  line.time = start;
  line.text = text;
  return line;
}

CAlarmLine daily(int hour, int minute, const std::string& text) {
  CAlarmLine line = oneTime(COleDateTime(2026, 1, 1, hour, minute, 0), text);
  line.daily = 1;
  return line;
}

struct Fixture {
  CAlarmDoc doc;
  RecordingFrame frame;
  AlarmSettings settings;
  AlarmEngine engine{doc, frame, settings};

  CAlarmLine& add(const CAlarmLine& line) { return *doc.AddAlarm(line); }
  // One tick a second from `from` to `to`, both included.
  void run(const COleDateTime& from, const COleDateTime& to) {
    for (COleDateTime t = from; t <= to; t = addSeconds(t, 1)) engine.tick(t);
  }
};

TEST(AlarmCheck, WindowBoundsAreInclusive) {
  for (const COleDateTime& first : {at(10, 0, 0), at(10, 1, 0)}) {
    Fixture f;
    CAlarmLine& r = f.add(oneTime(at(10, 0, 0), "Tea"));
    f.engine.tick(first);
    EXPECT_TRUE(f.frame.saw("osd Tea")) << first.GetMinute();
    EXPECT_TRUE(r.fired);
    EXPECT_EQ(r.show_count, 2);
    EXPECT_TRUE(f.engine.trayAlarmMark());
  }
  Fixture late;
  CAlarmLine& r = late.add(oneTime(at(10, 0, 0), "Tea"));
  late.engine.tick(at(10, 1, 1));
  EXPECT_FALSE(late.frame.saw("osd Tea"));
  EXPECT_FALSE(r.fired);
  EXPECT_EQ(r.state, ReminderState::Armed);
}

TEST(AlarmCheck, ShowingEndsOnTickD) {
  for (int d : {60, 5}) {
    Fixture f;
    f.settings.ShowTime = d;
    CAlarmLine& r = f.add(oneTime(at(10, 0, 0), "Tea"));
    f.run(at(10, 0, 0), at(10, 0, d - 2));
    EXPECT_EQ(r.state, ReminderState::Armed) << d;
    EXPECT_FALSE(f.frame.saw("osd-hide"));
    f.engine.tick(at(10, 0, d - 1));
    EXPECT_EQ(r.state, ReminderState::TurnedOff) << d;
    EXPECT_EQ(r.show_count, 0);
    EXPECT_TRUE(f.frame.saw("state 0 2"));
    EXPECT_TRUE(f.frame.saw("osd-hide"));
    EXPECT_FALSE(f.engine.trayAlarmMark());
    // Nothing more is shown for it in the rest of its window; afterwards it is armed again.
    f.frame.calls.clear();
    f.run(addSeconds(at(10, 0, 0), d), at(10, 1, 2));
    EXPECT_EQ(f.frame.only("osd ").size(), 0u);
    EXPECT_EQ(f.frame.only("sound").size(), 0u);
    EXPECT_EQ(r.state, ReminderState::Armed);
  }
}

TEST(AlarmCheck, TwoRemindersInOneSecondFireInListOrderAndOsdSettlesOnTheFirst) {
  Fixture f;
  CAlarmLine a = oneTime(at(10, 0, 0), "A");
  a.sound_file = "/a.ogg";
  a.program = "run-a";
  a.exit_action = 4;
  CAlarmLine b = oneTime(at(10, 0, 0), "B");
  b.sound_file = "/b.ogg";
  b.program = "run-b";
  b.notifier = "Blue";
  b.text =
      "B\xC2\x80"
      "Jx";  // the notifier gets the text without its symbol mark
  f.add(a);
  f.add(b);
  f.engine.tick(at(10, 0, 0));
  const std::vector<std::string> expected{"osd A",
                                          "sound /a.ogg",
                                          "program run-a",
                                          "osd A",
                                          "osd B\xC2\x80"
                                          "Jx",
                                          "notifier Bx 60 Blue",
                                          "sound /b.ogg",
                                          "program run-b"};
  std::vector<std::string> actions;
  for (const auto& call : f.frame.calls) {
    if (call.rfind("osd ", 0) == 0 || call.rfind("sound", 0) == 0 || call.rfind("program", 0) == 0 ||
        call.rfind("notifier", 0) == 0) {
      actions.push_back(call);
    }
  }
  EXPECT_EQ(actions, expected);
  EXPECT_EQ(f.engine.pendingExitAction(), 0);  // the last one fired in the tick decides
  f.frame.calls.clear();
  f.engine.tick(at(10, 0, 1));
  EXPECT_EQ(f.frame.only("osd "), std::vector<std::string>{"osd A"});
  EXPECT_EQ(f.frame.osdText, "A");
  f.frame.calls.clear();
  f.engine.tick(at(10, 0, 2));
  EXPECT_TRUE(f.frame.only("osd ").empty());  // already showing the first one's text
}

TEST(AlarmCheck, SwitchedOffReminderNeverFires) {
  Fixture f;
  CAlarmLine off = oneTime(at(10, 0, 0), "Off");
  off.state = ReminderState::Inactive;
  CAlarmLine& r = f.add(off);
  f.add(oneTime(at(9, 0, 0), "Other"));
  f.engine.tick(at(9, 0, 0));  // the other one opens the OSD window
  r.fired = true;              // as left over from a showing before it was switched off
  r.show_count = 7;
  f.engine.documentChanged();  // switching it off is a change to the document
  f.frame.calls.clear();
  f.frame.stickerUpdates = 0;
  f.run(at(10, 0, 0), at(10, 0, 30));
  EXPECT_FALSE(f.frame.saw("osd Off"));
  EXPECT_EQ(r.state, ReminderState::Inactive);
  EXPECT_FALSE(r.fired);
  EXPECT_EQ(r.show_count, 0);
  // Each tick keeps the stickers up: the first two for both reminders (the second arms the
  // other one again after its turned-off showing), then once for the two it passes over, as
  // neither can show again.
  EXPECT_EQ(f.frame.stickerUpdates, 2 + 2 + 29);
}

// A file may hold a state outside the three; it compares by its number: above Armed it is
// handled as TurnedOff (nothing shows, and it is armed again once its window has passed), below
// Inactive it never fires and is never changed.
TEST(AlarmCheck, StatesOutsideTheThreeKeepTheirHandling) {
  Fixture f;
  CAlarmLine high = oneTime(at(10, 0, 0), "High");
  high.state = static_cast<ReminderState>(7);
  CAlarmLine& r = f.add(high);
  CAlarmLine low = oneTime(at(10, 0, 0), "Low");
  low.state = static_cast<ReminderState>(-3);
  CAlarmLine& l = f.add(low);
  f.run(at(10, 0, 0), at(10, 1, 1));
  EXPECT_TRUE(f.frame.only("osd ").empty());
  EXPECT_TRUE(f.frame.only("sound").empty());
  EXPECT_TRUE(f.frame.saw("state 0 2"));
  EXPECT_EQ(r.state, ReminderState::Armed);
  EXPECT_EQ(static_cast<int>(l.state), -3);
  EXPECT_TRUE(f.frame.only("state 1 ").empty());
}

TEST(AlarmCheck, ExitActionRunsAfterANaturalEndOnly) {
  {
    Fixture f;
    CAlarmLine r = oneTime(at(10, 0, 0), "Bye");
    r.exit_action = Shutdown;
    f.add(r);
    f.run(at(10, 0, 0), at(10, 0, 58));
    EXPECT_FALSE(f.frame.saw("exit 1"));
    EXPECT_TRUE(f.engine.exitPending());
    f.frame.calls.clear();
    f.engine.tick(at(10, 0, 59));
    EXPECT_TRUE(f.frame.saw("exit 1"));
    EXPECT_TRUE(f.engine.exitInProgress());
    EXPECT_TRUE(f.engine.exitWindowsPending());
    EXPECT_EQ(f.engine.exitWindowsFlags(), kExitWindowsPowerOff);
    EXPECT_FALSE(f.frame.saw("say-time"));  // the tick returns at once
    f.frame.calls.clear();
    f.engine.tick(at(10, 1, 0));
    EXPECT_TRUE(f.frame.calls.empty());  // no check once the exit has begun
  }
  {
    Fixture f;
    CAlarmLine r = oneTime(at(10, 0, 0), "Bye");
    r.exit_action = Restart;
    f.add(r);
    f.run(at(10, 0, 0), at(10, 0, 10));
    f.engine.StopAlarms(false, 0);  // "Turn off" without "Execute exit action"
    EXPECT_EQ(f.engine.pendingExitAction(), 0);
    f.run(at(10, 0, 11), at(10, 2, 0));
    EXPECT_TRUE(f.frame.only("exit").empty());
    EXPECT_FALSE(f.engine.exitInProgress());
  }
  {
    Fixture f;
    CAlarmLine r = oneTime(at(10, 0, 0), "Bye");
    r.exit_action = Restart;
    f.add(r);
    f.run(at(10, 0, 0), at(10, 0, 10));
    f.engine.StopAlarms(true, 0);  // ... with it ticked: runs on the next tick
    EXPECT_FALSE(f.frame.saw("exit 3"));
    f.engine.tick(at(10, 0, 11));
    EXPECT_TRUE(f.frame.saw("exit 3"));
    EXPECT_EQ(f.engine.exitWindowsFlags(), kExitWindowsReboot);
  }
}

TEST(AlarmCheck, DayRefreshAtMidnightWhileShowing) {
  Fixture f;
  CAlarmLine& r = f.add(oneTime(at(23, 59, 30), "Midnight", 120));
  f.run(at(23, 59, 30), at(23, 59, 59));
  EXPECT_EQ(f.engine.lastRefreshDay(), 10);
  f.frame.calls.clear();
  f.engine.tick(at(0, 0, 0, 11));
  EXPECT_EQ(r.state, ReminderState::Armed);
  EXPECT_GT(r.show_count, 0);  // still showing
  EXPECT_EQ(f.frame.count("day-refresh"), 1);
  EXPECT_EQ(f.engine.lastRefreshDay(), 11);
  EXPECT_EQ(f.frame.lastDay.dayOfMonth, 11);
}

TEST(AlarmCheck, IdleTickHidesNotifiersAndRunsTheIdleSteps) {
  Fixture f;
  f.add(oneTime(at(10, 0, 0), "Later"));
  f.engine.tick(at(9, 0, 0));
  const std::vector<std::string> expected{"day-refresh",    "stop-animation", "restore",         "day-refresh",
                                          "hide-notifiers", "say-time",       "change-wallpaper"};
  EXPECT_EQ(f.frame.calls, expected);
}

TEST(AlarmCheck, TurnedOffReminderIsArmedAgainAndFiresAtItsNextOccurrence) {
  // The daily reminder stands first in one list and second in the other.
  for (bool first : {true, false}) {
    Fixture f;
    if (!first) f.add(oneTime(at(8, 0, 0), "Earlier"));
    CAlarmLine& r = f.add(daily(10, 0, "Daily"));
    const std::size_t index = first ? 0 : 1;
    f.run(at(10, 0, 0), at(10, 0, 10));
    f.engine.StopAlarms(false, 0);
    EXPECT_EQ(r.state, ReminderState::TurnedOff);
    EXPECT_FALSE(r.fired);
    f.frame.calls.clear();
    f.run(at(10, 0, 11), at(10, 1, 5));
    EXPECT_TRUE(f.frame.only("osd Daily").empty());  // turned off for the rest of this window
    EXPECT_EQ(r.state, ReminderState::Armed) << first;
    EXPECT_EQ(r.show_count, 0);
    EXPECT_TRUE(f.frame.saw("state " + std::to_string(index) + " 1"));
    f.frame.calls.clear();
    f.run(at(9, 59, 59, 11), at(10, 0, 0, 11));
    EXPECT_EQ(f.frame.only("osd Daily").size(), 1u) << first;
    EXPECT_TRUE(r.fired);
  }
}

TEST(AlarmCheck, PostponedReminderFiresAtItsNewTime) {
  Fixture f;
  CAlarmLine& a = f.add(oneTime(at(10, 0, 0), "A"));
  CAlarmLine& b = f.add(oneTime(at(10, 0, 0), "B"));
  f.run(at(10, 0, 0), at(10, 0, 30));
  f.engine.StopAlarms(false, 300);
  EXPECT_EQ(a.time, at(10, 5, 0));
  EXPECT_EQ(b.time, at(10, 5, 0));
  EXPECT_EQ(a.state, ReminderState::Armed);
  EXPECT_FALSE(f.engine.trayAlarmMark());
  f.frame.calls.clear();
  f.run(at(10, 0, 31), at(10, 4, 59));
  EXPECT_TRUE(f.frame.only("osd ").empty());
  f.engine.tick(at(10, 5, 0));
  EXPECT_EQ(f.frame.only("osd "), (std::vector<std::string>{"osd A", "osd B"}));
  EXPECT_TRUE(a.fired);
  EXPECT_TRUE(b.fired);

  // Only the later reminder postponed: it still fires at its new time.
  Fixture g;
  CAlarmLine& first = g.add(oneTime(at(10, 0, 0), "First"));
  CAlarmLine& later = g.add(oneTime(at(10, 0, 20), "Later"));
  g.run(at(10, 0, 0), at(10, 0, 10));
  g.engine.StopAlarms(false, 0);
  g.run(at(10, 0, 11), at(10, 0, 25));
  g.engine.StopAlarms(false, 60);
  EXPECT_EQ(first.state, ReminderState::TurnedOff);  // not showing any more, so untouched
  EXPECT_EQ(later.time, at(10, 1, 20));
  g.frame.calls.clear();
  g.run(at(10, 0, 26), at(10, 1, 19));
  EXPECT_FALSE(g.frame.saw("osd Later"));
  g.engine.tick(at(10, 1, 20));
  EXPECT_TRUE(g.frame.saw("osd Later"));
  EXPECT_TRUE(later.fired);
}

TEST(AlarmCheck, ExitActions) {
  auto fireAndEnd = [](Fixture& f, int action) {
    CAlarmLine r = oneTime(at(10, 0, 0), "X", 2);
    r.exit_action = action;
    f.add(r);
    f.run(at(10, 0, 0), at(10, 0, 3));
  };
  {
    Fixture f;
    fireAndEnd(f, CloseProgram);
    EXPECT_TRUE(f.frame.saw("exit 4"));
    EXPECT_TRUE(f.engine.exitInProgress());
    EXPECT_FALSE(f.engine.exitWindowsPending());
    EXPECT_EQ(f.engine.exitWindowsFlags(), 0u);
  }
  {
    Fixture f;
    fireAndEnd(f, Sleep);
    EXPECT_EQ(f.frame.count("suspend"), 1);  // once, and checking goes on
    EXPECT_FALSE(f.engine.exitInProgress());
    EXPECT_EQ(f.engine.pendingExitAction(), 0);
    f.frame.calls.clear();
    f.run(at(10, 0, 4), at(10, 0, 10));
    EXPECT_EQ(f.frame.count("say-time"), 7);
    EXPECT_EQ(f.frame.count("suspend"), 0);
  }
  for (int action : {0, 5, 77, -1}) {
    Fixture f;
    fireAndEnd(f, action);
    EXPECT_TRUE(f.frame.only("exit").empty()) << action;
    EXPECT_FALSE(f.frame.saw("suspend"));
    EXPECT_FALSE(f.engine.exitInProgress());
    EXPECT_EQ(f.engine.pendingExitAction(), 0);
  }
  {
    Fixture f;  // nothing pending: a direct call does nothing
    EXPECT_EQ(f.engine.DoExitAction(Shutdown), 0);
    EXPECT_TRUE(f.frame.calls.empty());
  }
}

TEST(AlarmCheck, KeptExitActionRunsWhateverTheOrderOfFiring) {
  // The reminder with the exit action fired first, the other (later in the list order) after it.
  Fixture f;
  CAlarmLine& plain = f.add(oneTime(at(10, 0, 5), "Plain"));
  CAlarmLine bye = oneTime(at(10, 0, 0), "Bye");
  bye.exit_action = Shutdown;
  f.add(bye);
  (void)plain;
  f.run(at(10, 0, 0), at(10, 0, 10));
  EXPECT_FALSE(f.engine.exitPending());  // the later firing had no exit action
  f.engine.StopAlarms(true, 0);
  f.engine.tick(at(10, 0, 11));
  EXPECT_TRUE(f.frame.saw("exit 1"));
}

TEST(AlarmCheck, DayNoteIconColourAndTooltip) {
  EXPECT_EQ(dayNoteIconColour(nullptr), 0u);
  CDayInfo note(at(0, 0, 0));
  const std::pair<int, std::uint32_t> cases[] = {{0, 0x5C5C5Cu}, {1, 0x008000u}, {2, 0x0000FFu},
                                                 {3, 0u},        {4, 0x0000FFu}, {5, 0x5C5C5Cu}};
  for (const auto& [type, colour] : cases) {
    note.event_type = type;
    EXPECT_EQ(dayNoteIconColour(&note), colour) << type;
  }
  EXPECT_EQ(trayTooltipText("10 March 2026", "Birthday "), "10 March 2026 - Birthday ");
  EXPECT_EQ(trayTooltipText("10 March 2026", ""), "10 March 2026");

  Fixture f;
  CDayInfo birthday(at(0, 0, 0));
  birthday.text = "Ann";
  birthday.event_type = CDayInfo::Anniversary;
  f.doc.AddDayInfo(birthday);
  f.engine.tick(at(9, 0, 0));
  EXPECT_EQ(f.frame.lastDay.notesText, "Ann ");
  EXPECT_EQ(f.frame.lastDay.iconColour, 0x008000u);
}

}  // namespace
}  // namespace kalvory
