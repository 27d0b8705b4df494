#include "desktop/tray/close_to_tray.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QVariantMap>

#include "desktop/common/program_title.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

namespace {

const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");

}  // namespace

CloseToTray::CloseToTray(ApplicationSettings& settings, QDBusConnection bus, Services services, QObject* parent)
    : QObject(parent), settings_(settings), bus_(std::move(bus)), services_(std::move(services)) {
  if (!services_.trayAvailable) services_.trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
  if (!services_.notificationServer) services_.notificationServer = [this] { return notificationServerPresent(); };
}

QMessageBox* CloseToTray::noticeBox() const { return box_; }

bool CloseToTray::notificationServerPresent() const {
  if (!bus_.isConnected()) return false;
  QDBusConnectionInterface* bus = bus_.interface();
  if (bus == nullptr) return false;
  if (bus->isServiceRegistered(kNotifications).value()) return true;
  // A server the bus starts on the first call (dunst and others install themselves so).
  return bus->activatableServiceNames().value().contains(kNotifications);
}

bool CloseToTray::keepRunning() {
  const bool tray = services_.trayAvailable();
  const bool notifications = services_.notificationServer();
  if (!tray && !notifications) return false;
  if (settings_.app.close_notice_shown == 0) {
    settings_.app.close_notice_shown = 1;
    tellOnce();
  }
  return true;
}

void CloseToTray::tellOnce() {
  const QString text = toQString(loadString(StringId::CloseToTrayNotice, settings_.app.uiLanguage()));
  if (bus_.isConnected() && services_.notificationServer()) {
    QDBusMessage call = QDBusMessage::createMethodCall(kNotifications, QStringLiteral("/org/freedesktop/Notifications"),
                                                       kNotifications, QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("kalvory"));
    call << QStringLiteral("Kalvory") << uint(0) << QStringLiteral("kalvory") << QStringLiteral("Kalvory") << text
         << QStringList() << hints << int(-1);
    // Asynchronous: the window goes at once, whatever the server takes to answer.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, text](QDBusPendingCallWatcher* finished) {
      finished->deleteLater();
      if (QDBusPendingReply<uint>(*finished).isError())
        showBox(text);  // a server the bus could not start after all
      else
        emit notified();
    });
    return;
  }
  showBox(text);
}

void CloseToTray::showBox(const QString& text) {
  // Without a notification server: a message that lets the program go on and the user read it.
  auto* box = new QMessageBox(QMessageBox::Information, programTitle(), text, QMessageBox::Ok);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  box->setObjectName(QStringLiteral("closeToTrayNotice"));
  box->show();
  box_ = box;
}

}  // namespace kalvory
