// kalvory-cli resave: loads a reminder document and stores it again.
#include <ostream>

#include "cli/command.h"
#include "cli/document_json.h"
#include "core/model/document_file.h"

namespace kalvory::cli {
namespace {

int runResave(CommandContext& context) {
  const auto files = Arguments(context.args).positionals(2, 2);
  CAlarmDoc doc;
  if (const auto loaded = loadDocumentFile(doc, files[0]); !loaded.ok()) return context.refuse(loaded.error());
  if (const auto saved = saveDocumentFile(doc, files[1]); !saved.ok()) return context.refuse(saved.error());
  return kExitOk;
}

const Registration registration{{"resave", "resave IN OUT",
                                 "Loads a reminder document and stores it again; a file this program wrote "
                                 "comes out byte for byte the same.",
                                 runResave}};

}  // namespace
}  // namespace kalvory::cli
