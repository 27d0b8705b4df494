#include "core/alarms/quiet_reminders.h"

#include <algorithm>

#include "core/model/moment.h"

namespace kalvory {

namespace {

std::int64_t floorDiv(std::int64_t value, std::int64_t divisor) {
  const std::int64_t quotient = value / divisor;
  return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

// Run-time state beside the record that the check must keep looking after: a pending
// postponement, where the record has one.
template <class Line>
bool hasPendingPostponement(const Line& line) {
  if constexpr (requires { line.postponed.has_value(); })
    return line.postponed.has_value();
  else
    return false;
}

}  // namespace

bool QuietReminders::beginTick(std::int64_t second, std::size_t count) {
  passedOver_ = false;
  // A clock set back could bring a window that was worked out as passed back into reach.
  if (second < lastSecond_ || count != until_.size()) valid_ = false;
  // And every reminder is looked at once a minute in any case, so that a change that reached a
  // reminder without the document's change signal is seen within a minute rather than never. One
  // walk a minute over a hundred thousand reminders takes a few milliseconds.
  if (floorDiv(second, 60) != floorDiv(lastSecond_, 60)) valid_ = false;
  lastSecond_ = second;
  if (!valid_) {
    until_.assign(count, 0);  // every one is looked at
    valid_ = true;
  } else if (second < earliest_) {
    passedOver_ = count > 0;
    return false;
  }
  // Worked out again from what this tick settles; the walk settles every reminder it does not
  // pass over, and a walk cut short leaves a different count for the next tick.
  earliest_ = kNever;
  return true;
}

void QuietReminders::settle(std::size_t index, std::int64_t until) {
  if (index >= until_.size()) return;
  until_[index] = until;
  earliest_ = std::min(earliest_, until);
}

std::int64_t quietUntilSecond(const CAlarmLine& reminder, const record_times::Now& now) {
  if (!now.valid) return now.seconds;
  if (reminder.fired || reminder.show_count != 0 || hasPendingPostponement(reminder)) return now.seconds;
  // A sticker is updated on every tick; a turned-off reminder is armed again by the next tick
  // outside its window.
  if (!reminder.sticker.empty() || reminder.state == ReminderState::TurnedOff) return now.seconds;
  if (reminder.state == ReminderState::Inactive) return QuietReminders::kNever;
  const std::optional<std::int64_t> start = record_times::startSecond(reminder, now);
  if (!start) return QuietReminders::kNever;  // no valid time: never due
  const std::int64_t end = *start + reminder.show_seconds;
  if (reminder.daily != 0) {
    // Today's window if it is still to come, else tomorrow's days and time are looked at anew.
    const std::int64_t midnight = (now.today + 1) * moment::kSecondsPerDay;
    if (*start > now.seconds && record_times::eligibleToday(reminder, now)) return std::min(*start, midnight);
    if (now.seconds <= end && *start <= now.seconds) return now.seconds;  // inside its window
    return midnight;
  }
  if (*start > now.seconds) return *start;
  if (end < now.seconds) return QuietReminders::kNever;  // its one window has passed
  return now.seconds;
}

}  // namespace kalvory
