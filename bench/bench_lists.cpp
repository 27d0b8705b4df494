// The lists window over 10,000 reminders and 10,000 day notes: opening a document into it (the
// document read, both lists refilled and the window drawn), refilling alone, and scrolling a
// page with the rows drawn again. Qt runs on its offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QTableView>
#include <memory>
#include <string>

#include "core/model/alarm_doc.h"
#include "core/model/document_file.h"
#include "desktop/common/action_registry.h"
#include "desktop/lists/lists_dialog.h"

namespace {

using namespace kalvory;

constexpr int kRecords = 10000;

void ensureApplication() {
  static std::unique_ptr<QApplication> application;
  if (application) return;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "bench_lists";
  static char* argv[] = {name, nullptr};
  application = std::make_unique<QApplication>(argc, argv);
}

// Records like a real user's: Russian and English texts, some with a symbol mark, daily, timer
// and one-time reminders, every kind of note.
CAlarmDoc largeDocument() {
  CAlarmDoc doc;
  for (int i = 0; i < kRecords; ++i) {
    CAlarmLine line(COleDateTime(2026, 1 + i % 12, 1 + i % 28, i % 24, i % 60, 0), 60);
    line.text = (i % 2 == 0 ? "Позвонить в банк насчёт вклада \xC2\x80Y " : "Water the plants on the balcony ") +
                std::to_string(i);
    line.daily = i % 3 == 0 ? 1 : 0;
    line.timer_mode = i % 7 == 0 ? 1 : 0;
    line.timer_minutes = i % 1440;
    line.state = i % 11 == 0 ? ReminderState::Inactive : ReminderState::Armed;
    doc.AddAlarm(line);
    CDayInfo note(COleDateTime(2000 + i % 30, 1 + i % 12, 1 + i % 28, 0, 0, 0));
    note.text = (i % 2 == 0 ? "День рождения Ивана Петровича " : "Dentist appointment ") + std::to_string(i);
    note.repeat = i % 5;
    note.event_type = i % 6;
    note.week_day = i % 7;
    doc.AddDayInfo(note);
  }
  return doc;
}

// The window as the program shows it: 420 pixels wide, `height` high, on the reminders tab.
struct ListsWindow {
  explicit ListsWindow(int height) {
    ensureApplication();
    settings = defaultSettings(SettingsEnvironment{});
    actions = std::make_unique<ActionRegistry>([] { return UiLanguage::English; });
    window = std::make_unique<CListsDlg>(document, settings, *actions, CListsDlg::Services{});
    window->resize(420, height);
    window->show();
    QApplication::processEvents();
  }
  ApplicationSettings settings;
  CAlarmDoc document;
  std::unique_ptr<ActionRegistry> actions;
  std::unique_ptr<CListsDlg> window;
};

// File > Open as the user sees it: the stored document read, the lists refilled, the window drawn.
void BM_OpenIntoLists(benchmark::State& state) {
  const std::string bytes = storeDocumentBytes(largeDocument());
  ListsWindow lists(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    loadDocumentBytes(lists.document, bytes);
    lists.window->refill();
    benchmark::DoNotOptimize(lists.window->grab());
  }
  state.counters["rows"] = static_cast<double>(lists.window->reminderList()->model()->rowCount());
}
BENCHMARK(BM_OpenIntoLists)->Arg(200)->Arg(800)->Unit(benchmark::kMillisecond);

// The lists alone: refilled from a loaded document and drawn.
void BM_RefillAndDraw(benchmark::State& state) {
  ListsWindow lists(static_cast<int>(state.range(0)));
  lists.document = largeDocument();
  for (auto _ : state) {
    lists.window->refill();
    benchmark::DoNotOptimize(lists.window->grab());
  }
}
BENCHMARK(BM_RefillAndDraw)->Arg(200)->Arg(800)->Unit(benchmark::kMillisecond);

// Page Down through the list: the scroll and the visible rows drawn again.
void BM_ScrollOnePage(benchmark::State& state) {
  ListsWindow lists(static_cast<int>(state.range(0)));
  lists.document = largeDocument();
  lists.window->refill();
  QTableView* list = lists.window->reminderList();
  QScrollBar* bar = list->verticalScrollBar();
  for (auto _ : state) {
    bar->setValue(bar->value() + bar->pageStep() > bar->maximum() ? 0 : bar->value() + bar->pageStep());
    benchmark::DoNotOptimize(list->viewport()->grab());
  }
}
BENCHMARK(BM_ScrollOnePage)->Arg(200)->Arg(800)->Unit(benchmark::kMicrosecond);

}  // namespace
