#include "platform/session/desktop_session.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QXmlStreamReader>

#include "platform/session/virtual_keyboard_paste.h"
#include "platform/wallpaper/wallpaper_setter.h"
#include "platform/wayland/layer_surface.h"

namespace kalvory {

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");

unsigned portalVersion(const QDBusConnection& bus, const QString& interface, int timeoutMilliseconds) {
  QDBusMessage get = QDBusMessage::createMethodCall(
      kPortalService, kPortalPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get << interface << QStringLiteral("version");
  const QDBusMessage reply = bus.call(get, QDBus::Block, timeoutMilliseconds);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return 0;
  const QVariant value = reply.arguments().constFirst().value<QDBusVariant>().variant();
  bool ok = false;
  const unsigned version = value.toUInt(&ok);
  // An interface that answers without a version is still there: call it version 1.
  return ok && version > 0 ? version : 1;
}

}  // namespace

bool DesktopSession::nativeWayland() const { return platformName.startsWith(QLatin1String("wayland")); }

PasteBackend pasteBackendOf(const DesktopSession& session) {
  // The portal's keyboard reaches every program, also where XTest would reach X11 ones only.
  if (session.kind == SessionKind::Wayland && session.portals.remoteDesktop) return PasteBackend::RemoteDesktopPortal;
  if (session.kind == SessionKind::Wayland && session.virtualKeyboard) return PasteBackend::VirtualKeyboard;
  if (session.throughXWayland()) return PasteBackend::XTestX11ProgramsOnly;
  if (session.nativeWayland()) return PasteBackend::ClipboardOnly;
  // An X11 session (or none: XTest then finds no display and the clipboard is all there is).
  return PasteBackend::XTest;
}

WallpaperBackend wallpaperBackendOf(const DesktopSession& session) {
  return ChooseWallpaperBackend(DetectDesktop(session.currentDesktop.toStdString()),
                                session.kind == SessionKind::Wayland, session.portals.wallpaper);
}

SessionKind sessionKindOf(const QProcessEnvironment& environment) {
  const QString type = environment.value(QStringLiteral("XDG_SESSION_TYPE")).toLower();
  // A Wayland login whose programs were given only an X display (a nested X server, a test's
  // Xvfb) is an X11 session for them.
  const bool waylandDisplay = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
  const bool xDisplay = !environment.value(QStringLiteral("DISPLAY")).isEmpty();
  if (type == QLatin1String("wayland") && (waylandDisplay || !xDisplay)) return SessionKind::Wayland;
  if (type == QLatin1String("x11")) return SessionKind::X11;
  if (waylandDisplay) return SessionKind::Wayland;
  if (xDisplay) return SessionKind::X11;
  return SessionKind::None;
}

QString expectedPlatformName(const QProcessEnvironment& environment) {
  const QString chosen = environment.value(QStringLiteral("QT_QPA_PLATFORM"));
  // "wayland;xcb" means: the first that works.
  if (!chosen.isEmpty()) {
    const QString first = chosen.section(u';', 0, 0);
    if (first.startsWith(QLatin1String("wayland")) && environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty())
      return chosen.section(u';', 1, 1).isEmpty() ? first : chosen.section(u';', 1, 1);
    return first;
  }
  if (sessionKindOf(environment) == SessionKind::Wayland &&
      !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty())
    return QStringLiteral("wayland");
  return QStringLiteral("xcb");
}

bool runThroughXWayland(const QProcessEnvironment& environment, const std::function<bool()>& layerShellOffered) {
  if (sessionKindOf(environment) != SessionKind::Wayland) return false;
  if (!environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty()) return false;
  if (environment.value(QStringLiteral("DISPLAY")).isEmpty() ||
      environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty())
    return false;
  return !layerShellOffered();
}

bool windowPositionsReadable(const QString& platformName) { return !platformName.startsWith(QLatin1String("wayland")); }

DesktopPortals probeDesktopPortals(const QDBusConnection& bus, int timeoutMilliseconds) {
  DesktopPortals portals;
  if (!bus.isConnected()) return portals;
  // One look at the object's interfaces first: a missing portal service costs one call.
  const QDBusMessage introspect = QDBusMessage::createMethodCall(
      kPortalService, kPortalPath, QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
  const QDBusMessage reply = bus.call(introspect, QDBus::Block, timeoutMilliseconds);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return portals;
  QXmlStreamReader xml(reply.arguments().constFirst().toString());
  QStringList interfaces;
  while (!xml.atEnd()) {
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("interface"))
      interfaces << xml.attributes().value(QLatin1String("name")).toString();
  }
  const auto versionOf = [&](const char* name) {
    const QString interface = QLatin1String(name);
    return interfaces.contains(interface) ? portalVersion(bus, interface, timeoutMilliseconds) : 0U;
  };
  portals.globalShortcuts = versionOf("org.freedesktop.portal.GlobalShortcuts");
  portals.wallpaper = versionOf("org.freedesktop.portal.Wallpaper");
  portals.remoteDesktop = versionOf("org.freedesktop.portal.RemoteDesktop");
  return portals;
}

DesktopSession detectDesktopSession(bool probePortals) {
  const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  DesktopSession session;
  session.kind = sessionKindOf(environment);
  if (session.kind == SessionKind::Wayland) session.layerShell = compositorOffersLayerShell();
  const bool running = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
  session.platformName = running ? QGuiApplication::platformName() : expectedPlatformName(environment);
  // Before the program runs, the platform it will choose for itself.
  if (!running && runThroughXWayland(environment, [&session] { return session.layerShell; }))
    session.platformName = QStringLiteral("xcb");
  session.currentDesktop = environment.value(QStringLiteral("XDG_CURRENT_DESKTOP"));
  if (probePortals) {
    session.portals = probeDesktopPortals(QDBusConnection::sessionBus());
    if (session.kind == SessionKind::Wayland) session.virtualKeyboard = compositorOffersVirtualKeyboard();
  }
  return session;
}

QString describeBackends(const DesktopSession& session) {
  QStringList lines;
  const QString kind = session.kind == SessionKind::Wayland ? QStringLiteral("Wayland")
                       : session.kind == SessionKind::X11   ? QStringLiteral("X11")
                                                            : QStringLiteral("no display");
  lines << QStringLiteral("session:           %1 (Qt platform \"%2\"%3)")
               .arg(kind, session.platformName,
                    session.currentDesktop.isEmpty() ? QString()
                                                     : QStringLiteral(", desktop ") + session.currentDesktop);

  const QString bindYourself =
      QStringLiteral("bind keys to \"kalvory --command NAME\" in the desktop's keyboard settings");
  QString hotkeys;
  if (session.platformName == QLatin1String("offscreen") || session.kind == SessionKind::None)
    hotkeys = QStringLiteral("none (no display); ") + bindYourself;
  else if (session.x11KeysReachEveryProgram())
    hotkeys = QStringLiteral("X11 key grabs (Ctrl+Shift+Q, 1, 2, 3, -, A, W)");
  else if (session.throughXWayland() && session.portals.globalShortcuts)
    hotkeys = QStringLiteral("the GlobalShortcuts portal (version %1)").arg(session.portals.globalShortcuts);
  else if (session.throughXWayland())
    hotkeys =
        QStringLiteral("X11 key grabs through XWayland, heard only while an X11 window has the focus; ") + bindYourself;
  else if (session.portals.globalShortcuts)
    hotkeys = QStringLiteral("the GlobalShortcuts portal (version %1)").arg(session.portals.globalShortcuts);
  else
    hotkeys = QStringLiteral("none (no GlobalShortcuts portal); ") + bindYourself;
  lines << QStringLiteral("hotkeys:           ") + hotkeys;

  QString paste;
  switch (pasteBackendOf(session)) {
    case PasteBackend::XTest:
      paste = session.x11KeysReachEveryProgram() ? QStringLiteral("the clipboard and Ctrl+V through XTest")
                                                 : QStringLiteral("the clipboard only; press Ctrl+V yourself");
      break;
    case PasteBackend::XTestX11ProgramsOnly:
      paste = QStringLiteral("the clipboard and Ctrl+V through XTest, reaching X11 programs only");
      break;
    case PasteBackend::RemoteDesktopPortal:
      paste = QStringLiteral(
                  "the clipboard and Ctrl+V through the RemoteDesktop portal's keyboard (version %1; "
                  "the desktop asks once whether Kalvory may type)")
                  .arg(session.portals.remoteDesktop);
      break;
    case PasteBackend::VirtualKeyboard:
      paste = QStringLiteral("the clipboard and Ctrl+V through the compositor's virtual keyboard");
      break;
    case PasteBackend::ClipboardOnly:
      paste = QStringLiteral(
          "the clipboard only (no RemoteDesktop portal, no virtual keyboard); press Ctrl+V yourself, as told once");
      break;
  }
  lines << QStringLiteral("paste:             ") + paste;

  QString windows;
  if (session.nativeWayland() && session.layerShell)
    windows = QStringLiteral("overlay surfaces of the compositor's layer shell, on top at their stored places");
  else if (session.nativeWayland())
    windows = QStringLiteral(
        "ordinary Wayland windows placed by the compositor (no layer shell, no XWayland); their stored places are "
        "kept");
  else if (session.throughXWayland() && !session.layerShell)
    windows = QStringLiteral(
        "X11 windows through XWayland at their stored places (the compositor has no layer shell), on top where "
        "the compositor stacks X11 and Wayland windows together (GNOME)");
  else if (session.throughXWayland())
    windows = QStringLiteral("X11 windows through XWayland, on top of X11 windows only (QT_QPA_PLATFORM=xcb)");
  else
    windows = QStringLiteral("X11 windows on top at their stored places");
  lines << QStringLiteral("on-screen windows: ") + windows;

  const WallpaperBackend wallpaperBackend = wallpaperBackendOf(session);
  const std::string_view backendName = WallpaperBackendName(wallpaperBackend);
  QString wallpaper = QString::fromUtf8(backendName.data(), qsizetype(backendName.size()));
  if (wallpaperBackend == WallpaperBackend::Portal)
    wallpaper += QStringLiteral(" (version %1)").arg(session.portals.wallpaper);
  else if (wallpaperBackend == WallpaperBackend::Unavailable)
    wallpaper = QStringLiteral("none: this Wayland desktop has no wallpaper portal; the program says so once");
  lines << QStringLiteral("wallpaper:         ") + wallpaper;
  lines << QStringLiteral("tray icon:         StatusNotifierItem or XEmbed, where the desktop hosts one");
  lines << QStringLiteral("commands:          D-Bus org.kalvory.Kalvory, \"kalvory --command NAME\"");
  return lines.join(u'\n') + u'\n';
}

}  // namespace kalvory
