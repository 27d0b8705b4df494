#include "platform/session/remote_desktop_paste.h"

#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QPointer>
#include <QSaveFile>
#include <QUuid>
#include <cstdint>

#include "platform/session/portal_request.h"

namespace kalvory {

Q_LOGGING_CATEGORY(lcRemoteDesktop, "kalvory.paste.portal", QtInfoMsg)

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kRemoteDesktop = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");

constexpr std::int32_t kControlLeft = 0xffe3;
constexpr std::int32_t kLetterV = 0x76;
constexpr uint kKeyboardDevice = 1;
constexpr uint kReleased = 0;
constexpr uint kPressed = 1;
constexpr uint kPersistUntilRevoked = 2;

QString answerText(const QString& step, uint response, const QString& error) {
  if (!error.isEmpty()) return error;
  if (response == 1) return QStringLiteral("the user did not allow typing into other programs");
  return QStringLiteral("%1 answered %2").arg(step).arg(response);
}

}  // namespace

RemoteDesktopPasteInjector::RemoteDesktopPasteInjector(const QDBusConnection& bus, unsigned portalVersion,
                                                       QString tokenFile, QObject* parent)
    : QObject(parent), bus_(bus), portalVersion_(portalVersion), tokenFile_(std::move(tokenFile)) {}

QString RemoteDesktopPasteInjector::restoreToken() const {
  QFile file(tokenFile_);
  if (tokenFile_.isEmpty() || !file.open(QIODevice::ReadOnly)) return {};
  // A token is a short word; anything else in the file is not one.
  const QString token = QString::fromUtf8(file.read(4096)).trimmed();
  return token.size() < 1024 && !token.contains(u'\n') ? token : QString();
}

