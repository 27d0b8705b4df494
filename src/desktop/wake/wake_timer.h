#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "core/common/date_time.h"
#include "core/settings/app_settings.h"

namespace kalvory {

class CAlarmDoc;

// Waking the computer for a reminder: while the "WakeComputer" setting is on, a transient
// systemd user timer with WakeSystem=true stands at the next reminder that plays a sound or
// starts a program, so that a sleeping computer wakes for it. The timer's service runs `true`:
// waking is all it is for, the program itself does the rest. The timer is replaced when the
// reminders change and removed when the program ends.
//
// The user manager honours WakeSystem= only while it holds CAP_WAKE_ALARM, which systemd 254 and
// later grant to the manager of a local session. At start the timer asks the manager for its
// version (and reads the capability of its process): where waking cannot work no timer is set,
// and the configuration dialog says why instead of offering a switch that does nothing.
class WakeTimer final : public QObject {
  Q_OBJECT
 public:
  // Whether the user manager can wake the computer.
  enum class Support { Unknown, Available, NeedsNewerSystemd, NoUserManager };
  // Whether the process `pid` holds CAP_WAKE_ALARM; nullopt when that cannot be read.
  using CapabilityReader = std::function<std::optional<bool>(uint pid)>;

  WakeTimer(ApplicationSettings& settings, CAlarmDoc& document, Clock clock,
            QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr,
            CapabilityReader holdsWakeAlarm = {});
  ~WakeTimer() override;

  Support support() const { return support_; }
  // The user manager's version, as it gave it ("252.19-1~deb12u1").
  const QString& systemdVersion() const { return version_; }
  // Why waking cannot work here, in the program's language; empty while it can (or is not known).
  QString unavailableReason(UiLanguage language) const;

  // The cheap check after the reminders changed: works out the next moment and replaces the
  // timer only when it moved.
  void documentChanged();
  // Removes the timer (the program ends or the setting was turned off).
  void remove();

  // The moment the timer stands at, if there is one.
  std::optional<COleDateTime> scheduled() const { return scheduled_; }
  const QString& unitName() const { return unit_; }

 signals:
  // The user manager answered (or did not) whether it can wake the computer.
  void supportKnown();

 private:
  std::optional<COleDateTime> nextWakeMoment() const;
  void probe();
  void settle(Support support);

  ApplicationSettings& settings_;
  CAlarmDoc& document_;
  Clock clock_;
  QDBusConnection bus_;
  std::optional<COleDateTime> scheduled_;
  QString unit_;  // the timer's unit name while one stands
  int serial_ = 0;
  CapabilityReader holdsWakeAlarm_;
  Support support_ = Support::Unknown;
  QString version_;
};

// The first number of a systemd version text ("252.19-1~deb12u1" is 252); 0 when there is none.
int systemdMajorVersion(const QString& version);
// CAP_WAKE_ALARM in the effective set of a /proc/PID/status text; nullopt when the line is missing.
std::optional<bool> wakeAlarmCapability(const QByteArray& statusText);

// The name of the n-th timer unit of this process and of its service.
QString wakeTimerUnitName(qint64 processId, int serial);
// OnCalendar= text of a moment: "2026-03-10 07:30:00".
QString onCalendarText(const COleDateTime& moment);

}  // namespace kalvory
