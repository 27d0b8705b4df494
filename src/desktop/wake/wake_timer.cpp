#include "desktop/wake/wake_timer.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QFile>
#include <QLoggingCategory>
#include <QStandardPaths>

#include "core/model/alarm_doc.h"
#include "core/model/alarm_line.h"
#include "core/resources/resource_strings.h"
#include "desktop/common/now_from.h"
#include "desktop/common/qt_text.h"
#include "desktop/wake/systemd_types.h"

namespace kalvory {

Q_LOGGING_CATEGORY(lcWake, "kalvory.wake", QtInfoMsg)

namespace {

const QString kService = QStringLiteral("org.freedesktop.systemd1");
const QString kPath = QStringLiteral("/org/freedesktop/systemd1");
const QString kInterface = QStringLiteral("org.freedesktop.systemd1.Manager");

}  // namespace

QString wakeTimerUnitName(qint64 processId, int serial) {
  return QStringLiteral("kalvory-wake-%1-%2.timer").arg(processId).arg(serial);
}

QString onCalendarText(const COleDateTime& moment) {
  return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", moment.GetYear(), moment.GetMonth(), moment.GetDay(),
                           moment.GetHour(), moment.GetMinute(), moment.GetSecond());
}

int systemdMajorVersion(const QString& version) {
  int major = 0;
  for (const QChar c : version) {
    if (!c.isDigit()) break;
    major = major * 10 + c.digitValue();
    if (major > 100000) break;
  }
  return major;
}

std::optional<bool> wakeAlarmCapability(const QByteArray& statusText) {
  constexpr int kCapWakeAlarm = 35;
  for (const QByteArray& line : statusText.split('\n')) {
    if (!line.startsWith("CapEff:")) continue;
    bool ok = false;
    const qulonglong mask = line.mid(7).trimmed().toULongLong(&ok, 16);
    if (!ok) return std::nullopt;
    return (mask >> kCapWakeAlarm & 1u) != 0;
  }
  return std::nullopt;
}

WakeTimer::WakeTimer(ApplicationSettings& settings, CAlarmDoc& document, Clock clock, QDBusConnection bus,
                     QObject* parent, CapabilityReader holdsWakeAlarm)
    : QObject(parent),
      settings_(settings),
      document_(document),
      clock_(std::move(clock)),
      bus_(std::move(bus)),
      holdsWakeAlarm_(std::move(holdsWakeAlarm)) {
  systemd::registerTypes();
  if (!holdsWakeAlarm_)
    holdsWakeAlarm_ = [](uint pid) -> std::optional<bool> {
      QFile status(QStringLiteral("/proc/%1/status").arg(pid));
      if (!status.open(QIODevice::ReadOnly)) return std::nullopt;
      return wakeAlarmCapability(status.readAll());
    };
  probe();
}

void WakeTimer::probe() {
  if (!bus_.isConnected()) {
    settle(Support::NoUserManager);
    return;
  }
  // Asynchronous: a user manager that is slow to answer never holds up the start.
  QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                    QStringLiteral("Get"));
  get << kInterface << QStringLiteral("Version");
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(get), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
    finished->deleteLater();
    const QDBusPendingReply<QDBusVariant> reply = *finished;
    if (reply.isError()) {
      qCInfo(lcWake) << "no systemd user manager:" << reply.error().message();
      settle(Support::NoUserManager);
      return;
    }
    version_ = reply.value().variant().toString();
    // From 254 on the manager of a local session holds the capability; an older one only where
    // it was given to it by hand, which its process shows.
    if (systemdMajorVersion(version_) >= 254) {
      settle(Support::Available);
      return;
    }
    const uint pid = bus_.interface()->servicePid(kService).value();
    const std::optional<bool> capable = pid != 0 ? holdsWakeAlarm_(pid) : std::nullopt;
    settle(capable.value_or(false) ? Support::Available : Support::NeedsNewerSystemd);
  });
}