void RemoteDesktopPasteInjector::keepRestoreToken(const QString& token) const {
  if (tokenFile_.isEmpty()) return;
  QDir().mkpath(QFileInfo(tokenFile_).absolutePath());
  QSaveFile file(tokenFile_);
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly) || file.write(token.toUtf8() + '\n') < 0 || !file.commit())
    qCWarning(lcRemoteDesktop) << "cannot keep the permission to type in" << tokenFile_;
  else
    QFile::setPermissions(tokenFile_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

RemoteDesktopPasteInjector::~RemoteDesktopPasteInjector() {
  if (!session_.isEmpty() && bus_.isConnected())
    bus_.send(QDBusMessage::createMethodCall(kPortalService, session_, kSessionInterface, QStringLiteral("Close")));
}

bool RemoteDesktopPasteInjector::paste() {
  switch (state_) {
    case State::Refused:
      return false;
    case State::Ready:
      sendKeys();
      return true;
    case State::Starting:
      // The clipboard holds only the newest text: one paste once the session is there.
      pending_ = true;
      return true;
    case State::Idle:
      break;
  }
  if (!bus_.isConnected()) {
    refusal_ = QStringLiteral("no session bus");
    state_ = State::Refused;
    return false;
  }
  pending_ = true;
  createSession();
  return true;
}

void RemoteDesktopPasteInjector::createSession() {
  state_ = State::Starting;
  // A new name for each session: the one the desktop closed may still be known to it.
  const QString token = QStringLiteral("kalvory_paste_") + QUuid::createUuid().toString(QUuid::Id128);
  PortalRequest::send(bus_, kRemoteDesktop, QStringLiteral("CreateSession"),
                      {QVariantMap{{QStringLiteral("session_handle_token"), token}}}, this,
                      [this](uint response, const QVariantMap& results, const QString& error) {
                        const QVariant handle = results.value(QStringLiteral("session_handle"));
                        const QString session = handle.canConvert<QDBusObjectPath>()
                                                    ? handle.value<QDBusObjectPath>().path()
                                                    : handle.toString();
                        if (response != 0 || session.isEmpty()) {
                          refuse(answerText(QStringLiteral("CreateSession"), response, error));
                          return;
                        }
                        session_ = session;
                        bus_.connect(kPortalService, session_, kSessionInterface, QStringLiteral("Closed"), this,
                                     SLOT(sessionClosed(QDBusMessage)));
                        selectDevices();
                      });
}

void RemoteDesktopPasteInjector::selectDevices() {
  // The keyboard alone: the program never moves the pointer.
  QVariantMap options{{QStringLiteral("types"), QVariant::fromValue(kKeyboardDevice)}};
  if (portalVersion_ >= 2) {
    // Kept until the user revokes it; the last run's token spares the question.
    options.insert(QStringLiteral("persist_mode"), QVariant::fromValue(kPersistUntilRevoked));
    if (const QString token = restoreToken(); !token.isEmpty()) options.insert(QStringLiteral("restore_token"), token);
  }
  PortalRequest::send(bus_, kRemoteDesktop, QStringLiteral("SelectDevices"),
                      {QVariant::fromValue(QDBusObjectPath(session_)), options}, this,
                      [this](uint response, const QVariantMap&, const QString& error) {
                        if (response != 0) {
                          refuse(answerText(QStringLiteral("SelectDevices"), response, error));
                          return;
                        }
                        start();
                      });
}

void RemoteDesktopPasteInjector::start() {
  // Here the desktop asks the user.
  PortalRequest::send(bus_, kRemoteDesktop, QStringLiteral("Start"),
                      {QVariant::fromValue(QDBusObjectPath(session_)), QString(), QVariantMap()}, this,
                      [this](uint response, const QVariantMap& results, const QString& error) {
                        if (response != 0) {
                          refuse(answerText(QStringLiteral("Start"), response, error));
                          return;
                        }
                        const QVariant devices = results.value(QStringLiteral("devices"));
                        if (devices.isValid() && !(devices.toUInt() & kKeyboardDevice)) {
                          refuse(QStringLiteral("the desktop granted no keyboard"));
                          return;
                        }
                        // Each token is good for one start: the new one replaces it.
                        const QString token = results.value(QStringLiteral("restore_token")).toString();
                        if (!token.isEmpty()) keepRestoreToken(token);
                        state_ = State::Ready;
                        qCInfo(lcRemoteDesktop) << "typing through the RemoteDesktop portal";
                        if (pending_) sendKeys();
                      });
}

void RemoteDesktopPasteInjector::sendKeys() {
  pending_ = false;
  const std::pair<std::int32_t, uint> strokes[] = {
      {kControlLeft, kPressed}, {kLetterV, kPressed}, {kLetterV, kReleased}, {kControlLeft, kReleased}};
  // One connection keeps the calls in order; only the last one's answer is waited for, and any
  // refusal among them arrives before it.
  QDBusPendingCall last = QDBusPendingCall::fromCompletedCall(QDBusMessage());
  auto failed = std::make_shared<QString>();
  for (const auto& [keysym, state] : strokes) {
    QDBusMessage call = QDBusMessage::createMethodCall(kPortalService, kPortalPath, kRemoteDesktop,
                                                       QStringLiteral("NotifyKeyboardKeysym"));
    call << QVariant::fromValue(QDBusObjectPath(session_)) << QVariantMap() << keysym << state;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, failed] {
      watcher->deleteLater();
      if (watcher->isError() && failed->isEmpty()) *failed = watcher->error().message();
    });
    last = *watcher;
  }
  auto* done = new QDBusPendingCallWatcher(last, this);
  connect(done, &QDBusPendingCallWatcher::finished, this, [this, done, failed] {
    done->deleteLater();
    if (failed->isEmpty() && !done->isError()) {
      emit sent();
      return;
    }
    // The session ended under us (the user revoked it): the next paste asks again.
    const QString reason = failed->isEmpty() ? done->error().message() : *failed;
    qCWarning(lcRemoteDesktop) << "the portal did not type:" << reason;
    forgetSession();
    if (undelivered) undelivered(reason);
  });
}

void RemoteDesktopPasteInjector::refuse(const QString& reason) {
  qCWarning(lcRemoteDesktop) << "cannot type through the RemoteDesktop portal:" << reason;
  forgetSession();
  state_ = State::Refused;
  refusal_ = reason;
  const bool waited = pending_;
  pending_ = false;
  if (waited && undelivered) undelivered(reason);
}

void RemoteDesktopPasteInjector::sessionClosed(const QDBusMessage&) {
  qCInfo(lcRemoteDesktop) << "the desktop closed the typing session";
  forgetSession();
}

void RemoteDesktopPasteInjector::forgetSession() {
  if (!session_.isEmpty()) {
    bus_.disconnect(kPortalService, session_, kSessionInterface, QStringLiteral("Closed"), this,
                    SLOT(sessionClosed(QDBusMessage)));
    if (bus_.isConnected())
      bus_.send(QDBusMessage::createMethodCall(kPortalService, session_, kSessionInterface, QStringLiteral("Close")));
  }
  session_.clear();
  if (state_ != State::Refused) state_ = State::Idle;
}

}  // namespace kalvory
