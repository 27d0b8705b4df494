#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "platform/session/desktop_session.h"
#include "platform/session/remote_desktop_paste.h"
#include "platform/session/session_wallpaper.h"
#include "platform/session/shortcuts_portal.h"
#include "support/missing_tool.h"

namespace kalvory {
namespace {

QProcessEnvironment environmentOf(std::initializer_list<std::pair<const char*, const char*>> variables) {
  QProcessEnvironment environment;
  for (const auto& [name, value] : variables) environment.insert(QLatin1String(name), QLatin1String(value));
  return environment;
}

TEST(DesktopSession, TellsTheSessionAndQtsPlatformFromTheEnvironment) {
  EXPECT_EQ(sessionKindOf(
                environmentOf({{"XDG_SESSION_TYPE", "wayland"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}})),
            SessionKind::Wayland);
  // Given only an X display (a nested X server), the programs are in an X11 session.
  EXPECT_EQ(sessionKindOf(environmentOf({{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":5"}})), SessionKind::X11);
  EXPECT_EQ(sessionKindOf(environmentOf({{"XDG_SESSION_TYPE", "x11"}, {"WAYLAND_DISPLAY", "w"}})), SessionKind::X11);
  // No word from the login manager (a nested compositor, a test): the display variables decide.
  EXPECT_EQ(sessionKindOf(environmentOf({{"WAYLAND_DISPLAY", "wayland-1"}, {"DISPLAY", ":1"}})), SessionKind::Wayland);
  EXPECT_EQ(sessionKindOf(environmentOf({{"DISPLAY", ":1"}})), SessionKind::X11);
  EXPECT_EQ(sessionKindOf(environmentOf({{"XDG_SESSION_TYPE", "tty"}})), SessionKind::None);

  EXPECT_EQ(expectedPlatformName(environmentOf({{"XDG_SESSION_TYPE", "wayland"}, {"WAYLAND_DISPLAY", "wayland-0"}})),
            "wayland");
  EXPECT_EQ(expectedPlatformName(environmentOf(
                {{"XDG_SESSION_TYPE", "wayland"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"QT_QPA_PLATFORM", "xcb"}})),
            "xcb");
  // "wayland;xcb" with no Wayland display falls back to the next.
  EXPECT_EQ(expectedPlatformName(environmentOf({{"QT_QPA_PLATFORM", "wayland;xcb"}, {"DISPLAY", ":0"}})), "xcb");
  EXPECT_EQ(expectedPlatformName(environmentOf({{"DISPLAY", ":0"}})), "xcb");

  // Only native Wayland hides the windows' places; XWayland and offscreen report them.
  EXPECT_FALSE(windowPositionsReadable(QStringLiteral("wayland")));
  EXPECT_FALSE(windowPositionsReadable(QStringLiteral("wayland-egl")));
  EXPECT_TRUE(windowPositionsReadable(QStringLiteral("xcb")));
  EXPECT_TRUE(windowPositionsReadable(QStringLiteral("offscreen")));

  DesktopSession wayland;
  wayland.kind = SessionKind::Wayland;
  wayland.platformName = QStringLiteral("wayland");
  EXPECT_TRUE(describeBackends(wayland).contains(QStringLiteral("kalvory --command NAME")));
  wayland.portals.globalShortcuts = 1;
  EXPECT_TRUE(describeBackends(wayland).contains(QStringLiteral("hotkeys:           the GlobalShortcuts portal")));
  wayland.platformName = QStringLiteral("xcb");
  EXPECT_TRUE(describeBackends(wayland).contains(QStringLiteral("through XWayland")));
}

TEST(DesktopSession, WritesPreferredTriggersAsThePortalReadsThem) {
  EXPECT_EQ(portalTrigger(kHotkeyControl | kHotkeyShift, 0x71), "CTRL+SHIFT+q");
  EXPECT_EQ(portalTrigger(kHotkeyControl | kHotkeyShift, 0x31), "CTRL+SHIFT+1");
  EXPECT_EQ(portalTrigger(kHotkeyControl | kHotkeyShift, 0x2d), "CTRL+SHIFT+minus");
}

// A private session bus with, on demand, a stand-in portal (python3-dbusmock and the template
// beside this file) that records BindShortcuts and emits Activated when asked.
class PortalBus : public ::testing::Test {
 protected:
  void SetUp() override {
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty() ||
        !QFile::exists(QStringLiteral("/usr/bin/python3")))
      KALVORY_SKIP_WITHOUT_TOOL("dbus-daemon or /usr/bin/python3 missing");
    bus_.start(QStringLiteral("dbus-daemon"),
               {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    ASSERT_TRUE(bus_.waitForStarted(5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bus_.canReadLine(); }, 10000));
    address_ = QString::fromUtf8(bus_.readLine()).trimmed();
    connection_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address_, connectionName()));
    ASSERT_TRUE(connection_->isConnected());
  }

