#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QLoggingCategory>
#include <QObject>
#include <array>
#include <csignal>

class QSocketNotifier;

Q_DECLARE_LOGGING_CATEGORY(lcSessionEnd)

namespace kalvory {

// Notices the end of the desktop session, so that settings and unsaved changes are kept:
//   - SIGTERM (the session's or the system's shutdown), SIGHUP (the terminal went away) and SIGINT
//     (Ctrl+C): the handler only writes a byte to a socket pair; the event loop does the rest;
//   - the session manager asking the program to commit its data at logout;
//   - logind announcing the computer's shutdown (PrepareForShutdown(true)) on the system bus. A
//     delay lock is held meanwhile, so that logind waits until the data is kept.
// A signal ends the program; the other two only keep the data, since the logout or shutdown may
// still be cancelled and the session manager or the system sends the signal that ends it.
//
// Only one watcher owns the process's signals at a time; a signal that was ignored when the
// watcher started (SIGHUP under nohup) stays ignored.
class SessionEndWatcher : public QObject {
  Q_OBJECT
 public:
  static constexpr std::array<int, 3> kSignals{SIGTERM, SIGHUP, SIGINT};

  // Watches logind on the system bus ($DBUS_SYSTEM_BUS_ADDRESS when set); a missing system bus
  // or logind leaves only the signals and the session manager.
  explicit SessionEndWatcher(QObject* parent = nullptr);
  // Watches logind on another connection (tests give a private bus or an unconnected one).
  explicit SessionEndWatcher(QDBusConnection systemBus, QObject* parent = nullptr);
  ~SessionEndWatcher() override;

  SessionEndWatcher(const SessionEndWatcher&) = delete;
  SessionEndWatcher& operator=(const SessionEndWatcher&) = delete;

  // True while logind has granted the delay lock for shutdown.
  bool holdsShutdownDelay() const { return shutdownDelay_.isValid(); }

 signals:
  // Keep the settings and the unsaved changes now, without asking anything; with `quit` the
  // program must then end.
  void sessionEnding(bool quit);

 private slots:
  void prepareForShutdown(bool starting);

 private:
  void watchSignals();
  void signalArrived();
  void watchLogind();
  void takeShutdownDelay();

  // The socket pair of the signal handler: it writes to [0], the notifier reads [1].
  std::array<int, 2> wakeSockets_{-1, -1};
  QSocketNotifier* wakeNotifier_ = nullptr;
  std::array<struct sigaction, kSignals.size()> previousActions_{};
  std::array<bool, kSignals.size()> installed_{};
  bool signalled_ = false;

  QDBusConnection systemBus_;
  QDBusUnixFileDescriptor shutdownDelay_;
  bool shuttingDown_ = false;
  bool delayRequested_ = false;
};

}  // namespace kalvory
