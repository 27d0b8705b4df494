#include "desktop/missed/missed_feature.h"

#include "desktop/alarms/alarm_controller.h"
#include "desktop/missed/missed_window.h"
#include "desktop/missed/wake_watcher.h"

namespace kalvory {

MissedFeature::MissedFeature(ApplicationSettings& settings, CAlarmDoc& document, AlarmController& alarms,
                             QDBusConnection systemBus, QObject* parent)
    : QObject(parent), settings_(settings) {
  window_ = std::make_unique<CMissedRemindersWindow>(
      document, [this] { return settings_.app.uiLanguage(); }, [&alarms] { return alarms.now(); });
  wake_ = std::make_unique<WakeWatcher>(systemBus);
  connect(&alarms, &AlarmController::remindersMissed, window_.get(), &CMissedRemindersWindow::addMissed);
  connect(wake_.get(), &WakeWatcher::goingToSleep, &alarms, &AlarmController::goingToSleep);
  connect(wake_.get(), &WakeWatcher::woke, &alarms, [this, &alarms] {
    if (settings_.app.missed_reminders != 0 && alarms.isRunning()) alarms.catchUp();
  });
  connect(window_.get(), &CMissedRemindersWindow::documentChanged, this, &MissedFeature::documentChanged);
}

MissedFeature::~MissedFeature() = default;

void MissedFeature::languageChanged() { window_->languageChanged(); }

}  // namespace kalvory
