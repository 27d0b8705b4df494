// kalvory-cli info: the whole reminder document as JSON.
#include <ostream>

#include "cli/command.h"
#include "cli/document_json.h"
#include "core/model/document_file.h"

namespace kalvory::cli {
namespace {

int runInfo(CommandContext& context) {
  const auto files = Arguments(context.args).positionals(1, 1);
  CAlarmDoc doc;
  if (const auto loaded = loadDocumentFile(doc, files[0]); !loaded.ok()) return context.refuse(loaded.error());
  context.out << documentToJson(doc).dump(2, ' ', false, DocumentJson::error_handler_t::replace) << "\n";
  return kExitOk;
}

const Registration registration{{"info", "info FILE",
                                 "Prints the whole reminder document as JSON (reminders, day notes, "
                                 "copy-date and QuickPaste formats, countdown target).",
                                 runInfo}};

}  // namespace
}  // namespace kalvory::cli
