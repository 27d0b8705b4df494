// kalvory-cli new: an empty reminder document with the default settings.
#include <ostream>

#include "cli/command.h"
#include "cli/document_json.h"
#include "core/model/document_file.h"

namespace kalvory::cli {
namespace {

int runNew(CommandContext& context) {
  const auto files = Arguments(context.args).positionals(1, 1);
  CAlarmDoc doc;
  if (const auto saved = saveDocumentFile(doc, files[0]); !saved.ok()) return context.refuse(saved.error());
  return kExitOk;
}

const Registration registration{{"new", "new OUT",
                                 "Writes an empty reminder document with the default copy-date and QuickPaste "
                                 "formats.",
                                 runNew}};

}  // namespace
}  // namespace kalvory::cli
