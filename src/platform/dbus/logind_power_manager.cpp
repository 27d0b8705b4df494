#include "platform/dbus/logind_power_manager.h"

#include <QDBusError>
#include <QDBusMessage>
#include <utility>

Q_LOGGING_CATEGORY(lcPower, "kalvory.power", QtInfoMsg)

namespace kalvory {

LogindPowerManager::LogindPowerManager() = default;

LogindPowerManager::LogindPowerManager(QDBusConnection connection) : connection_(std::move(connection)) {}

Result<void> LogindPowerManager::powerOff() { return request(QStringLiteral("PowerOff")); }

Result<void> LogindPowerManager::reboot() { return request(QStringLiteral("Reboot")); }

Result<void> LogindPowerManager::suspend() { return request(QStringLiteral("Suspend")); }

Result<void> LogindPowerManager::request(const QString& method) {
  if (!connection_) connection_ = QDBusConnection::systemBus();
  if (!connection_->isConnected()) {
    const QString why = QStringLiteral("no system bus: ") + connection_->lastError().message();
    qCDebug(lcPower) << method << "not sent:" << why;
    return Failure{why.toStdString()};
  }
  QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1"),
                                                     QStringLiteral("/org/freedesktop/login1"),
                                                     QStringLiteral("org.freedesktop.login1.Manager"), method);
  // Never interactive: nobody may be there to answer a password prompt when an alarm closes the program.
  call << false;
  const QDBusMessage reply = connection_->call(call, QDBus::Block, kReplyTimeoutMs);
  if (reply.type() == QDBusMessage::ErrorMessage) {
    const QString why = reply.errorName() + QStringLiteral(": ") + reply.errorMessage();
    qCDebug(lcPower) << method << "refused:" << why;
    return Failure{why.toStdString()};
  }
  if (reply.type() != QDBusMessage::ReplyMessage) {
    const QString why = QStringLiteral("no answer from logind");
    qCDebug(lcPower) << method << why;
    return Failure{why.toStdString()};
  }
  qCDebug(lcPower) << method << "requested";
  return {};
}

}  // namespace kalvory
