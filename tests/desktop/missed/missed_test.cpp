#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QTemporaryDir>

#include "core/model/alarm_doc.h"
#include "desktop/alarms/alarm_controller.h"
#include "desktop/common/action_registry.h"
#include "desktop/missed/missed_feature.h"
#include "desktop/missed/missed_window.h"
#include "desktop/missed/wake_watcher.h"
#include "platform/private_system_bus.h"
#include "support/missing_tool.h"

namespace kalvory {
namespace {

COleDateTime at(int hour, int minute, int second = 0) { return COleDateTime(2026, 3, 10, hour, minute, second); }

CAlarmLine reminder(const COleDateTime& time, const std::string& text, int showSeconds = 60) {
  CAlarmLine line(time, showSeconds);
  line.time = time;
  line.text = text;
  line.osd = 0;
  return line;
}

QDBusConnection noBus() {
  return QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/kalvory-no-bus"),
                                       QStringLiteral("no bus"));
}

// The alarm check over a clock the test moves, with the missed-reminders feature listening.
struct MissedFixture {
  explicit MissedFixture(QDBusConnection systemBus = noBus()) {
    settings = defaultSettings(SettingsEnvironment{});
    AlarmController::Services services;
    services.clock = [this] { return now; };
    alarms = std::make_unique<AlarmController>(settings, document, services);
    // Wired as the program wires it.
    MissedFeature::Services missed;
    missed.clock = [this] { return alarms->now(); };
    missed.goingToSleep = [this] { alarms->goingToSleep(); };
    missed.catchUp = [this] {
      if (alarms->isRunning()) alarms->catchUp();
    };
    feature = std::make_unique<MissedFeature>(settings, document, std::move(missed), systemBus);
    QObject::connect(alarms.get(), &AlarmController::remindersMissed, feature.get(), &MissedFeature::addMissed);
    // The program's one change path ends in the alarm check, which then looks at every reminder again.
    QObject::connect(feature.get(), &MissedFeature::documentChanged, alarms.get(), &AlarmController::documentChanged);
  }
  CMissedRemindersWindow& window() { return feature->window(); }
  void clickInWindow(const QString& text, int index = 0) {
    int seen = 0;
    for (QPushButton* button : window().findChildren<QPushButton*>()) {
      if (button->text() == text && seen++ == index) {
        button->click();
        QCoreApplication::processEvents();
        return;
      }
    }
    ADD_FAILURE() << "no button " << text.toStdString();
  }

