#pragma once

// A session bus of the test program's own (dbus-daemon --session), started before anything
// asks for the session bus, so that nothing in the tests can reach the machine's own bus.
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>

namespace kalvory::test {

class PrivateSessionBus {
 public:
  ~PrivateSessionBus() {
    if (daemon_.state() == QProcess::NotRunning) return;
    daemon_.terminate();
    if (!daemon_.waitForFinished(5000)) daemon_.kill();
  }

  // Starts the daemon and points DBUS_SESSION_BUS_ADDRESS at it; an empty result means failure.
  QString start() {
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!daemon_.waitForStarted(5000)) return {};
    QDeadlineTimer deadline(10000);
    while (!daemon_.canReadLine() && !deadline.hasExpired()) daemon_.waitForReadyRead(100);
    const QString address = QString::fromUtf8(daemon_.readLine()).trimmed();
    if (!address.isEmpty()) qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
    return address;
  }

 private:
  QProcess daemon_;
};

}  // namespace kalvory::test