  void TearDown() override {
    for (QProcess* process : {&portal_, &bus_}) {
      if (process->state() == QProcess::NotRunning) continue;
      process->terminate();
      if (!process->waitForFinished(3000)) process->kill();
      process->waitForFinished(3000);
    }
    connection_.reset();
    QDBusConnection::disconnectFromBus(connectionName());
  }

  QString connectionName() const { return QStringLiteral("kalvory-session-test ") + address_; }

  void startPortal(const QString& parameters,
                   const char* stand_in = KALVORY_SOURCE_DIR "/tests/platform/global_shortcuts_portal.py") {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    portal_.setProcessEnvironment(environment);
    portal_.setProcessChannelMode(QProcess::ForwardedChannels);
    portal_.start(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"),
                   QString::fromUtf8(stand_in), QStringLiteral("-p"), parameters});
    ASSERT_TRUE(portal_.waitForStarted(5000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          return connection_->interface()
              ->isServiceRegistered(QStringLiteral("org.freedesktop.portal.Desktop"))
              .value();
        },
        15000))
        << "the stand-in portal did not come up";
  }

  QProcess bus_;
  QProcess portal_;
  QString address_;
  std::unique_ptr<QDBusConnection> connection_;
};

TEST_F(PortalBus, FindsWhichPortalsTheSessionOffers) {
  QElapsedTimer waited;
  waited.start();
  const DesktopPortals none = probeDesktopPortals(*connection_);
  EXPECT_EQ(none.globalShortcuts, 0U);
  EXPECT_EQ(none.wallpaper, 0U);
  EXPECT_LT(waited.elapsed(), 2000) << "a bus without portals must answer at once";

  startPortal(QStringLiteral("{}"));
  const DesktopPortals offered = probeDesktopPortals(*connection_);
  EXPECT_EQ(offered.globalShortcuts, 1U);
  EXPECT_EQ(offered.wallpaper, 0U);
  EXPECT_EQ(offered.remoteDesktop, 0U);
}

