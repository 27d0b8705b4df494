#include "cli/command.h"

#include <algorithm>

namespace kalvory::cli {

namespace {
std::vector<Command>& commandTable() {
  static std::vector<Command> table;
  return table;
}
}  // namespace

Registration::Registration(Command command) { commandTable().push_back(std::move(command)); }

const std::vector<Command>& registeredCommands() {
  auto& table = commandTable();
  std::sort(table.begin(), table.end(), [](const Command& a, const Command& b) { return a.name < b.name; });
  return table;
}

bool Arguments::takeOption(std::string_view name, std::string& value) {
  for (auto it = args_.begin(); it != args_.end(); ++it) {
    if (*it == name) {
      if (std::next(it) == args_.end()) throw UsageError{std::string(name) + " needs a value"};
      value = *std::next(it);
      args_.erase(it, it + 2);
      return true;
    }
  }
  return false;
}

std::vector<std::string> Arguments::takeAllOptions(std::string_view name) {
  std::vector<std::string> values;
  std::string value;
  while (takeOption(name, value)) values.push_back(value);
  return values;
}

bool Arguments::takeFlag(std::string_view name) {
  auto it = std::find(args_.begin(), args_.end(), name);
  if (it == args_.end()) return false;
  args_.erase(it);
  return true;
}

std::vector<std::string> Arguments::positionals(std::size_t min, std::size_t max) const {
  for (const auto& arg : args_) {
    if (arg.size() > 2 && arg.rfind("--", 0) == 0) throw UsageError{"unknown option " + arg};
  }
  if (args_.size() < min) throw UsageError{"missing argument"};
  if (args_.size() > max) throw UsageError{"too many arguments"};
  return args_;
}

}  // namespace kalvory::cli
