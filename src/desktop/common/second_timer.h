#pragma once

#include <QObject>
#include <QTimer>

namespace kalvory {

// A one-second timer that times out just after each whole second of the wall clock. All timers
// of this kind wake the program together, once a second however many run, and a clock driven
// by one shows the new second as soon as it begins. A late timeout is followed by the next
// whole second, never by a burst of missed ones.
class SecondTimer final : public QObject {
  Q_OBJECT
 public:
  explicit SecondTimer(QObject* parent = nullptr);

  void start();
  void stop();
  bool isActive() const { return active_; }

  // Milliseconds from now to a little after the next whole second.
  static int untilNextSecond();

 signals:
  void timeout();

 private:
  void fire();

  QTimer timer_;
  bool active_ = false;
};

}  // namespace kalvory