TEST_F(PortalBus, BindsTheKeysInOneSessionAndRunsTheOneActivated) {
  QTemporaryDir folder;
  const QString log = folder.filePath(QStringLiteral("bound.jsonl"));
  startPortal(QStringLiteral("{\"log\": \"%1\"}").arg(log));

  PortalHotkeyService service(*connection_);
  service.texts = [](int id) {
    return PortalShortcutText{QStringLiteral("key-%1").arg(id), QStringLiteral("Key number %1").arg(id)};
  };
  QSignalSpy refused(&service, &HotkeyService::failed);
  QSignalSpy done(&service, &PortalHotkeyService::bound);
  QSignalSpy activated(&service, &HotkeyService::activated);
  HotkeyFailure failure;
  ASSERT_TRUE(service.registerHotkey(7, kHotkeyControl | kHotkeyShift, 0x71, &failure));
  ASSERT_TRUE(service.registerHotkey(9, kHotkeyControl | kHotkeyShift, 0x2d, &failure));
  ASSERT_TRUE(done.wait(10000)) << "the shortcuts were never bound";
  EXPECT_TRUE(refused.isEmpty());
  EXPECT_EQ(service.boundIds(), QStringList({"key-7", "key-9"}));

  // Both keys went in one BindShortcuts call, with their descriptions and preferred keys.
  QFile file(log);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QList<QByteArray> calls = file.readAll().trimmed().split('\n');
  ASSERT_EQ(calls.size(), 1);
  const QJsonObject call = QJsonDocument::fromJson(calls[0]).object();
  const QJsonArray shortcuts = call.value(QStringLiteral("shortcuts")).toArray();
  ASSERT_EQ(shortcuts.size(), 2);
  EXPECT_EQ(shortcuts[0].toObject().value(QStringLiteral("id")).toString(), "key-7");
  EXPECT_EQ(shortcuts[0].toObject().value(QStringLiteral("description")).toString(), "Key number 7");
  EXPECT_EQ(shortcuts[0].toObject().value(QStringLiteral("preferred_trigger")).toString(), "CTRL+SHIFT+q");
  EXPECT_EQ(shortcuts[1].toObject().value(QStringLiteral("preferred_trigger")).toString(), "CTRL+SHIFT+minus");
  EXPECT_TRUE(call.value(QStringLiteral("session")).toString().contains(QStringLiteral("/session/")));

  // The desktop says which shortcut the user pressed; that one runs.
  const QDBusMessage press =
      QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.portal.Desktop"),
                                     QStringLiteral("/org/freedesktop/portal/desktop"),
                                     QStringLiteral("org.kalvory.Test"), QStringLiteral("Activate"))
      << QStringLiteral("key-9");
  ASSERT_EQ(connection_->call(press).type(), QDBusMessage::ReplyMessage);
  ASSERT_TRUE(activated.wait(5000));
  ASSERT_EQ(activated.size(), 1);
  EXPECT_EQ(activated[0][0].toInt(), 9);

  // And when the user lets it go (a paste waits for that, so that the held Shift is not in it).
  EXPECT_TRUE(service.tellsReleases());
  QSignalSpy released(&service, &HotkeyService::released);
  const QDBusMessage release =
      QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.portal.Desktop"),
                                     QStringLiteral("/org/freedesktop/portal/desktop"),
                                     QStringLiteral("org.kalvory.Test"), QStringLiteral("Release"))
      << QStringLiteral("key-9");
  ASSERT_EQ(connection_->call(release).type(), QDBusMessage::ReplyMessage);
  ASSERT_TRUE(released.wait(5000));
  ASSERT_EQ(released.size(), 1);
  EXPECT_EQ(released[0][0].toInt(), 9);
}

TEST_F(PortalBus, ARefusalIsToldOnce) {
  startPortal(QStringLiteral("{\"refuse\": true}"));
  PortalHotkeyService service(*connection_);
  QSignalSpy failed(&service, &HotkeyService::failed);
  QSignalSpy done(&service, &PortalHotkeyService::bound);
  for (int id = 1; id <= 7; ++id)
    ASSERT_TRUE(service.registerHotkey(id, kHotkeyControl | kHotkeyShift, 0x30 + id, nullptr));
  ASSERT_TRUE(failed.wait(10000));
  EXPECT_EQ(failed.size(), 1);
  EXPECT_TRUE(done.isEmpty());
}

TEST_F(PortalBus, NoPortalIsAFailureToldOnce) {
  PortalHotkeyService service(*connection_);
  QSignalSpy failed(&service, &HotkeyService::failed);
  for (int id = 1; id <= 7; ++id)
    ASSERT_TRUE(service.registerHotkey(id, kHotkeyControl | kHotkeyShift, 0x30 + id, nullptr));
  ASSERT_TRUE(failed.wait(10000));
  EXPECT_EQ(failed.size(), 1);
  EXPECT_TRUE(failed[0][0].toString().contains(QStringLiteral("CreateSession")));
}

const char* const kRemoteDesktopPortal = KALVORY_SOURCE_DIR "/tests/platform/remote_desktop_portal.py";
const char* const kWallpaperPortal = KALVORY_SOURCE_DIR "/tests/platform/wallpaper_portal.py";

