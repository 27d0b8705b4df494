#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "core/common/error_reporter.h"

namespace kalvory::cli {

// A message as one line of stderr: each line break becomes one blank (the core's messages are
// written for message boxes and may span lines), other control characters and the marks
// U+0080..U+009F are written as \xNN, and malformed UTF-8 as U+FFFD, so that nothing a file or
// an argument holds can break the line or the terminal.
std::string oneLine(std::string_view message);

// The one way kalvory-cli reports an error: "kalvory-cli COMMAND: message" on one line of
// stderr, or "kalvory-cli: message" for the tool itself (an empty command). The core's
// subsystems take it as their ErrorReporter.
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
