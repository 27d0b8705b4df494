// kalvory-cli export-ics and import-ics: the reminder document as an iCalendar file and back.
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "cli/command.h"
#include "core/model/document_file.h"
#include "core/settings/data_folder.h"
#include "platform/ical/ical_document.h"

namespace kalvory::cli {
namespace {

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
  if (const auto loaded = loadDocumentFile(doc, files[0]); !loaded.ok()) return context.refuse(loaded.error());
  // Each record keeps its UID from one export to the next, in the data folder's store.
  std::string problem;
  const IcsUids uids = keepIcsUids(doc, icsUidStoreFile(dataFolderPath(), files[0]), problem);
  if (!problem.empty()) context.errors.report("the records' UIDs are not kept: " + problem);
  const std::string text = documentToIcs(doc, stamp, uids);
  if (text.size() > kMaxIcsBytes)
    return context.refuse(files[1] + ": the calendar would be " + std::to_string(text.size() >> 20) +
                          " MB, more than the " + std::to_string(kMaxIcsBytes >> 20) + " MB an import reads");
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
  if (size > kMaxIcsBytes)
    return context.refuse(files[0] + ": " + std::to_string(size >> 20) + " MB is more than the " +
                          std::to_string(kMaxIcsBytes >> 20) + " MB a calendar file may have");
  // Read straight into one buffer: a large calendar is not copied on its way in.
  std::string bytes(static_cast<std::size_t>(size), '\0');
  std::ifstream in(files[0], std::ios::binary);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!in || in.gcount() != static_cast<std::streamsize>(bytes.size()))
    return context.refuse(files[0] + ": cannot be read");

  CAlarmDoc doc;
  Result<IcsImport> imported = icsToDocument(bytes, doc);
  if (!imported.ok()) return context.refuse(files[0] + ": " + imported.error());
  // Events the document cannot hold are named, one line each; the rest is written.
  for (const std::string& skipped : imported.value().skipped) context.errors.report(files[0] + ": skipped " + skipped);
  if (const auto saved = saveDocumentFile(doc, files[1]); !saved.ok()) return context.refuse(saved.error());
  // The records keep the calendar's UIDs when the document is exported again.
  std::string problem;
  if (!rememberIcsUids(doc, imported.value().uids, icsUidStoreFile(dataFolderPath(), files[1]), problem))
    context.errors.report("the records' UIDs are not kept: " + problem);
  return kExitOk;
}

const Registration exportRegistration{
    {"export-ics", "export-ics FILE.alr OUT.ics [--now \"YYYY-MM-DD HH:MM:SS\"]",
     "Writes the document as an iCalendar file: reminders as events with an alarm, day notes as all-day events "
     "with their repetition, every field of the program kept in X-KALVORY-* properties (--now sets DTSTAMP). Each "
     "record keeps its UID from one export to the next (kept in the data folder's calendar-uids).",
     runExportIcs}};

const Registration importRegistration{
    {"import-ics", "import-ics IN.ics OUT.alr",
     "Writes a document from an iCalendar file: timed events become reminders (switched off when they have no alarm), "
     "all-day events day notes; every component the document cannot hold as it stands (to-dos, journal entries, "
     "cancelled events, mail alarms, series that start later or have exceptions...) is named on stderr with the "
     "reason and its line, and skipped.",
     runImportIcs}};

}  // namespace
}  // namespace kalvory::cli
