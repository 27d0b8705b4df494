#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kalvory {

// Errors the user must see go through one interface: the desktop shows a message box in the
// current language, the command-line tool prints to stderr, tests record.
class ErrorReporter {
 public:
  virtual ~ErrorReporter() = default;
  // title may be empty (the program's name is used then).
  virtual void reportError(std::string_view title, std::string_view message) = 0;
};

// Collects messages; for tests and for callers that decide later what to show.
class RecordingErrorReporter final : public ErrorReporter {
 public:
  struct Entry {
    std::string title;
    std::string message;
  };
  void reportError(std::string_view title, std::string_view message) override {
    entries.push_back({std::string(title), std::string(message)});
  }
  std::vector<Entry> entries;
};

}  // namespace kalvory
