// The application object with the session-end watcher, as main() wires them, receiving real
// signals sent to this process.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "core/model/document_file.h"
#include "core/wallpaper/desktop_wallpaper.h"
#include "desktop/app/alarm_app.h"
#include "desktop/app/session_end_watcher.h"
#include "desktop/shell/document_recovery.h"
#include "platform/private_system_bus.h"
#include "platform/settings/ini_settings_store.h"
#include "platform/x11/hotkey_service.h"
#include "support/missing_tool.h"

namespace kalvory::test {
namespace {

QDBusConnection noSystemBus() {
  return QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/kalvory-test-system-bus"),
                                       QStringLiteral("kalvory-test-no-system-bus"));
}

std::vector<std::string> reminderTexts(const CAlarmDoc& document) {
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < document.alarmCount(); ++i)
    texts.push_back(document.GetAlarmAt(static_cast<std::ptrdiff_t>(i))->text);
  return texts;
}

CAlarmLine reminder(const char* text) {
  CAlarmLine line(COleDateTime(2026, 5, 7, 10, 0, 0));
  line.text = text;
  return line;
}

// One start of the program on a settings file and a data folder of the test's own. Any "Save
// changes?" fails the test: nothing may be asked when the session ends.
struct ProgramRun {
  ProgramRun(const QString& home, bool restore) : store((home + "/Kalvory.conf").toStdString()) {
    environment.store = &store;
    environment.saveStore = [this] { return store.save(); };
    environment.hotkeys = &hotkeys;
    environment.errors = &errors;
    environment.wallpaper = &wallpaper;
    environment.singleInstance = false;
    environment.dataFolder = home + "/data";
    environment.prompts.saveChanges = [](const std::string& question) {
      ADD_FAILURE() << "asked " << question;
      return SaveChangesAnswer::Cancel;
    };
    environment.prompts.restoreChanges = [this, restore](const std::string& question) {
      questions.push_back(question);
      return restore;
    };
  }
  IniSettingsStore store;
  FakeHotkeyService hotkeys;
  RecordingErrorReporter errors;
  RecordingDesktopWallpaper wallpaper;
  CAlarmApp::Environment environment;
  std::vector<std::string> questions;
};

TEST(SessionEnd, EachSignalKeepsTheSettingsAndUnsavedChangesThenEnds) {
  for (const int number : SessionEndWatcher::kSignals) {
    SCOPED_TRACE(number);
    QTemporaryDir home;
    const RecoveryCopy copy((home.path() + "/data").toStdString());
    const std::string path = (home.path() + "/plans.alr").toStdString();
    {
      CAlarmDoc stored;
      stored.AddAlarm(reminder("saved"));
      EXPECT_TRUE(saveDocumentFile(stored, path).ok());
    }
    // SIGINT with "SaveDocumentOnExit" saves the file itself; the others keep a copy.
    const bool saveOnExit = number == SIGINT;
    {
      ProgramRun run(home.path(), false);
      run.store.writeInt("AppSettings", "SaveDocumentOnExit", saveOnExit ? 1 : 0);
      CAlarmApp app(run.environment);
      ASSERT_TRUE(app.InitInstance({QString::fromStdString(path)}));
      SessionEndWatcher watcher(noSystemBus());
      QObject::connect(&watcher, &SessionEndWatcher::sessionEnding, &app, &CAlarmApp::sessionEnding);
      QSignalSpy finished(&app, &CAlarmApp::finished);

      app.settings().app.calendar_in_tray = 0;  // as if switched from the tray menu
      app.document().AddAlarm(reminder("unsaved"));
      ASSERT_EQ(::kill(::getpid(), number), 0);
      ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 5000));
      EXPECT_TRUE(app.exited());
      EXPECT_TRUE(run.errors.entries.empty());
    }
    IniSettingsStore written((home.path() + "/Kalvory.conf").toStdString());
    EXPECT_EQ(written.readInt("AppSettings", "CalendarInTray"), 0);
    CAlarmDoc file;
    EXPECT_TRUE(loadDocumentFile(file, path).ok());
    if (saveOnExit) {
      EXPECT_EQ(reminderTexts(file), (std::vector<std::string>{"saved", "unsaved"}));
      EXPECT_FALSE(copy.exists());
      continue;
    }
    EXPECT_EQ(reminderTexts(file), std::vector<std::string>{"saved"});
    ASSERT_TRUE(copy.exists());
    CAlarmDoc kept;
    ASSERT_TRUE(copy.read(kept).ok());
    EXPECT_EQ(reminderTexts(kept), (std::vector<std::string>{"saved", "unsaved"}));

    // The next start restores the changes into the document they belong to.
    ProgramRun run(home.path(), true);
    CAlarmApp app(run.environment);
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_EQ(run.questions, std::vector<std::string>{"Restore unsaved changes to plans.alr?"});
    EXPECT_EQ(reminderTexts(app.document()), (std::vector<std::string>{"saved", "unsaved"}));
    EXPECT_TRUE(app.document().IsModified());
    EXPECT_EQ(app.documents().path(), path);
  }
}

