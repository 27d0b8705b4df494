// kalvory-cli build: writes a reminder document from its JSON form (the form "info" prints).
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>

#include "cli/command.h"
#include "cli/document_json.h"
#include "core/model/document_file.h"

namespace kalvory::cli {
namespace {

// The parser's message without its "[json.exception.parse_error.101] " prefix.
std::string parseErrorText(const std::string& what) {
  const auto end = what.find("] ");
  return what.rfind("[json.exception.", 0) == 0 && end != std::string::npos ? what.substr(end + 2) : what;
}

int runBuild(CommandContext& context) {
  const auto files = Arguments(context.args).positionals(2, 2);
  const std::string& input = files[0];
  std::ifstream stream(input, std::ios::binary);
  if (!stream) return context.refuse(input + ": cannot open");
  std::ostringstream text;
  text << stream.rdbuf();
  if (stream.bad()) return context.refuse(input + ": cannot read");

  CAlarmDoc doc;
  CAlarmDoc::StoreOptions options;
  try {
    options = documentFromJson(DocumentJson::parse(text.str()), doc);
  } catch (const DocumentJson::exception& error) {
    return context.refuse(input + ": " + parseErrorText(error.what()));
  } catch (const DocumentJsonError& error) {
    return context.refuse(input + ": " + error.what());
  }
  if (const auto saved = saveDocumentFile(doc, files[1], options); !saved.ok()) return context.refuse(saved.error());
  return kExitOk;
}

const Registration registration{{"build", "build JSON_FILE OUT_FILE",
                                 "Writes a reminder document from JSON in the form \"info\" prints; a reminder "
                                 "needs \"time\", a note \"date\", a record's \"schema\" writes an older version.",
                                 runBuild}};

}  // namespace
}  // namespace kalvory::cli
