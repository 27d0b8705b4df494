#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/date_time.h"
#include "core/common/result.h"

namespace kalvory {

class CAlarmDoc;

// A turn-off dialog answer given at a moment of a dry run.
struct SimulationAnswer {
  enum class Kind { Postpone, Off, OffExit };
  std::string at;  // "YYYY-MM-DD HH:MM:SS"
  Kind kind = Kind::Off;
  std::int64_t seconds = 0;  // Postpone only
};

struct SimulationOptions {
  COleDateTime from;
  COleDateTime to;  // inclusive
  int showTime = 60;
  std::optional<int> sayTimeRange;  // the time announcement is off without it
  std::vector<SimulationAnswer> answers;
};

// "T postpone SECONDS", "T off" or "T off exit"; a failure saying what is wrong otherwise.
Result<SimulationAnswer> parseSimulationAnswer(std::string_view text);

// Runs the alarm check once a second from `from` to `to` over `document` with a simulated main
// window, media player and speech library, and writes one line per effect in call order:
// "YYYY-MM-DD HH:MM:SS op args". An answer is applied before the tick of its second. The run
// stops after the tick on which an exit action closes the program. Returns the ticks run.
std::int64_t runAlarmSimulation(CAlarmDoc& document, const SimulationOptions& options, std::ostream& out);

// Seconds from `from` to `to` (negative when `to` is earlier); both must be valid.
std::int64_t secondsBetween(const COleDateTime& from, const COleDateTime& to);

}  // namespace kalvory
