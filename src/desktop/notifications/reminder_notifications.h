#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QList>
#include <QObject>
#include <cstdint>
#include <functional>

#include "core/settings/app_settings.h"

namespace kalvory {

// A firing reminder as a freedesktop notification, for desktops that show no tray icon (no
// StatusNotifierItem host and no XEmbed tray) or when the "Notifications" setting asks for it
// always. Its "Postpone 5 min" and "Turn off" actions reach the alarm check (through the
// services the program wires, as it wires the check's signals to the slots). Each notification
// closes when its reminder's showing ends, however it ends (its time runs out, it is turned off
// or postponed, another document is opened), so that none stays on screen for nothing.
class ReminderNotifications final : public QObject {
  Q_OBJECT
 public:
  static constexpr std::int64_t kPostponeSeconds = 300;

  struct Services {
    // Whether the reminder reminderFired() named is in the open document and still showing.
    std::function<bool(quintptr reminder)> isShowing;
    std::function<void(std::int64_t seconds)> postpone;  // the "Postpone 5 min" action
    std::function<void()> turnOff;                       // the "Turn off" action
    // Whether a tray icon can be shown now; empty: QSystemTrayIcon's answer.
    std::function<bool()> trayAvailable;
  };

  ReminderNotifications(ApplicationSettings& settings, Services services,
                        QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

  // Whether a firing reminder becomes a notification under the current settings.
  bool wanted() const;
  // Ids of the notifications shown and not closed yet.
  QList<uint> shown() const { return shown_.keys(); }

 public slots:
  void reminderFired(quintptr reminder, const QString& text);
  // The alarm stopped ringing: every notification closes.
  void ringingChanged(bool ringing);
  // The alarm check looked at the showings: those that ended close their notifications.
  void showingsChecked();

 signals:
  // The notification server answered a Notify call (for tests and logs).
  void notificationShown(uint id);

 private slots:
  void actionInvoked(uint id, const QString& action);
  void notificationClosed(uint id, uint reason);

 private:
  void closeAll();
  void close(uint id);

  ApplicationSettings& settings_;
  Services services_;
  QDBusConnection bus_;
  QHash<uint, quintptr> shown_;  // notification id -> its reminder
};

}  // namespace kalvory