  ApplicationSettings settings;
  CAlarmDoc document;
  ActionRegistry actions{[] { return UiLanguage::English; }};
  COleDateTime now = at(9, 0);
  std::unique_ptr<AlarmController> alarms;
  std::unique_ptr<MissedFeature> feature;
};

TEST(MissedReminders, AClockJumpOpensTheWindowAndItsButtonsSettleTheRows) {
  MissedFixture f;
  f.document.AddAlarm(reminder(at(10, 0), "Call the bank"));
  f.document.AddAlarm(reminder(at(11, 0), "Water the plants"));
  f.document.AddAlarm(reminder(at(13, 0), "Later"));
  f.alarms->tick();
  f.now = at(9, 0, 59);  // an ordinary gap: nothing asked
  f.alarms->tick();
  EXPECT_FALSE(f.window().isVisible());

  f.now = at(12, 0);  // the process was stopped for three hours
  f.alarms->tick();
  ASSERT_TRUE(f.window().isVisible());
  EXPECT_EQ(f.window().rowCount(), 2);
  EXPECT_EQ(f.window().windowTitle(), QStringLiteral("While you were away"));

  f.clickInWindow(QStringLiteral("Postpone 5 min"), 1);  // "Water the plants"
  EXPECT_EQ(f.window().rowCount(), 1);
  EXPECT_EQ(f.document.alarms()[1]->time, at(12, 5));
  EXPECT_TRUE(f.document.IsModified());
  const COleDateTime untouched = f.document.alarms()[0]->time;

  // The same jump reported again (the computer woke) lists a reminder once.
  f.alarms->catchUp();
  EXPECT_EQ(f.window().rowCount(), 1);

  f.clickInWindow(QStringLiteral("Turn off"));
  EXPECT_EQ(f.window().rowCount(), 0);
  EXPECT_FALSE(f.window().isVisible()) << "the window closes with its last row";
  EXPECT_EQ(f.document.alarms()[0]->time, untouched) << "turning off a missed reminder leaves it for next time";

  // The postponed reminder rings at its new time, sounds and all.
  f.now = at(12, 5);
  f.alarms->tick();
  EXPECT_TRUE(f.document.alarms()[1]->fired);
}

TEST(MissedReminders, PostponingAMissedDailyReminderKeepsItsTime) {
  MissedFixture f;
  CAlarmLine daily = reminder(COleDateTime(2026, 1, 1, 10, 0, 0), "Stretch");
  daily.daily = 1;
  f.document.AddAlarm(daily);
  f.document.SetModifiedFlag(false);
  f.alarms->tick();
  f.now = at(12, 0);
  f.alarms->tick();
  ASSERT_EQ(f.window().rowCount(), 1);
  f.clickInWindow(QStringLiteral("Postpone 5 min"));
  const CAlarmLine& line = *f.document.alarms()[0];
  EXPECT_EQ(line.time, COleDateTime(2026, 1, 1, 10, 0, 0)) << "its schedule stays as it was";
  EXPECT_FALSE(f.document.IsModified());
  ASSERT_TRUE(line.postponedTime());
  EXPECT_EQ(*line.postponedTime(), at(12, 5));
  f.now = at(12, 5);
  f.alarms->tick();
  EXPECT_TRUE(line.fired) << "it rings once at the postponed moment";
}

TEST(MissedReminders, StartCatchesUpFromTheLastRunAndTheSettingSwitchesItOff) {
  for (const bool on : {true, false}) {
    MissedFixture f;
    f.settings.app.missed_reminders = on ? 1 : 0;
    f.settings.app.last_seen = at(8, 0);  // the previous run ended here
    f.document.AddAlarm(reminder(at(8, 30), "Meeting"));
    f.now = at(9, 0);
    f.alarms->start();
    f.alarms->tick();
    EXPECT_EQ(f.window().rowCount(), on ? 1 : 0);
    f.alarms->stop();
    EXPECT_EQ(f.settings.app.last_seen, at(9, 0)) << "stored for the next run";
  }
}

TEST(MissedReminders, WakingFromSleepCatchesUpEvenAfterAShortSleep) {
  if (!test::PrivateSystemBus::toolsPresent()) KALVORY_SKIP_WITHOUT_TOOL("dbus-daemon or /usr/bin/python3 missing");
  test::PrivateSystemBus bus;
  ASSERT_TRUE(bus.start()) << bus.problem().toStdString();
  QTemporaryDir folder;
  ASSERT_TRUE(bus.startLogind(folder.filePath(QStringLiteral("logind.log")))) << bus.problem().toStdString();
  QDBusConnection system = QDBusConnection::connectToBus(bus.address(), QStringLiteral("missed test system bus"));
  ASSERT_TRUE(system.isConnected());

  MissedFixture f(system);
  ASSERT_TRUE(f.feature->wakeWatcher().isWatching());
  f.document.AddAlarm(reminder(at(10, 0, 5), "Short", 5));
  f.now = at(10, 0);
  f.alarms->start();
  f.alarms->tick();

  const auto emitPrepareForSleep = [&](bool sleeping) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("EmitSignal"));
    call << QStringLiteral("org.freedesktop.login1.Manager") << QStringLiteral("PrepareForSleep") << QStringLiteral("b")
         << QVariantList{sleeping};
    const QDBusMessage reply = system.call(call);
    ASSERT_NE(reply.type(), QDBusMessage::ErrorMessage) << reply.errorMessage().toStdString();
  };
  bool asleep = false;
  QObject::connect(&f.feature->wakeWatcher(), &WakeWatcher::goingToSleep, [&] { asleep = true; });
  emitPrepareForSleep(true);
  QDeadlineTimer deadline(10000);
  while (!asleep && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  ASSERT_TRUE(asleep);
  EXPECT_EQ(f.window().rowCount(), 0);
  // Asleep for 40 seconds: no jump, and the one-second timer may tick before logind's word
  // arrives, but the window 10:00:05-10:00:10 passed during the sleep.
  f.now = at(10, 0, 40);
  f.alarms->tick();
  emitPrepareForSleep(false);
  deadline.setRemainingTime(10000);
  while (f.window().rowCount() == 0 && !deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_EQ(f.window().rowCount(), 1);
  f.alarms->stop();
}

}  // namespace
}  // namespace kalvory
