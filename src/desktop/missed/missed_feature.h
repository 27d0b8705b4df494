#pragma once

#include <QDBusConnection>
#include <QObject>
#include <functional>
#include <memory>

#include "core/settings/app_settings.h"

class QWidget;

namespace kalvory {

class AlarmController;
class CAlarmDoc;
class CMissedRemindersWindow;
class WakeWatcher;

// Missed reminders: lists what the alarm check reports as missed in the "While you were away"
// window, and has the check catch up when the computer wakes.
class MissedFeature final : public QObject {
  Q_OBJECT
 public:
  MissedFeature(ApplicationSettings& settings, CAlarmDoc& document, AlarmController& alarms,
                QDBusConnection systemBus = QDBusConnection::systemBus(), QObject* parent = nullptr);
  ~MissedFeature() override;

  void languageChanged();
  CMissedRemindersWindow& window() { return *window_; }
  WakeWatcher& wakeWatcher() { return *wake_; }

 signals:
  // A missed reminder was postponed from the window: the document changed.
  void documentChanged();

 private:
  ApplicationSettings& settings_;
  std::unique_ptr<CMissedRemindersWindow> window_;
  std::unique_ptr<WakeWatcher> wake_;
};

}  // namespace kalvory
