#include "desktop/wallpaper/wallpaper_feature.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QScreen>
#include <QSizeF>
#include <algorithm>

#include "core/model/alarm_doc.h"
#include "core/resources/resource_strings.h"
#include "core/wallpaper/wallpaper_changer.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
#include "desktop/common/now_from.h"
#include "desktop/common/qt_text.h"
#include "platform/session/session_wallpaper.h"

namespace kalvory {

Q_LOGGING_CATEGORY(lcWallpaper, "kalvory.wallpaper", QtInfoMsg)

WallpaperFeature::WallpaperFeature(ApplicationSettings& settings, const CAlarmDoc& document, ActionRegistry& actions,
                                   Services services, QObject* parent)
    : QObject(parent), settings_(settings), document_(document), services_(std::move(services)) {
  const std::string dataFolder = toStdString(services_.dataFolder);
  if (!services_.desktop) ownDesktop_ = std::make_unique<SessionWallpaper>(dataFolder);
  // The composed picture covers the primary screen pixel for pixel, measured once.
  QScreen* screen = QGuiApplication::primaryScreen();
  const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
  const QSize screenPixels = screen ? (QSizeF(screen->geometry().size()) * ratio).toSize() : QSize(1024, 768);
  const int dpiY = screen ? qRound(screen->logicalDotsPerInchY()) : 96;
  worker_ =
      std::make_unique<WallpaperWorker>(screenPixels.width(), screenPixels.height(), dpiY, dataFolder,
                                        services_.desktop ? *services_.desktop : *ownDesktop_, settings_.wallpaper);
  connect(worker_.get(), &WallpaperWorker::jobFinished, this, &WallpaperFeature::jobFinished);

  actions.add(ID_CHANGE_WALLPAPER_NOW, [this] {
    const COleDateTime now = nowFrom(services_.clock);
    addStep(wallpaper_step::Change{true}, now);
  });
}

WallpaperFeature::~WallpaperFeature() = default;

void WallpaperFeature::waitUntilIdle() {
  submitJob();
  worker_->waitUntilIdle();
  // Its answer is taken now rather than when the queued one arrives, so that the settings saved
  // next hold it.
  jobsOutstanding_ = 0;
  jobFinished(worker_->lastResult());
}

void WallpaperFeature::addStep(WallpaperStep step, const COleDateTime& now) {
  if (!job_) {
    job_.emplace();
    job_->now = now;
    sweepAdded_ = false;
    // The job leaves once the tick (or command) that began it has returned to the event loop.
    QMetaObject::invokeMethod(this, &WallpaperFeature::submitJob, Qt::QueuedConnection);
  }
  job_->steps.push_back(std::move(step));
}

void WallpaperFeature::submitJob() {
  if (!job_) return;
  job_->settings = settings_.wallpaper;
  job_->stickers = document_.stickers;
  job_->placeIsCurrent = jobsOutstanding_ == 0;
  ++jobsOutstanding_;
  ++jobsSubmitted_;
  worker_->submit(std::move(*job_));
  job_.reset();
}

void WallpaperFeature::jobFinished(const WallpaperJobResult& result) {
  jobsOutstanding_ = std::max(0, jobsOutstanding_ - result.submissions);
  if (!result.desktopError.empty()) {
    qCInfo(lcWallpaper) << "the desktop did not take the wallpaper:" << toQString(result.desktopError);
    // Told once a run: a changer that runs every few minutes would otherwise say it again each
    // time, and a wallpaper that silently never appears is worse.
    if (refusalNotice_.isEmpty()) {
      refusalNotice_ = toQString(loadString(StringId::WallpaperNotSet, settings_.app.uiLanguage()))
                           .replace(QLatin1String("%s"), toQString(result.desktopError));
      if (services_.notice) {
        services_.notice(refusalNotice_);
      } else {
        auto* box =
            new QMessageBox(QMessageBox::Information, QStringLiteral("Kalvory"), refusalNotice_, QMessageBox::Ok);
        box->setWindowModality(Qt::NonModal);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setObjectName(QStringLiteral("wallpaperNotSet"));
        box->show();
      }
    }
  }
  // The changer's place in the folders is saved at once: a session that ends without the exit
  // command would otherwise show the same pictures again.
  if (settings_.wallpaper.position == result.position && settings_.wallpaper.last_changed == result.lastChanged) return;
  settings_.wallpaper.position = result.position;
  settings_.wallpaper.last_changed = result.lastChanged;
  if (services_.saveSettings) services_.saveSettings();
}

void WallpaperFeature::SetReminderWallpaper(const std::string& path) {
  addStep(wallpaper_step::ReminderPicture{path}, nowFrom(services_.clock));
}

void WallpaperFeature::UpdateReminderSticker(const CAlarmLine& reminder, const COleDateTime& now) {
  // Most reminders have no sticker: for them the update only drops stickers whose time is over,
  // which one update per tick does for all, and only once a reminder has put a sticker on the
  // wallpaper in this run (the worker starts without any).
  if (reminder.sticker.empty()) {
    if (!reminderStickerPlaced_ || (sweepAdded_ && job_)) return;
    addStep(wallpaper_step::ReminderSticker{CAlarmLine()}, now);
    sweepAdded_ = true;
    return;
  }
  reminderStickerPlaced_ = true;
  addStep(wallpaper_step::ReminderSticker{reminder}, now);
}

void WallpaperFeature::UpdateDayNoteStickers(const CDayInfo* /*lastNote*/, const COleDateTime& now) {
  // Not only the day's last note: each note of the day keeps its own sticker on the wallpaper.
  wallpaper_step::DayNoteStickers step;
  bool placesOne = false;
  for (const auto& note : document_.dayInfos()) {
    if (!note->matches(now)) continue;
    step.notes.push_back(*note);
    placesOne = placesOne || !note->sticker.empty();
  }
  // Asked on every idle tick: without a sticker to place and none placed in this run, the worker
  // would have nothing to add or take away.
  if (!placesOne && !reminderStickerPlaced_ && !dayNoteStickerPlaced_) return;
  if (placesOne) dayNoteStickerPlaced_ = true;
  addStep(std::move(step), now);
}

void WallpaperFeature::ApplyDayNoteWallpaper(const COleDateTime& now) {
  const CDayInfo* note = document_.lastMatchingDayInfo(now);
  // A day without a note picture leaves the wallpaper to the changer; the worker would return at
  // once, so nothing is sent (this is asked on every idle tick).
  if (note == nullptr || note->wallpaper.empty()) return;
  addStep(wallpaper_step::DayNotePicture{note ? std::optional<CDayInfo>(*note) : std::nullopt}, now);
}

void WallpaperFeature::ChangeWallpaper(bool force) {
  const COleDateTime now = nowFrom(services_.clock);
  // Asked on every tick: while the changer is off or its time has not come, the worker would
  // do nothing, so nothing is sent. The worker's own last change is never older than the one
  // here, so a change due there is due here too.
  if (!force && (settings_.wallpaper.enabled == 0 || !CWallpaperChanger::ChangeDue(settings_.wallpaper, now))) return;
  addStep(wallpaper_step::Change{force}, now);
}

}  // namespace kalvory
