#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include "core/model/alarm_doc.h"
#include "desktop/alarms/alarm_controller.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/dbus_template_mock.h"
#include "desktop/notifications/reminder_notifications.h"
#include "desktop/tray/close_to_tray.h"
#include "support/missing_tool.h"

namespace kalvory {
namespace {

COleDateTime at(int hour, int minute, int second = 0) { return COleDateTime(2026, 3, 10, hour, minute, second); }

// A stand-in notification server (python3-dbusmock's notification_daemon) on a private bus, and
// the alarm check over a clock the test moves.
class ReminderNotificationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::PrivateSystemBus::toolsPresent()) KALVORY_SKIP_WITHOUT_TOOL("dbus-daemon or /usr/bin/python3 missing");
    ASSERT_TRUE(bus_.start()) << bus_.problem().toStdString();
    log_ = folder_.filePath(QStringLiteral("notifications.log"));
    ASSERT_TRUE(server_.start(bus_.address(), QStringLiteral("notification_daemon"), QStringLiteral("--session"),
                              QStringLiteral("org.freedesktop.Notifications"), log_))
        << server_.problem().toStdString();
    session_ = QDBusConnection::connectToBus(bus_.address(), QStringLiteral("notifications test"));
    ASSERT_TRUE(session_.isConnected());
    settings_ = defaultSettings(SettingsEnvironment{});
    AlarmController::Services services;
    services.clock = [this] { return now_; };
    alarms_ = std::make_unique<AlarmController>(settings_, document_, services);
    // Wired as the program wires it.
    ReminderNotifications::Services notificationServices;
    notificationServices.isShowing = [this](quintptr reminder) { return alarms_->isShowing(reminder); };
    notificationServices.postpone = [this](std::int64_t seconds) { alarms_->postpone(seconds); };
    notificationServices.turnOff = [this] { alarms_->turnOff(); };
    notificationServices.trayAvailable = [this] { return trayAvailable_; };
    notifications_ = std::make_unique<ReminderNotifications>(settings_, std::move(notificationServices), session_);
    QObject::connect(alarms_.get(), &AlarmController::reminderFired, notifications_.get(),
                     &ReminderNotifications::reminderFired);
    QObject::connect(alarms_.get(), &AlarmController::ringingChanged, notifications_.get(),
                     &ReminderNotifications::ringingChanged);
    QObject::connect(alarms_.get(), &AlarmController::showingsChecked, notifications_.get(),
                     &ReminderNotifications::showingsChecked);
  }
  void TearDown() override { QDBusConnection::disconnectFromBus(QStringLiteral("notifications test")); }

  QString log() const {
    QFile file(log_);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
  }
  void invokeAction(uint id, const QString& action) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("EmitSignal"));
    call << QStringLiteral("org.freedesktop.Notifications") << QStringLiteral("ActionInvoked") << QStringLiteral("us")
         << QVariantList{QVariant::fromValue(id), action};
    const QDBusMessage reply = session_.call(call);
    ASSERT_NE(reply.type(), QDBusMessage::ErrorMessage) << reply.errorMessage().toStdString();
  }
  CAlarmLine& add(const COleDateTime& time, const std::string& text) {
    CAlarmLine line(time, 60);
    line.time = time;
    line.text = text;
    line.osd = 0;
    return *document_.AddAlarm(line);
  }
  // Fires what is due now and waits for the server's answer.
  uint fireAndWait() {
    uint id = 0;
    const auto connection = QObject::connect(notifications_.get(), &ReminderNotifications::notificationShown,
                                             [&id](uint shown) { id = shown; });
    alarms_->tick();
    EXPECT_TRUE(QTest::qWaitFor([&] { return id != 0; }, 10000));
    QObject::disconnect(connection);
    return id;
  }

  test::PrivateSystemBus bus_;
  test::DBusTemplateMock server_;
  QTemporaryDir folder_;
  QString log_;
  QDBusConnection session_{QString()};
  ApplicationSettings settings_;
  CAlarmDoc document_;
  ActionRegistry actions_{[] { return UiLanguage::English; }};
  COleDateTime now_ = at(10, 0);
  bool trayAvailable_ = true;
  std::unique_ptr<AlarmController> alarms_;
  std::unique_ptr<ReminderNotifications> notifications_;
};

TEST_F(ReminderNotificationsTest, OnlyWithoutATrayUnlessTheSettingSaysOtherwise) {
  EXPECT_FALSE(notifications_->wanted());
  trayAvailable_ = false;
  EXPECT_TRUE(notifications_->wanted());
  settings_.app.notifications = static_cast<int>(NotificationMode::Never);
  EXPECT_FALSE(notifications_->wanted());
  trayAvailable_ = true;
  settings_.app.notifications = static_cast<int>(NotificationMode::Always);
  EXPECT_TRUE(notifications_->wanted());

  // With a tray and the automatic mode a firing reminder sends nothing; then without one it does.
  settings_.app.notifications = static_cast<int>(NotificationMode::Automatic);
  add(at(10, 0), "With a tray");
  alarms_->tick();
  alarms_->turnOff();
  trayAvailable_ = false;
  add(at(10, 1), "Without a tray");
  now_ = at(10, 1);
  ASSERT_NE(fireAndWait(), 0u);
  EXPECT_FALSE(log().contains(QStringLiteral("With a tray")));
  EXPECT_TRUE(log().contains(QStringLiteral("\"Without a tray\""))) << log().toStdString();
  EXPECT_TRUE(log().contains(QStringLiteral(R"(["postpone", "Postpone 5 min", "turn-off", "Turn off"])")))
      << log().toStdString();
}

