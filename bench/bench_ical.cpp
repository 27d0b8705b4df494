// iCalendar export and import at 100,000 events: this program's own calendar of a large
// document, a calendar as other programs write it, and one line of 20 MB. The peak resident
// memory counts the input the benchmark holds as well (the document, or the calendar text).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "core/model/alarm_doc.h"
#include "platform/ical/ical_document.h"

namespace {

using namespace kalvory;

constexpr int kEvents = 100000;
const COleDateTime kNow(2026, 12, 8, 10, 0, 0);

void useKyivTime() {
  setenv("TZ", "EET-2EEST,M3.5.0/3,M10.5.0/4", 1);
  tzset();
}

// The peak resident memory since the last reset (VmHWM), in MB; the reset lets each benchmark
// measure its own work rather than the building of its input.
void resetPeak() {
  malloc_trim(0);  // what earlier runs freed is not counted as this run's
  if (FILE* file = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", file);
    std::fclose(file);
  }
}

double peakMegabytes() {
  double kilobytes = 0;
  if (FILE* file = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, file))
      if (std::sscanf(line, "VmHWM: %lf kB", &kilobytes) == 1) break;
    std::fclose(file);
  }
  return kilobytes / 1024.0;
}

// Half reminders and half notes, texts in Russian and English, every kind of repetition.
CAlarmDoc largeDocument() {
  CAlarmDoc doc;
  for (int i = 0; i < kEvents / 2; ++i) {
    CAlarmLine line(COleDateTime(2026, 1 + i % 12, 1 + i % 28, i % 24, i % 60, 0), 60);
    line.text = (i % 2 == 0 ? "Позвонить в банк насчёт вклада, потом; в аптеку " : "Water the plants on the balcony ") +
                std::to_string(i);
    line.daily = i % 3 == 0 ? 1 : 0;
    line.week_days = 1 + i % 127;
    line.state = i % 10 == 0 ? ReminderState::Inactive : ReminderState::Armed;
    line.sound_file = i % 4 == 0 ? "/home/user/Music/alarm.mp3" : "";
    doc.AddAlarm(line);
    CDayInfo note(COleDateTime(2000 + i % 26, 1 + i % 12, 1 + i % 28, 0, 0, 0));
    note.text = (i % 2 == 0 ? "День рождения Ивана Петровича " : "Dentist appointment ") + std::to_string(i);
    note.repeat = i % 5;
    note.interval_days = 1 + i % 30;
    note.week_day = i % 7;
    doc.AddDayInfo(note);
  }
  return doc;
}

// Events as calendar programs write them: zones, UTC, alarms, weekly rules, all-day series.
std::string foreignCalendar() {
  std::string ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//Calendar//EN\r\n";
  for (int i = 0; i < kEvents; ++i) {
    char start[32];
    std::snprintf(start, sizeof start, "2026%02d%02dT%02d%02d00", 1 + i % 12, 1 + i % 28, 8 + i % 12, i % 60);
    ics += "BEGIN:VEVENT\r\nUID:event-" + std::to_string(i) + "@other.example\r\nDTSTAMP:20261201T000000Z\r\n";
    ics += "SUMMARY:Meeting with the team about item " + std::to_string(i) + "\\, room 4\r\n";
    switch (i % 4) {
      case 0:
        ics += std::string("DTSTART;TZID=Europe/Berlin:") + start + "\r\nDTEND;TZID=Europe/Berlin:" + start + "\r\n";
        break;
      case 1:
        ics += std::string("DTSTART:") + start + "Z\r\nDURATION:PT1H\r\n";
        break;
      case 2:
        ics += std::string("DTSTART:") + start + "\r\nRRULE:FREQ=WEEKLY;BYDAY=MO,WE,FR\r\n";
        break;
      default:
        ics += "DTSTART;VALUE=DATE:" + std::string(start, 8) + "\r\nRRULE:FREQ=YEARLY\r\n";
        break;
    }
    if (i % 4 != 3) ics += "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Reminder\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n";
    ics += "END:VEVENT\r\n";
  }
  return ics + "END:VCALENDAR\r\n";
}

void BM_ExportIcs(benchmark::State& state) {
  useKyivTime();
  const CAlarmDoc doc = largeDocument();
  std::size_t bytes = 0;
  resetPeak();
  for (auto _ : state) {
    const std::string ics = documentToIcs(doc, kNow);
    bytes = ics.size();
    benchmark::DoNotOptimize(ics.data());
  }
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
  state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_ExportIcs)->Unit(benchmark::kMillisecond);

void BM_ImportOwnIcs(benchmark::State& state) {
  useKyivTime();
  const std::string ics = documentToIcs(largeDocument(), kNow);
  resetPeak();
  for (auto _ : state) {
    CAlarmDoc doc;
    const Result<IcsImport> result = icsToDocument(ics, doc, kNow);
    if (!result.ok() || doc.alarmCount() + doc.dayInfoCount() != kEvents) state.SkipWithError("import failed");
  }
  state.counters["MB"] = static_cast<double>(ics.size()) / 1e6;
  state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_ImportOwnIcs)->Unit(benchmark::kMillisecond);

void BM_ImportForeignIcs(benchmark::State& state) {
  useKyivTime();
  const std::string ics = foreignCalendar();
  resetPeak();
  for (auto _ : state) {
    CAlarmDoc doc;
    const Result<IcsImport> result = icsToDocument(ics, doc, kNow);
    if (!result.ok() || doc.alarmCount() + doc.dayInfoCount() != kEvents) state.SkipWithError("import failed");
  }
  state.counters["MB"] = static_cast<double>(ics.size()) / 1e6;
  state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_ImportForeignIcs)->Unit(benchmark::kMillisecond);

// One SUMMARY of 20 MB, unfolded as some writers leave it.
void BM_ImportOneLongLine(benchmark::State& state) {
  useKyivTime();
  const std::string ics =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:long\r\nDTSTART:20261201T090000\r\n"
      "SUMMARY:" +
      std::string(20 * 1000 * 1000, 'x') + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
  resetPeak();
  for (auto _ : state) {
    CAlarmDoc doc;
    const Result<IcsImport> result = icsToDocument(ics, doc, kNow);
    if (!result.ok() || doc.alarmCount() != 1) state.SkipWithError("import failed");
  }
  state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_ImportOneLongLine)->Unit(benchmark::kMillisecond);

}  // namespace
