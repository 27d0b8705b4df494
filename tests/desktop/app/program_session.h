#pragma once

// A desktop of the test's own for running the program itself: a private X server, a private
// session bus that starts no service of the machine's own (each test decides what is there), and
// a home with its own configuration, data and runtime folders.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

#include "private_x_server.h"
#include "support/missing_tool.h"

namespace kalvory::test {

inline bool haveTool(const char* program) {
  return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty();
}

class ProgramSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!haveTool("Xvfb") || !haveTool("xdotool") || !haveTool("dbus-daemon"))
      KALVORY_SKIP_WITHOUT_TOOL("Xvfb, xdotool or dbus-daemon missing");
    ASSERT_TRUE(home_.isValid());
    QDir(home_.path()).mkpath("run");
    QFile::setPermissions(home_.path() + "/run",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_TRUE(x_.start()) << x_.problem().toStdString();

    const QString busConfig = home_.path() + "/session-bus.conf";
    {
      QFile config(busConfig);
      ASSERT_TRUE(config.open(QIODevice::WriteOnly));
      config.write(
          "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
          " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
          "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>"
          "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
          "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
    }
    bus_.start("dbus-daemon", {"--config-file=" + busConfig, "--nofork", "--print-address=1"});
    ASSERT_TRUE(bus_.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return bus_.canReadLine(); }, 10000));
    busAddress_ = QString::fromUtf8(bus_.readLine()).trimmed();

    environment_ = QProcessEnvironment::systemEnvironment();
    environment_.insert("DISPLAY", x_.display());
    environment_.insert("DBUS_SESSION_BUS_ADDRESS", busAddress_);
    environment_.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/kalvory-test-system-bus");
    environment_.insert("HOME", home_.path());
    environment_.insert("XDG_RUNTIME_DIR", home_.path() + "/run");
    environment_.insert("XDG_CONFIG_HOME", home_.path() + "/config");
    environment_.insert("XDG_DATA_HOME", home_.path() + "/data");
    environment_.insert("KALVORY_HOME", home_.path() + "/kalvory");
    environment_.remove("WAYLAND_DISPLAY");
    environment_.insert("QT_QPA_PLATFORM", "xcb");
    // The program's exit code is checked; leaks of the libraries below Qt must not change it.
    environment_.insert("ASAN_OPTIONS", "detect_leaks=0");
  }

  void TearDown() override {
    for (auto& process : processes_) stop(*process);
    stop(bus_);
    // The server outlives every client; one that died under them explains their failures.
    if (!x_.display().isEmpty()) {
      EXPECT_TRUE(x_.alive()) << "the X server went away during the test";
    }
  }

  static void stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
      process.kill();
      process.waitForFinished(3000);
    }
  }

  // Starts a program on this desktop (the session's environment unless another is given); it is
  // stopped when the test ends.
  QProcess& launch(const QString& program, const QStringList& arguments = {},
                   const QProcessEnvironment& environment = {}, const QString& workingDirectory = {}) {
    processes_.push_back(std::make_unique<QProcess>());
    QProcess& process = *processes_.back();
    process.setProcessEnvironment(environment.isEmpty() ? environment_ : environment);
    if (!workingDirectory.isEmpty()) process.setWorkingDirectory(workingDirectory);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForStarted());
    return process;
  }

  void writeSettings(const QByteArray& text) {
    QDir().mkpath(home_.path() + "/config/Kalvory");
    QFile file(home_.path() + "/config/Kalvory/Kalvory.conf");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
  }
  QByteArray settingsText() const {
    QFile file(home_.path() + "/config/Kalvory/Kalvory.conf");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir home_;
  PrivateXServer x_;
  QProcess bus_;
  QString busAddress_;
  QProcessEnvironment environment_;
  std::vector<std::unique_ptr<QProcess>> processes_;
};

}  // namespace kalvory::test
