#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <vector>

#include "desktop/wake/systemd_types.h"

namespace kalvory::test {

// A stand-in systemd user manager: answers StartTransientUnit and StopUnit and keeps what it got.
class FakeSystemdManager final : public QDBusVirtualObject {
 public:
  struct Unit {
    QString name;
    QString onCalendar;
    bool wakeSystem = false;
    QString serviceName;
    QString execPath;
  };
  std::vector<Unit> started;
  QStringList stopped;
  // The manager's "Version" property; empty: the property is refused.
  QString version = QStringLiteral("255.4-1");

  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.interface() == QStringLiteral("org.freedesktop.DBus.Properties") &&
        message.member() == QStringLiteral("Get")) {
      const QVariantList arguments = message.arguments();
      if (version.isEmpty() || arguments.size() != 2 || arguments[1].toString() != QStringLiteral("Version"))
        connection.send(message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("no such property")));
      else
        connection.send(message.createReply(QVariant::fromValue(QDBusVariant(version))));
      return true;
    }
    if (message.interface() != QStringLiteral("org.freedesktop.systemd1.Manager")) return false;
    const QVariantList arguments = message.arguments();
    if (message.member() == QStringLiteral("StartTransientUnit") && message.signature() == "ssa(sv)a(sa(sv))") {
      Unit unit;
      unit.name = arguments[0].toString();
      for (const systemd::Property& property : qdbus_cast<systemd::Properties>(arguments[2])) {
        if (property.name == QStringLiteral("TimersCalendar")) {
          const auto calendar = qdbus_cast<systemd::Calendar>(property.value.variant());
          if (calendar.size() == 1 && calendar[0].kind == QStringLiteral("OnCalendar"))
            unit.onCalendar = calendar[0].expression;
        }
        if (property.name == QStringLiteral("WakeSystem")) unit.wakeSystem = property.value.variant().toBool();
      }
      const auto auxiliary = qdbus_cast<systemd::AuxiliaryUnits>(arguments[3]);
      if (auxiliary.size() == 1) {
        unit.serviceName = auxiliary[0].name;
        for (const systemd::Property& property : auxiliary[0].properties) {
          if (property.name != QStringLiteral("ExecStart")) continue;
          const auto commands = qdbus_cast<systemd::ExecCommands>(property.value.variant());
          if (commands.size() == 1) unit.execPath = commands[0].path;
        }
      }
      started.push_back(unit);
    } else if (message.member() == QStringLiteral("StopUnit") && message.signature() == "ss") {
      stopped << arguments[0].toString();
    } else {
      connection.send(message.createErrorReply(QDBusError::UnknownMethod, message.member()));
      return true;
    }
    connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath("/org/freedesktop/systemd1/job/1"))));
    return true;
  }
};

}  // namespace kalvory::test
