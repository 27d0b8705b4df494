// kalvory-cli export-ics and import-ics: the reminder document as an iCalendar file and back.
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "cli/command.h"
#include "core/model/document_file.h"
#include "platform/ical/ical_document.h"

namespace kalvory::cli {
namespace {

// Calendar files are small; anything larger is refused before it is read.
constexpr std::uintmax_t kMaxCalendarBytes = 64 * 1024 * 1024;

int runExportIcs(CommandContext& context) {
  Arguments arguments(context.args);
  std::string nowText;
  COleDateTime stamp = systemNow();
  if (arguments.takeOption("--now", nowText)) {
    const auto parsed = parseLocalTime(nowText);
    if (!parsed) throw UsageError{"--now wants \"YYYY-MM-DD HH:MM:SS\", not \"" + nowText + "\""};
    stamp = *parsed;
  }
  const auto files = arguments.positionals(2, 2);
  CAlarmDoc doc;
  try {
    loadDocumentFile(doc, files[0]);
  } catch (const DocumentFileError& error) {
    return context.refuse(error.what());
  }
  const std::string text = documentToIcs(doc, stamp);
  std::ofstream out(files[1], std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) return context.refuse(files[1] + ": cannot be written");
  return kExitOk;
}

int runImportIcs(CommandContext& context) {
  const auto files = Arguments(context.args).positionals(2, 2);
  std::error_code error;
  const auto size = std::filesystem::file_size(files[0], error);
  if (error) return context.refuse(files[0] + ": " + error.message());
  if (size > kMaxCalendarBytes) return context.refuse(files[0] + ": too large for a calendar file");
  std::ifstream in(files[0], std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in) return context.refuse(files[0] + ": cannot be read");

  CAlarmDoc doc;
  Result<IcsImport> imported = icsToDocument(bytes.str(), doc);
  if (!imported.ok()) return context.refuse(files[0] + ": " + imported.error());
  // Events the document cannot hold are named, one line each; the rest is written.
  for (const std::string& skipped : imported.value().skipped) context.errors.report(files[0] + ": skipped " + skipped);
  try {
    saveDocumentFile(doc, files[1]);
  } catch (const DocumentFileError& failure) {
    return context.refuse(failure.what());
  }
  return kExitOk;
}

const Registration exportRegistration{
    {"export-ics", "export-ics FILE.alr OUT.ics [--now \"YYYY-MM-DD HH:MM:SS\"]",
     "Writes the document as an iCalendar file: reminders as events with an alarm, day notes as all-day events "
     "with their repetition, every field of the program kept in X-KALVORY-* properties (--now sets DTSTAMP).",
     runExportIcs}};

const Registration importRegistration{
    {"import-ics", "import-ics IN.ics OUT.alr",
     "Writes a document from an iCalendar file: timed events become reminders, all-day events day notes; an event "
     "whose repetition the document cannot hold is named on stderr and skipped.",
     runImportIcs}};

}  // namespace
}  // namespace kalvory::cli
