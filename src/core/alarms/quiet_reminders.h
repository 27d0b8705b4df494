#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "core/model/alarm_line.h"
#include "core/model/record_times.h"

namespace kalvory {

// Which reminders the one-second check may pass over. For each reminder it keeps the first
// second at which the check must look at it again: until then looking would change nothing, so
// an idle tick costs the same for ten reminders or a hundred thousand. The seconds are worked out
// when the check looks at a reminder; a change to the document (which may touch any reminder
// without the check seeing it), a different number of reminders or a clock set back makes the
// next tick look at every one again.
class QuietReminders {
 public:
  static constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

  // The next tick looks at every reminder.
  void invalidate() { valid_ = false; }

  // Begins a tick at `second` over `count` reminders; false when every reminder is quiet, so
  // the walk can be left out altogether.
  bool beginTick(std::int64_t second, std::size_t count);
  // Whether the tick may pass over the reminder at `index`.
  bool quiet(std::size_t index, std::int64_t second) const { return index < until_.size() && second < until_[index]; }
  // The check has looked at the reminder at `index`: it need not look again before `until`.
  void settle(std::size_t index, std::int64_t until);
  // Whether the tick that began last passed over any reminder.
  bool passedOverAny() const { return passedOver_; }
  // The tick passes over the quiet reminder at `index`.
  void passOver(std::size_t index) {
    passedOver_ = true;
    if (until_[index] < earliest_) earliest_ = until_[index];
  }

 private:
  std::vector<std::int64_t> until_;
  std::int64_t earliest_ = 0;  // the smallest of until_
  std::int64_t lastSecond_ = std::numeric_limits<std::int64_t>::min();
  bool valid_ = false;
  bool passedOver_ = false;
};

// The first second after `now` at which the check must look at `reminder` again: `now.seconds`
// (look at every tick) while it shows, was turned off, carries run-time state or names a
// sticker; else the start of its next window (today's for a daily reminder, or the next
// midnight, when its days are worked out again), or kNever for a switched-off reminder and one
// whose only window has passed.
std::int64_t quietUntilSecond(const CAlarmLine& reminder, const record_times::Now& now);

}  // namespace kalvory
