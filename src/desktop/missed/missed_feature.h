#pragma once

#include <QDBusConnection>
#include <QObject>
#include <functional>
#include <memory>

#include "core/alarms/missed_reminders.h"
#include "core/common/date_time.h"
#include "core/settings/app_settings.h"

class QWidget;

namespace kalvory {

class CAlarmDoc;
class CMissedRemindersWindow;
class WakeWatcher;

// Missed reminders: lists what the alarm check reports as missed in the "While you were away"
// window, and has the check catch up when the computer wakes. The program wires it to the
// alarm check; the feature knows only these services.
class MissedFeature final : public QObject {
  Q_OBJECT
 public:
  struct Services {
    Clock clock;                         // now, for a postponement; the system clock when empty
    std::function<void()> goingToSleep;  // the computer is about to sleep
    std::function<void()> catchUp;       // the computer woke and missed reminders are wanted
  };

  MissedFeature(ApplicationSettings& settings, CAlarmDoc& document, Services services,
                QDBusConnection systemBus = QDBusConnection::systemBus(), QObject* parent = nullptr);
  ~MissedFeature() override;

  void languageChanged();
  // Lists reminders the alarm check found missed.
  void addMissed(const std::vector<MissedReminder>& missed);
  CMissedRemindersWindow& window() { return *window_; }
  WakeWatcher& wakeWatcher() { return *wake_; }

 signals:
  // A missed reminder was postponed from the window: the document changed.
  void documentChanged();

 private:
  ApplicationSettings& settings_;
  Services services_;
  std::unique_ptr<CMissedRemindersWindow> window_;
  std::unique_ptr<WakeWatcher> wake_;
};

}  // namespace kalvory
