// kalvory-cli add: one reminder typed on one line, added to a document.
#include <filesystem>
#include <ostream>

#include "cli/command.h"
#include "cli/document_json.h"
#include "core/model/document_file.h"
#include "core/model/quick_add.h"

namespace kalvory::cli {
namespace {

int runAdd(CommandContext& context) {
  Arguments arguments(context.args);
  QuickAddRequest request;
  arguments.takeOption("--at", request.when);
  request.daily = arguments.takeFlag("--daily");
  arguments.takeOption("--weekdays", request.weekdays);
  std::string timer;
  if (arguments.takeOption("--timer", timer)) {
    request.timerMinutes = parseNumber<int>(timer);
    if (!request.timerMinutes) throw UsageError{"--timer wants whole minutes, not \"" + timer + "\""};
  }
  std::string nowText;
  COleDateTime now = systemNow();
  if (arguments.takeOption("--now", nowText)) {
    const auto parsed = parseLocalTime(nowText);
    if (!parsed) throw UsageError{"--now wants \"YYYY-MM-DD HH:MM:SS\", not \"" + nowText + "\""};
    now = *parsed;
  }
  const auto files = arguments.positionals(2, 2);
  request.text = files[1];

  // Everything the user typed is checked before the file is touched.
  Result<CAlarmLine> line = buildQuickReminder(request, now);
  if (!line.ok()) {
    context.errors.report(line.error());
    return kExitUsage;
  }

  CAlarmDoc doc;
  std::error_code error;
  if (std::filesystem::exists(files[0], error)) {
    if (const auto loaded = loadDocumentFile(doc, files[0]); !loaded.ok()) return context.refuse(loaded.error());
  }
  const CAlarmLine* added = doc.AddAlarm(line.value());
  if (const auto saved = saveDocumentFile(doc, files[0]); !saved.ok()) return context.refuse(saved.error());
  context.out << reminderToJson(*added).dump(2, ' ', false, DocumentJson::error_handler_t::replace) << "\n";
  return kExitOk;
}

const Registration registration{
    {"add",
     "add FILE TEXT (--at WHEN [--daily] [--weekdays mon,tue,...] | --timer MINUTES) [--now \"YYYY-MM-DD HH:MM:SS\"]",
     "Adds a reminder to FILE (created when missing) and prints it as \"info\" does. WHEN is \"HH:MM\", "
     "\"YYYY-MM-DD HH:MM\", \"in 10 min\", \"in 2 h\", \"tomorrow 9:00\" or \"friday 18:30\", also in Russian "
     "and Ukrainian (\"через 10 мин\", \"завтра 9:00\", \"п'ятниця 18:30\").",
     runAdd}};

}  // namespace
}  // namespace kalvory::cli
