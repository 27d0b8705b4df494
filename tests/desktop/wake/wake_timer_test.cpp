#include "desktop/wake/wake_timer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QTest>

#include "core/model/alarm_doc.h"
#include "desktop/wake/fake_systemd_manager.h"
#include "desktop/wake/systemd_types.h"
#include "platform/private_system_bus.h"
#include "support/missing_tool.h"

namespace kalvory {
namespace {

COleDateTime at(int hour, int minute, int second = 0) { return COleDateTime(2026, 3, 10, hour, minute, second); }

TEST(WakeTimer, StandsAtTheNextReminderWithASoundOrAProgramAndFollowsTheDocument) {
  if (!test::PrivateSystemBus::toolsPresent()) KALVORY_SKIP_WITHOUT_TOOL("dbus-daemon missing");
  test::PrivateSystemBus bus;
  ASSERT_TRUE(bus.start()) << bus.problem().toStdString();
  systemd::registerTypes();
  QDBusConnection managerSide = QDBusConnection::connectToBus(bus.address(), QStringLiteral("fake systemd"));
  test::FakeSystemdManager manager;
  ASSERT_TRUE(managerSide.registerVirtualObject(QStringLiteral("/org/freedesktop/systemd1"), &manager));
  ASSERT_TRUE(managerSide.registerService(QStringLiteral("org.freedesktop.systemd1")));
  QDBusConnection programSide = QDBusConnection::connectToBus(bus.address(), QStringLiteral("wake program"));

  ApplicationSettings settings = defaultSettings(SettingsEnvironment{});
  CAlarmDoc document;
  const auto add = [&](const COleDateTime& time, const std::string& sound, const std::string& program) {
    CAlarmLine line(time, 60);
    line.time = time;
    line.sound_file = sound;
    line.program = program;
    return document.AddAlarm(line);
  };
  add(at(9, 30), "", "");  // nothing a sleeping computer would miss
  CAlarmLine* sound = add(at(10, 0), "bell.ogg", "");
  add(at(11, 0), "", "backup.sh");
  add(at(8, 0), "old.ogg", "");  // passed
  COleDateTime now = at(9, 0);
  {
    WakeTimer wake(
        settings, document, [&] { return now; }, programSide);

    wake.documentChanged();  // off by default
    EXPECT_FALSE(wake.scheduled());

    settings.app.wake_computer = 1;
    wake.documentChanged();
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.started.size() == 1; }, 10000));
    const test::FakeSystemdManager::Unit first = manager.started[0];  // a copy: the list grows
    EXPECT_EQ(first.name, wakeTimerUnitName(QCoreApplication::applicationPid(), 1));
    EXPECT_TRUE(first.name.endsWith(QStringLiteral(".timer")));
    EXPECT_EQ(first.onCalendar, QStringLiteral("2026-03-10 10:00:00"));
    EXPECT_TRUE(first.wakeSystem);
    EXPECT_EQ(first.serviceName, QString(first.name).replace(QStringLiteral(".timer"), QStringLiteral(".service")));
    EXPECT_TRUE(first.execPath.endsWith(QStringLiteral("/true"))) << first.execPath.toStdString();

    wake.documentChanged();  // nothing moved: nothing sent
    sound->state = ReminderState::Inactive;
    wake.documentChanged();
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.started.size() == 2; }, 10000));
    EXPECT_EQ(manager.stopped, QStringList{first.name});
    EXPECT_EQ(manager.started[1].onCalendar, QStringLiteral("2026-03-10 11:00:00"));
    EXPECT_NE(manager.started[1].name, first.name);

    settings.app.wake_computer = 0;
    wake.documentChanged();
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.stopped.size() == 2; }, 10000));
    settings.app.wake_computer = 1;
    wake.documentChanged();
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.started.size() == 3; }, 10000));
  }
  // The program ends: its timer goes.
  ASSERT_TRUE(QTest::qWaitFor([&] { return manager.stopped.size() == 3; }, 10000));
  EXPECT_EQ(manager.stopped.back(), manager.started.back().name);
  EXPECT_EQ(manager.started.size(), 3u);
  EXPECT_EQ(onCalendarText(at(7, 5, 9)), QStringLiteral("2026-03-10 07:05:09"));
}

