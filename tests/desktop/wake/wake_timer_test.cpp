#include "desktop/wake/wake_timer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>

#include "core/model/alarm_doc.h"
#include "desktop/wake/systemd_types.h"
#include "platform/private_system_bus.h"

namespace kalvory {
namespace {

COleDateTime at(int hour, int minute, int second = 0) { return COleDateTime(2026, 3, 10, hour, minute, second); }

// A stand-in systemd user manager: answers StartTransientUnit and StopUnit and keeps what it got.
class FakeSystemdManager final : public QDBusVirtualObject {
 public:
  struct Unit {
    QString name;
    QString onCalendar;
    bool wakeSystem = false;
    QString serviceName;
    QString execPath;
  };
  std::vector<Unit> started;
  QStringList stopped;

  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.interface() != QStringLiteral("org.freedesktop.systemd1.Manager")) return false;
    const QVariantList arguments = message.arguments();
    if (message.member() == QStringLiteral("StartTransientUnit") && message.signature() == "ssa(sv)a(sa(sv))") {
      Unit unit;
      unit.name = arguments[0].toString();
      for (const systemd::Property& property : qdbus_cast<systemd::Properties>(arguments[2])) {
        if (property.name == QStringLiteral("TimersCalendar")) {
          const auto calendar = qdbus_cast<systemd::Calendar>(property.value.variant());
          if (calendar.size() == 1 && calendar[0].kind == QStringLiteral("OnCalendar"))
            unit.onCalendar = calendar[0].expression;
        }
        if (property.name == QStringLiteral("WakeSystem")) unit.wakeSystem = property.value.variant().toBool();
      }
      const auto auxiliary = qdbus_cast<systemd::AuxiliaryUnits>(arguments[3]);
      if (auxiliary.size() == 1) {
        unit.serviceName = auxiliary[0].name;
        for (const systemd::Property& property : auxiliary[0].properties) {
          if (property.name != QStringLiteral("ExecStart")) continue;
          const auto commands = qdbus_cast<systemd::ExecCommands>(property.value.variant());
          if (commands.size() == 1) unit.execPath = commands[0].path;
        }
      }
      started.push_back(unit);
    } else if (message.member() == QStringLiteral("StopUnit") && message.signature() == "ss") {
      stopped << arguments[0].toString();
    } else {
      connection.send(message.createErrorReply(QDBusError::UnknownMethod, message.member()));
      return true;
    }
    connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath("/org/freedesktop/systemd1/job/1"))));
    return true;
  }
};

template <class Condition>
bool waitFor(Condition condition) {
  QDeadlineTimer deadline(10000);
  while (!condition() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  return condition();
}

TEST(WakeTimer, StandsAtTheNextReminderWithASoundOrAProgramAndFollowsTheDocument) {
  if (!test::PrivateSystemBus::toolsPresent()) GTEST_SKIP() << "dbus-daemon missing";
  test::PrivateSystemBus bus;
  ASSERT_TRUE(bus.start()) << bus.problem().toStdString();
  systemd::registerTypes();
  QDBusConnection managerSide = QDBusConnection::connectToBus(bus.address(), QStringLiteral("fake systemd"));
  FakeSystemdManager manager;
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
    ASSERT_TRUE(waitFor([&] { return manager.started.size() == 1; }));
    const FakeSystemdManager::Unit first = manager.started[0];  // a copy: the list grows
    EXPECT_EQ(first.name, wakeTimerUnitName(QCoreApplication::applicationPid(), 1));
    EXPECT_TRUE(first.name.endsWith(QStringLiteral(".timer")));
    EXPECT_EQ(first.onCalendar, QStringLiteral("2026-03-10 10:00:00"));
    EXPECT_TRUE(first.wakeSystem);
    EXPECT_EQ(first.serviceName, QString(first.name).replace(QStringLiteral(".timer"), QStringLiteral(".service")));
    EXPECT_TRUE(first.execPath.endsWith(QStringLiteral("/true"))) << first.execPath.toStdString();

    wake.documentChanged();  // nothing moved: nothing sent
    sound->state = ReminderState::Inactive;
    wake.documentChanged();
    ASSERT_TRUE(waitFor([&] { return manager.started.size() == 2; }));
    EXPECT_EQ(manager.stopped, QStringList{first.name});
    EXPECT_EQ(manager.started[1].onCalendar, QStringLiteral("2026-03-10 11:00:00"));
    EXPECT_NE(manager.started[1].name, first.name);

    settings.app.wake_computer = 0;
    wake.documentChanged();
    ASSERT_TRUE(waitFor([&] { return manager.stopped.size() == 2; }));
    settings.app.wake_computer = 1;
    wake.documentChanged();
    ASSERT_TRUE(waitFor([&] { return manager.started.size() == 3; }));
  }
  // The program ends: its timer goes.
  ASSERT_TRUE(waitFor([&] { return manager.stopped.size() == 3; }));
  EXPECT_EQ(manager.stopped.back(), manager.started.back().name);
  EXPECT_EQ(manager.started.size(), 3u);
  EXPECT_EQ(onCalendarText(at(7, 5, 9)), QStringLiteral("2026-03-10 07:05:09"));
}

}  // namespace
}  // namespace kalvory
