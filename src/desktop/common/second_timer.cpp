#include "desktop/common/second_timer.h"

#include <QDateTime>
#include <QTimer>

namespace kalvory {

namespace {

// After the second begins, so that a clock rounding down never sees the second before.
constexpr int kAfterTheSecondMs = 10;

// The one timer behind every SecondTimer; it runs while any of them does.
class WholeSeconds final : public QObject {
  Q_OBJECT
 public:
  static WholeSeconds& instance() {
    static WholeSeconds* seconds = new WholeSeconds;  // lives as long as the process
    return *seconds;
  }

  void subscribe() {
    if (subscribers_++ == 0) timer_.start(SecondTimer::untilNextSecond());
  }
  void unsubscribe() {
    if (--subscribers_ == 0) timer_.stop();
  }

 signals:
  void second();

 private:
  WholeSeconds() {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
      // Armed again first, from the wall clock, so slow handlers do not shift the next second.
      timer_.start(SecondTimer::untilNextSecond());
      emit second();
      if (subscribers_ == 0) timer_.stop();
    });
  }

  QTimer timer_;
  int subscribers_ = 0;
};

}  // namespace

SecondTimer::SecondTimer(QObject* parent) : QObject(parent) {}

SecondTimer::~SecondTimer() { stop(); }

int SecondTimer::untilNextSecond() {
  const qint64 intoSecond = QDateTime::currentMSecsSinceEpoch() % 1000;
  return static_cast<int>(1000 - intoSecond) + kAfterTheSecondMs;
}

void SecondTimer::start() {
  if (connection_) return;
  WholeSeconds& seconds = WholeSeconds::instance();
  connection_ = connect(&seconds, &WholeSeconds::second, this, &SecondTimer::timeout);
  seconds.subscribe();
}

void SecondTimer::stop() {
  if (!connection_) return;
  disconnect(connection_);
  connection_ = {};
  WholeSeconds::instance().unsubscribe();
}

}  // namespace kalvory

#include "second_timer.moc"
