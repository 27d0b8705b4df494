#include "desktop/wallpaper/wallpaper_feature.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QScreen>
#include <QSizeF>

#include "core/model/alarm_doc.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
#include "desktop/common/qt_text.h"
#include "platform/wallpaper/wallpaper_setter.h"

namespace kalvory {

Q_LOGGING_CATEGORY(lcWallpaper, "kalvory.wallpaper", QtInfoMsg)

namespace {

// The desktop's refusals reach nobody but the log.
class LoggedDesktopWallpaper final : public DesktopWallpaper {
 public:
  explicit LoggedDesktopWallpaper(DesktopWallpaper& desktop) : desktop_(desktop) {}
  bool SetWallpaper(const std::string& path, int style, std::string& error) override {
    if (desktop_.SetWallpaper(path, style, error)) return true;
    qCInfo(lcWallpaper) << "the desktop did not take the wallpaper" << toQString(path) << ":" << toQString(error);
    return false;
  }

 private:
  DesktopWallpaper& desktop_;
};

}  // namespace

WallpaperFeature::WallpaperFeature(ApplicationSettings& settings, const CAlarmDoc& document, ActionRegistry& actions,
                                   Services services, QObject* parent)
    : QObject(parent), settings_(settings), document_(document), services_(std::move(services)) {
  const std::string dataFolder = toStdString(services_.dataFolder);
  if (!services_.desktop) ownDesktop_ = CreateDesktopWallpaper(dataFolder);
  desktopLog_ = std::make_unique<LoggedDesktopWallpaper>(services_.desktop ? *services_.desktop : *ownDesktop_);
  // The composed picture covers the primary screen pixel for pixel, measured once.
  QScreen* screen = QGuiApplication::primaryScreen();
  const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
  const QSize screenPixels = screen ? (QSizeF(screen->geometry().size()) * ratio).toSize() : QSize(1024, 768);
  const int dpiY = screen ? qRound(screen->logicalDotsPerInchY()) : 96;
  compositor_ = std::make_unique<CWallpaperCompositor>(screenPixels.width(), screenPixels.height(), dataFolder,
                                                       placedStickers_, &stickerText_, dpiY);
  Clock clock = services_.clock ? services_.clock : Clock(systemNow);
  changer_ = std::make_unique<CWallpaperChanger>(settings_.wallpaper, *compositor_, *desktopLog_, std::move(clock));

  actions.add(ID_CHANGE_WALLPAPER_NOW, [this] { ChangeWallpaper(true); });
}

WallpaperFeature::~WallpaperFeature() = default;

template <class Step>
void WallpaperFeature::runStep(Step&& step) {
  const std::int32_t position = settings_.wallpaper.position;
  const COleDateTime lastChanged = settings_.wallpaper.last_changed;
  step();
  // The changer's place in the folders is saved at once: a session that ends without the exit
  // command would otherwise show the same pictures again.
  if ((settings_.wallpaper.position != position || !(settings_.wallpaper.last_changed == lastChanged)) &&
      services_.saveSettings)
    services_.saveSettings();
}

void WallpaperFeature::SetReminderWallpaper(const std::string& path) {
  runStep([&] { changer_->SetReminderWallpaper(path); });
}

void WallpaperFeature::UpdateReminderSticker(const CAlarmLine& reminder, const COleDateTime& now) {
  runStep([&] { changer_->UpdateReminderSticker(reminder, document_.stickers, now); });
}

void WallpaperFeature::UpdateDayNoteStickers(const CDayInfo* note, const COleDateTime& now) {
  runStep([&] { changer_->UpdateDayNoteStickers(note, document_.stickers, now); });
}

void WallpaperFeature::ApplyDayNoteWallpaper(const COleDateTime& now) {
  runStep([&] { changer_->ApplyDayNoteWallpaper(document_, now); });
}

void WallpaperFeature::ChangeWallpaper(bool force) {
  runStep([&] { changer_->ChangeWallpaper(force); });
}

}  // namespace kalvory
