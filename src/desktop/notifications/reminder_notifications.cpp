#include "desktop/notifications/reminder_notifications.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSystemTrayIcon>
#include <QVariantMap>

#include "core/resources/resource_strings.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kPostponeAction = QStringLiteral("postpone");
const QString kTurnOffAction = QStringLiteral("turn-off");

}  // namespace

ReminderNotifications::ReminderNotifications(ApplicationSettings& settings, Services services, QDBusConnection bus,
                                             QObject* parent)
    : QObject(parent), settings_(settings), services_(std::move(services)), bus_(std::move(bus)) {
  if (!services_.trayAvailable) services_.trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
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
  return !services_.trayAvailable();
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
       << QStringList{kPostponeAction, toQString(loadString(StringId::PostponeFiveMinutes, language)), kTurnOffAction,
                      toQString(loadString(StringId::TurnOffOne, language))}
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
    if (services_.isShowing && services_.isShowing(reminder))
      shown_.insert(id, reminder);
    else
      close(id);
  });
}

void ReminderNotifications::actionInvoked(uint id, const QString& action) {
  if (!shown_.contains(id)) return;  // another program's notification
  if (action == kPostponeAction) {
    if (services_.postpone) services_.postpone(kPostponeSeconds);
  } else if (action == kTurnOffAction) {
    if (services_.turnOff) services_.turnOff();
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

void ReminderNotifications::ringingChanged(bool ringing) {
  if (!ringing) closeAll();
}

void ReminderNotifications::showingsChecked() {
  // One look per tick, and none at all while no notification stands.
  for (auto it = shown_.begin(); it != shown_.end();) {
    if (services_.isShowing && services_.isShowing(it.value())) {
      ++it;
    } else {
      close(it.key());
      it = shown_.erase(it);
    }
  }
}

}  // namespace kalvory
