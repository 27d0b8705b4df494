#include "desktop/app/session_end_watcher.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <utility>

#ifndef QT_NO_SESSIONMANAGER
#include <QSessionManager>
#endif

Q_LOGGING_CATEGORY(lcSessionEnd, "kalvory.session", QtInfoMsg)

namespace kalvory {

namespace {

const QString kLogindService = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindManager = QStringLiteral("org.freedesktop.login1.Manager");

// Written only while no handler is installed; read by the handler.
volatile std::sig_atomic_t wakeSocket = -1;
SessionEndWatcher* signalOwner = nullptr;

// Nothing but a write is safe here; the event loop reads the byte and does the work.
void onSignal(int number) {
  const int saved = errno;
  const char byte = static_cast<char>(number);
  // A full socket already holds a wake-up, so a lost byte changes nothing.
  [[maybe_unused]] const ssize_t written = ::write(wakeSocket, &byte, 1);
  errno = saved;
}

}  // namespace

SessionEndWatcher::SessionEndWatcher(QObject* parent) : SessionEndWatcher(QDBusConnection::systemBus(), parent) {}

SessionEndWatcher::SessionEndWatcher(QDBusConnection systemBus, QObject* parent)
    : QObject(parent), systemBus_(std::move(systemBus)) {
  watchSignals();
#ifndef QT_NO_SESSIONMANAGER
  // Logout: the session manager may not wait for a question, so nothing is asked.
  if (qGuiApp)
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
      qCInfo(lcSessionEnd) << "the session manager asks to commit data";
      emit sessionEnding(false);
    });
#endif
  watchLogind();
}

SessionEndWatcher::~SessionEndWatcher() {
  if (signalOwner != this) return;
  for (std::size_t i = 0; i < kSignals.size(); ++i)
    if (installed_[i]) ::sigaction(kSignals[i], &previousActions_[i], nullptr);
  wakeSocket = -1;
  signalOwner = nullptr;
  for (const int socket : wakeSockets_)
    if (socket >= 0) ::close(socket);
}

void SessionEndWatcher::watchSignals() {
  if (signalOwner != nullptr) {
    qCWarning(lcSessionEnd) << "another watcher already handles the signals";
    return;
  }
  int sockets[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, sockets) != 0) {
    qCWarning(lcSessionEnd) << "no socket pair for the signals:" << qt_error_string(errno);
    return;
  }
  wakeSockets_ = {sockets[0], sockets[1]};
  wakeSocket = sockets[0];
  signalOwner = this;
  wakeNotifier_ = new QSocketNotifier(wakeSockets_[1], QSocketNotifier::Read, this);
  connect(wakeNotifier_, &QSocketNotifier::activated, this, &SessionEndWatcher::signalArrived);

  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    struct sigaction previous {};
    if (::sigaction(kSignals[i], nullptr, &previous) != 0) continue;
    // Started with the signal ignored (nohup, a background job): the starter meant it.
    if (previous.sa_handler == SIG_IGN) continue;
    if (::sigaction(kSignals[i], &action, &previousActions_[i]) == 0) installed_[i] = true;
  }
}

void SessionEndWatcher::signalArrived() {
  char bytes[64];
  ssize_t count = 0;
  int number = 0;
  while ((count = ::read(wakeSockets_[1], bytes, sizeof bytes)) > 0) number = bytes[count - 1];
  if (number == 0 || signalled_) return;
  signalled_ = true;
  qCInfo(lcSessionEnd) << "ending on signal" << number;
  emit sessionEnding(true);
  // Everything is kept now; a repeated signal (Ctrl+C pressed again) ends the program at once.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  for (std::size_t i = 0; i < kSignals.size(); ++i)
    if (installed_[i]) ::sigaction(kSignals[i], &fallback, nullptr);
}

void SessionEndWatcher::watchLogind() {
  if (!systemBus_.isConnected()) {
    qCDebug(lcSessionEnd) << "no system bus; shutdown is noticed through the signals only";
    return;
  }
  if (!systemBus_.connect(kLogindService, kLogindPath, kLogindManager, QStringLiteral("PrepareForShutdown"), this,
                          SLOT(prepareForShutdown(bool))))
    qCDebug(lcSessionEnd) << "cannot watch logind:" << systemBus_.lastError().message();
  takeShutdownDelay();
}

void SessionEndWatcher::takeShutdownDelay() {
  if (delayRequested_ || holdsShutdownDelay()) return;
  delayRequested_ = true;
  QDBusMessage call =
      QDBusMessage::createMethodCall(kLogindService, kLogindPath, kLogindManager, QStringLiteral("Inhibit"));
  call << QStringLiteral("shutdown") << QStringLiteral("Kalvory") << QStringLiteral("Keeping unsaved reminders")
       << QStringLiteral("delay");
  // Asked without waiting: start-up does not depend on logind's answer.
  auto* pending = new QDBusPendingCallWatcher(systemBus_.asyncCall(call), this);
  connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
    call->deleteLater();
    delayRequested_ = false;
    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *call;
    if (reply.isError()) {
      qCDebug(lcSessionEnd) << "no shutdown delay:" << reply.error().message();
      return;
    }
    // A lock granted after shutdown began would only hold it up.
    if (!shuttingDown_) shutdownDelay_ = reply.value();
  });
}

void SessionEndWatcher::prepareForShutdown(bool starting) {
  shuttingDown_ = starting;
  if (!starting) {
    // The shutdown was cancelled: be ready for the next one.
    takeShutdownDelay();
    return;
  }
  qCInfo(lcSessionEnd) << "the computer is shutting down";
  emit sessionEnding(false);
  // Closing the descriptor tells logind it may go on.
  shutdownDelay_ = QDBusUnixFileDescriptor();
}

}  // namespace kalvory