// The JSON lines a stand-in portal wrote.
QList<QJsonObject> loggedCalls(const QString& path) {
  QList<QJsonObject> calls;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return calls;
  for (const QByteArray& line : file.readAll().split('\n'))
    if (!line.trimmed().isEmpty()) calls << QJsonDocument::fromJson(line).object();
  return calls;
}

// The keysym calls among them, as "keysym/state" in hex.
QStringList keystrokes(const QList<QJsonObject>& calls) {
  QStringList strokes;
  for (const QJsonObject& call : calls)
    if (call.value(QStringLiteral("call")).toString() == QLatin1String("NotifyKeyboardKeysym"))
      strokes << QStringLiteral("%1/%2")
                     .arg(call.value(QStringLiteral("keysym")).toInt(), 0, 16)
                     .arg(call.value(QStringLiteral("state")).toInt());
  return strokes;
}

int callsNamed(const QList<QJsonObject>& calls, const char* name) {
  return int(std::count_if(calls.begin(), calls.end(), [name](const QJsonObject& call) {
    return call.value(QStringLiteral("call")).toString() == QLatin1String(name);
  }));
}

TEST(DesktopSession, ChoosesThePastesWayBySession) {
  DesktopSession x11;
  x11.kind = SessionKind::X11;
  x11.platformName = QStringLiteral("xcb");
  EXPECT_EQ(pasteBackendOf(x11), PasteBackend::XTest);
  // An X11 session keeps XTest even where a portal is there: nothing changes on X11.
  x11.portals.remoteDesktop = 2;
  EXPECT_EQ(pasteBackendOf(x11), PasteBackend::XTest);

  DesktopSession wayland;
  wayland.kind = SessionKind::Wayland;
  wayland.platformName = QStringLiteral("wayland");
  EXPECT_EQ(pasteBackendOf(wayland), PasteBackend::ClipboardOnly);
  EXPECT_TRUE(describeBackends(wayland).contains(QStringLiteral("paste:             the clipboard only")));
  // A wlroots compositor's virtual keyboard, where there is no portal to ask.
  wayland.virtualKeyboard = true;
  EXPECT_EQ(pasteBackendOf(wayland), PasteBackend::VirtualKeyboard);
  EXPECT_TRUE(describeBackends(wayland).contains(QStringLiteral("virtual keyboard")));
  // The portal first: the desktop asks the user, as a desktop that has one means programs to.
  wayland.portals.remoteDesktop = 2;
  EXPECT_EQ(pasteBackendOf(wayland), PasteBackend::RemoteDesktopPortal);
  EXPECT_TRUE(describeBackends(wayland).contains(QStringLiteral("RemoteDesktop portal")));

  DesktopSession xwayland = wayland;
  xwayland.platformName = QStringLiteral("xcb");
  xwayland.portals.remoteDesktop = 0;
  xwayland.virtualKeyboard = false;
  EXPECT_EQ(pasteBackendOf(xwayland), PasteBackend::XTestX11ProgramsOnly);
  // The portal reaches the Wayland programs too.
  xwayland.portals.remoteDesktop = 1;
  EXPECT_EQ(pasteBackendOf(xwayland), PasteBackend::RemoteDesktopPortal);
}

