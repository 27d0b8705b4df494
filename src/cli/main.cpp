// kalvory-cli: the reminder program's logic from the command line, for scripts and tests.
#include <iostream>
#include <string>

#include "cli/command.h"
#include "core/core.h"

namespace {

void printHelp(std::ostream& out) {
  out << "Usage: kalvory-cli COMMAND [ARGUMENTS]\n\n"
         "Reads and writes Kalvory reminder documents (.alr) and shows what the\n"
         "program computes from them. Dates are local time \"YYYY-MM-DD HH:MM:SS\".\n"
         "All text output is UTF-8.\n\nCommands:\n";
  for (const auto& command : kalvory::cli::registeredCommands()) {
    out << "  " << command.synopsis << "\n      " << command.summary << "\n";
  }
  out << "\nExit status: 0 success, 1 bad command line, 2 bad input (or a server that cannot be used).\n";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kalvory::cli;
  if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
    printHelp(argc < 2 ? std::cerr : std::cout);
    return argc < 2 ? kExitUsage : kExitOk;
  }
  const std::string name = argv[1];
  if (name == "--version") {
    std::cout << "kalvory-cli " << kalvory::versionString() << "\n";
    return kExitOk;
  }
  for (const auto& command : registeredCommands()) {
    if (command.name != name) continue;
    OneLineReporter errors(std::cerr, command.name);
    CommandContext context{{argv + 2, argv + argc}, std::cout, errors};
    for (const auto& arg : context.args) {
      if (arg == "--help") {
        std::cout << "Usage: kalvory-cli " << command.synopsis << "\n" << command.summary << "\n";
        return kExitOk;
      }
    }
    try {
      return command.run(context);
    } catch (const UsageError& error) {
      errors.report(error.message);
      std::cerr << "Usage: kalvory-cli " << command.synopsis << "\n";
      return kExitUsage;
    }
  }
  OneLineReporter(std::cerr, "").report("unknown command \"" + name + "\" (see kalvory-cli --help)");
  return kExitUsage;
}
