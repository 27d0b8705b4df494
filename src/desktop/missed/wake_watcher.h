#pragma once

#include <QDBusConnection>
#include <QObject>

namespace kalvory {

// Tells when the computer wakes from sleep: logind's PrepareForSleep(false) on the system bus.
// Nothing is polled; without logind the signal simply never comes.
class WakeWatcher final : public QObject {
  Q_OBJECT
 public:
  explicit WakeWatcher(QDBusConnection bus = QDBusConnection::systemBus(), QObject* parent = nullptr);
  bool isWatching() const { return watching_; }

 signals:
  void goingToSleep();
  void woke();

 private slots:
  void prepareForSleep(bool sleeping);

 private:
  bool watching_ = false;
};

}  // namespace kalvory