TEST(DesktopSession, ChoosesTheWallpapersWayBySessionAndNeverAnUnseenRootWindow) {
  // The desktops' own setters, whatever the display protocol.
  for (const bool wayland : {false, true}) {
    EXPECT_EQ(ChooseWallpaperBackend(DesktopKind::Gnome, wayland, 1), WallpaperBackend::Gnome);
    EXPECT_EQ(ChooseWallpaperBackend(DesktopKind::Plasma, wayland, 1), WallpaperBackend::Plasma);
    EXPECT_EQ(ChooseWallpaperBackend(DesktopKind::Xfce, wayland, 0), WallpaperBackend::Xfce);
  }
  // Any other desktop: the root window on X11 as before, the portal or nothing on Wayland.
  EXPECT_EQ(ChooseWallpaperBackend(DesktopKind::RootWindow, false, 0), WallpaperBackend::RootWindow);
  EXPECT_EQ(ChooseWallpaperBackend(DesktopKind::RootWindow, false, 1), WallpaperBackend::RootWindow);
  EXPECT_EQ(ChooseWallpaperBackend(DesktopKind::RootWindow, true, 1), WallpaperBackend::Portal);
  EXPECT_EQ(ChooseWallpaperBackend(DesktopKind::RootWindow, true, 0), WallpaperBackend::Unavailable);

  DesktopSession sway;
  sway.kind = SessionKind::Wayland;
  sway.platformName = QStringLiteral("xcb");  // through XWayland: its root window is not seen either
  sway.currentDesktop = QStringLiteral("sway");
  EXPECT_EQ(wallpaperBackendOf(sway), WallpaperBackend::Unavailable);
  EXPECT_TRUE(describeBackends(sway).contains(QStringLiteral("wallpaper:         none: this Wayland desktop")));
  sway.portals.wallpaper = 1;
  EXPECT_EQ(wallpaperBackendOf(sway), WallpaperBackend::Portal);
  EXPECT_TRUE(describeBackends(sway).contains(QStringLiteral("wallpaper:         the Wallpaper portal (version 1)")));
  sway.currentDesktop = QStringLiteral("KDE");
  EXPECT_EQ(wallpaperBackendOf(sway), WallpaperBackend::Plasma);
  DesktopSession x11;
  x11.kind = SessionKind::X11;
  x11.platformName = QStringLiteral("xcb");
  EXPECT_EQ(wallpaperBackendOf(x11), WallpaperBackend::RootWindow);

  // Nothing to set it with: a clear refusal, and nothing drawn anywhere.
  UnavailableWallpaperSetter none;
  const Result<void> refused = none.SetWallpaper("/nonexistent.bmp", 2);
  ASSERT_FALSE(refused.ok());
  EXPECT_NE(refused.error().find("no org.freedesktop.portal.Wallpaper"), std::string::npos) << refused.error();
}

TEST_F(PortalBus, FindsTheRemoteDesktopPortal) {
  startPortal(QStringLiteral("{}"), kRemoteDesktopPortal);
  const DesktopPortals offered = probeDesktopPortals(*connection_);
  EXPECT_EQ(offered.remoteDesktop, 2U);
  EXPECT_EQ(offered.globalShortcuts, 0U);
}

TEST_F(PortalBus, PastesWithCtrlVThroughTheRemoteDesktopKeyboardAskingOnce) {
  QTemporaryDir folder;
  const QString log = folder.filePath(QStringLiteral("calls.jsonl"));
  startPortal(QStringLiteral("{\"log\": \"%1\"}").arg(log), kRemoteDesktopPortal);
  RemoteDesktopPasteInjector paste(*connection_);
  QStringList undelivered;
  paste.undelivered = [&](const QString& reason) { undelivered << reason; };
  QSignalSpy sent(&paste, &RemoteDesktopPasteInjector::sent);

  // Two pastes asked while the desktop still asks the user: one Ctrl+V, the newest text.
  ASSERT_TRUE(paste.paste());
  ASSERT_TRUE(paste.paste());
  ASSERT_TRUE(QTest::qWaitFor([&] { return sent.size() == 1; }, 10000)) << "nothing was typed";
  EXPECT_TRUE(paste.ready());
  const QStringList ctrlV = {"ffe3/1", "76/1", "76/0", "ffe3/0"};
  EXPECT_EQ(keystrokes(loggedCalls(log)), ctrlV);

  // The next paste types at once in the same session: the user is not asked again.
  ASSERT_TRUE(paste.paste());
  ASSERT_TRUE(QTest::qWaitFor([&] { return sent.size() == 2; }, 10000));
  const QList<QJsonObject> calls = loggedCalls(log);
  EXPECT_EQ(keystrokes(calls), ctrlV + ctrlV);
  EXPECT_EQ(callsNamed(calls, "CreateSession"), 1);
  EXPECT_EQ(callsNamed(calls, "Start"), 1);
  // The keyboard alone, in the session the portal made.
  ASSERT_EQ(callsNamed(calls, "SelectDevices"), 1);
  const QString session = calls.first().value(QStringLiteral("session")).toString();
  for (const QJsonObject& call : calls) {
    EXPECT_EQ(call.value(QStringLiteral("session")).toString(), session);
    if (call.value(QStringLiteral("call")).toString() == QLatin1String("SelectDevices")) {
      EXPECT_EQ(call.value(QStringLiteral("types")).toInt(), 1);
    }
  }
  EXPECT_TRUE(undelivered.isEmpty());

  // The desktop ends the session (the user revoked it): the next paste asks for a new one.
  const QDBusMessage close = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("/org/freedesktop/portal/desktop"),
      QStringLiteral("org.kalvory.Test"), QStringLiteral("CloseSession"));
  ASSERT_EQ(connection_->call(close).type(), QDBusMessage::ReplyMessage);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !paste.ready(); }, 10000));
  ASSERT_TRUE(paste.paste());
  ASSERT_TRUE(QTest::qWaitFor([&] { return sent.size() == 3; }, 10000));
  EXPECT_EQ(callsNamed(loggedCalls(log), "CreateSession"), 2);
  EXPECT_EQ(keystrokes(loggedCalls(log)).size(), 12);
}

