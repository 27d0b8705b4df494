// The wallpaper feature as the alarm check drives it: what an idle tick sends the worker.
#include "desktop/wallpaper/wallpaper_feature.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QTemporaryDir>

#include "core/model/alarm_doc.h"
#include "desktop/common/action_registry.h"

namespace kalvory::test {
namespace {

class NoDesktop final : public DesktopWallpaper {
 public:
  Result<void> SetWallpaper(const std::string&, int) override { return {}; }
};

// The steps of one idle tick (nothing shows): the day's note picture and stickers, then the
// changer, which is off; the job leaves once the tick has returned to the event loop.
void idleTick(WallpaperFeature& feature, const CDayInfo* note, const COleDateTime& now) {
  feature.ApplyDayNoteWallpaper(now);
  feature.UpdateDayNoteStickers(note, now);
  feature.ChangeWallpaper(false);
  QCoreApplication::processEvents();
}

// Each idle tick used to send the worker a job that did nothing, and its answer woke the
// program a second time every second.
TEST(WallpaperFeature, AnIdleTickSendsTheWorkerOnlyWhatItWouldDo) {
  QTemporaryDir data;
  ApplicationSettings settings;
  CAlarmDoc document;
  ActionRegistry actions([] { return UiLanguage::English; });
  NoDesktop desktop;
  const COleDateTime now(2026, 5, 7, 9, 30, 0);
  WallpaperFeature::Services services;
  services.desktop = &desktop;
  services.dataFolder = data.path();
  services.clock = [now] { return now; };
  WallpaperFeature feature(settings, document, actions, services);

  for (int tick = 0; tick < 3; ++tick) idleTick(feature, nullptr, now);
  EXPECT_EQ(feature.jobsSubmitted(), 0);

  // A note of today with a picture: the picture goes to the worker.
  CDayInfo pictured(now);
  pictured.wallpaper = "note.bmp";
  document.AddDayInfo(pictured);
  idleTick(feature, document.lastMatchingDayInfo(now), now);
  EXPECT_EQ(feature.jobsSubmitted(), 1);
  document.RemoveAllDayInfos();

  // A note's sticker is placed; from then on every tick sweeps, so that it goes when its day does.
  CDayInfo stuck(now);
  stuck.sticker = "Note";
  document.AddDayInfo(stuck);
  idleTick(feature, document.lastMatchingDayInfo(now), now);
  EXPECT_EQ(feature.jobsSubmitted(), 2);
  document.RemoveAllDayInfos();
  idleTick(feature, nullptr, now);
  EXPECT_EQ(feature.jobsSubmitted(), 3);
}

// A desktop that never took the picture used to leave the user with no visible effect and no
// word; now the refusal is told once a run, in the user's language, however often it recurs.
TEST(WallpaperFeature, ADesktopsRefusalIsToldOnce) {
  QTemporaryDir data;
  ApplicationSettings settings;
  settings.app.language = 0;  // Russian
  CAlarmDoc document;
  ActionRegistry actions([] { return UiLanguage::Russian; });
  RecordingDesktopWallpaper desktop;
  desktop.succeed = false;
  QStringList notices;
  WallpaperFeature::Services services;
  services.desktop = &desktop;
  services.dataFolder = data.path();
  services.clock = [] { return COleDateTime(2026, 5, 7, 9, 30, 0); };
  services.notice = [&notices](const QString& text) { notices << text; };
  WallpaperFeature feature(settings, document, actions, services);

  const QString picture = data.filePath(QStringLiteral("reminder.bmp"));
  QImage image(8, 8, QImage::Format_RGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(picture));
  feature.SetReminderWallpaper(picture.toStdString());
  feature.waitUntilIdle();
  ASSERT_EQ(desktop.calls.size(), 1U);
  ASSERT_EQ(notices.size(), 1);
  EXPECT_TRUE(notices[0].startsWith(QStringLiteral("Не удалось установить рисунок рабочего стола")))
      << notices[0].toStdString();
  EXPECT_TRUE(notices[0].contains(QStringLiteral("refused")));
  EXPECT_EQ(feature.refusalNotice(), notices[0]);

  feature.SetReminderWallpaper(picture.toStdString());
  feature.waitUntilIdle();
  EXPECT_EQ(desktop.calls.size(), 2U);
  EXPECT_EQ(notices.size(), 1);
}

}  // namespace
}  // namespace kalvory::test
