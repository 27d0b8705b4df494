#pragma once

#include <QString>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/session/desktop_session.h"
#include "platform/wallpaper/wallpaper_setter.h"

namespace kalvory {

// The wallpaper setter of a session (see wallpaperBackendOf), chosen when the first picture is
// set: where the choice needs the session bus's portals, they are asked then, on the thread that
// sets the picture, never on the GUI thread at start.
class SessionWallpaper final : public DesktopWallpaper {
 public:
  // `busConnectionName` names an open QDBusConnection; empty means the session bus.
  SessionWallpaper(DesktopSession session, std::string publishFolder, QString busConnectionName = {});
  // This process's session.
  explicit SessionWallpaper(std::string publishFolder);

  Result<void> SetWallpaper(const std::string& path, int style) override;
  // The setter used (chosen now, if no picture was set yet).
  WallpaperBackend backend();

 private:
  DesktopSession session_;
  std::string publishFolder_;
  QString busConnectionName_;
  ProcessCommandRunner runner_;
  std::mutex choosing_;
  std::optional<WallpaperBackend> backend_;
  std::unique_ptr<DesktopWallpaper> setter_;
};

}  // namespace kalvory
