#pragma once

namespace kalvory {

// The program's version as shown by --version and the about dialog.
const char* versionString() noexcept;

}  // namespace kalvory