TEST_F(PortalBus, ThePermissionToTypeIsKeptForTheNextRun) {
  QTemporaryDir folder;
  const QString log = folder.filePath(QStringLiteral("calls.jsonl"));
  const QString tokenFile = folder.filePath(QStringLiteral("config/remote-desktop-token"));
  startPortal(QStringLiteral("{\"log\": \"%1\"}").arg(log), kRemoteDesktopPortal);
  const auto selectDevices = [&] {
    QList<QJsonObject> selected;
    for (const QJsonObject& call : loggedCalls(log))
      if (call.value(QStringLiteral("call")).toString() == QLatin1String("SelectDevices")) selected << call;
    return selected;
  };
  {
    RemoteDesktopPasteInjector paste(*connection_, 2, tokenFile);
    QSignalSpy sent(&paste, &RemoteDesktopPasteInjector::sent);
    ASSERT_TRUE(paste.paste());
    ASSERT_TRUE(sent.wait(10000));
  }
  // Kept until the user revokes it; nothing to restore the first time.
  ASSERT_EQ(selectDevices().size(), 1);
  EXPECT_EQ(selectDevices()[0].value(QStringLiteral("persist_mode")).toInt(), 2);
  EXPECT_EQ(selectDevices()[0].value(QStringLiteral("restore_token")).toString(), QString());
  QFile kept(tokenFile);
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), "token-1\n");
  kept.close();
  EXPECT_EQ(kept.permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), QFileDevice::Permissions());

  // The next run offers it, and keeps the new one the desktop hands back.
  {
    RemoteDesktopPasteInjector paste(*connection_, 2, tokenFile);
    QSignalSpy sent(&paste, &RemoteDesktopPasteInjector::sent);
    ASSERT_TRUE(paste.paste());
    ASSERT_TRUE(sent.wait(10000));
  }
  ASSERT_EQ(selectDevices().size(), 2);
  EXPECT_EQ(selectDevices()[1].value(QStringLiteral("restore_token")).toString(), QStringLiteral("token-1"));
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), "token-2\n");
  kept.close();

  // A version 1 portal knows no tokens: none is asked for or offered.
  {
    RemoteDesktopPasteInjector paste(*connection_, 1, tokenFile);
    QSignalSpy sent(&paste, &RemoteDesktopPasteInjector::sent);
    ASSERT_TRUE(paste.paste());
    ASSERT_TRUE(sent.wait(10000));
  }
  ASSERT_EQ(selectDevices().size(), 3);
  EXPECT_EQ(selectDevices()[2].value(QStringLiteral("persist_mode")).toInt(), 0);
  EXPECT_EQ(selectDevices()[2].value(QStringLiteral("restore_token")).toString(), QString());
}

