// Fires one reminder on a desktop without a tray, so that it becomes a desktop notification on the
// session bus's notification server, for take_screenshots.sh; prints "shown" once the server
// has taken it.
//   notification_screenshot_driver en|ru
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "core/model/alarm_doc.h"
#include "desktop/alarms/alarm_controller.h"
#include "desktop/notifications/reminder_notifications.h"

int main(int argc, char** argv) {
  using namespace kalvory;
  QApplication app(argc, argv);
  const bool russian = argc > 1 && std::strcmp(argv[1], "ru") == 0;
  ApplicationSettings settings = defaultSettings(SettingsEnvironment{});
  settings.app.language = russian ? 0 : 1;
  CAlarmDoc document;
  const COleDateTime now(2026, 3, 10, 9, 30, 0);
  CAlarmLine line(now, 60);
  line.time = now;
  line.text = russian ? "Позвонить в банк по поводу карты" : "Call the bank about the card";
  line.osd = 0;
  document.AddAlarm(line);
  AlarmController::Services services;
  services.clock = [now] { return now; };
  AlarmController alarms(settings, document, services);
  ReminderNotifications::Services notificationServices;
  notificationServices.isShowing = [&alarms](quintptr reminder) { return alarms.isShowing(reminder); };
  notificationServices.trayAvailable = [] { return false; };
  ReminderNotifications notifications(settings, std::move(notificationServices), QDBusConnection::sessionBus());
  QObject::connect(&alarms, &AlarmController::reminderFired, &notifications, &ReminderNotifications::reminderFired);
  QObject::connect(&notifications, &ReminderNotifications::notificationShown, [] {
    std::printf("shown\n");
    std::fflush(stdout);
  });
  alarms.tick();
  return app.exec();
}
