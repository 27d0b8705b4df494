#pragma once

#include <QDBusConnection>
#include <QProcessEnvironment>
#include <QString>
#include <functional>

#include "platform/wallpaper/wallpaper_setter.h"

namespace kalvory {

// Which display protocol the user's session speaks.
enum class SessionKind {
  X11,
  Wayland,
  None,  // no display at all (a console, a test without one)
};

// The desktop portals (org.freedesktop.portal.Desktop) this session's bus offers, by the version
// each interface reports; 0 where it is missing.
struct DesktopPortals {
  unsigned globalShortcuts = 0;
  unsigned wallpaper = 0;
  unsigned remoteDesktop = 0;
};

// Everything about the session that decides which way a desktop service is done: the hotkeys,
// the paste, the on-screen windows' places and the wallpaper. Found once, in one place, so that
// every service and `kalvory --help` agree.
struct DesktopSession {
  SessionKind kind = SessionKind::None;
  // Qt's platform plugin: "xcb" (also through XWayland), "wayland", "offscreen".
  QString platformName;
  QString currentDesktop;  // $XDG_CURRENT_DESKTOP
  DesktopPortals portals;
  // The compositor offers wlr-layer-shell: the on-screen windows are overlay surfaces there.
  bool layerShell = false;
  // The compositor offers virtual keyboards (zwp_virtual_keyboard_manager_v1, wlroots); asked
  // only on a Wayland session, with the portals.
  bool virtualKeyboard = false;

  // The windows are the compositor's own Wayland surfaces: it neither tells their places nor
  // lets them be placed, and X11 key grabs and XTest do not reach other programs.
  bool nativeWayland() const;
  // A Wayland session whose Qt windows go through XWayland: X11 services work, but only among
  // X11 programs.
  bool throughXWayland() const { return kind == SessionKind::Wayland && platformName == QLatin1String("xcb"); }
  bool x11KeysReachEveryProgram() const { return kind != SessionKind::Wayland && platformName == QLatin1String("xcb"); }
};

// How a paste hotkey gets the text typed into the focused program, after putting it on the
// clipboard.
enum class PasteBackend {
  XTest,                 // Ctrl+V through XTest, as on every X11 session
  XTestX11ProgramsOnly,  // the same through XWayland: only X11 programs hear it
  RemoteDesktopPortal,   // Ctrl+V through the RemoteDesktop portal's keyboard
  VirtualKeyboard,       // Ctrl+V through a virtual keyboard of the compositor (wlroots)
  ClipboardOnly,         // nothing may type into another program: the user presses Ctrl+V
};
PasteBackend pasteBackendOf(const DesktopSession& session);

// From XDG_SESSION_TYPE first (the login manager's word), else from which display the
// environment names.
SessionKind sessionKindOf(const QProcessEnvironment& environment);

// The platform Qt will choose for this environment before a QGuiApplication exists: the one
// QT_QPA_PLATFORM names, else Wayland on a Wayland session with a Wayland display, else xcb.
QString expectedPlatformName(const QProcessEnvironment& environment);

// Whether the program should run through XWayland rather than natively: on a Wayland session whose
// compositor offers no layer shell (GNOME), where a Wayland window can neither stay on top nor
// stand at its stored place, while the compositor places and stacks X11 windows as they ask. Only
// where XWayland is there (DISPLAY) and the user has not chosen Qt's platform (QT_QPA_PLATFORM,
// "wayland" keeps the program native). `layerShellOffered` is asked only when it decides.
bool runThroughXWayland(const QProcessEnvironment& environment, const std::function<bool()>& layerShellOffered);

// Whether a window's place as Qt reports it is the place the user sees. On native Wayland
// QWidget::pos() stays 0,0 whatever the compositor did.
bool windowPositionsReadable(const QString& platformName);

// Asks the session bus which portals are there; waits at most `timeoutMilliseconds` for the
// portal service (it may be started on demand).
DesktopPortals probeDesktopPortals(const QDBusConnection& bus, int timeoutMilliseconds = 2000);

// The session of this process: the environment, Qt's platform (when a QGuiApplication runs,
// else the expected one) and, with `probePortals`, the portals of the session bus and, on a
// Wayland session, whether the compositor offers virtual keyboards.
DesktopSession detectDesktopSession(bool probePortals);

// Which way the desktop picture is set in `session`: the desktop's own setter (GNOME, KDE
// Plasma, XFCE) on either display protocol; otherwise the root window on X11, and on Wayland,
// whose compositor never shows the XWayland root window, the Wallpaper portal or nothing.
WallpaperBackend wallpaperBackendOf(const DesktopSession& session);

// One line per service ("hotkeys: ..."), telling which backend the program uses in `session`.
QString describeBackends(const DesktopSession& session);

}  // namespace kalvory
