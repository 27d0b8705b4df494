#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "core/common/error_reporter.h"

namespace kalvory::cli {

// The one way kalvory-cli reports an error: "kalvory-cli COMMAND: message" on one line of
// stderr (the message through oneLine), or "kalvory-cli: message" for the tool itself (an
// empty command). The core's subsystems take it as their ErrorReporter.
class OneLineReporter final : public ErrorReporter {
 public:
  OneLineReporter(std::ostream& err, std::string_view command) : err_(err), command_(command) {}

  void reportError(std::string_view title, std::string_view message) override;
  void report(std::string_view message) { reportError({}, message); }
  // Errors reported so far.
  int count() const { return count_; }

 private:
  std::ostream& err_;
  std::string command_;
  int count_ = 0;
};

}  // namespace kalvory::cli
