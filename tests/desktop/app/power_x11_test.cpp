// The program itself under a private X server with a stand-in logind on a private system bus:
// a reminder's "Sleep" exit action suspends and the program goes on (its wallpaper picture
// reaching the root window); in a second run a "Restart" one closes the program and restarts
// the computer.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "core/model/alarm_doc.h"
#include "core/model/alarm_line.h"
#include "core/model/document_file.h"
#include "platform/private_system_bus.h"
#include "private_x_server.h"
#include "support/missing_tool.h"

namespace kalvory {
namespace {

bool have(const char* program) { return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty(); }

void stop(QProcess& process) {
  if (process.state() == QProcess::NotRunning) return;
  process.terminate();
  if (!process.waitForFinished(3000)) {
    process.kill();
    process.waitForFinished(3000);
  }
}

QString readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A reminder due from now on for ten minutes: it fires at the program's first check however
// long the program takes to start, and with "ShowTime" at 1 its showing ends (and its exit
// action runs) at once.
CAlarmLine reminderFromNow(const char* text, int exitAction) {
  const QDateTime at = QDateTime::currentDateTime();
  const COleDateTime time(at.date().year(), at.date().month(), at.date().day(), at.time().hour(), at.time().minute(),
                          at.time().second());
  CAlarmLine line(time);
  line.text = text;
  line.show_seconds = 600;
  line.exit_action = exitAction;
  return line;
}

TEST(ProgramPower, ExitActionsReachLogind) {
  if (!have("Xvfb") || !have("xprop") || !test::PrivateSystemBus::toolsPresent())
    KALVORY_SKIP_WITHOUT_TOOL("Xvfb, xprop, dbus-daemon or /usr/bin/python3 missing");
  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  QDir(home.path()).mkpath("run");
  QFile::setPermissions(home.path() + "/run", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  QDir(home.path()).mkpath("config/Kalvory");
  {
    QFile settings(home.path() + "/config/Kalvory/Kalvory.conf");
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[TextSettings]\nShowTime=1\n");
  }

  test::PrivateXServer x(QStringLiteral("800x600x24"));
  ASSERT_TRUE(x.start()) << x.problem().toStdString();
  test::PrivateSystemBus system;
  ASSERT_TRUE(system.start()) << system.problem().toStdString();
  const QString calls = home.path() + "/calls.log";
  ASSERT_TRUE(system.startLogind(calls)) << system.problem().toStdString();

  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("DISPLAY", x.display());
  environment.insert("DBUS_SYSTEM_BUS_ADDRESS", system.address());
  environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/kalvory-test-session-bus");
  environment.insert("HOME", home.path());
  environment.insert("XDG_RUNTIME_DIR", home.path() + "/run");
  environment.insert("XDG_CONFIG_HOME", home.path() + "/config");
  environment.insert("XDG_DATA_HOME", home.path() + "/data");
  environment.insert("KALVORY_HOME", home.path() + "/kalvory");
  environment.remove("WAYLAND_DISPLAY");
  environment.remove("XDG_CURRENT_DESKTOP");  // a plain X session: the root window gets the picture
  environment.insert("QT_QPA_PLATFORM", "xcb");
  environment.insert("ASAN_OPTIONS", "detect_leaks=0");
  auto start = [&](QProcess& program, const QStringList& arguments) {
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(KALVORY_BINARY, arguments);
    return program.waitForStarted();
  };
  auto documentWith = [&](const CAlarmLine& reminder, const char* name) {
    CAlarmDoc document;
    document.AddAlarm(reminder);
    const QString path = home.path() + "/" + name;
    EXPECT_TRUE(saveDocumentFile(document, path.toStdString()).ok());
    return path;
  };

  // 1. A sleep reminder with a picture: the computer suspends, the picture is on the root window.
  QImage picture(80, 60, QImage::Format_RGB32);
  picture.fill(QColor(200, 40, 40));
  const QString picturePath = home.path() + "/picture.bmp";
  ASSERT_TRUE(picture.save(picturePath, "BMP"));
  CAlarmLine nap = reminderFromNow("Nap", 2);
  nap.wallpaper = picturePath.toStdString();
  QProcess program;
  ASSERT_TRUE(start(program, {documentWith(nap, "nap.alr")}));
  ASSERT_TRUE(QTest::qWaitFor([&] { return readAll(calls).contains("Suspend False"); }, 30000))
      << readAll(calls).toStdString();
  // The picture is composed and set on the program's wallpaper thread: wait for the property.
  auto rootHasPixmap = [&] {
    QProcess xprop;
    xprop.setProcessEnvironment(environment);
    xprop.start("xprop", {"-root", "_XROOTPMAP_ID"});
    return xprop.waitForFinished(10000) && xprop.readAllStandardOutput().contains("pixmap id #");
  };
  EXPECT_TRUE(QTest::qWaitFor(rootHasPixmap, 15000));

  // The program goes on: a second copy finds it holding the lock, asks it to show itself and
  // ends (a second copy that found no running one would become the running copy and stay).
  QProcess second;
  ASSERT_TRUE(start(second, {}));
  EXPECT_TRUE(second.waitForFinished(15000));
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(program.state(), QProcess::Running);
  stop(second);
  stop(program);

  // 2. A restart reminder closes the program, which then asks for the restart.
  QProcess restarting;
  ASSERT_TRUE(start(restarting, {documentWith(reminderFromNow("Restart", 3), "restart.alr")}));
  EXPECT_TRUE(restarting.waitForFinished(30000));
  EXPECT_EQ(restarting.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(restarting.exitCode(), 0);
  // The program's shutdown delay lock is not a power request.
  QStringList logged = readAll(calls).split('\n', Qt::SkipEmptyParts);
  logged.removeIf([](const QString& line) { return line.contains(" Inhibit "); });
  ASSERT_EQ(logged.size(), 2) << readAll(calls).toStdString();
  EXPECT_TRUE(logged[0].endsWith("Suspend False"));
  EXPECT_TRUE(logged[1].endsWith("Reboot False"));
  stop(restarting);
}

}  // namespace
}  // namespace kalvory

int main(int argc, char** argv) {
  // This process itself never uses a bus; the program gets the private ones.
  qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/kalvory-test-system-bus");
  qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/kalvory-test-session-bus");
  QCoreApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
