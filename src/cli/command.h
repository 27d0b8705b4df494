#pragma once

#include <charconv>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/one_line_reporter.h"

namespace kalvory::cli {

// Exit codes shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;  // bad command line
inline constexpr int kExitInput = 2;  // bad input file or value

struct CommandContext {
  std::vector<std::string> args;  // the arguments after the command name
  std::ostream& out;
  OneLineReporter& errors;  // every error of the command, as "kalvory-cli NAME: message"

  // Reports bad input (a file, a value) and gives the exit status for it.
  int refuse(std::string_view message) {
    errors.report(message);
    return kExitInput;
  }
};

struct Command {
  std::string_view name;
  std::string_view synopsis;  // one line for --help, e.g. "info FILE"
  std::string_view summary;   // what the command does, one sentence
  std::function<int(CommandContext&)> run;
};

// Commands register themselves from their own file:
//   static const kalvory::cli::Registration reg{{"info", "info FILE", "...", runInfo}};
struct Registration {
  explicit Registration(Command command);
};

const std::vector<Command>& registeredCommands();

// Thrown by argument helpers for a malformed command line; main prints it and exits with kExitUsage.
struct UsageError {
  std::string message;
};

// An argument as a number, the whole of it (no blanks, no "+", nothing after the digits), or
// nothing when it is not one or does not fit `Number`.
template <typename Number>
std::optional<Number> parseNumber(std::string_view text) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Small helpers for "--name value" options shared by the commands.
class Arguments {
 public:
  explicit Arguments(std::vector<std::string> args) : args_(std::move(args)) {}
  // Removes "--name VALUE" and returns VALUE, or an empty optional-like flag via found.
  bool takeOption(std::string_view name, std::string& value);
  std::vector<std::string> takeAllOptions(std::string_view name);
  bool takeFlag(std::string_view name);
  // The remaining positional arguments; an unknown "--option" left over is a usage error.
  std::vector<std::string> positionals(std::size_t min, std::size_t max) const;

 private:
  std::vector<std::string> args_;
};

}  // namespace kalvory::cli
