#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/wallpaper/desktop_wallpaper.h"

namespace kalvory {

// Which way the desktop picture is set.
enum class DesktopKind {
  Gnome,       // gsettings org.gnome.desktop.background
  Plasma,      // plasmashell's scripting over D-Bus
  Xfce,        // xfconf, channel xfce4-desktop
  RootWindow,  // the X root window's background pixmap
};

// From $XDG_CURRENT_DESKTOP, a colon-separated list ("ubuntu:GNOME", "KDE", "XFCE"); anything
// else, or nothing, is a plain X session.
DesktopKind DetectDesktop(std::string_view xdgCurrentDesktop);
std::string_view DesktopKindName(DesktopKind kind);

// The way the picture is handed over: a desktop's own setter, the Wallpaper portal, the X root
// window, or none at all.
enum class WallpaperBackend {
  Gnome,
  Plasma,
  Xfce,
  Portal,       // org.freedesktop.portal.Wallpaper
  RootWindow,   // only where an X server's root window is what the user sees
  Unavailable,  // a Wayland desktop without a setter of its own and without the portal
};

// The desktops with a setter of their own keep it on X11 and Wayland alike. Any other desktop
// gets the root window on X11; on Wayland the compositor never shows the XWayland root window,
// so the portal (when `wallpaperPortalVersion` is not 0) or nothing.
WallpaperBackend ChooseWallpaperBackend(DesktopKind desktop, bool waylandSession, unsigned wallpaperPortalVersion);
std::string_view WallpaperBackendName(WallpaperBackend backend);

// What an outside program said.
struct CommandResult {
  bool started = false;
  int exitCode = -1;
  std::string output;
  std::string error;
  bool ok() const { return started && exitCode == 0; }
};

// Runs the desktop's own configuration tools; the real one waits at most a few seconds.
class CommandRunner {
 public:
  virtual ~CommandRunner() = default;
  virtual CommandResult Run(const std::string& program, const std::vector<std::string>& arguments) = 0;
};

class ProcessCommandRunner final : public CommandRunner {
 public:
  CommandResult Run(const std::string& program, const std::vector<std::string>& arguments) override;
};

// Desktops reload their picture only when the configured file name changes, while the program
// always composes into the same file. So the setters of configured desktops hand over a copy
// in `publishFolder`, alternating between two names; an empty folder hands over the file
// itself. Returns the path to configure.
Result<std::string> PublishWallpaperCopy(const std::string& picture, const std::string& publishFolder);

// GNOME: picture-uri, picture-uri-dark (where the desktop has it) and picture-options.
class GnomeWallpaperSetter final : public DesktopWallpaper {
 public:
  GnomeWallpaperSetter(CommandRunner& runner, std::string publishFolder);
  Result<void> SetWallpaper(const std::string& path, int style) override;

 private:
  CommandRunner& runner_;
  std::string publishFolder_;
};

// XFCE: every "last-image" property of the xfce4-desktop channel, with its "image-style".
class XfceWallpaperSetter final : public DesktopWallpaper {
 public:
  XfceWallpaperSetter(CommandRunner& runner, std::string publishFolder);
  Result<void> SetWallpaper(const std::string& path, int style) override;

 private:
  CommandRunner& runner_;
  std::string publishFolder_;
};

// KDE Plasma: a script for plasmashell's evaluateScript on the session bus that gives every
// desktop the image wallpaper with this picture and fill mode.
class PlasmaWallpaperSetter final : public DesktopWallpaper {
 public:
  explicit PlasmaWallpaperSetter(std::string publishFolder);
  Result<void> SetWallpaper(const std::string& path, int style) override;

 private:
  std::string publishFolder_;
};

// A plain X session: the picture is drawn into a pixmap of the root window's size (centred on
// black, tiled or stretched), which becomes the root background and is announced through
// _XROOTPMAP_ID and ESETROOT_PMAP_ID. The pixmap outlives the program; the one an earlier
// setter left is freed first. `display` empty means $DISPLAY.
class RootWindowWallpaperSetter final : public DesktopWallpaper {
 public:
  explicit RootWindowWallpaperSetter(std::string display = {});
  Result<void> SetWallpaper(const std::string& path, int style) override;

 private:
  std::string display_;
};

// Any other Wayland desktop: org.freedesktop.portal.Wallpaper's SetWallpaperURI with the
// file:// URI of the published copy, without the portal's preview and for the background only.
// The portal has no picture styles: the desktop places the picture its own way. Waits for the
// portal's answer (the desktop may ask the user first), so it belongs off the GUI thread, on a
// thread with an event loop (or none running). `busConnectionName` names an open
// QDBusConnection; empty means the session bus.
class PortalWallpaperSetter final : public DesktopWallpaper {
 public:
  explicit PortalWallpaperSetter(std::string publishFolder, std::string busConnectionName = {},
                                 int answerTimeoutMilliseconds = 120000);
  Result<void> SetWallpaper(const std::string& path, int style) override;

 private:
  std::string publishFolder_;
  std::string busConnectionName_;
  int answerTimeout_;
};

// No way to set the picture: every request fails with the reason, and nothing is drawn where
// nobody would see it.
class UnavailableWallpaperSetter final : public DesktopWallpaper {
 public:
  Result<void> SetWallpaper(const std::string& path, int style) override;
};

// The texts the setters hand to the desktops, for each style (0 centre, 1 tile, else stretch).
std::string_view GnomePictureOption(int style);
int PlasmaFillMode(int style);
int XfceImageStyle(int style);
// The plasmashell script that sets `fileUrl` with `fillMode` on every desktop.
std::string PlasmaWallpaperScript(std::string_view fileUrl, int fillMode);

// The setter for `kind`; `publishFolder` as for PublishWallpaperCopy. The runner must outlive
// the setter.
std::unique_ptr<DesktopWallpaper> CreateDesktopWallpaper(DesktopKind kind, const std::string& publishFolder,
                                                         CommandRunner& runner);
// The setter of `backend`; `busConnectionName` as for PortalWallpaperSetter.
std::unique_ptr<DesktopWallpaper> CreateDesktopWallpaper(WallpaperBackend backend, const std::string& publishFolder,
                                                         CommandRunner& runner,
                                                         const std::string& busConnectionName = {});

}  // namespace kalvory
