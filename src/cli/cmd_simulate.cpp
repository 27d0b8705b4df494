// kalvory-cli simulate: a dry run of the one-second alarm check over a reminder document.
#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>

#include "cli/command.h"
#include "core/alarms/alarm_simulation.h"
#include "core/model/alarm_doc.h"
#include "core/model/document_file.h"

namespace kalvory::cli {
namespace {

// A month of seconds is plenty for a dry run and keeps the output within reason.
constexpr std::int64_t kLongestRunSeconds = std::int64_t{31} * 86400;
// Reminder checks a run may make in all: a few minutes at most.
constexpr std::int64_t kMostReminderTicks = std::int64_t{4'000'000'000};

int runSimulate(CommandContext& context) {
  Arguments arguments(context.args);
  std::string fromText, toText, showTimeText, sayTimeText;
  const bool haveFrom = arguments.takeOption("--from", fromText);
  const bool haveTo = arguments.takeOption("--to", toText);
  const bool haveShowTime = arguments.takeOption("--show-time", showTimeText);
  const bool haveSayTime = arguments.takeOption("--say-time", sayTimeText);
  const std::vector<std::string> answerTexts = arguments.takeAllOptions("--answer");
  const std::vector<std::string> files = arguments.positionals(1, 1);
  if (!haveFrom) throw UsageError{"--from is required"};
  if (!haveTo) throw UsageError{"--to is required"};

  SimulationOptions options;
  const auto from = parseLocalTime(fromText);
  const auto to = parseLocalTime(toText);
  if (!from || !to) return context.refuse("a time must be YYYY-MM-DD HH:MM:SS: " + (from ? toText : fromText));
  options.from = *from;
  options.to = *to;
  const std::int64_t span = secondsBetween(options.from, options.to);
  if (span < 0) return context.refuse("--to is earlier than --from");
  if (span > kLongestRunSeconds) return context.refuse("a run may last at most 31 days");
  if (haveShowTime) {
    const std::optional<int> showTime = parseNumber<int>(showTimeText);
    if (!showTime) return context.refuse("--show-time needs a whole number of seconds: " + showTimeText);
    options.showTime = *showTime;
  }
  if (haveSayTime) {
    options.sayTimeRange = parseNumber<int>(sayTimeText);
    if (!options.sayTimeRange) return context.refuse("--say-time needs a whole number of minutes: " + sayTimeText);
  }
  for (const std::string& text : answerTexts) {
    Result<SimulationAnswer> answer = parseSimulationAnswer(text);
    if (!answer.ok()) return context.refuse(answer.error());
    options.answers.push_back(std::move(answer).value());
  }

  CAlarmDoc document;
  if (const auto loaded = loadDocumentFile(document, files.front()); !loaded.ok())
    return context.refuse(loaded.error());
  // Each tick walks every reminder; a huge document over a long run would take hours.
  const auto reminders = static_cast<std::int64_t>(document.alarmCount());
  if ((span + 1) * std::max<std::int64_t>(reminders, 1) > kMostReminderTicks) {
    return context.refuse(std::to_string(reminders) + " reminders over " + std::to_string(span + 1) +
                          " seconds is too long a run; choose a shorter one");
  }
  runAlarmSimulation(document, options, context.out);
  return kExitOk;
}

const Registration registration{
    {"simulate",
     "simulate FILE --from T1 --to T2 [--show-time D] [--answer \"T postpone SECONDS\"] [--answer \"T off\"] "
     "[--answer \"T off exit\"] [--say-time RANGE]",
     "Runs the alarm check once a second from T1 to T2 and prints every effect as \"TIME op args\".", runSimulate}};

}  // namespace
}  // namespace kalvory::cli
