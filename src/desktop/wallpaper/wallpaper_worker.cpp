#include "desktop/wallpaper/wallpaper_worker.h"

#include <QMetaObject>

namespace kalvory {

WallpaperWorker::WallpaperWorker(int screenWidth, int screenHeight, int verticalDpi, std::string dataFolder,
                                 DesktopWallpaper& desktop, const CWallpaperContext& settings, QObject* parent)
    : QObject(parent), settings_(settings) {
  qRegisterMetaType<WallpaperJobResult>();
  compositor_ = std::make_unique<CWallpaperCompositor>(screenWidth, screenHeight, std::move(dataFolder),
                                                       placedStickers_, &stickerText_, verticalDpi);
  // The changer's "now" is the moment of the tick that asked, not the moment the job runs.
  changer_ = std::make_unique<CWallpaperChanger>(settings_, *compositor_, desktop, [this] { return now_; });
  thread_.reset(QThread::create([this] { run(); }));
  thread_->setObjectName(QStringLiteral("wallpaper"));
  thread_->start(QThread::LowPriority);
}

WallpaperWorker::~WallpaperWorker() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    waiting_.reset();  // a job not begun is dropped; the one running finishes
  }
  changed_.notify_all();
  thread_->wait();
}

void WallpaperWorker::merge(WallpaperJob& waiting, WallpaperJob&& newer) {
  // The newer tick's sticker updates and periodic check supersede the waiting ones; a picture
  // the waiting job would show stays unless the newer job shows one of the same kind.
  std::vector<WallpaperStep> kept;
  auto newerHas = [&](auto kind) {
    for (const WallpaperStep& step : newer.steps)
      if (std::holds_alternative<decltype(kind)>(step)) return true;
    return false;
  };
  for (WallpaperStep& step : waiting.steps) {
    const bool picture =
        std::holds_alternative<wallpaper_step::ReminderPicture>(step) ||
        std::holds_alternative<wallpaper_step::DayNotePicture>(step) ||
        (std::holds_alternative<wallpaper_step::Change>(step) && std::get<wallpaper_step::Change>(step).force);
    if (!picture) continue;
    const bool replaced = std::visit([&](const auto& kind) { return newerHas(kind); }, step) &&
                          !std::holds_alternative<wallpaper_step::Change>(step);
    if (!replaced) kept.push_back(std::move(step));
  }
  kept.insert(kept.end(), std::make_move_iterator(newer.steps.begin()), std::make_move_iterator(newer.steps.end()));
  newer.placeIsCurrent = newer.placeIsCurrent && waiting.placeIsCurrent;
  newer.submissions += waiting.submissions;
  newer.steps = std::move(kept);
  waiting = std::move(newer);
}

void WallpaperWorker::submit(WallpaperJob job) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    if (waiting_)
      merge(*waiting_, std::move(job));
    else
      waiting_ = std::move(job);
  }
  changed_.notify_all();
}

void WallpaperWorker::waitUntilIdle() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !waiting_ && !running_; });
}

void WallpaperWorker::clearStickers() {
  waitUntilIdle();
  placedStickers_.clear();
}

WallpaperJobResult WallpaperWorker::lastResult() const {
  return WallpaperJobResult{settings_.position, settings_.last_changed, changer_->lastDesktopError()};
}

void WallpaperWorker::run() {
  for (;;) {
    WallpaperJob job;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return waiting_.has_value() || stopping_; });
      if (stopping_ && !waiting_) return;
      job = std::move(*waiting_);
      waiting_.reset();
      running_ = true;
    }
    runJob(job);
    WallpaperJobResult result = lastResult();
    result.submissions = job.submissions;
    QMetaObject::invokeMethod(
        this, [this, result] { emit jobFinished(result); }, Qt::QueuedConnection);
    {
      std::lock_guard lock(mutex_);
      running_ = false;
    }
    changed_.notify_all();
  }
}

void WallpaperWorker::runJob(WallpaperJob& job) {
  // The user's choices come from the program's settings of that tick; so does where the changer
  // stands in the folders, unless an earlier job moved it on after those settings were taken.
  const std::int32_t position = settings_.position;
  const COleDateTime lastChanged = settings_.last_changed;
  settings_ = job.settings;
  if (!job.placeIsCurrent) {
    settings_.position = position;
    settings_.last_changed = lastChanged;
  }
  now_ = job.now;
  for (WallpaperStep& step : job.steps) {
    std::visit(
        [&](auto& value) {
          using Step = std::decay_t<decltype(value)>;
          if constexpr (std::is_same_v<Step, wallpaper_step::Change>) {
            changer_->ChangeWallpaper(value.force);
          } else if constexpr (std::is_same_v<Step, wallpaper_step::ReminderPicture>) {
            changer_->SetReminderWallpaper(value.path);
          } else if constexpr (std::is_same_v<Step, wallpaper_step::ReminderSticker>) {
            changer_->UpdateReminderSticker(value.reminder, job.stickers, job.now);
          } else if constexpr (std::is_same_v<Step, wallpaper_step::DayNoteStickers>) {
            std::vector<const CDayInfo*> notes;
            for (const CDayInfo& note : value.notes) notes.push_back(&note);
            changer_->UpdateDayNoteStickers(notes, job.stickers, job.now);
          } else {
            changer_->ApplyDayNoteWallpaper(value.note ? &*value.note : nullptr, job.now);
          }
        },
        step);
  }
}

}  // namespace kalvory