void WakeTimer::settle(Support support) {
  support_ = support;
  qCInfo(lcWake) << "waking the computer" << (support == Support::Available ? "works" : "does not work here")
                 << version_;
  if (support != Support::Available) remove();
  emit supportKnown();
}

QString WakeTimer::unavailableReason(UiLanguage language) const {
  switch (support_) {
    case Support::NeedsNewerSystemd:
      return toQString(loadString(StringId::WakeNeedsNewerSystemd, language)).arg(version_);
    case Support::NoUserManager:
      return toQString(loadString(StringId::WakeNoUserManager, language));
    case Support::Unknown:
    case Support::Available:
      break;
  }
  return {};
}

WakeTimer::~WakeTimer() { remove(); }

std::optional<COleDateTime> WakeTimer::nextWakeMoment() const {
  const COleDateTime now = nowFrom(clock_);
  std::optional<COleDateTime> earliest;
  for (const auto& line : document_.alarms()) {
    // Only a reminder that does something a sleeping computer would miss is worth waking for.
    if (line->sound_file.empty() && line->program.empty()) continue;
    const std::optional<COleDateTime> next = line->nextFireTime(now);
    if (next && *next > now && (!earliest || *next < *earliest)) earliest = next;
  }
  return earliest;
}

void WakeTimer::documentChanged() {
  // Nothing is set where the manager cannot wake the computer; while its answer is awaited the
  // timer is set, and taken away again if the answer is no.
  const bool canWake = support_ == Support::Unknown || support_ == Support::Available;
  const std::optional<COleDateTime> next =
      settings_.app.wake_computer != 0 && canWake ? nextWakeMoment() : std::optional<COleDateTime>();
  if (next == scheduled_ && (!next || !unit_.isEmpty())) return;
  remove();
  if (!next || !bus_.isConnected()) return;

  unit_ = wakeTimerUnitName(QCoreApplication::applicationPid(), ++serial_);
  QString service = unit_;
  service.replace(QStringLiteral(".timer"), QStringLiteral(".service"));
  scheduled_ = next;

  // The service: `true`, found on the PATH the user manager uses.
  QString truePath = QStandardPaths::findExecutable(QStringLiteral("true"));
  if (truePath.isEmpty()) truePath = QStringLiteral("/bin/true");
  using namespace systemd;
  const Properties timer{
      {QStringLiteral("Description"), QDBusVariant(QStringLiteral("Kalvory: wake the computer for a reminder"))},
      {QStringLiteral("TimersCalendar"),
       QDBusVariant(QVariant::fromValue(Calendar{{QStringLiteral("OnCalendar"), onCalendarText(*next)}}))},
      {QStringLiteral("WakeSystem"), QDBusVariant(true)},
      {QStringLiteral("RemainAfterElapse"), QDBusVariant(false)},
  };
  const AuxiliaryUnits auxiliary{
      {service,
       {{QStringLiteral("Description"), QDBusVariant(QStringLiteral("Kalvory: woken for a reminder"))},
        {QStringLiteral("ExecStart"),
         QDBusVariant(QVariant::fromValue(ExecCommands{{truePath, QStringList{truePath}, false}}))}}},
  };
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("StartTransientUnit"));
  call << unit_ << QStringLiteral("replace") << QVariant::fromValue(timer) << QVariant::fromValue(auxiliary);
  // Asynchronous: the user manager's answer never holds up the program.
  bus_.asyncCall(call);
  qCInfo(lcWake) << "wake timer" << unit_ << "at" << onCalendarText(*next);
}

void WakeTimer::remove() {
  if (!unit_.isEmpty() && bus_.isConnected()) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("StopUnit"));
    call << unit_ << QStringLiteral("replace");
    bus_.asyncCall(call);
  }
  unit_.clear();
  scheduled_.reset();
}

}  // namespace kalvory
