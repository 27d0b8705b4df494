#pragma once

#include <functional>

#include "core/common/error_reporter.h"
#include "core/resources/resource_strings.h"

namespace kalvory {

// Shows errors in message boxes. They do not block: the program goes on (an error found while
// starting, such as a hotkey taken by another program, must not hold up the tray icon).
class MessageBoxReporter final : public ErrorReporter {
 public:
  void reportError(std::string_view title, std::string_view message) override;
};

}  // namespace kalvory
