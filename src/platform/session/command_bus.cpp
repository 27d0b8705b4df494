#include "platform/session/command_bus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QTimer>

namespace kalvory {

CommandBusServer::CommandBusServer(QStringList names, std::function<void(const QString&)> run, QObject* parent)
    : QObject(parent), names_(std::move(names)), run_(std::move(run)) {}

CommandBusServer::~CommandBusServer() {
  if (!published_) return;
  QDBusConnection bus(connectionName_);
  bus.unregisterObject(QLatin1String(kCommandBusPath));
  bus.unregisterService(QLatin1String(kCommandBusService));
}

bool CommandBusServer::publish(const QDBusConnection& bus, QString* problem) {
  auto fail = [&](QString why) {
    if (problem) *problem = std::move(why);
    return false;
  };
  if (!bus.isConnected()) return fail(QStringLiteral("no session bus"));
  QDBusConnection connection = bus;
  if (!connection.registerObject(QLatin1String(kCommandBusPath), this, QDBusConnection::ExportAllSlots))
    return fail(QStringLiteral("the object path %1 is taken").arg(QLatin1String(kCommandBusPath)));
  if (!connection.registerService(QLatin1String(kCommandBusService))) {
    connection.unregisterObject(QLatin1String(kCommandBusPath));
    return fail(QStringLiteral("another program holds the bus name %1").arg(QLatin1String(kCommandBusService)));
  }
  connectionName_ = connection.name();
  published_ = true;
  return true;
}

void CommandBusServer::Command(const QString& name) {
  if (!names_.contains(name)) {
    sendErrorReply(QLatin1String(kUnknownCommandError),
                   QStringLiteral("unknown command \"%1\"; the commands are: %2").arg(name, names_.join(u' ')));
    return;
  }
  // After the reply has gone out: a command that opens a modal dialog must not hold the caller.
  QTimer::singleShot(0, this, [this, name] { run_(name); });
}

CommandCallOutcome callRunningProgram(const QDBusConnection& bus, const QString& name, int timeoutMilliseconds) {
  CommandCallOutcome outcome;
  if (!bus.isConnected()) {
    outcome.exitCode = 1;
    outcome.error = QStringLiteral("no session bus to reach the running copy: %1").arg(bus.lastError().message());
    return outcome;
  }
  if (!bus.interface()->isServiceRegistered(QLatin1String(kCommandBusService)).value()) {
    outcome.exitCode = 1;
    outcome.error = QStringLiteral("Kalvory is not running in this session; start it first");
    return outcome;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(kCommandBusService), QLatin1String(kCommandBusPath),
                                                     QLatin1String(kCommandBusInterface), QStringLiteral("Command"));
  call << name;
  const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMilliseconds);
  if (reply.type() == QDBusMessage::ErrorMessage) {
    outcome.exitCode = reply.errorName() == QLatin1String(kUnknownCommandError) ? 2 : 1;
    outcome.error = reply.errorMessage();
  }
  return outcome;
}

}  // namespace kalvory
