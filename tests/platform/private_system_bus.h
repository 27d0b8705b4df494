#pragma once

// A system bus of the test's own (dbus-daemon with a "system" configuration), with a stand-in
// logind from python3-dbusmock that writes every call it gets into a log. Nothing here ever
// reaches the machine's own system bus.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

namespace kalvory::test {

class PrivateSystemBus {
 public:
  static constexpr const char* kPython = "/usr/bin/python3";  // Debian's, which sees python3-dbusmock

  ~PrivateSystemBus() {
    stopLogind();
    if (bus_.state() != QProcess::NotRunning) {
      bus_.terminate();
      if (!bus_.waitForFinished(5000)) bus_.kill();
    }
    QDBusConnection::disconnectFromBus(probeName());
  }

  // Why a start failed.
  const QString& problem() const { return problem_; }
  const QString& address() const { return address_; }
  static bool toolsPresent() {
    return !QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty() && QFileInfo::exists(kPython);
  }

  bool start() {
    if (!folder_.isValid()) return fail(QStringLiteral("no temporary folder"));
    const QString config = folder_.filePath(QStringLiteral("system.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) return fail(QStringLiteral("cannot write ") + config);
    file.write(QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
)")
                   .arg(folder_.path())
                   .toUtf8());
    file.close();
    bus_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                                               QStringLiteral("--print-address=1")});
    if (!bus_.waitForStarted(5000)) return fail(QStringLiteral("dbus-daemon did not start"));
    QDeadlineTimer deadline(10000);
    while (!bus_.canReadLine() && !deadline.hasExpired()) bus_.waitForReadyRead(100);
    address_ = QString::fromUtf8(bus_.readLine()).trimmed();
    if (address_.isEmpty()) return fail(QStringLiteral("dbus-daemon gave no address"));
    return true;
  }

  // Starts the stand-in logind and waits until it owns its name.
  bool startLogind(const QString& callLog) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), address_);
    logind_.setProcessEnvironment(environment);
    logind_.setStandardOutputFile(QProcess::nullDevice());
    logind_.setStandardErrorFile(folder_.filePath(QStringLiteral("logind.err")));
    logind_.start(QString::fromLatin1(kPython),
                  {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
                   QStringLiteral("--template"), QStringLiteral("logind"), QStringLiteral("-l"), callLog});
    if (!logind_.waitForStarted(5000)) return fail(QStringLiteral("python3 -m dbusmock did not start"));
    QDeadlineTimer deadline(20000);
    while (!logindRegistered()) {
      if (deadline.hasExpired() || logind_.state() == QProcess::NotRunning) {
        QFile errors(folder_.filePath(QStringLiteral("logind.err")));
        errors.open(QIODevice::ReadOnly);
        return fail(QStringLiteral("the stand-in logind did not appear: ") + QString::fromUtf8(errors.readAll()));
      }
      QThread::msleep(20);
    }
    return true;
  }

  void stopLogind() {
    if (logind_.state() == QProcess::NotRunning) return;
    logind_.terminate();
    if (!logind_.waitForFinished(5000)) logind_.kill();
    logind_.waitForFinished(5000);
    // The name goes with the process; wait until the bus says so.
    QDeadlineTimer deadline(5000);
    while (logindRegistered() && !deadline.hasExpired()) QThread::msleep(20);
  }

  bool logindRegistered() {
    QDBusConnection probe = QDBusConnection::connectToBus(address_, probeName());
    return probe.isConnected() && probe.interface() &&
           probe.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.login1")).value();
  }

 private:
  bool fail(const QString& why) {
    problem_ = why;
    return false;
  }
  QString probeName() const { return QStringLiteral("kalvory-test-probe ") + address_; }

  QTemporaryDir folder_;
  QProcess bus_;
  QProcess logind_;
  QString address_;
  QString problem_;
};

}  // namespace kalvory::test
