#include "desktop/missed/missed_feature.h"

#include "desktop/missed/missed_window.h"
#include "desktop/missed/wake_watcher.h"

namespace kalvory {

MissedFeature::MissedFeature(ApplicationSettings& settings, CAlarmDoc& document, Services services,
                             QDBusConnection systemBus, QObject* parent)
    : QObject(parent), settings_(settings), services_(std::move(services)) {
  window_ = std::make_unique<CMissedRemindersWindow>(
      document, [this] { return settings_.app.uiLanguage(); }, services_.clock);
  wake_ = std::make_unique<WakeWatcher>(systemBus);
  connect(wake_.get(), &WakeWatcher::goingToSleep, this, [this] {
    if (services_.goingToSleep) services_.goingToSleep();
  });
  connect(wake_.get(), &WakeWatcher::woke, this, [this] {
    if (settings_.app.missed_reminders != 0 && services_.catchUp) services_.catchUp();
  });
  connect(window_.get(), &CMissedRemindersWindow::documentChanged, this, &MissedFeature::documentChanged);
}

MissedFeature::~MissedFeature() = default;

void MissedFeature::languageChanged() { window_->languageChanged(); }

void MissedFeature::addMissed(const std::vector<MissedReminder>& missed) { window_->addMissed(missed); }

}  // namespace kalvory
