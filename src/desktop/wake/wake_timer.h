#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
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
class WakeTimer final : public QObject {
  Q_OBJECT
 public:
  WakeTimer(ApplicationSettings& settings, CAlarmDoc& document, Clock clock,
            QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);
  ~WakeTimer() override;

  // The cheap check after the reminders changed: works out the next moment and replaces the
  // timer only when it moved.
  void documentChanged();
  // Removes the timer (the program ends or the setting was turned off).
  void remove();

  // The moment the timer stands at, if there is one.
  std::optional<COleDateTime> scheduled() const { return scheduled_; }
  const QString& unitName() const { return unit_; }

 private:
  std::optional<COleDateTime> nextWakeMoment() const;

  ApplicationSettings& settings_;
  CAlarmDoc& document_;
  Clock clock_;
  QDBusConnection bus_;
  std::optional<COleDateTime> scheduled_;
  QString unit_;  // the timer's unit name while one stands
  int serial_ = 0;
};

// The name of the n-th timer unit of this process and of its service.
QString wakeTimerUnitName(qint64 processId, int serial);
// OnCalendar= text of a moment: "2026-03-10 07:30:00".
QString onCalendarText(const COleDateTime& moment);

}  // namespace kalvory
