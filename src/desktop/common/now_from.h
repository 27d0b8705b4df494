#pragma once

#include "core/common/date_time.h"

namespace kalvory {

// The time from an injected clock, or the system's when none was given (the program's own
// windows leave it empty; tests hand in theirs).
inline COleDateTime nowFrom(const Clock& clock) { return clock ? clock() : systemNow(); }

}  // namespace kalvory
