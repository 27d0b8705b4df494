#include "desktop/wake/systemd_types.h"

#include <QDBusMetaType>

namespace kalvory::systemd {

void registerTypes() {
  static const bool registered = [] {
    qDBusRegisterMetaType<Property>();
    qDBusRegisterMetaType<Properties>();
    qDBusRegisterMetaType<CalendarEntry>();
    qDBusRegisterMetaType<Calendar>();
    qDBusRegisterMetaType<ExecCommand>();
    qDBusRegisterMetaType<ExecCommands>();
    qDBusRegisterMetaType<AuxiliaryUnit>();
    qDBusRegisterMetaType<AuxiliaryUnits>();
    return true;
  }();
  (void)registered;
}

QDBusArgument& operator<<(QDBusArgument& argument, const Property& value) {
  argument.beginStructure();
  argument << value.name << value.value;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, Property& value) {
  argument.beginStructure();
  argument >> value.name >> value.value;
  argument.endStructure();
  return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const CalendarEntry& value) {
  argument.beginStructure();
  argument << value.kind << value.expression;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, CalendarEntry& value) {
  argument.beginStructure();
  argument >> value.kind >> value.expression;
  argument.endStructure();
  return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const ExecCommand& value) {
  argument.beginStructure();
  argument << value.path << value.arguments << value.ignoreFailure;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, ExecCommand& value) {
  argument.beginStructure();
  argument >> value.path >> value.arguments >> value.ignoreFailure;
  argument.endStructure();
  return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const AuxiliaryUnit& value) {
  argument.beginStructure();
  argument << value.name << value.properties;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, AuxiliaryUnit& value) {
  argument.beginStructure();
  argument >> value.name >> value.properties;
  argument.endStructure();
  return argument;
}

}  // namespace kalvory::systemd
