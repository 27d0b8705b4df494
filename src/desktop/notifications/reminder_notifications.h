#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QList>
#include <QObject>
#include <functional>

#include "core/settings/app_settings.h"

namespace kalvory {

class AlarmController;

// A firing reminder as a freedesktop notification, for desktops that show no tray icon (no
// StatusNotifierItem host and no XEmbed tray) or when the "Notifications" setting asks for it
// always. Its "Postpone 5 min" and "Turn off" actions reach the alarm check. Each notification
// closes when its reminder's showing ends, however it ends (its time runs out, it is turned off
// or postponed, another document is opened), so that none stays on screen for nothing.
class ReminderNotifications final : public QObject {
  Q_OBJECT
 public:
  static constexpr std::int64_t kPostponeSeconds = 300;

  // `trayAvailable` answers whether a tray icon can be shown now; empty: QSystemTrayIcon's answer.
  ReminderNotifications(ApplicationSettings& settings, AlarmController& alarms,
                        QDBusConnection bus = QDBusConnection::sessionBus(), std::function<bool()> trayAvailable = {},
                        QObject* parent = nullptr);

  // Whether a firing reminder becomes a notification under the current settings.
  bool wanted() const;
  // Ids of the notifications shown and not closed yet.
  QList<uint> shown() const { return shown_.keys(); }

 public slots:
  void reminderFired(quintptr reminder, const QString& text);

 signals:
  // The notification server answered a Notify call (for tests and logs).
  void notificationShown(uint id);

 private slots:
  void actionInvoked(uint id, const QString& action);
  void notificationClosed(uint id, uint reason);

 private:
  void closeAll();
  void closeEnded();
  void close(uint id);

  ApplicationSettings& settings_;
  AlarmController& alarms_;
  QDBusConnection bus_;
  std::function<bool()> trayAvailable_;
  QHash<uint, quintptr> shown_;  // notification id -> its reminder
};

}  // namespace kalvory
