#pragma once

#include <string>
#include <string_view>

#include "core/common/result.h"

namespace kalvory {

// Writes `contents` as the whole of the file at `path` through a temporary file beside it that
// is renamed over the old one, so a reader sees the old file or the new one and never a half
// written one. Missing parent folders are created. The failure says "PATH: why".
Result<void> replaceFileContents(const std::string& path, std::string_view contents);

}  // namespace kalvory
