#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include "platform/x11/synthetic_paste.h"

namespace kalvory {

// Ctrl+V on a Wayland session, typed through the keyboard of the desktop's
// org.freedesktop.portal.RemoteDesktop portal (GNOME, KDE Plasma). The desktop asks the user
// once whether the program may type; the session it grants is kept for the program's life, so the
// question is not asked at every paste. The first paste waits for that answer. A refusal is
// final for this run (asking again at every paste would nag) and is told through `undelivered`;
// the text stays on the clipboard. From the portal's version 2 on, the permission is kept until
// the user revokes it: the token the desktop hands back is kept in `tokenFile` and offered at the
// next run's first paste, so that the user is not asked at every start either.
class RemoteDesktopPasteInjector final : public QObject, public PasteInjector {
  Q_OBJECT
 public:
  // `portalVersion`: the RemoteDesktop portal's; `tokenFile` empty: nothing is kept between runs.
  RemoteDesktopPasteInjector(const QDBusConnection& bus, unsigned portalVersion = 1, QString tokenFile = {},
                             QObject* parent = nullptr);
  ~RemoteDesktopPasteInjector() override;

  bool paste() override;

  // The portal granted a session with a keyboard (tests).
  bool ready() const { return state_ == State::Ready; }
  // Why it cannot type in this run; empty while it can or may still.
  const QString& refusal() const { return refusal_; }

 signals:
  // Ctrl+V went to the portal.
  void sent();

 private slots:
  void sessionClosed(const QDBusMessage& message);

 private:
  enum class State { Idle, Starting, Ready, Refused };
  void createSession();
  void selectDevices();
  void start();
  void sendKeys();
  void refuse(const QString& reason);
  void forgetSession();

  QString restoreToken() const;
  void keepRestoreToken(const QString& token) const;

  QDBusConnection bus_;
  unsigned portalVersion_;
  QString tokenFile_;
  State state_ = State::Idle;
  QString session_;
  QString refusal_;
  bool pending_ = false;  // a paste waits for the session
};

}  // namespace kalvory
