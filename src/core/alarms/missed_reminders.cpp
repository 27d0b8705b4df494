#include "core/alarms/missed_reminders.h"

#include <algorithm>
#include <optional>

#include "core/model/alarm_doc.h"
#include "core/model/alarm_line.h"
#include "core/model/moment.h"
#include "core/model/record_times.h"

namespace kalvory {

namespace {

constexpr std::int64_t kDaysLookedBack = 366;

// The start of the latest window of `line` that lies in (from, to) with its end before `to`.
std::optional<std::int64_t> latestMissedStart(const CAlarmLine& line, const record_times::Now& from,
                                              const record_times::Now& to) {
  const auto missed = [&](std::int64_t start) {
    return start > from.seconds && start + line.show_seconds < to.seconds;
  };
  if (line.daily == 0) {
    // A one-time reminder or a timer has one window; it needs no day of its own to be eligible.
    const auto start = record_times::startSecond(line, to);
    if (!start || !missed(*start)) return std::nullopt;
    return start;
  }
  // A daily reminder's postponed showing is a window of its own.
  std::optional<std::int64_t> latest;
  if (line.postponed && missed(line.postponed->ringsAt)) latest = line.postponed->ringsAt;
  // Walk back from today, day by day, to the day of `from`.
  const std::int64_t firstDay = std::max(from.today, to.today - kDaysLookedBack);
  for (std::int64_t day = to.today; day >= firstDay; --day) {
    const record_times::Now onDay(moment::fromDay(day));
    if (!record_times::eligibleToday(line, onDay)) continue;
    const auto start = record_times::startSecond(line, onDay);
    if (line.postponed && start == line.postponed->replaces) continue;
    if (start && missed(*start)) return latest && *latest > *start ? latest : start;
    if (start && *start <= from.seconds) break;
  }
  return latest;
}

}  // namespace

std::vector<MissedReminder> findMissedReminders(const CAlarmDoc& document, const COleDateTime& lastSeen,
                                                const COleDateTime& now) {
  std::vector<MissedReminder> missed;
  const record_times::Now from(lastSeen);
  const record_times::Now to(now);
  if (!from.valid || !to.valid || to.seconds <= from.seconds) return missed;
  const auto& alarms = document.alarms();
  for (std::size_t index = 0; index < alarms.size(); ++index) {
    const CAlarmLine& line = *alarms[index];
    if (line.state != ReminderState::Armed || line.fired) continue;
    if (const auto start = latestMissedStart(line, from, to)) {
      missed.push_back({index, moment::fromSeconds(*start)});
    }
  }
  return missed;
}

}  // namespace kalvory
