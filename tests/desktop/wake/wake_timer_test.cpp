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

}  // namespace
}  // namespace kalvory
