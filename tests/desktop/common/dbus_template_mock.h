#pragma once

// A python3-dbusmock template (notification_daemon, systemd, ...) on a bus of the test's own,
// started on the address of a PrivateSystemBus. It logs every call it gets into `callLog`.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

#include "platform/private_system_bus.h"

namespace kalvory::test {

class DBusTemplateMock {
 public:
  ~DBusTemplateMock() {
    if (process_.state() != QProcess::NotRunning) {
      process_.terminate();
      if (!process_.waitForFinished(5000)) process_.kill();
    }
  }

  // `busKind` is "--session" or "--system": where the template looks for its bus; both point at
  // `address`. Waits until `serviceName` is owned.
  bool start(const QString& address, const QString& templateName, const QString& busKind, const QString& serviceName,
             const QString& callLog) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), address);
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    process_.setProcessEnvironment(environment);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(QString::fromLatin1(PrivateSystemBus::kPython),
                   {QStringLiteral("-m"), QStringLiteral("dbusmock"), busKind, QStringLiteral("--template"),
                    templateName, QStringLiteral("-l"), callLog});
    if (!process_.waitForStarted(5000)) return false;
    QDBusConnection probe = QDBusConnection::connectToBus(address, QStringLiteral("template probe ") + address);
    QDeadlineTimer deadline(20000);
    while (!(probe.interface() && probe.interface()->isServiceRegistered(serviceName).value())) {
      if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) {
        problem_ = QString::fromUtf8(process_.readAllStandardError());
        return false;
      }
      QThread::msleep(20);
    }
    return true;
  }
  const QString& problem() const { return problem_; }

 private:
  QProcess process_;
  QString problem_;
};

}  // namespace kalvory::test
