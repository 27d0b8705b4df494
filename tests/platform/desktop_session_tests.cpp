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

  void startPortal(const QString& parameters) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    portal_.setProcessEnvironment(environment);
    portal_.setProcessChannelMode(QProcess::ForwardedChannels);
    portal_.start(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"),
                   QStringLiteral(KALVORY_SOURCE_DIR "/tests/platform/global_shortcuts_portal.py"),
                   QStringLiteral("-p"), parameters});
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
