// The General page's switches for missed reminders, notifications and waking the computer, in the
// whole program: OK changes the setting, the settings file and what the running feature does.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include "core/settings/settings_store.h"
#include "desktop/common/dbus_template_mock.h"
#include "desktop/common/frame_fixture.h"
#include "desktop/config/configuration_feature.h"
#include "desktop/config/general_pages.h"
#include "desktop/config/settings_dialog.h"
#include "desktop/notifications/reminder_notifications.h"
#include "desktop/wake/fake_systemd_manager.h"
#include "desktop/wake/wake_timer.h"
#include "support/missing_tool.h"

namespace kalvory::test {
namespace {

struct Switches {
  bool missed;
  int notifications;
  bool wake;
};

TEST(GeneralPageSwitches, OkChangesTheSettingTheFileAndTheRunningFeatures) {
  if (!PrivateSystemBus::toolsPresent()) KALVORY_SKIP_WITHOUT_TOOL("dbus-daemon or /usr/bin/python3 missing");
  PrivateSystemBus bus;
  ASSERT_TRUE(bus.start()) << bus.problem().toStdString();
  QTemporaryDir folder;
  const QString log = folder.filePath(QStringLiteral("notifications.log"));
  DBusTemplateMock notificationServer;
  ASSERT_TRUE(notificationServer.start(bus.address(), QStringLiteral("notification_daemon"),
                                       QStringLiteral("--session"), QStringLiteral("org.freedesktop.Notifications"),
                                       log))
      << notificationServer.problem().toStdString();
  const auto notified = [&log] {
    QFile file(log);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
  };
  systemd::registerTypes();
  QDBusConnection managerSide =
      QDBusConnection::connectToBus(bus.address(), QStringLiteral("fake systemd for the switches"));
  FakeSystemdManager manager;
  ASSERT_TRUE(managerSide.registerVirtualObject(QStringLiteral("/org/freedesktop/systemd1"), &manager));
  ASSERT_TRUE(managerSide.registerService(QStringLiteral("org.freedesktop.systemd1")));
  const QString programBus = QStringLiteral("switches program session");
  ASSERT_TRUE(QDBusConnection::connectToBus(bus.address(), programBus).isConnected());

  MemorySettingsStore file;
  {
    std::function<int(CSettingsDlg&)> answer;
    FrameFixture fixture(1, {}, [&](DesktopProgram::Services& services) {
      services.sessionBus = programBus;
      services.saveSettings = [&] { SaveSettings(fixture.settings, file); };
      services.runConfiguration = [&](CSettingsDlg& dialog) { return answer(dialog); };
    });
    const auto add = [&](int hour, int minute, const char* text, const char* sound) {
      CAlarmLine line(COleDateTime(2026, 5, 7, hour, minute, 0), 60);
      line.text = text;
      line.sound_file = sound;
      line.osd = 0;
      fixture.document.AddAlarm(line);
    };
    add(9, 40, "Missed while off", "");
    add(10, 0, "Bell", "/tmp/bell.ogg");
    add(11, 0, "Never notified", "");
    add(11, 30, "Missed while on", "");
    add(13, 0, "Notified always", "");
    int missedReports = 0;
    std::string lastMissed;
    QObject::connect(
        &fixture.program->alarms(), &AlarmController::remindersMissed, [&](const std::vector<MissedReminder>& missed) {
          ++missedReports;
          lastMissed = missed.empty()
                           ? std::string()
                           : fixture.document.GetAlarmAt(static_cast<std::ptrdiff_t>(missed.front().index))->text;
        });

    Switches shown{};
    const auto configure = [&](Switches wanted) {
      answer = [&, wanted](CSettingsDlg& dialog) {
        CSetCommonDlgBar& page = *dialog.findPage<CSetCommonDlgBar>();
        shown = {page.missedBox()->isChecked(), page.notificationsList()->currentIndex(), page.wakeBox()->isChecked()};
        page.missedBox()->setChecked(wanted.missed);
        page.notificationsList()->setCurrentIndex(wanted.notifications);
        page.wakeBox()->setChecked(wanted.wake);
        dialog.accept();
        return static_cast<int>(QDialog::Accepted);
      };
      fixture.program->actions().runCommand(ID_CONFIGURATION);
    };
    fixture.program->alarms().tick();  // 9:30, the check's first tick

    // The defaults: missed reminders on, notifications only without a tray, no waking. The page
    // offers the three notification choices in the setting's order.
    configure({false, static_cast<int>(NotificationMode::Never), true});
    EXPECT_TRUE(shown.missed);
    EXPECT_EQ(shown.notifications, static_cast<int>(NotificationMode::Automatic));
    EXPECT_FALSE(shown.wake);
    EXPECT_EQ(fixture.settings.app.missed_reminders, 0);
    EXPECT_EQ(fixture.settings.app.notifications, static_cast<int>(NotificationMode::Never));
    EXPECT_EQ(fixture.settings.app.wake_computer, 1);
    EXPECT_EQ(file.readInt("AppSettings", "MissedReminders"), 0);
    EXPECT_EQ(file.readInt("AppSettings", "Notifications"), 2);
    EXPECT_EQ(file.readInt("AppSettings", "WakeComputer"), 1);
    // Waking: the timer stands at the bell at once, though no reminder changed.
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.started.size() == 1; }, 10000));
    EXPECT_EQ(manager.started[0].onCalendar, QStringLiteral("2026-05-07 10:00:00"));
    // Missed reminders: a jump over 9:40 lists nothing. Notifications: 11:00 rings without one.
    fixture.now = COleDateTime(2026, 5, 7, 11, 0, 0);
    fixture.program->alarms().tick();
    EXPECT_EQ(missedReports, 0);
    EXPECT_FALSE(fixture.program->notifications().wanted());

