// kalvory-cli profile: one value of a definition file, read the way the program reads it.
#include <charconv>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>

#include "cli/command.h"
#include "core/common/error_reporter.h"
#include "core/settings/profile.h"

namespace kalvory::cli {
namespace {

enum class ValueType { String, Int, Double, Color };

template <typename Number>
Number defaultNumber(const std::string& text, const char* what) {
  const std::optional<Number> value = parseNumber<Number>(text);
  if (!value) throw UsageError{std::string("--default needs ") + what + ", not \"" + text + "\""};
  return *value;
}

std::string doubleText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

int runProfile(CommandContext& context) {
  Arguments arguments(context.args);
  ValueType type = ValueType::String;
  int typeFlags = 0;
  for (const auto& [flag, flagType] :
       {std::pair{"--string", ValueType::String}, std::pair{"--int", ValueType::Int},
        std::pair{"--double", ValueType::Double}, std::pair{"--color", ValueType::Color}}) {
    if (arguments.takeFlag(flag)) {
      type = flagType;
      ++typeFlags;
    }
  }
  if (typeFlags > 1) throw UsageError{"choose one of --string, --int, --double and --color"};
  std::string defaultText;
  const bool hasDefault = arguments.takeOption("--default", defaultText);
  const auto positionals = arguments.positionals(3, 3);
  const std::string& section = positionals[1];
  const std::string& key = positionals[2];

  // Checked first: the store would create a file that is missing, and a read must change nothing.
  // A relative name is taken against the current folder, as a shell user means it; the store
  // alone would look for a bare name beside the program.
  std::error_code error;
  const std::string file = std::filesystem::absolute(positionals[0], error).string();
  if (error || !std::filesystem::is_regular_file(file, error)) {
    const std::string_view pattern(kProfileLoadFailedMessage);
    const std::size_t slot = pattern.find("%s");
    std::string message(pattern.substr(0, slot));
    message += positionals[0];
    if (slot != std::string_view::npos) message += pattern.substr(slot + 2);
    return context.refuse(message);
  }

  CProfile profile(&context.errors);
  profile.SetSaveOnClose(false);
  profile.SetStoreDefaults(false);
  if (!profile.Load(file)) return kExitInput;

  switch (type) {
    case ValueType::String:
      context.out << profile.GetString(section, key, hasDefault ? defaultText : "") << "\n";
      break;
    case ValueType::Int:
      context.out << profile.GetInt(section, key,
                                    hasDefault ? defaultNumber<std::int32_t>(defaultText, "an integer") : 0)
                  << "\n";
      break;
    case ValueType::Double:
      context.out << doubleText(profile.GetDouble(section, key,
                                                  hasDefault ? defaultNumber<double>(defaultText, "a number") : 0.0))
                  << "\n";
      break;
    case ValueType::Color: {
      ColorRef fallback = 0;
      if (hasDefault) {
        const auto value = defaultNumber<std::uint32_t>(defaultText, "a colour reference (0 to 16777215)");
        if (value > 0xFFFFFF) throw UsageError{"--default needs a colour reference (0 to 16777215)"};
        fallback = value;
      }
      context.out << profile.GetColor(section, key, fallback) << "\n";
      break;
    }
  }
  return kExitOk;
}

const Registration registration{{"profile",
                                 "profile FILE SECTION KEY [--string|--int|--double|--color] [--default VALUE]",
                                 "Reads one value of a definition file as the program does (nothing is written back); "
                                 "colours print as the decimal colour reference (red + 256 green + 65536 blue).",
                                 runProfile}};

}  // namespace
}  // namespace kalvory::cli
