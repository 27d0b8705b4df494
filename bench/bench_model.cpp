// Document load and save at 10,000 reminders and 10,000 notes, and the next-reminder text over
// 10,000 reminders.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/model/alarm_doc.h"
#include "core/model/document_file.h"

namespace {

using namespace kalvory;

constexpr int kRecords = 10000;
const COleDateTime kNow(2026, 5, 13, 10, 0, 0);

// Records that look like a real user's: texts in Russian and English with marks, a mix of
// daily, timer and one-time reminders, and every kind of note.
CAlarmDoc largeDocument() {
  CAlarmDoc doc;
  for (int i = 0; i < kRecords; ++i) {
    CAlarmLine line(COleDateTime(2026, 1 + i % 12, 1 + i % 28, i % 24, i % 60, 0), 60);
    line.text = (i % 2 == 0 ? "Позвонить в банк насчёт вклада \xC2\x80J " : "Water the plants on the balcony ") +
                std::to_string(i);
    line.daily = i % 3 == 0 ? 1 : 0;
    line.timer_mode = i % 7 == 0 ? 1 : 0;
    line.week_days = 1 + i % 127;
    line.sound_file = i % 4 == 0 ? "/home/user/Music/alarm.mp3" : "";
    line.notifier = i % 5 == 0 ? "Синий" : "";
    doc.AddAlarm(line);
    CDayInfo note(COleDateTime(2000 + i % 30, 1 + i % 12, 1 + i % 28, 0, 0, 0));
    note.text = (i % 2 == 0 ? "День рождения Ивана Петровича " : "Dentist appointment ") + std::to_string(i);
    note.repeat = i % 5;
    note.event_type = i % 6;
    note.interval_days = 1 + i % 30;
    note.week_day = i % 7;
    doc.AddDayInfo(note);
  }
  return doc;
}

void BM_StoreDocument(benchmark::State& state) {
  const CAlarmDoc doc = largeDocument();
  for (auto _ : state) benchmark::DoNotOptimize(storeDocumentBytes(doc));
}
BENCHMARK(BM_StoreDocument)->Unit(benchmark::kMillisecond);

void BM_LoadDocument(benchmark::State& state) {
  const std::string bytes = storeDocumentBytes(largeDocument());
  state.counters["bytes"] = static_cast<double>(bytes.size());
  for (auto _ : state) {
    CAlarmDoc doc;
    loadDocumentBytes(doc, bytes);
    benchmark::DoNotOptimize(doc.alarmCount());
  }
}
BENCHMARK(BM_LoadDocument)->Unit(benchmark::kMillisecond);

// The whole file path: read from disk and parse; write a temporary, flush it to disk and rename.
std::string benchFile() {
  return (std::filesystem::temp_directory_path() / ("kalvory_bench_" + std::to_string(::getpid()) + ".alr")).string();
}

void BM_LoadDocumentFile(benchmark::State& state) {
  CAlarmDoc source = largeDocument();
  const std::string file = benchFile();
  if (const auto saved = saveDocumentFile(source, file); !saved.ok()) return state.SkipWithError(saved.error().c_str());
  for (auto _ : state) {
    CAlarmDoc doc;
    if (const auto loaded = loadDocumentFile(doc, file); !loaded.ok())
      return state.SkipWithError(loaded.error().c_str());
    benchmark::DoNotOptimize(doc.alarmCount());
  }
  std::filesystem::remove(file);
}
BENCHMARK(BM_LoadDocumentFile)->Unit(benchmark::kMillisecond);

void BM_SaveDocumentFile(benchmark::State& state) {
  CAlarmDoc doc = largeDocument();
  const std::string file = benchFile();
  for (auto _ : state) {
    if (const auto saved = saveDocumentFile(doc, file); !saved.ok()) return state.SkipWithError(saved.error().c_str());
  }
  std::filesystem::remove(file);
}
BENCHMARK(BM_SaveDocumentFile)->Unit(benchmark::kMillisecond);

void BM_NextReminderText(benchmark::State& state) {
  const CAlarmDoc doc = largeDocument();
  for (auto _ : state) benchmark::DoNotOptimize(doc.nextReminderText(kNow, UiLanguage::English));
}
BENCHMARK(BM_NextReminderText)->Unit(benchmark::kMicrosecond);

void BM_NextDayEventText(benchmark::State& state) {
  const CAlarmDoc doc = largeDocument();
  for (auto _ : state) benchmark::DoNotOptimize(doc.nextDayEventText(kNow, UiLanguage::English));
}
BENCHMARK(BM_NextDayEventText)->Unit(benchmark::kMicrosecond);

}  // namespace
