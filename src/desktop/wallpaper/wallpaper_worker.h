#pragma once

#include <QObject>
#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/model/alarm_line.h"
#include "core/model/day_info.h"
#include "core/settings/app_settings.h"
#include "core/skins/definitions.h"
#include "core/wallpaper/desktop_wallpaper.h"
#include "core/wallpaper/wallpaper_changer.h"
#include "core/wallpaper/wallpaper_compositor.h"
#include "platform/wallpaper/sticker_text_renderer.h"

namespace kalvory {

// One step the alarm check asked of the wallpaper, copied so that it can run on another thread.
namespace wallpaper_step {
struct Change {
  bool force = false;
};
struct ReminderPicture {
  std::string path;
};
struct ReminderSticker {
  CAlarmLine reminder;
};
struct DayNoteStickers {
  std::vector<CDayInfo> notes;  // the day notes that fall on the tick's day
};
struct DayNotePicture {
  std::optional<CDayInfo> note;
};
}  // namespace wallpaper_step

using WallpaperStep =
    std::variant<wallpaper_step::Change, wallpaper_step::ReminderPicture, wallpaper_step::ReminderSticker,
                 wallpaper_step::DayNoteStickers, wallpaper_step::DayNotePicture>;

// The steps of one tick, with what they read: the settings and sticker definitions of that moment.
struct WallpaperJob {
  std::vector<WallpaperStep> steps;
  CWallpaperContext settings;
  std::vector<CWPStickerContext> stickers;
  COleDateTime now;
  // Whether `settings` already holds the result of every earlier job, so that its place in the
  // folders is the one to go on from; otherwise the worker's own place is newer.
  bool placeIsCurrent = true;
  int submissions = 1;  // how many submitted jobs this one stands for, once merged
};

// What the changer wrote back after a job, for the program's settings.
struct WallpaperJobResult {
  std::int32_t position = 0;
  COleDateTime lastChanged;
  std::string desktopError;  // the desktop's last refusal, empty after a success
  int submissions = 0;       // how many submitted jobs this answers
};

// Composes pictures and hands them to the desktop on a thread of its own, so that decoding a
// large picture or waiting for a desktop's configuration tool never holds up the one-second
// tick. One job runs at a time; a job that arrives while another waits replaces it, keeping the
// waiting one's pictures that the newer job does not replace.
class WallpaperWorker final : public QObject {
  Q_OBJECT
 public:
  WallpaperWorker(int screenWidth, int screenHeight, int verticalDpi, std::string dataFolder, DesktopWallpaper& desktop,
                  const CWallpaperContext& settings, QObject* parent = nullptr);
  ~WallpaperWorker() override;

  void submit(WallpaperJob job);
  // Blocks until no job runs or waits (tests, and the program's close).
  void waitUntilIdle();

  // Only while idle: where the changer stands, and the worker's own compositor (tests).
  WallpaperJobResult lastResult() const;
  const CWallpaperCompositor& compositor() const { return *compositor_; }
  void clearStickers();

 signals:
  // On the thread that created the worker, after each job.
  void jobFinished(const kalvory::WallpaperJobResult& result);

 private:
  void run();
  void runJob(WallpaperJob& job);
  static void merge(WallpaperJob& waiting, WallpaperJob&& newer);

  // Owned by the worker thread while it runs a job.
  CWallpaperContext settings_;
  COleDateTime now_;
  std::vector<CWPStickerContext> placedStickers_;
  QtStickerTextRenderer stickerText_;
  std::unique_ptr<CWallpaperCompositor> compositor_;
  std::unique_ptr<CWallpaperChanger> changer_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<WallpaperJob> waiting_;
  bool running_ = false;
  bool stopping_ = false;
  std::unique_ptr<QThread> thread_;
};

}  // namespace kalvory

Q_DECLARE_METATYPE(kalvory::WallpaperJobResult)
