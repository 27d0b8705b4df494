#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <functional>

#include "core/settings/app_settings.h"

class QMessageBox;

namespace kalvory {

// Whether a tray or a notification server is there; empty members: the real answers.
struct CloseToTrayServices {
  std::function<bool()> trayAvailable;       // empty: QSystemTrayIcon's answer
  std::function<bool()> notificationServer;  // empty: whether the bus has (or can start) one
};

// What the window manager's close button does to the main window. A resident program on Linux
// stays when its window is closed: the window goes to the tray, and the first time the user is
// told how to quit (a desktop notification, else a small message that blocks nothing). Where
// neither a tray nor a notification server is there, nothing would be left to bring the window
// back, so the close quits as the exit command does.
class CloseToTray final : public QObject {
  Q_OBJECT
 public:
  using Services = CloseToTrayServices;

  CloseToTray(ApplicationSettings& settings, QDBusConnection bus, Services services = {}, QObject* parent = nullptr);

  // The window manager asked to close the main window: true when the program goes on without
  // it (the caller hides it), false when the close should quit.
  bool keepRunning();

  // The message shown where no notification server is, while it is open (for tests).
  QMessageBox* noticeBox() const;

 signals:
  // The notice went out as a desktop notification (for tests and logs).
  void notified();

 private:
  void tellOnce();
  void showBox(const QString& text);
  bool notificationServerPresent() const;

  ApplicationSettings& settings_;
  QDBusConnection bus_;
  Services services_;
  QPointer<QMessageBox> box_;
};

}  // namespace kalvory
