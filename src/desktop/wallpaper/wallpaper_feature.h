#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/alarms/alarm_ports.h"
#include "core/settings/app_settings.h"
#include "core/skins/definitions.h"
#include "core/wallpaper/desktop_wallpaper.h"
#include "core/wallpaper/wallpaper_compositor.h"
#include "desktop/wallpaper/wallpaper_worker.h"

namespace kalvory {

class ActionRegistry;
class CAlarmDoc;

// The desktop picture: the stickers placed on it, the composition of the screen-sized picture
// and the changer that hands it to the desktop. The alarm check's requests of one tick are
// gathered and handed as one job to a worker thread, so the tick never waits for a picture or a
// desktop tool. Registers the "change the wallpaper now" command of its hotkey.
class WallpaperFeature final : public QObject, public WallpaperPort {
  Q_OBJECT
 public:
  struct Services {
    DesktopWallpaper* desktop = nullptr;  // null: the setter for this session's desktop
    QString dataFolder;                   // the composed picture goes here
    Clock clock;
    std::function<void()> saveSettings;
    // Tells the user, once a run, that the desktop did not take the picture and why; null: a
    // message box that does not block.
    std::function<void(const QString&)> notice;
  };

  WallpaperFeature(ApplicationSettings& settings, const CAlarmDoc& document, ActionRegistry& actions, Services services,
                   QObject* parent = nullptr);
  ~WallpaperFeature() override;

  // Hands over the tick's job at once and waits for the worker to finish it (tests, and the
  // program's close).
  void waitUntilIdle();
  // The worker's compositor, once it is idle (tests).
  const CWallpaperCompositor& compositor() {
    waitUntilIdle();
    return worker_->compositor();
  }
  // How many jobs went to the worker in this run (tests).
  int jobsSubmitted() const { return jobsSubmitted_; }
  // What the user was told when the desktop did not take a picture; empty while it took them.
  const QString& refusalNotice() const { return refusalNotice_; }
  // The program closes: the stickers placed on the desktop picture are let go.
  void clearStickers() {
    waitUntilIdle();
    worker_->clearStickers();
  }

  // --- WallpaperPort
  void SetReminderWallpaper(const std::string& path) override;
  void UpdateReminderSticker(const CAlarmLine& reminder, const COleDateTime& now) override;
  void UpdateDayNoteStickers(const CDayInfo* note, const COleDateTime& now) override;
  void ApplyDayNoteWallpaper(const COleDateTime& now) override;
  void ChangeWallpaper(bool force) override;

 private:
  // Adds a step to this tick's job, which goes to the worker once the tick is over.
  void addStep(WallpaperStep step, const COleDateTime& now);
  void submitJob();
  void jobFinished(const WallpaperJobResult& result);

  ApplicationSettings& settings_;
  const CAlarmDoc& document_;
  Services services_;
  std::unique_ptr<DesktopWallpaper> ownDesktop_;
  std::unique_ptr<WallpaperWorker> worker_;
  std::optional<WallpaperJob> job_;  // the steps of the tick in progress
  bool sweepAdded_ = false;
  bool reminderStickerPlaced_ = false;  // a reminder sticker went to the worker in this run
  bool dayNoteStickerPlaced_ = false;   // so did a day note's
  int jobsOutstanding_ = 0;             // handed to the worker, answer not yet taken
  int jobsSubmitted_ = 0;
  QString refusalNotice_;
};

}  // namespace kalvory
