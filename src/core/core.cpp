// kalvory_core gathers the subsystem libraries; this unit carries the version.
#include "core/core.h"

namespace kalvory {

const char* versionString() noexcept { return "0.1.0"; }

}  // namespace kalvory
