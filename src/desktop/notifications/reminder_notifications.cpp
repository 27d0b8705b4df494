#include "desktop/notifications/reminder_notifications.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSystemTrayIcon>
#include <QVariantMap>

#include "desktop/alarms/alarm_controller.h"
#include "desktop/missed/missed_texts.h"

namespace kalvory {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kPostponeAction = QStringLiteral("postpone");
const QString kTurnOffAction = QStringLiteral("turn-off");

}  // namespace

ReminderNotifications::ReminderNotifications(ApplicationSettings& settings, AlarmController& alarms,
                                             QDBusConnection bus, std::function<bool()> trayAvailable, QObject* parent)
    : QObject(parent),
      settings_(settings),
      alarms_(alarms),
      bus_(std::move(bus)),
      trayAvailable_(std::move(trayAvailable)) {
  if (!trayAvailable_) trayAvailable_ = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
  connect(&alarms_, &AlarmController::reminderFired, this, &ReminderNotifications::reminderFired);
  connect(&alarms_, &AlarmController::ringingChanged, this, [this](bool ringing) {
    if (!ringing) closeAll();
  });
  connect(&alarms_, &AlarmController::showingsChecked, this, &ReminderNotifications::closeEnded);
  bus_.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this, SLOT(actionInvoked(uint, QString)));
  bus_.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
               SLOT(notificationClosed(uint, uint)));
}

bool ReminderNotifications::wanted() const {
  switch (notificationMode(settings_.app)) {
    case NotificationMode::Always:
      return true;
    case NotificationMode::Never:
      return false;
    case NotificationMode::Automatic:
      break;
  }
  return !trayAvailable_();
}

void ReminderNotifications::reminderFired(quintptr reminder, const QString& text) {
  if (!wanted() || !bus_.isConnected()) return;
  const UiLanguage language = settings_.app.uiLanguage();
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
  QVariantMap hints;
  hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("kalvory"));
  hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(2)));  // critical: stays until answered
  hints.insert(QStringLiteral("category"), QStringLiteral("reminder"));
  call << QStringLiteral("Kalvory") << uint(0) << QStringLiteral("kalvory") << QStringLiteral("Kalvory") << text
       << QStringList{kPostponeAction, missedText(MissedText::Postpone, language), kTurnOffAction,
                      missedText(MissedText::TurnOff, language)}
       << hints << int(-1);
  // Asynchronous: a slow or missing notification server never holds up the alarm check.
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, reminder](QDBusPendingCallWatcher* finished) {
    finished->deleteLater();
    const QDBusPendingReply<uint> reply = *finished;
    if (reply.isError()) return;
    const uint id = reply.value();
    emit notificationShown(id);
    // The showing may have ended while the server took its time to answer.
    if (alarms_.isShowing(reminder))
      shown_.insert(id, reminder);
    else
      close(id);
  });
}

void ReminderNotifications::actionInvoked(uint id, const QString& action) {
  if (!shown_.contains(id)) return;  // another program's notification
  if (action == kPostponeAction) {
    alarms_.postpone(kPostponeSeconds);
  } else if (action == kTurnOffAction) {
    alarms_.turnOff();
  }
}

void ReminderNotifications::notificationClosed(uint id, uint /*reason*/) { shown_.remove(id); }

void ReminderNotifications::close(uint id) {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("CloseNotification"));
  call << id;
  bus_.asyncCall(call);
}

void ReminderNotifications::closeAll() {
  for (auto it = shown_.cbegin(); it != shown_.cend(); ++it) close(it.key());
  shown_.clear();
}

void ReminderNotifications::closeEnded() {
  // One look per tick, and none at all while no notification stands.
  for (auto it = shown_.begin(); it != shown_.end();) {
    if (alarms_.isShowing(it.value())) {
      ++it;
    } else {
      close(it.key());
      it = shown_.erase(it);
    }
  }
}

}  // namespace kalvory
