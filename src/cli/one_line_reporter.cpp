#include "cli/one_line_reporter.h"

#include "cli/line_text.h"

namespace kalvory::cli {

void OneLineReporter::reportError(std::string_view, std::string_view message) {
  err_ << "kalvory-cli" << (command_.empty() ? "" : " ") << command_ << ": " << oneLine(message) << "\n";
  ++count_;
}

}  // namespace kalvory::cli