TEST_F(ReminderNotificationsTest, ActionsReachTheAlarmCheckAndTheNotificationCloses) {
  trayAvailable_ = false;
  CAlarmLine& tea = add(at(10, 0), "Tea");
  const uint first = fireAndWait();
  ASSERT_NE(first, 0u);
  invokeAction(first + 1000, QStringLiteral("postpone"));  // someone else's notification
  invokeAction(first, QStringLiteral("postpone"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return tea.time == at(10, 5); }, 10000)) << "postponed by five minutes";
  EXPECT_FALSE(alarms_->engine().trayAlarmMark());
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return log().contains(QStringLiteral("CloseNotification ") + QString::number(first)); }, 10000))
      << log().toStdString();
  EXPECT_TRUE(notifications_->shown().isEmpty());

  now_ = at(10, 5);
  const uint second = fireAndWait();
  ASSERT_NE(second, 0u);
  invokeAction(second, QStringLiteral("turn-off"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return tea.state == ReminderState::TurnedOff; }, 10000));
  EXPECT_EQ(tea.time, at(10, 5));
}

// Reminders one after another keep something ringing all along: each notification still closes
// when its own showing ends, by its time running out or by the next document, and one whose
// showing ended before the server answered is closed as soon as the answer comes.
TEST_F(ReminderNotificationsTest, EachNotificationClosesWhenItsShowingEnds) {
  trayAvailable_ = false;
  auto closed = [&](uint id) {
    return QTest::qWaitFor([&] { return log().contains(QStringLiteral("CloseNotification ") + QString::number(id)); },
                           10000);
  };
  add(at(10, 0, 0), "First");
  add(at(10, 0, 30), "Second");
  const uint first = fireAndWait();
  ASSERT_NE(first, 0u);
  uint second = 0;
  for (int second_of_day = 1; second_of_day <= 65; ++second_of_day) {
    now_ = at(10, second_of_day / 60, second_of_day % 60);
    if (second_of_day == 30) {
      second = fireAndWait();
      ASSERT_NE(second, 0u);
    } else {
      alarms_->tick();
    }
  }
  ASSERT_TRUE(alarms_->isRinging()) << "the second still shows";
  EXPECT_TRUE(closed(first)) << log().toStdString();
  EXPECT_EQ(notifications_->shown(), QList<uint>{second});

  // Another document replaces the one whose reminder shows.
  document_.OnNewDocument();
  now_ = at(10, 1, 6);
  alarms_->tick();
  EXPECT_TRUE(closed(second)) << log().toStdString();
  EXPECT_TRUE(notifications_->shown().isEmpty());

  // Turned off before the server's answer arrived.
  add(at(10, 5), "Quick");
  now_ = at(10, 5);
  uint third = 0;
  const auto connection = QObject::connect(notifications_.get(), &ReminderNotifications::notificationShown,
                                           [&third](uint shown) { third = shown; });
  alarms_->tick();
  alarms_->turnOff();
  ASSERT_TRUE(QTest::qWaitFor([&] { return third != 0; }, 10000));
  QObject::disconnect(connection);
  EXPECT_TRUE(closed(third)) << log().toStdString();
  EXPECT_TRUE(notifications_->shown().isEmpty());
}

// The window manager's close button, told once through the notification server; where neither
// a tray nor a server is there the close quits.
TEST_F(ReminderNotificationsTest, ClosingTheWindowIsExplainedOnceByANotification) {
  CloseToTray lonely(settings_, session_, {[] { return false; }, [] { return false; }});
  EXPECT_FALSE(lonely.keepRunning());
  EXPECT_EQ(settings_.app.close_notice_shown, 0);

  CloseToTray close(settings_, session_, {[] { return false; }, {}});
  bool notified = false;
  QObject::connect(&close, &CloseToTray::notified, [&] { notified = true; });
  EXPECT_TRUE(close.keepRunning());
  EXPECT_EQ(settings_.app.close_notice_shown, 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return notified; }, 10000));
  EXPECT_EQ(close.noticeBox(), nullptr);
  const QString notice = QStringLiteral("Kalvory keeps running in the notification area; File > Exit quits");
  EXPECT_TRUE(log().contains(notice)) << log().toStdString();

  // Closed again: the window goes without a word. A reminder's notification, sent after it on the
  // same connection, shows that nothing came before it.
  EXPECT_TRUE(close.keepRunning());
  trayAvailable_ = false;
  add(at(10, 0), "Later");
  ASSERT_NE(fireAndWait(), 0u);
  EXPECT_EQ(log().count(notice), 1);

  // A server that the bus cannot start after all: the call is refused and the message says it.
  test::PrivateSystemBus empty;
  ASSERT_TRUE(empty.start()) << empty.problem().toStdString();
  const QDBusConnection emptyBus = QDBusConnection::connectToBus(empty.address(), QStringLiteral("no server"));
  settings_.app.close_notice_shown = 0;
  CloseToTray refused(settings_, emptyBus, {[] { return true; }, [] { return true; }});
  EXPECT_TRUE(refused.keepRunning());
  ASSERT_TRUE(QTest::qWaitFor([&] { return refused.noticeBox() != nullptr; }, 10000));
  EXPECT_EQ(refused.noticeBox()->text(), notice);
  EXPECT_TRUE(refused.noticeBox()->isVisible());
  EXPECT_FALSE(refused.noticeBox()->isModal());
  QDBusConnection::disconnectFromBus(QStringLiteral("no server"));
}

}  // namespace
}  // namespace kalvory
