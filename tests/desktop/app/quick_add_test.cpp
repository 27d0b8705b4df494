// "kalvory --add": the reminder reaches the running copy's document over the single-instance
// socket, or the document a starting copy opens.
#include <gtest/gtest.h>

#include <QDir>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <thread>

#include "core/model/document_file.h"
#include "core/settings/settings_store.h"
#include "core/wallpaper/desktop_wallpaper.h"
#include "desktop/alarms/alarm_controller.h"
#include "desktop/app/alarm_app.h"
#include "desktop/app/desktop_program.h"
#include "desktop/app/quick_add_handler.h"
#include "desktop/common/qt_text.h"
#include "desktop/lists/lists_dialog.h"
#include "desktop/lists/lists_feature.h"
#include "desktop/shell/main_frame.h"
#include "desktop/view/alarm_view.h"
#include "platform/instance/single_instance.h"
#include "platform/x11/hotkey_service.h"

namespace kalvory::test {
namespace {

const COleDateTime kNow(2026, 5, 13, 14, 20, 30);  // a Wednesday

std::size_t remindersInFile(const QString& path) {
  CAlarmDoc doc;
  EXPECT_TRUE(loadDocumentFile(doc, toStdString(path)).ok());
  return doc.alarmCount();
}

// Sends a request from another thread, as a second process would, while this thread keeps
// answering on the socket.
std::optional<QByteArray> askRunningCopy(const QString& socketPath, const QByteArray& request) {
  std::optional<QByteArray> answer;
  std::atomic<bool> done = false;
  std::thread asker([&] {
    answer = SingleInstance::exchange(socketPath, request, 5000);
    done = true;
  });
  EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 6000));
  asker.join();
  return answer;
}

TEST(QuickAdd, CommandLineOptionsAreTakenOutAndCheckedBeforeStart) {
  QStringList arguments{"notes.alr", "--add", "Tea", "--timer", "5"};
  auto taken = QuickAddHandler::takeArguments(arguments, kNow);
  ASSERT_TRUE(taken.ok()) << taken.error();
  ASSERT_TRUE(taken.value().has_value());
  EXPECT_EQ(taken.value()->text, "Tea");
  EXPECT_EQ(taken.value()->timerMinutes, 5);
  EXPECT_EQ(arguments, QStringList{"notes.alr"});

  QStringList none{"notes.alr"};
  ASSERT_TRUE(QuickAddHandler::takeArguments(none, kNow).ok());
  EXPECT_FALSE(QuickAddHandler::takeArguments(none, kNow).value().has_value());

  for (QStringList wrong : {QStringList{"--at", "9:00"}, QStringList{"--add"},
                            QStringList{"--add", "x", "--at", "soon"}, QStringList{"--add", "x", "--timer", "five"}}) {
    const QStringList before = wrong;
    EXPECT_FALSE(QuickAddHandler::takeArguments(wrong, kNow).ok()) << toStdString(before.join(' '));
    EXPECT_EQ(wrong, before);
  }
}

TEST(QuickAdd, StartingCopyAndRunningCopyBothAddToTheOpenDocument) {
  QTemporaryDir folder;
  const QString path = folder.path() + "/notes.alr";
  CAlarmDoc empty;
  EXPECT_TRUE(saveDocumentFile(empty, toStdString(path)).ok());

  MemorySettingsStore store;
  FakeHotkeyService hotkeys;
  RecordingErrorReporter errors;
  RecordingDesktopWallpaper wallpaper;
  CAlarmApp::Environment environment;
  environment.store = &store;
  environment.hotkeys = &hotkeys;
  environment.errors = &errors;
  environment.wallpaper = &wallpaper;
  environment.instanceName = QStringLiteral("quick-add-test");
  environment.instanceDirectory = folder.path();
  environment.dataFolder = folder.path() + "/data";
  environment.clock = [] { return kNow; };
  environment.prompts.saveChanges = [](const std::string&) { return SaveChangesAnswer::No; };
  environment.quickAdd = QuickAddRequest{"Tea", "in 10 min", false, "", std::nullopt};

  CAlarmApp app(environment);
  ASSERT_TRUE(app.InitInstance({path}));
  EXPECT_TRUE(errors.entries.empty());
  // "SaveDocumentOnExit" is on by default: the quick add is in the file at once.
  ASSERT_EQ(app.document().alarmCount(), 1u);
  EXPECT_EQ(formatLocalTime(app.document().GetAlarmAt(0)->time), "2026-05-13 14:30:30");
  EXPECT_EQ(remindersInFile(path), 1u);
  EXPECT_FALSE(app.document().IsModified());

  const QString socket = QDir(folder.path()).filePath(environment.instanceName);
  auto answer = askRunningCopy(
      socket, QuickAddHandler::requestLine({"Спортзал", "п'ятниця 18:30", false, "mon,fri", std::nullopt}));
  ASSERT_TRUE(answer.has_value());
  Result<std::string> added = QuickAddHandler::parseAnswer(*answer);
  ASSERT_TRUE(added.ok()) << added.error();
  EXPECT_EQ(added.value(), "Daily: 18:30");
  ASSERT_EQ(app.document().alarmCount(), 2u);
  EXPECT_EQ(app.document().GetAlarmAt(1)->text, "Спортзал");
  EXPECT_EQ(app.document().GetAlarmAt(1)->week_days, 2 | 32);
  EXPECT_EQ(remindersInFile(path), 2u);

  // A time that does not read is answered with the accepted forms; nothing is added.
  answer = askRunningCopy(socket, QuickAddHandler::requestLine({"x", "someday", false, "", std::nullopt}));
  ASSERT_TRUE(answer.has_value());
  added = QuickAddHandler::parseAnswer(*answer);
  ASSERT_FALSE(added.ok());
  EXPECT_NE(added.error().find("\"in 10 min\""), std::string::npos) << added.error();
  answer = askRunningCopy(socket, "add !!notbase64!!\n");
  ASSERT_TRUE(answer.has_value());
  EXPECT_FALSE(QuickAddHandler::parseAnswer(*answer).ok());
  EXPECT_EQ(app.document().alarmCount(), 2u);

  // Without "SaveDocumentOnExit" the addition waits in the document, marked modified.
  app.settings().app.save_document_on_exit = 0;
  answer = askRunningCopy(socket, QuickAddHandler::requestLine({"Later", "", false, "", 90}));
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(QuickAddHandler::parseAnswer(*answer).value(), "Timer:  1:30");
  EXPECT_EQ(app.document().alarmCount(), 3u);
  EXPECT_TRUE(app.document().IsModified());
  EXPECT_EQ(remindersInFile(path), 2u);
  EXPECT_TRUE(app.exitCommand());
}

