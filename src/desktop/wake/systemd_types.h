#pragma once

// The D-Bus shapes of systemd's StartTransientUnit: properties a(sv), the calendar a(ss), the
// command a(sasb) and the auxiliary units a(sa(sv)).
#include <QDBusArgument>
#include <QDBusVariant>
#include <QList>
#include <QString>
#include <QStringList>

namespace kalvory::systemd {

struct Property {
  QString name;
  QDBusVariant value;
};
using Properties = QList<Property>;

struct CalendarEntry {
  QString kind;  // "OnCalendar"
  QString expression;
};
using Calendar = QList<CalendarEntry>;

struct ExecCommand {
  QString path;
  QStringList arguments;  // the first is the program's name
  bool ignoreFailure = false;
};
using ExecCommands = QList<ExecCommand>;

struct AuxiliaryUnit {
  QString name;
  Properties properties;
};
using AuxiliaryUnits = QList<AuxiliaryUnit>;

// Registers the types with QtDBus; safe to call more than once.
void registerTypes();

QDBusArgument& operator<<(QDBusArgument& argument, const Property& value);
const QDBusArgument& operator>>(const QDBusArgument& argument, Property& value);
QDBusArgument& operator<<(QDBusArgument& argument, const CalendarEntry& value);
const QDBusArgument& operator>>(const QDBusArgument& argument, CalendarEntry& value);
QDBusArgument& operator<<(QDBusArgument& argument, const ExecCommand& value);
const QDBusArgument& operator>>(const QDBusArgument& argument, ExecCommand& value);
QDBusArgument& operator<<(QDBusArgument& argument, const AuxiliaryUnit& value);
const QDBusArgument& operator>>(const QDBusArgument& argument, AuxiliaryUnit& value);

}  // namespace kalvory::systemd

Q_DECLARE_METATYPE(kalvory::systemd::Property)
Q_DECLARE_METATYPE(kalvory::systemd::Properties)
Q_DECLARE_METATYPE(kalvory::systemd::CalendarEntry)
Q_DECLARE_METATYPE(kalvory::systemd::Calendar)
Q_DECLARE_METATYPE(kalvory::systemd::ExecCommand)
Q_DECLARE_METATYPE(kalvory::systemd::ExecCommands)
Q_DECLARE_METATYPE(kalvory::systemd::AuxiliaryUnit)
Q_DECLARE_METATYPE(kalvory::systemd::AuxiliaryUnits)