TEST(SessionEnd, ShutdownAnnouncedByLogindKeepsTheDataAndGoesOn) {
  if (!PrivateSystemBus::toolsPresent()) KALVORY_SKIP_WITHOUT_TOOL("dbus-daemon or /usr/bin/python3 missing");
  PrivateSystemBus system;
  ASSERT_TRUE(system.start()) << system.problem().toStdString();
  QTemporaryDir home;
  ASSERT_TRUE(system.startLogind(home.path() + "/logind-calls.log")) << system.problem().toStdString();
  QDBusConnection bus = QDBusConnection::connectToBus(system.address(), "logind " + system.address());

  ProgramRun run(home.path(), false);
  CAlarmApp app(run.environment);
  ASSERT_TRUE(app.InitInstance({}));
  SessionEndWatcher watcher(bus);
  QObject::connect(&watcher, &SessionEndWatcher::sessionEnding, &app, &CAlarmApp::sessionEnding);
  ASSERT_TRUE(QTest::qWaitFor([&] { return watcher.holdsShutdownDelay(); }, 10000));

  app.settings().app.calendar_in_tray = 0;
  app.document().AddAlarm(reminder("untitled"));
  const QDBusMessage reply =
      bus.call(QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                              "org.freedesktop.DBus.Mock", "EmitSignal")
                   << QStringLiteral("org.freedesktop.login1.Manager") << QStringLiteral("PrepareForShutdown")
                   << QStringLiteral("b") << QVariantList{true},
               QDBus::Block, 5000);
  ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !watcher.holdsShutdownDelay(); }, 10000));

  // Kept, and the program goes on: the shutdown may still be cancelled.
  EXPECT_EQ(IniSettingsStore((home.path() + "/Kalvory.conf").toStdString()).readInt("AppSettings", "CalendarInTray"),
            0);
  const RecoveryCopy copy((home.path() + "/data").toStdString());
  ASSERT_TRUE(copy.exists());
  EXPECT_EQ(copy.originalPath(), "");
  EXPECT_FALSE(app.exited());
  EXPECT_TRUE(app.document().IsModified());
}

// A program started with SIGHUP ignored (nohup) keeps it ignored; the watcher gives every
// signal back as it found it.
TEST(SessionEnd, SignalIgnoredAtStartStaysIgnored) {
  auto handler = [](int number) {
    struct sigaction now {};
    ::sigaction(number, nullptr, &now);
    return now.sa_handler;
  };
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction previous {};
  ASSERT_EQ(::sigaction(SIGHUP, &ignore, &previous), 0);
  const auto terminateBefore = handler(SIGTERM);
  {
    SessionEndWatcher watcher(noSystemBus());
    EXPECT_EQ(handler(SIGHUP), SIG_IGN);
    EXPECT_NE(handler(SIGTERM), terminateBefore);
    EXPECT_NE(handler(SIGINT), SIG_DFL);
  }
  EXPECT_EQ(handler(SIGHUP), SIG_IGN);
  EXPECT_EQ(handler(SIGTERM), terminateBefore);
  ::sigaction(SIGHUP, &previous, nullptr);
}

}  // namespace
}  // namespace kalvory::test