// Whether waking can work at all: the user manager's version, else the capability of its process.
TEST(WakeTimer, AsksTheUserManagerWhetherItCanWakeTheComputer) {
  if (!test::PrivateSystemBus::toolsPresent()) KALVORY_SKIP_WITHOUT_TOOL("dbus-daemon missing");
  test::PrivateSystemBus bus;
  ASSERT_TRUE(bus.start()) << bus.problem().toStdString();
  systemd::registerTypes();
  QDBusConnection programSide = QDBusConnection::connectToBus(bus.address(), QStringLiteral("wake support program"));
  ApplicationSettings settings = defaultSettings(SettingsEnvironment{});
  settings.app.wake_computer = 1;
  CAlarmDoc document;
  CAlarmLine bell(at(10, 0), 60);
  bell.sound_file = "bell.ogg";
  document.AddAlarm(bell);
  const Clock clock = [] { return at(9, 0); };
  const auto answered = [](WakeTimer& wake) {
    return QTest::qWaitFor([&] { return wake.support() != WakeTimer::Support::Unknown; }, 10000);
  };

  {
    // No user manager on the bus at all.
    WakeTimer wake(settings, document, clock, programSide);
    ASSERT_TRUE(answered(wake));
    EXPECT_EQ(wake.support(), WakeTimer::Support::NoUserManager);
    EXPECT_EQ(wake.unavailableReason(UiLanguage::English),
              QStringLiteral("Not available here: no systemd user manager answers"));
    wake.documentChanged();
    EXPECT_FALSE(wake.scheduled());
  }

  QDBusConnection managerSide = QDBusConnection::connectToBus(bus.address(), QStringLiteral("fake systemd support"));
  test::FakeSystemdManager manager;
  ASSERT_TRUE(managerSide.registerVirtualObject(QStringLiteral("/org/freedesktop/systemd1"), &manager));
  ASSERT_TRUE(managerSide.registerService(QStringLiteral("org.freedesktop.systemd1")));
  std::optional<bool> capability = false;
  uint askedPid = 0;
  const WakeTimer::CapabilityReader reader = [&](uint pid) {
    askedPid = pid;
    return capability;
  };
  {
    // Debian 12's systemd, whose manager was not given the capability: no timer, and why.
    manager.version = QStringLiteral("252.19-1~deb12u1");
    WakeTimer wake(settings, document, clock, programSide, nullptr, reader);
    wake.documentChanged();  // before the answer: set as before
    ASSERT_TRUE(answered(wake));
    EXPECT_EQ(wake.support(), WakeTimer::Support::NeedsNewerSystemd);
    EXPECT_EQ(askedPid, static_cast<uint>(QCoreApplication::applicationPid()));  // the manager's process
    EXPECT_EQ(wake.unavailableReason(UiLanguage::English),
              QStringLiteral("Not available here: waking the computer needs systemd 254 or later (this system has "
                             "252.19-1~deb12u1)"));
    EXPECT_TRUE(wake.unavailableReason(UiLanguage::Russian).contains(QStringLiteral("252.19-1~deb12u1")));
    EXPECT_FALSE(wake.scheduled()) << "the timer set before the answer is taken away";
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return static_cast<std::size_t>(manager.stopped.size()) == manager.started.size(); }, 10000));
    wake.documentChanged();
    EXPECT_FALSE(wake.scheduled());
  }
  {
    // The same version whose manager holds the capability, and a newer one: waking works.
    capability = true;
    WakeTimer wake(settings, document, clock, programSide, nullptr, reader);
    ASSERT_TRUE(answered(wake));
    EXPECT_EQ(wake.support(), WakeTimer::Support::Available);
    EXPECT_TRUE(wake.unavailableReason(UiLanguage::English).isEmpty());
  }
  {
    manager.version = QStringLiteral("254");
    capability = std::nullopt;
    WakeTimer wake(settings, document, clock, programSide, nullptr, reader);
    ASSERT_TRUE(answered(wake));
    EXPECT_EQ(wake.support(), WakeTimer::Support::Available);
    const std::size_t before = manager.started.size();
    wake.documentChanged();
    ASSERT_TRUE(wake.scheduled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.started.size() == before + 1; }, 10000));
  }
  EXPECT_EQ(systemdMajorVersion(QStringLiteral("252.19-1~deb12u1")), 252);
  EXPECT_EQ(systemdMajorVersion(QStringLiteral("v")), 0);
  EXPECT_EQ(wakeAlarmCapability("Name:\tsystemd\nCapEff:\t0000000800000000\n"), std::optional<bool>(true));
  EXPECT_EQ(wakeAlarmCapability("CapEff:\t0000000000000000\n"), std::optional<bool>(false));
  EXPECT_EQ(wakeAlarmCapability("Name:\tx\n"), std::nullopt);
  QDBusConnection::disconnectFromBus(QStringLiteral("fake systemd support"));
  QDBusConnection::disconnectFromBus(QStringLiteral("wake support program"));
}

}  // namespace
}  // namespace kalvory
