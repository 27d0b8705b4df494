#include "desktop/common/second_timer.h"

#include <QDateTime>

namespace kalvory {

namespace {
// After the second begins, so that a timer firing a millisecond early or a clock rounding down
// never sees the second before.
constexpr int kAfterTheSecondMs = 10;
}  // namespace

SecondTimer::SecondTimer(QObject* parent) : QObject(parent) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &SecondTimer::fire);
}

int SecondTimer::untilNextSecond() {
  const qint64 intoSecond = QDateTime::currentMSecsSinceEpoch() % 1000;
  return static_cast<int>(1000 - intoSecond) + kAfterTheSecondMs;
}

void SecondTimer::start() {
  active_ = true;
  if (!timer_.isActive()) timer_.start(untilNextSecond());
}

void SecondTimer::stop() {
  active_ = false;
  timer_.stop();
}

void SecondTimer::fire() {
  // Armed again first, from the wall clock, so a slow handler does not shift the next second.
  timer_.start(untilNextSecond());
  emit timeout();
  // The handler may have stopped it.
  if (!active_) timer_.stop();
}

}  // namespace kalvory
