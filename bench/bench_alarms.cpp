// Speed of the one-second alarm check.
#include <benchmark/benchmark.h>

#include <string>

#include "core/alarms/alarm_engine.h"
#include "core/model/alarm_doc.h"

namespace {

using namespace kalvory;

// A main window that does nothing, so that only the check itself is measured.
class QuietFrame final : public AlarmFrame {
 public:
  std::string text;
  bool exists = false;
  void ShowAlarmText(const std::string& t, bool) override {
    exists = true;
    if (!t.empty()) text = t;
  }
  bool AlarmTextWindowExists() const override { return exists; }
  std::string GetAlarmText() const override { return text; }
  void HideAlarmText() override {}
  void ShowNotifier(const std::string&, int, const std::string&) override {}
  void HideAllNotifiers() override {}
  void SetReminderWallpaper(const std::string&) override {}
  void UpdateReminderSticker(const CAlarmLine&, const COleDateTime&) override {}
  void UpdateDayNoteStickers(const CDayInfo*, const COleDateTime&) override {}
  void ApplyDayNoteWallpaper(const COleDateTime&) override {}
  void ChangeWallpaper(bool) override {}
  void PlayAlarmSound(const std::string&) override {}
  void ExecuteApplication(const std::string&) override {}
  void RestoreWinampState() override {}
  void SayTime() override {}
  void SuspendComputer() override {}
  void BeginExit(int) override {}
  void RecreateTrayIconIfGone() override {}
  void StopTrayAnimation() override {}
  void RefreshTrayDay(const TrayDayInfo&) override {}
};

const COleDateTime kNow(2026, 3, 10, 12, 0, 0);

// Reminders of every kind spread over the day and the days around it; about one in a
// hundred is due at kNow.
void fillMixed(CAlarmDoc& doc, int count) {
  for (int i = 0; i < count; ++i) {
    CAlarmLine line(kNow, 60);
    const int minuteOfDay = (i * 7) % 1440;
    line.time = COleDateTime(2026, 3, 8 + i % 5, minuteOfDay / 60, minuteOfDay % 60, 0);
    line.text = "Reminder number " + std::to_string(i);
    switch (i % 4) {
      case 0:
        break;  // one time
      case 1:
        line.daily = 1;
        line.week_days = 0x3E;  // weekdays
        break;
      case 2:
        line.timer_mode = 1;
        line.timer_minutes = 15 + i % 90;
        break;
      case 3:
        line.state = i % 8 == 3 ? ReminderState::Inactive : ReminderState::Armed;
        line.show_seconds = 3600;
        break;
    }
    doc.AddAlarm(line);
  }
}

void fillNotes(CAlarmDoc& doc, int count) {
  for (int i = 0; i < count; ++i) {
    CDayInfo note(COleDateTime(2020 + i % 5, 1 + i % 12, 1 + i % 28, 0, 0, 0));
    note.text = "Note " + std::to_string(i);
    note.repeat = i % 5;
    note.interval_days = 3;
    doc.AddDayInfo(note);
  }
}

void BM_TickTenThousandMixed(benchmark::State& state) {
  CAlarmDoc doc;
  fillMixed(doc, 10000);
  fillNotes(doc, 20);
  QuietFrame frame;
  AlarmSettings settings;
  AlarmEngine engine(doc, frame, settings);
  for (auto _ : state) engine.tick(kNow);
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_TickTenThousandMixed)->Unit(benchmark::kMicrosecond);

void BM_IdleTickFifty(benchmark::State& state) {
  CAlarmDoc doc;
  fillMixed(doc, 50);
  for (const auto& line : doc.alarms()) {  // all later today: nothing shows
    line->time = COleDateTime(2026, 3, 10, 23, 0, 0);
    line->daily = 0;
    line->timer_mode = 0;
  }
  fillNotes(doc, 20);
  QuietFrame frame;
  AlarmSettings settings;
  AlarmEngine engine(doc, frame, settings);
  engine.tick(kNow);
  for (auto _ : state) engine.tick(kNow);
}
BENCHMARK(BM_IdleTickFifty)->Unit(benchmark::kMicrosecond);

// 100,000 reminders of every kind, none of which shows in the benchmark's hour (12:00 to 13:00):
// one-time ones on other days or later today, daily ones at other hours, timers long past, and
// switched-off ones.
void fillIdle(CAlarmDoc& doc, int count) {
  fillMixed(doc, count);
  for (std::size_t i = 0; i < doc.alarmCount(); ++i) {
    CAlarmLine& line = *doc.GetAlarmAt(static_cast<std::ptrdiff_t>(i));
    const int minute = static_cast<int>(i * 7 % 600);
    line.show_seconds = 60;
    line.time = COleDateTime(2026, 3, 8 + i % 5, 14 + minute / 60, minute % 60, 0);
  }
}

// The idle tick with the check's quiet seconds worked out: what the program pays each second.
void BM_IdleTickHundredThousand(benchmark::State& state) {
  CAlarmDoc doc;
  fillIdle(doc, 100000);
  fillNotes(doc, 20);
  QuietFrame frame;
  AlarmSettings settings;
  AlarmEngine engine(doc, frame, settings);
  COleDateTime now = kNow;
  engine.tick(now);
  int second = 0;
  for (auto _ : state) {
    // Successive seconds of the hour, as the program ticks.
    now = kNow + COleDateTimeSpan(0, 0, 0, ++second % 3600);
    engine.tick(
        COleDateTime(now.GetYear(), now.GetMonth(), now.GetDay(), now.GetHour(), now.GetMinute(), now.GetSecond()));
  }
}
BENCHMARK(BM_IdleTickHundredThousand)->Unit(benchmark::kMicrosecond);

// The first tick after a change to the document: every reminder is looked at and its quiet
// second worked out again.
void BM_TickAfterChangeHundredThousand(benchmark::State& state) {
  CAlarmDoc doc;
  fillIdle(doc, 100000);
  fillNotes(doc, 20);
  QuietFrame frame;
  AlarmSettings settings;
  AlarmEngine engine(doc, frame, settings);
  engine.tick(kNow);
  for (auto _ : state) {
    engine.documentChanged();
    engine.tick(kNow);
  }
  state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_TickAfterChangeHundredThousand)->Unit(benchmark::kMicrosecond);

}  // namespace
