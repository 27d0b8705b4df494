#include "platform/dbus/logind_power_manager.h"

#include <QDBusError>
#include <QDBusMessage>
#include <utility>

Q_LOGGING_CATEGORY(lcPower, "kalvory.power", QtInfoMsg)

namespace kalvory {

LogindPowerManager::LogindPowerManager() = default;

LogindPowerManager::LogindPowerManager(QDBusConnection connection) : connection_(std::move(connection)) {}

bool LogindPowerManager::powerOff() { return request(QStringLiteral("PowerOff")); }

bool LogindPowerManager::reboot() { return request(QStringLiteral("Reboot")); }

bool LogindPowerManager::suspend() { return request(QStringLiteral("Suspend")); }

bool LogindPowerManager::request(const QString& method) {
  lastError_.clear();
  if (!connection_) connection_ = QDBusConnection::systemBus();
  if (!connection_->isConnected()) {
    lastError_ = QStringLiteral("no system bus: ") + connection_->lastError().message();
    qCDebug(lcPower) << method << "not sent:" << lastError_;
    return false;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1"),
                                                     QStringLiteral("/org/freedesktop/login1"),
                                                     QStringLiteral("org.freedesktop.login1.Manager"), method);
  // Never interactive: nobody may be there to answer a password prompt when an alarm closes the program.
  call << false;
  const QDBusMessage reply = connection_->call(call, QDBus::Block, kReplyTimeoutMs);
  if (reply.type() == QDBusMessage::ErrorMessage) {
    lastError_ = reply.errorName() + QStringLiteral(": ") + reply.errorMessage();
    qCDebug(lcPower) << method << "refused:" << lastError_;
    return false;
  }
  if (reply.type() != QDBusMessage::ReplyMessage) {
    lastError_ = QStringLiteral("no answer from logind");
    qCDebug(lcPower) << method << lastError_;
    return false;
  }
  qCDebug(lcPower) << method << "requested";
  return true;
}

}  // namespace kalvory
