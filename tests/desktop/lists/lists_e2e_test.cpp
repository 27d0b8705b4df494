// The road of a reminder on a real X display: the program (over a real document file, with a
// clock the test moves) shows the lists window below its main window; reminders are added in
// the editor with the mouse and a few keys, saved, read back, changed, deleted, and fired.
// The test starts its own Xvfb before the application exists.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "desktop/common/frame_fixture.h"
#include "desktop/editors/alarm_dialog.h"
#include "desktop/lists/hover_button.h"
#include "desktop/lists/list_models.h"
#include "desktop/lists/lists_dialog.h"
#include "desktop/lists/lists_feature.h"
#include "support/missing_tool.h"

namespace {

// An X server of the test's own. Xvfb picks a free display and writes its number to the
// descriptor given with -displayfd once it accepts clients; its messages go to a log file.
class XvfbServer {
 public:
  bool start(const std::string& logFile) {
    int channel[2];
    if (pipe(channel) != 0) return false;
    pid_ = fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
      close(channel[0]);
      const int log = open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (log >= 0) dup2(log, STDERR_FILENO);
      const int null = open("/dev/null", O_WRONLY);
      if (null >= 0) dup2(null, STDOUT_FILENO);
      const std::string fd = std::to_string(channel[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(channel[1]);
    std::string number;
    pollfd wait{channel[0], POLLIN, 0};
    while (poll(&wait, 1, 15000) > 0) {
      char c = 0;
      if (read(channel[0], &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    close(channel[0]);
    if (number.empty()) return false;
    display_ = ":" + number;
    return true;
  }
  ~XvfbServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

bool gHaveDisplay = false;

}  // namespace

namespace kalvory::test {
namespace {

// Runs `fill` on the reminder editor once it is open, then presses its OK button.
void whenEditorOpens(std::function<void(CAlarmDlg&)> fill) {
  QTimer::singleShot(0, [fill = std::move(fill)] {
    CAlarmDlg* dialog = nullptr;
    (void)QTest::qWaitFor(
        [&] {
          dialog = qobject_cast<CAlarmDlg*>(QApplication::activeModalWidget());
          return dialog && dialog->isVisible();
        },
        5000);
    if (!dialog) {
      ADD_FAILURE() << "the reminder editor did not open";
      return;
    }
    fill(*dialog);
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    if (dialog->isVisible()) {
      ADD_FAILURE() << "the editor refused OK";
      dialog->reject();
    }
  });
}

void typeNumber(QSpinBox* field, int value) {
  field->selectAll();
  QTest::keyClicks(field, QString::number(value));
}

// A check box is clicked on its box, where a user aims.
void clickBox(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }

QStringList rows(QTableView* list, int column) {
  QStringList texts;
  for (int row = 0; row < list->model()->rowCount(); ++row)
    texts << list->model()->index(row, column).data().toString();
  return texts;
}

TEST(ReminderRoad, AddSaveReopenChangeDeleteAndFire) {
  if (!gHaveDisplay) KALVORY_SKIP_WITHOUT_TOOL("no X server");
  QTemporaryDir folder;
  FrameFixture fixture;  // now: Thursday 7 May 2026, 09:30:00
  DesktopProgram& program = *fixture.program;
  program.activate();
  fixture.frame->showFromTray();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(fixture.frame));

  // "Reminders" shows the lists window docked below the main window.
  program.actions().runCommand(ID_REMINDERS);
  CListsDlg* lists = program.lists().window();
  ASSERT_NE(lists, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(lists));
  const QRect frame = fixture.frame->frameGeometry();
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return lists->frameGeometry().topLeft() == QPoint(frame.x(), frame.y() + frame.height()); }, 5000));
  EXPECT_EQ(lists->width(), frame.width());
  QTableView* reminders = lists->reminderList();

  const auto clickAdd = [&] {
    QTest::mouseClick(lists->addButton(), Qt::LeftButton, {}, lists->addButton()->rect().center());
  };

  // A reminder for 10:00 today.
  whenEditorOpens([](CAlarmDlg& editor) {
    QTest::keyClicks(editor.messageEdit(), "Water the plants");
    typeNumber(editor.hoursEdit(), 10);
    typeNumber(editor.minutesEdit(), 0);
  });
  clickAdd();
  // A daily one on the working days at 09:45.
  whenEditorOpens([](CAlarmDlg& editor) {
    QTest::keyClicks(editor.messageEdit(), "Stand-up");
    clickBox(editor.dailyBox());
    QTest::mouseClick(editor.weekdayButton(0), Qt::LeftButton);  // Sunday off
    QTest::mouseClick(editor.weekdayButton(6), Qt::LeftButton);  // Saturday off
    typeNumber(editor.hoursEdit(), 9);
    typeNumber(editor.minutesEdit(), 45);
  });
  clickAdd();
  // A ten-minute timer.
  whenEditorOpens([](CAlarmDlg& editor) {
    QTest::keyClicks(editor.messageEdit(), "Tea is ready");
    clickBox(editor.timerBox());
    typeNumber(editor.hoursEdit(), 0);
    typeNumber(editor.minutesEdit(), 10);
  });
  clickAdd();
  EXPECT_EQ(rows(reminders, 1), (QStringList{"Water the plants", "Stand-up", "Tea is ready"}));
  EXPECT_EQ(rows(reminders, 2), (QStringList{"05/07/2026 10:00", "Daily: 09:45", "Timer: 0:10"}));
  EXPECT_EQ(fixture.document.GetAlarmAt(1)->week_days, 0b0111110);

  // Saved, a new document, and the file opened again.
  const QString path = folder.filePath("road.alr");
  fixture.savePath = path.toStdString();
  program.actions().runCommand(ID_FILE_SAVE);
  ASSERT_TRUE(QFile::exists(path));
  program.actions().runCommand(ID_FILE_NEW);
  EXPECT_EQ(reminders->model()->rowCount(), 0);
  fixture.openPath = path.toStdString();
  program.actions().runCommand(ID_FILE_OPEN);
  EXPECT_EQ(rows(reminders, 1), (QStringList{"Water the plants", "Stand-up", "Tea is ready"}));

  // Changed with a double click on its row.
  const QPoint first = reminders->visualRect(reminders->model()->index(0, 1)).center();
  QTest::mouseClick(reminders->viewport(), Qt::LeftButton, {}, first);
  whenEditorOpens([](CAlarmDlg& editor) {
    editor.messageEdit()->selectAll();
    QTest::keyClicks(editor.messageEdit(), "Water the garden");
  });
  QTest::mouseDClick(reminders->viewport(), Qt::LeftButton, {}, first);
  EXPECT_EQ(rows(reminders, 1).value(0), "Water the garden");

  // Fired by the clock: the timer at 09:40, the daily one at 09:45, the garden at 10:00.
  OnScreenDisplay& screen = program.onScreen();
  fixture.now = COleDateTime(2026, 5, 7, 9, 40, 0);
  program.alarms().tick();
  EXPECT_TRUE(screen.AlarmTextWindowExists());
  EXPECT_EQ(screen.GetAlarmText(), "Tea is ready");
  fixture.now = COleDateTime(2026, 5, 7, 9, 45, 0);
  program.alarms().tick();
  EXPECT_EQ(screen.GetAlarmText(), "Stand-up");
  EXPECT_EQ(reminders->model()->index(2, 0).data(ReminderStateRole).toInt(), 2);  // the timer's showing ended
  fixture.now = COleDateTime(2026, 5, 7, 10, 0, 0);
  program.alarms().tick();
  EXPECT_EQ(screen.GetAlarmText(), "Water the garden");

  // Deleted: the row selected with the mouse, then the delete button.
  const QPoint timerRow = reminders->visualRect(reminders->model()->index(2, 1)).center();
  QTest::mouseClick(reminders->viewport(), Qt::LeftButton, {}, timerRow);
  QTest::mouseClick(lists->deleteButton(), Qt::LeftButton, {}, lists->deleteButton()->rect().center());
  EXPECT_EQ(rows(reminders, 1), (QStringList{"Water the garden", "Stand-up"}));
  EXPECT_TRUE(fixture.document.IsModified());

  // The close triangle hides the window again.
  QTest::mouseClick(lists->closeButton(), Qt::LeftButton, {}, QPoint(20, 20));
  EXPECT_FALSE(lists->isVisible());
  fixture.answer = SaveChangesAnswer::No;
}

}  // namespace
}  // namespace kalvory::test

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\nleak:libQt6\nleak:libdbus\nleak:libglib\nleak:libX11\nleak:libxcb\n";
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();  // test discovery needs no display

  static QTemporaryDir home;
  const std::string base = home.path().toStdString();
  const std::string log = base + "/xvfb.log";
  XvfbServer xvfb;
  gHaveDisplay = xvfb.start(log);
  if (!gHaveDisplay) {
    std::fprintf(stderr, "Xvfb did not start; its messages are in %s\n", log.c_str());
    QFile messages(QString::fromStdString(log));
    if (messages.open(QIODevice::ReadOnly)) std::fprintf(stderr, "%s\n", messages.readAll().constData());
    return RUN_ALL_TESTS();  // the test skips
  }
  QDir(home.path()).mkpath("run");
  QFile::setPermissions(home.path() + "/run", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  setenv("DISPLAY", xvfb.display().c_str(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  unsetenv("WAYLAND_DISPLAY");
  setenv("HOME", base.c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (base + "/run").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (base + "/config").c_str(), 1);
  setenv("XDG_DATA_HOME", (base + "/data").c_str(), 1);
  setenv("KALVORY_HOME", (base + "/kalvory").c_str(), 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/kalvory-test-bus", 1);
  QApplication app(argc, argv);
  Q_INIT_RESOURCE(kalvory_icons);
  QApplication::setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