    configure({true, static_cast<int>(NotificationMode::Always), false});
    EXPECT_FALSE(shown.missed);
    EXPECT_EQ(shown.notifications, static_cast<int>(NotificationMode::Never));
    EXPECT_TRUE(shown.wake);
    EXPECT_EQ(file.readInt("AppSettings", "MissedReminders"), 1);
    EXPECT_EQ(file.readInt("AppSettings", "Notifications"), 1);
    EXPECT_EQ(file.readInt("AppSettings", "WakeComputer"), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.stopped.size() == 1; }, 10000));
    EXPECT_EQ(manager.stopped[0], manager.started[0].name);
    fixture.now = COleDateTime(2026, 5, 7, 13, 0, 0);
    fixture.program->alarms().tick();
    EXPECT_EQ(missedReports, 1);
    EXPECT_EQ(lastMissed, "Missed while on");
    // The 13:00 notification arrives; 11:00 rang while they were off and was never sent.
    ASSERT_TRUE(QTest::qWaitFor([&] { return notified().contains(QStringLiteral("\"Notified always\"")); }, 10000))
        << notified().toStdString();
    EXPECT_FALSE(notified().contains(QStringLiteral("Never notified")));
    EXPECT_EQ(manager.started.size(), 1u);
  }
  QDBusConnection::disconnectFromBus(programBus);
  QDBusConnection::disconnectFromBus(QStringLiteral("fake systemd for the switches"));
}

// Where the user manager cannot wake the computer the switch is off limits and says why; where
// it can, the switch is offered as before.
TEST(GeneralPageSwitches, WakeSwitchSaysWhyWakingCannotWorkHere) {
  if (!PrivateSystemBus::toolsPresent()) KALVORY_SKIP_WITHOUT_TOOL("dbus-daemon missing");
  PrivateSystemBus bus;
  ASSERT_TRUE(bus.start()) << bus.problem().toStdString();
  systemd::registerTypes();
  QDBusConnection managerSide = QDBusConnection::connectToBus(bus.address(), QStringLiteral("fake systemd for wake"));
  FakeSystemdManager manager;
  ASSERT_TRUE(managerSide.registerVirtualObject(QStringLiteral("/org/freedesktop/systemd1"), &manager));
  ASSERT_TRUE(managerSide.registerService(QStringLiteral("org.freedesktop.systemd1")));
  const QString programBus = QStringLiteral("wake switch program session");
  ASSERT_TRUE(QDBusConnection::connectToBus(bus.address(), programBus).isConnected());

  for (const QString& version : {QStringLiteral("252.19-1~deb12u1"), QStringLiteral("255.4-1")}) {
    manager.version = version;
    std::function<int(CSettingsDlg&)> answer;
    FrameFixture fixture(1, {}, [&](DesktopProgram::Services& services) {
      services.sessionBus = programBus;
      services.wakeCapability = [](uint) { return std::optional<bool>(false); };
      services.runConfiguration = [&](CSettingsDlg& dialog) { return answer(dialog); };
    });
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return fixture.program->wakeTimer().support() != WakeTimer::Support::Unknown; }, 10000));
    bool enabled = true;
    QString reason;
    bool reasonShown = false;
    answer = [&](CSettingsDlg& dialog) {
      enabled = dialog.findPage<CSetCommonDlgBar>()->wakeBox()->isEnabled();
      reason = dialog.findPage<CSetCommonDlgBar>()->wakeReasonLabel()->text();
      reasonShown = !dialog.findPage<CSetCommonDlgBar>()->wakeReasonLabel()->isHidden();
      return static_cast<int>(QDialog::Rejected);
    };
    fixture.program->actions().runCommand(ID_CONFIGURATION);
    if (version.startsWith(QStringLiteral("252"))) {
      EXPECT_FALSE(enabled);
      EXPECT_TRUE(reasonShown);
      EXPECT_TRUE(reason.contains(QStringLiteral("systemd 254")) && reason.contains(version)) << reason.toStdString();
    } else {
      EXPECT_TRUE(enabled);
      EXPECT_FALSE(reasonShown);
    }
  }
  QDBusConnection::disconnectFromBus(programBus);
  QDBusConnection::disconnectFromBus(QStringLiteral("fake systemd for wake"));
}

}  // namespace
}  // namespace kalvory::test
