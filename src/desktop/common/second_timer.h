#pragma once

#include <QMetaObject>
#include <QObject>

namespace kalvory {

// A one-second timer that times out just after each whole second of the wall clock. All timers
// of this kind share one underlying timer, so the program wakes once a second however many run,
// and a clock driven by one shows the new second as soon as it begins. A late timeout is
// followed by the next whole second, never by a burst of missed ones. For the main thread.
class SecondTimer final : public QObject {
  Q_OBJECT
 public:
  explicit SecondTimer(QObject* parent = nullptr);
  ~SecondTimer() override;

  void start();
  void stop();
  bool isActive() const { return static_cast<bool>(connection_); }

  // Milliseconds from now to a little after the next whole second.
  static int untilNextSecond();

 signals:
  void timeout();

 private:
  QMetaObject::Connection connection_;
};

}  // namespace kalvory
