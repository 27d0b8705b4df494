#pragma once

#include <cstddef>
#include <vector>

#include "core/common/date_time.h"

namespace kalvory {

class CAlarmDoc;

// A reminder whose window began and ended between two moments the check saw: it was never due on
// any tick, so it never fired.
struct MissedReminder {
  std::size_t index = 0;  // position in the document's reminder list
  COleDateTime start;     // the start of the (latest) window that was missed
};

// The reminders whose window fell wholly after `lastSeen` and before `now`: armed, with a start
// later than `lastSeen` (a window that held `lastSeen` fired on that tick) and an end before
// `now` (a window that still holds `now` fires on this tick as usual). A daily reminder that
// missed several days is listed once, with its latest missed window; days further back than a
// year are not looked at. Switched-off and turned-off reminders are left out, and so is
// everything when either moment is invalid or `now` is not after `lastSeen`.
std::vector<MissedReminder> findMissedReminders(const CAlarmDoc& document, const COleDateTime& lastSeen,
                                                const COleDateTime& now);

// Whether the clock jumped between two ticks: more than a minute forward or any way backward
// past a minute (a suspended computer or process, a changed clock). One subtraction, so the
// one-second tick can ask it every time.
inline bool clockJumped(const COleDateTime& previousTick, const COleDateTime& now) {
  // Half a second over the minute, so that the rounding of the stored days never counts a step
  // of exactly one minute as a jump.
  constexpr double kMinute = 60.5 / 86400.0;
  const double step = now.days() - previousTick.days();
  return step > kMinute || step < -kMinute;
}

}  // namespace kalvory
