// The wake timer inside the whole program: the reminder editor opened from the lists window moves
// it, over a stand-in systemd user manager on a private bus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "desktop/common/frame_fixture.h"
#include "desktop/editors/alarm_dialog.h"
#include "desktop/lists/lists_dialog.h"
#include "desktop/lists/lists_feature.h"
#include "desktop/wake/fake_systemd_manager.h"
#include "desktop/wake/wake_timer.h"
#include "platform/private_system_bus.h"
#include "support/missing_tool.h"

namespace kalvory::test {
namespace {

TEST(WakeTimerInTheProgram, EditingTheNextReminderInTheListsReplacesTheUnit) {
  if (!PrivateSystemBus::toolsPresent()) KALVORY_SKIP_WITHOUT_TOOL("dbus-daemon missing");
  PrivateSystemBus bus;
  ASSERT_TRUE(bus.start()) << bus.problem().toStdString();
  systemd::registerTypes();
  QDBusConnection managerSide =
      QDBusConnection::connectToBus(bus.address(), QStringLiteral("fake systemd for the program"));
  FakeSystemdManager manager;
  ASSERT_TRUE(managerSide.registerVirtualObject(QStringLiteral("/org/freedesktop/systemd1"), &manager));
  ASSERT_TRUE(managerSide.registerService(QStringLiteral("org.freedesktop.systemd1")));
  const QString programBus = QStringLiteral("wake program session");
  ASSERT_TRUE(QDBusConnection::connectToBus(bus.address(), programBus).isConnected());
  {
    FrameFixture fixture(1, {}, [&](DesktopProgram::Services& services) { services.sessionBus = programBus; });
    fixture.settings.app.wake_computer = 1;
    CAlarmLine bell(COleDateTime(2026, 5, 7, 10, 0, 0), 60);
    bell.text = "Bell";
    bell.sound_file = "/tmp/bell.ogg";
    fixture.document.AddAlarm(bell);
    CAlarmLine later(COleDateTime(2026, 5, 7, 12, 0, 0), 60);
    later.text = "Backup";
    later.program = "backup.sh";
    fixture.document.AddAlarm(later);
    fixture.program->activate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.started.size() == 1; }, 10000));
    EXPECT_EQ(manager.started[0].onCalendar, QStringLiteral("2026-05-07 10:00:00"));

    // The bell moves to 11:15 in the editor of the lists window.
    CListsDlg* lists = fixture.program->lists().window();
    ASSERT_NE(lists, nullptr);
    lists->setCurrentTab(CListsDlg::RemindersTab);
    lists->selectRow(CListsDlg::RemindersTab, 0);
    bool edited = false;
    QTimer::singleShot(0, [&] {
      CAlarmDlg* editor = nullptr;
      (void)QTest::qWaitFor(
          [&] {
            editor = qobject_cast<CAlarmDlg*>(QApplication::activeModalWidget());
            return editor != nullptr;
          },
          5000);
      if (editor == nullptr) return;
      editor->hoursEdit()->setValue(11);
      editor->minutesEdit()->setValue(15);
      edited = true;
      editor->accept();
      if (editor->isVisible()) editor->reject();
    });
    lists->OnModify();
    ASSERT_TRUE(edited) << "the reminder editor did not open";
    ASSERT_EQ(fixture.document.GetAlarmAt(0)->time.GetHour(), 11);
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.started.size() == 2; }, 10000));
    EXPECT_EQ(manager.started[1].onCalendar, QStringLiteral("2026-05-07 11:15:00"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.stopped.size() == 1; }, 10000));
    EXPECT_EQ(manager.stopped[0], manager.started[0].name);

    // Switching the bell off in the list leaves the backup as the next moment to wake for.
    lists->selectRow(CListsDlg::RemindersTab, 0);
    lists->OnActive();
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.started.size() == 3; }, 10000));
    EXPECT_EQ(manager.started[2].onCalendar, QStringLiteral("2026-05-07 12:00:00"));
  }
  QDBusConnection::disconnectFromBus(programBus);
  QDBusConnection::disconnectFromBus(QStringLiteral("fake systemd for the program"));
}

}  // namespace
}  // namespace kalvory::test