QStringList listedReminders(DesktopProgram& program) {
  QStringList texts;
  QAbstractItemModel* model = program.lists().window()->reminderList()->model();
  for (int row = 0; row < model->rowCount(); ++row) texts << model->index(row, 1).data().toString();
  return texts;
}

// Every change of the document reaches every window at once: the lists window that is open, the
// view's next-reminder line and the main window's title, whoever made the change.
TEST(QuickAdd, EveryWindowFollowsTheDocumentWhoeverChangesIt) {
  QTemporaryDir folder;
  const QString path = folder.path() + "/sample.alr";
  const QString other = folder.path() + "/other.alr";
  {
    CAlarmDoc first;
    CAlarmLine walk(COleDateTime(2026, 5, 13, 18, 0, 0));
    walk.text = "Walk";
    first.AddAlarm(walk);
    EXPECT_TRUE(saveDocumentFile(first, toStdString(path)).ok());
    CAlarmDoc second;
    CAlarmLine timer(COleDateTime(2026, 5, 13, 14, 20, 0), 600);
    timer.text = "Tea timer";
    timer.timer_mode = 1;
    timer.state = ReminderState::TurnedOff;  // it rang, and was turned off, before it was saved
    second.AddAlarm(timer);
    EXPECT_TRUE(saveDocumentFile(second, toStdString(other)).ok());
  }

  MemorySettingsStore store;
  FakeHotkeyService hotkeys;
  RecordingErrorReporter errors;
  RecordingDesktopWallpaper wallpaper;
  COleDateTime now = kNow;
  CAlarmApp::Environment environment;
  environment.store = &store;
  environment.hotkeys = &hotkeys;
  environment.errors = &errors;
  environment.wallpaper = &wallpaper;
  environment.instanceName = QStringLiteral("quick-add-windows");
  environment.instanceDirectory = folder.path();
  environment.dataFolder = folder.path() + "/data";
  environment.clock = [&now] { return now; };
  environment.prompts.saveChanges = [](const std::string&) { return SaveChangesAnswer::No; };

  CAlarmApp app(environment);
  ASSERT_TRUE(app.InitInstance({path}));
  app.settings().app.save_document_on_exit = 0;
  DesktopProgram& program = *app.program();
  program.lists().show();
  ASSERT_EQ(listedReminders(program), QStringList{"Walk"});
  EXPECT_EQ(app.frame()->windowTitle(), QString::fromUtf8("sample.alr \u2014 Kalvory"));

  // A quick add from another copy: listed in the open window, announced, and the title marked.
  const QString socket = QDir(folder.path()).filePath(environment.instanceName);
  const auto answer =
      askRunningCopy(socket, QuickAddHandler::requestLine({"Tea", "in 5 min", false, "", std::nullopt}));
  ASSERT_TRUE(answer.has_value());
  ASSERT_TRUE(QuickAddHandler::parseAnswer(*answer).ok());
  EXPECT_EQ(listedReminders(program), (QStringList{"Walk", "Tea"}));
  EXPECT_EQ(program.view().nextReminderText(), QStringLiteral("14:25: Tea"));
  EXPECT_EQ(app.frame()->windowTitle(), QString::fromUtf8("sample.alr* \u2014 Kalvory"));
  // Closed and opened again, the window still lists it.
  program.lists().hide();
  program.lists().show();
  EXPECT_EQ(listedReminders(program), (QStringList{"Walk", "Tea"}));

  // It rings and is turned off: the line names the next reminder at once, not a minute later.
  now = COleDateTime(2026, 5, 13, 14, 25, 30);
  program.alarms().tick();
  EXPECT_TRUE(program.alarms().isRinging());
  program.alarms().turnOff();
  EXPECT_EQ(program.view().nextReminderText(), QStringLiteral("18:00: Walk"));

  // Another document: the lists, the line and the title follow it, and its timer that was
  // turned off is not announced.
  ASSERT_TRUE(app.documents().openDocument(toStdString(other)));
  EXPECT_EQ(listedReminders(program), QStringList{"Tea timer"});
  EXPECT_EQ(program.view().nextReminderText(), QString());
  EXPECT_EQ(app.frame()->windowTitle(), QString::fromUtf8("other.alr \u2014 Kalvory"));
  EXPECT_EQ(app.documents().openFolder(), toStdString(folder.path()));
  EXPECT_TRUE(app.exitCommand());
}

}  // namespace
}  // namespace kalvory::test
