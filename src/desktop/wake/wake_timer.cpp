#include "desktop/wake/wake_timer.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QLoggingCategory>
#include <QStandardPaths>

#include "core/model/alarm_doc.h"
#include "core/model/alarm_line.h"
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

WakeTimer::WakeTimer(ApplicationSettings& settings, CAlarmDoc& document, Clock clock, QDBusConnection bus,
                     QObject* parent)
    : QObject(parent), settings_(settings), document_(document), clock_(std::move(clock)), bus_(std::move(bus)) {
  systemd::registerTypes();
}

WakeTimer::~WakeTimer() { remove(); }

std::optional<COleDateTime> WakeTimer::nextWakeMoment() const {
  const COleDateTime now = clock_ ? clock_() : systemNow();
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
  const std::optional<COleDateTime> next =
      settings_.app.wake_computer != 0 ? nextWakeMoment() : std::optional<COleDateTime>();
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
