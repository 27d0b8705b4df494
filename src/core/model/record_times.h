#pragma once

// The reminder rules in whole seconds, for the document's walks over many records: "now" is
// taken apart once and each record costs one conversion of its own time.

#include <cstdint>
#include <optional>

#include "core/common/date_time.h"
#include "core/model/alarm_line.h"
#include "core/model/day_info.h"

namespace kalvory::record_times {

struct Now {
  explicit Now(const COleDateTime& now);
  std::int64_t seconds = 0;  // from 30 December 1899 00:00
  std::int64_t today = 0;    // day number of today
  bool valid = false;
};

std::optional<std::int64_t> startSecond(const CAlarmLine& line, const Now& now);
bool eligibleToday(const CAlarmLine& line, const Now& now);

// The window the alarm check looks at now: a pending postponement's once its moment has come
// (eligible on any day), else the reminder's own, where the occurrence the postponement
// replaced is not eligible.
struct Window {
  std::optional<std::int64_t> start;
  bool eligible = false;
};
Window checkedWindow(const CAlarmLine& line, const Now& now);
// Both the postponed showing's window and the one of the occurrence it replaced have passed.
bool postponementOver(const CAlarmLine& line, const Now& now);

bool isDue(const CAlarmLine& line, const Now& now);
std::optional<std::int64_t> nextFireSecond(const CAlarmLine& line, const Now& now);

// The day number of a note's next date from `today` on, or nullopt.
std::optional<std::int64_t> nextDay(const CDayInfo& info, std::int64_t today);

}  // namespace kalvory::record_times
