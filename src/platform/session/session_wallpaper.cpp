#include "platform/session/session_wallpaper.h"

#include <QDBusConnection>

namespace kalvory {

SessionWallpaper::SessionWallpaper(DesktopSession session, std::string publishFolder, QString busConnectionName)
    : session_(std::move(session)),
      publishFolder_(std::move(publishFolder)),
      busConnectionName_(std::move(busConnectionName)) {}

SessionWallpaper::SessionWallpaper(std::string publishFolder)
    : SessionWallpaper(detectDesktopSession(false), std::move(publishFolder)) {}

WallpaperBackend SessionWallpaper::backend() {
  const std::lock_guard lock(choosing_);
  if (backend_) return *backend_;
  // Only a Wayland desktop without a setter of its own needs to know about the portal.
  const DesktopKind desktop = DetectDesktop(session_.currentDesktop.toStdString());
  if (session_.kind == SessionKind::Wayland && desktop == DesktopKind::RootWindow && !session_.portals.wallpaper) {
    const QDBusConnection bus =
        busConnectionName_.isEmpty() ? QDBusConnection::sessionBus() : QDBusConnection(busConnectionName_);
    session_.portals = probeDesktopPortals(bus);
  }
  backend_ = wallpaperBackendOf(session_);
  setter_ = CreateDesktopWallpaper(*backend_, publishFolder_, runner_, busConnectionName_.toStdString());
  return *backend_;
}

Result<void> SessionWallpaper::SetWallpaper(const std::string& path, int style) {
  backend();
  return setter_->SetWallpaper(path, style);
}

}  // namespace kalvory
