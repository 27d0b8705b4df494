// The program itself under a private X server with a stand-in logind on a private system bus:
// a reminder's "Sleep" exit action suspends and the program goes on (its wallpaper picture
// reaching the root window), then a "Restart" one closes the program and restarts the computer.
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

CAlarmLine reminderAt(const QDateTime& at, const char* text, int exitAction) {
  const COleDateTime time(at.date().year(), at.date().month(), at.date().day(), at.time().hour(), at.time().minute(),
                          at.time().second());
  CAlarmLine line(time);
  line.text = text;
  line.show_seconds = 1;
  line.exit_action = exitAction;
  return line;
}

TEST(ProgramPower, ExitActionsReachLogind) {
  if (!have("Xvfb") || !have("xprop") || !test::PrivateSystemBus::toolsPresent())
    GTEST_SKIP() << "Xvfb, xprop, dbus-daemon or /usr/bin/python3 missing";
  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  QDir(home.path()).mkpath("run");
  QFile::setPermissions(home.path() + "/run", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

  // Xvfb picks a free display itself, so that tests running side by side never race for one.
  QProcess xvfb;
  xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"});
  ASSERT_TRUE(xvfb.waitForStarted());
  ASSERT_TRUE(QTest::qWaitFor([&] { return xvfb.canReadLine(); }, 10000));
  bool numbered = false;
  const int display = xvfb.readLine().trimmed().toInt(&numbered);
  ASSERT_TRUE(numbered);

  test::PrivateSystemBus system;
  ASSERT_TRUE(system.start()) << system.problem().toStdString();
  const QString calls = home.path() + "/calls.log";
  ASSERT_TRUE(system.startLogind(calls)) << system.problem().toStdString();

  // A sleep reminder with a picture three seconds from now, a restart reminder three later.
  QImage picture(80, 60, QImage::Format_RGB32);
  picture.fill(QColor(200, 40, 40));
  const QString picturePath = home.path() + "/picture.bmp";
  ASSERT_TRUE(picture.save(picturePath, "BMP"));
  const QDateTime start = QDateTime::currentDateTime();
  CAlarmDoc document;
  CAlarmLine nap = reminderAt(start.addSecs(3), "Nap", 2);
  nap.wallpaper = picturePath.toStdString();
  document.AddAlarm(nap);
  document.AddAlarm(reminderAt(start.addSecs(6), "Restart", 3));
  const QString documentPath = home.path() + "/power.alr";
  saveDocumentFile(document, documentPath.toStdString());

  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("DISPLAY", QStringLiteral(":%1").arg(display));
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
  QProcess program;
  program.setProcessEnvironment(environment);
  program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  program.start(KALVORY_BINARY, {documentPath});
  ASSERT_TRUE(program.waitForStarted());

  EXPECT_TRUE(QTest::qWaitFor([&] { return readAll(calls).contains("Suspend False"); }, 15000))
      << readAll(calls).toStdString();
  EXPECT_EQ(program.state(), QProcess::Running);
  QProcess xprop;
  xprop.setProcessEnvironment(environment);
  xprop.start("xprop", {"-root", "_XROOTPMAP_ID"});
  ASSERT_TRUE(xprop.waitForFinished(10000));
  EXPECT_TRUE(xprop.readAllStandardOutput().contains("pixmap id #"));

  EXPECT_TRUE(program.waitForFinished(15000));
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);
  // The program's shutdown delay lock is not a power request.
  QStringList logged = readAll(calls).split('\n', Qt::SkipEmptyParts);
  logged.removeIf([](const QString& line) { return line.contains(" Inhibit "); });
  ASSERT_EQ(logged.size(), 2) << readAll(calls).toStdString();
  EXPECT_TRUE(logged[0].endsWith("Suspend False"));
  EXPECT_TRUE(logged[1].endsWith("Reboot False"));

  stop(program);
  stop(xvfb);
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
