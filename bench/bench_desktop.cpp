// The one-second tick's time on the GUI thread while the wallpaper worker composes a large
// picture and hands it to the desktop.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <thread>

#include "core/model/alarm_doc.h"
#include "core/model/alarm_line.h"
#include "core/settings/app_settings.h"
#include "core/wallpaper/desktop_wallpaper.h"
#include "desktop/alarms/alarm_controller.h"
#include "desktop/common/action_registry.h"
#include "desktop/wallpaper/wallpaper_feature.h"

namespace {

using namespace kalvory;

// A desktop that takes its time, as gsettings or a Plasma script does.
class SlowDesktop final : public DesktopWallpaper {
 public:
  Result<void> SetWallpaper(const std::string&, int) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ++sets;
    return {};
  }
  std::atomic<int> sets{0};
};

// Real ticks of a one-second timer for six seconds, beginning with one that fires a reminder
// with a 4000 x 3000 PNG picture. Reports the longest tick on the GUI thread and the longest
// gap between two ticks.
void BM_TickWhileLargeWallpaperIsSet(benchmark::State& state) {
  QTemporaryDir folder;
  QImage picture(4000, 3000, QImage::Format_RGB32);
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
  const QString path = folder.path() + "/large.png";
  picture.save(path, "PNG");

  for (auto _ : state) {
    ApplicationSettings settings = defaultSettings(SettingsEnvironment{});
    CAlarmDoc document;
    const COleDateTime start = systemNow();
    for (int i = 0; i < 50; ++i) {
      CAlarmLine line(COleDateTime(start.GetYear(), start.GetMonth(), start.GetDay(), 23, 59, 0));
      line.text = "Later " + std::to_string(i);
      document.AddAlarm(line);
    }
    CAlarmLine due(start);
    due.text = "Look at the desktop";
    due.osd = 0;
    due.show_seconds = 30;
    due.wallpaper = path.toStdString();
    document.AddAlarm(due);

    ActionRegistry actions([] { return UiLanguage::English; });
    SlowDesktop desktop;
    WallpaperFeature::Services services;
    services.desktop = &desktop;
    services.dataFolder = folder.path();
    WallpaperFeature wallpaper(settings, document, actions, services);
    AlarmController alarms(settings, document, {});
    AlarmPorts ports;
    ports.wallpaper = &wallpaper;
    alarms.setPorts(ports);

    qint64 longestTickNs = 0;
    qint64 longestGapMs = 0;
    qint64 ticks = 0;
    QElapsedTimer sinceLast;
    QTimer timer;
    timer.setInterval(1000);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      if (sinceLast.isValid()) longestGapMs = std::max(longestGapMs, sinceLast.elapsed());
      sinceLast.start();
      QElapsedTimer tick;
      tick.start();
      alarms.tick();
      longestTickNs = std::max(longestTickNs, tick.nsecsElapsed());
      ++ticks;
    });
    timer.start();
    QEventLoop loop;
    QTimer::singleShot(6500, &loop, &QEventLoop::quit);
    loop.exec();
    timer.stop();
    wallpaper.waitUntilIdle();
    state.counters["longest_tick_ms"] = static_cast<double>(longestTickNs) / 1e6;
    state.counters["longest_gap_ms"] = static_cast<double>(longestGapMs);
    state.counters["ticks"] = static_cast<double>(ticks);
    state.counters["desktop_sets"] = desktop.sets.load();
  }
}
BENCHMARK(BM_TickWhileLargeWallpaperIsSet)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
