#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "core/alarms/alarm_ports.h"
#include "core/settings/app_settings.h"
#include "core/skins/definitions.h"
#include "core/wallpaper/desktop_wallpaper.h"
#include "core/wallpaper/wallpaper_changer.h"
#include "core/wallpaper/wallpaper_compositor.h"
#include "platform/wallpaper/sticker_text_renderer.h"

namespace kalvory {

class ActionRegistry;
class CAlarmDoc;

// The desktop picture: the stickers placed on it, the composition of the screen-sized picture
// and the changer that hands it to the desktop. Registers the "change the wallpaper now" command
// of its hotkey.
class WallpaperFeature final : public QObject, public WallpaperPort {
  Q_OBJECT
 public:
  struct Services {
    DesktopWallpaper* desktop = nullptr;  // null: the setter for this session's desktop
    QString dataFolder;                   // the composed picture goes here
    Clock clock;
    std::function<void()> saveSettings;
  };

  WallpaperFeature(ApplicationSettings& settings, const CAlarmDoc& document, ActionRegistry& actions, Services services,
                   QObject* parent = nullptr);
  ~WallpaperFeature() override;

  CWallpaperChanger& changer() { return *changer_; }
  const CWallpaperCompositor& compositor() const { return *compositor_; }
  // The program closes: the stickers placed on the desktop picture are let go.
  void clearStickers() { placedStickers_.clear(); }

  // --- WallpaperPort
  void SetReminderWallpaper(const std::string& path) override;
  void UpdateReminderSticker(const CAlarmLine& reminder, const COleDateTime& now) override;
  void UpdateDayNoteStickers(const CDayInfo* note, const COleDateTime& now) override;
  void ApplyDayNoteWallpaper(const COleDateTime& now) override;
  void ChangeWallpaper(bool force) override;

 private:
  // Runs one wallpaper step and saves the settings when it moved the changer on.
  template <class Step>
  void runStep(Step&& step);

  ApplicationSettings& settings_;
  const CAlarmDoc& document_;
  Services services_;
  std::vector<CWPStickerContext> placedStickers_;
  QtStickerTextRenderer stickerText_;
  std::unique_ptr<DesktopWallpaper> ownDesktop_;
  std::unique_ptr<DesktopWallpaper> desktopLog_;  // the desktop's setter with its refusals logged
  std::unique_ptr<CWallpaperCompositor> compositor_;
  std::unique_ptr<CWallpaperChanger> changer_;
};

}  // namespace kalvory
