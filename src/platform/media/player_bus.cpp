#include "platform/media/player_bus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>

#include "core/alarms/action_services.h"
#include "core/alarms/alarm_actions.h"
#include "platform/media/bus_player_backend.h"

namespace kalvory {

QString playerIdentity(const std::string& program) {
  QString name = QString::fromStdString(splitCommandLine(program).file);
  if (name.isEmpty()) return {};
  const qsizetype slash = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
  name = name.mid(slash + 1).toLower();
  if (name.endsWith(QStringLiteral(".exe"))) name.chop(4);
  for (QChar& c : name) {
    const bool allowed = (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-';
    if (!allowed) c = u'_';
  }
  // An element of a bus name must not start with a digit.
  if (!name.isEmpty() && name.front().isDigit()) name.prepend(u'_');
  return name;
}

int playStateFromStatus(const QString& status) {
  if (status.compare(QStringLiteral("playing"), Qt::CaseInsensitive) == 0) return MediaPlayer::kPlaying;
  if (status.compare(QStringLiteral("paused"), Qt::CaseInsensitive) == 0) return MediaPlayer::kPaused;
  return MediaPlayer::kStopped;
}

bool PlayerBus::hasOwner(const QString& service) {
  const QDBusConnectionInterface* bus = connection_.interface();
  if (bus == nullptr) return false;
  const QDBusReply<bool> reply = bus->isServiceRegistered(service);
  return reply.isValid() && reply.value();
}

QStringList PlayerBus::names() {
  const QDBusConnectionInterface* bus = connection_.interface();
  if (bus == nullptr) return {};
  const QDBusReply<QStringList> reply = bus->registeredServiceNames();
  return reply.isValid() ? reply.value() : QStringList();
}

QVariant PlayerBus::call(const QString& service, const QString& path, const QString& interface, const QString& method,
                         const QVariantList& arguments) {
  QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
  message.setArguments(arguments);
  const QDBusMessage reply = connection_.call(message, QDBus::Block, kCallTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage) return {};
  // A method without a result still succeeded: say so with an empty but valid value.
  return reply.arguments().isEmpty() ? QVariant(true) : reply.arguments().first();
}

QVariant PlayerBus::property(const QString& service, const QString& path, const QString& interface,
                             const QString& name) {
  const QVariant value =
      call(service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"), {interface, name});
  return value.canConvert<QDBusVariant>() ? value.value<QDBusVariant>().variant() : QVariant();
}

}  // namespace kalvory