TEST_F(PortalBus, ADeclinedKeyboardLeavesThePasteToTheUserAndIsNotAskedAgain) {
  QTemporaryDir folder;
  const QString log = folder.filePath(QStringLiteral("calls.jsonl"));
  startPortal(QStringLiteral("{\"log\": \"%1\", \"decline\": true}").arg(log), kRemoteDesktopPortal);
  RemoteDesktopPasteInjector paste(*connection_);
  QStringList undelivered;
  paste.undelivered = [&](const QString& reason) { undelivered << reason; };
  ASSERT_TRUE(paste.paste());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !undelivered.isEmpty(); }, 10000));
  EXPECT_EQ(undelivered.size(), 1);
  EXPECT_TRUE(undelivered[0].contains(QStringLiteral("did not allow"))) << undelivered[0].toStdString();
  // Refused for this run: the next paste says so at once and the user is not asked again.
  EXPECT_FALSE(paste.paste());
  EXPECT_EQ(undelivered.size(), 1);
  EXPECT_EQ(callsNamed(loggedCalls(log), "Start"), 1);
  EXPECT_TRUE(keystrokes(loggedCalls(log)).isEmpty());
}

TEST_F(PortalBus, AKeyboardTheDesktopDidNotGrantTypesNothing) {
  QTemporaryDir folder;
  const QString log = folder.filePath(QStringLiteral("calls.jsonl"));
  startPortal(QStringLiteral("{\"log\": \"%1\", \"devices\": 2}").arg(log), kRemoteDesktopPortal);
  RemoteDesktopPasteInjector paste(*connection_);
  QStringList undelivered;
  paste.undelivered = [&](const QString& reason) { undelivered << reason; };
  ASSERT_TRUE(paste.paste());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !undelivered.isEmpty(); }, 10000));
  EXPECT_TRUE(undelivered[0].contains(QStringLiteral("no keyboard")));
  EXPECT_TRUE(keystrokes(loggedCalls(log)).isEmpty());
}

TEST_F(PortalBus, WithoutAPortalThePasteIsToldUndelivered) {
  RemoteDesktopPasteInjector paste(*connection_);
  QStringList undelivered;
  paste.undelivered = [&](const QString& reason) { undelivered << reason; };
  ASSERT_TRUE(paste.paste());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !undelivered.isEmpty(); }, 10000));
  EXPECT_TRUE(undelivered[0].contains(QStringLiteral("CreateSession")));
  EXPECT_FALSE(paste.paste());
}

// A picture and the folder its published copies go to.
struct WallpaperFiles {
  QTemporaryDir folder;
  std::string picture = folder.filePath(QStringLiteral("Composed.bmp")).toStdString();
  std::string publish = folder.path().toStdString();
  WallpaperFiles() {
    QFile file(QString::fromStdString(picture));
    if (file.open(QIODevice::WriteOnly)) file.write("BM picture");
  }
};

TEST_F(PortalBus, AnotherWaylandDesktopGetsThePictureThroughTheWallpaperPortal) {
  QTemporaryDir folder;
  const QString log = folder.filePath(QStringLiteral("calls.jsonl"));
  startPortal(QStringLiteral("{\"log\": \"%1\"}").arg(log), kWallpaperPortal);
  WallpaperFiles files;
  DesktopSession sway;
  sway.kind = SessionKind::Wayland;
  sway.platformName = QStringLiteral("wayland");
  sway.currentDesktop = QStringLiteral("sway");
  // The session's portals are asked when the first picture is set.
  SessionWallpaper setter(sway, files.publish, connectionName());
  const Result<void> set = setter.SetWallpaper(files.picture, 0);
  ASSERT_TRUE(set.ok()) << set.error();
  EXPECT_EQ(setter.backend(), WallpaperBackend::Portal);

  const QList<QJsonObject> calls = loggedCalls(log);
  ASSERT_EQ(calls.size(), 1);
  const QString copy = QString::fromStdString(files.publish) + QStringLiteral("/KalvoryDesktop-1.bmp");
  EXPECT_TRUE(QFile::exists(copy));
  EXPECT_EQ(calls[0].value(QStringLiteral("uri")).toString(), QStringLiteral("file://") + copy);
  EXPECT_EQ(calls[0].value(QStringLiteral("show-preview")).toBool(), false);
  EXPECT_EQ(calls[0].value(QStringLiteral("set-on")).toString(), QStringLiteral("background"));
  EXPECT_EQ(calls[0].value(QStringLiteral("parent_window")).toString(), QString());

  // The next picture gets the other name, so that the desktop sees a new file.
  ASSERT_TRUE(setter.SetWallpaper(files.picture, 0).ok());
  ASSERT_EQ(loggedCalls(log).size(), 2);
  EXPECT_TRUE(loggedCalls(log)[1].value(QStringLiteral("uri")).toString().endsWith(QStringLiteral("-2.bmp")));
}

