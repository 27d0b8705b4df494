#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "core/common/error_reporter.h"

namespace kalvory::cli {

// The core's messages may span lines; the tool keeps each on one line of stderr, after the
// command's name.
class OneLineReporter final : public ErrorReporter {
 public:
  OneLineReporter(std::ostream& err, std::string_view command) : err_(err), command_(command) {}
  void reportError(std::string_view, std::string_view message) override {
    std::string line;
    for (const char c : message) {
      if (c == '\n') {
        if (!line.empty() && line.back() != ' ') line += ' ';
      } else {
        line += c;
      }
    }
    err_ << "kalvory-cli " << command_ << ": " << line << "\n";
    ++count;
  }
  int count = 0;

 private:
  std::ostream& err_;
  std::string command_;
};

}  // namespace kalvory::cli