TEST_F(PortalBus, AWallpaperPortalsRefusalIsAFailure) {
  startPortal(QStringLiteral("{\"answer\": 1}"), kWallpaperPortal);
  WallpaperFiles files;
  PortalWallpaperSetter setter(files.publish, connectionName().toStdString());
  const Result<void> set = setter.SetWallpaper(files.picture, 2);
  ASSERT_FALSE(set.ok());
  EXPECT_NE(set.error().find("not allowed"), std::string::npos) << set.error();
}

TEST_F(PortalBus, AWaylandDesktopWithoutAWayToSetThePictureRefusesClearly) {
  WallpaperFiles files;
  DesktopSession sway;
  sway.kind = SessionKind::Wayland;
  sway.platformName = QStringLiteral("xcb");
  sway.currentDesktop = QStringLiteral("sway");
  SessionWallpaper setter(sway, files.publish, connectionName());
  const Result<void> set = setter.SetWallpaper(files.picture, 2);
  ASSERT_FALSE(set.ok());
  EXPECT_EQ(setter.backend(), WallpaperBackend::Unavailable);
  EXPECT_NE(set.error().find("no way to set its picture"), std::string::npos) << set.error();
  // Not even a copy was published: nothing was handed anywhere.
  EXPECT_FALSE(QFile::exists(QString::fromStdString(files.publish) + QStringLiteral("/KalvoryDesktop-1.bmp")));
}

}  // namespace

// Without a layer shell the program goes through XWayland, where the compositor places and stacks
// its on-screen windows; a user's own choice of platform, a missing XWayland or a layer shell keep
// it native, and the compositor is asked only when nothing else decides.
TEST(DesktopSession, RunsThroughXWaylandOnlyWhereTheCompositorHasNoLayerShell) {
  int asked = 0;
  const auto offered = [&asked](bool answer) {
    return std::function<bool()>([&asked, answer] {
      ++asked;
      return answer;
    });
  };
  const auto gnome =
      environmentOf({{"XDG_SESSION_TYPE", "wayland"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}});
  EXPECT_TRUE(runThroughXWayland(gnome, offered(false)));
  EXPECT_FALSE(runThroughXWayland(gnome, offered(true)));
  EXPECT_EQ(asked, 2);

  auto chosen = gnome;
  chosen.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
  EXPECT_FALSE(runThroughXWayland(chosen, offered(false)));
  const auto noXWayland = environmentOf({{"XDG_SESSION_TYPE", "wayland"}, {"WAYLAND_DISPLAY", "wayland-0"}});
  EXPECT_FALSE(runThroughXWayland(noXWayland, offered(false)));
  const auto x11 = environmentOf({{"XDG_SESSION_TYPE", "x11"}, {"DISPLAY", ":0"}});
  EXPECT_FALSE(runThroughXWayland(x11, offered(false)));
  EXPECT_EQ(asked, 2);

  DesktopSession session;
  session.kind = SessionKind::Wayland;
  session.platformName = QStringLiteral("wayland");
  session.layerShell = true;
  EXPECT_TRUE(describeBackends(session).contains(QStringLiteral("on-screen windows: overlay surfaces")));
  session.layerShell = false;
  session.platformName = QStringLiteral("xcb");
  session.portals.globalShortcuts = 1;
  EXPECT_TRUE(describeBackends(session).contains(QStringLiteral("hotkeys:           the GlobalShortcuts portal")));
  EXPECT_TRUE(describeBackends(session).contains(QStringLiteral("at their stored places (the compositor has no")));
}

}  // namespace kalvory
