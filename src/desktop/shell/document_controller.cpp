#include "desktop/shell/document_controller.h"

#include <QDir>
#include <QLoggingCategory>
#include <algorithm>
#include <filesystem>

#include "core/model/document_file.h"
#include "core/resources/resource_strings.h"
#include "desktop/shell/calendar_files.h"
#include "desktop/shell/document_recovery.h"
#include "desktop/shell/program_trust.h"

Q_LOGGING_CATEGORY(lcDocument, "kalvory.document", QtInfoMsg)

namespace kalvory {

namespace {

std::string replaceFirst(std::string text, std::string_view placeholder, std::string_view value) {
  const auto at = text.find(placeholder);
  if (at != std::string::npos) text.replace(at, placeholder.size(), value);
  return text;
}

// Fills "%1".."%9" in one pass, so that a value holding a placeholder of its own (a file name
// with "%2" in it) stays as it is.
std::string fillPlaceholders(std::string_view text, const std::vector<std::string>& values) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
      const auto index = static_cast<std::size_t>(text[i + 1] - '1');
      if (index < values.size()) {
        out += values[index];
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

}  // namespace

DocumentController::DocumentController(CAlarmDoc& document, ApplicationSettings& settings, ErrorReporter& errors,
                                       DocumentPrompts prompts, std::function<UiLanguage()> language)
    : document_(document),
      settings_(settings),
      errors_(errors),
      prompts_(std::move(prompts)),
      language_(std::move(language)) {}

std::string DocumentController::title() const {
  if (path_.empty()) return loadString(StringId::UntitledDocument, language_());
  return std::filesystem::path(path_).filename().string();
}

std::string DocumentController::openFolder() const {
  if (!path_.empty()) {
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
    if (!folder.empty() && std::filesystem::is_directory(folder, ignored)) return folder.string();
  }
  return QDir::homePath().toStdString();
}

void DocumentController::notifyChanged() {
  emit documentChanged();
  emit titleChanged();
}

bool DocumentController::programAllowed(const std::string& commandLine) const {
  return std::find(refusedPrograms_.begin(), refusedPrograms_.end(), commandLine) == refusedPrograms_.end();
}

void DocumentController::checkPrograms() {
  std::vector<std::string> programs = documentPrograms(document_);
  refusedPrograms_.clear();
  if (programs.empty()) return;
  const std::string fingerprint = programsFingerprint(path_, programs);
  switch (lookupProgramTrust(settings_.app.trusted_programs, fingerprint)) {
    case ProgramTrust::Allowed:
      return;
    case ProgramTrust::Refused:
      refusedPrograms_ = std::move(programs);
      return;
    case ProgramTrust::Unknown:
      break;
  }
  // Refused until answered: a reminder ringing while the question waits starts nothing.
  refusedPrograms_ = programs;
  const bool allowed = askToAllowPrograms(programs);
  settings_.app.trusted_programs = rememberProgramTrust(settings_.app.trusted_programs, fingerprint, allowed);
  if (allowed) refusedPrograms_.clear();
}

bool DocumentController::askToAllowPrograms(const std::vector<std::string>& programs) {
  // The question lists a few lines, each cut to a readable length; a hostile file may hold
  // thousands of long ones.
  constexpr std::size_t kListed = 10;
  constexpr std::size_t kLineLength = 160;
  std::string listed;
  for (std::size_t i = 0; i < programs.size() && i < kListed; ++i) {
    if (!listed.empty()) listed += '\n';
    const std::string& program = programs[i];
    std::size_t cut = std::min(program.size(), kLineLength);
    while (cut < program.size() && cut > 0 && (static_cast<unsigned char>(program[cut]) & 0xC0) == 0x80) --cut;
    listed += cut < program.size() ? program.substr(0, cut) + "..." : program;
  }
  if (programs.size() > kListed)
    listed += '\n' + replaceFirst(loadString(StringId::MorePrograms, language_()), "%1",
                                  std::to_string(programs.size() - kListed));
  return prompts_.allowPrograms &&
         prompts_.allowPrograms(replaceFirst(loadString(StringId::AllowPrograms, language_()), "%1", listed));
}

void DocumentController::rememberSavedPrograms() {
  const std::vector<std::string> programs = documentPrograms(document_);
  if (programs.empty()) return;
  // A saved document is the user's own, unless it still holds a program the user refused:
  // saving, perhaps without a look at the programs, does not take the refusal back.
  const bool stillRefused = std::any_of(programs.begin(), programs.end(),
                                        [this](const std::string& program) { return !programAllowed(program); });
  settings_.app.trusted_programs =
      rememberProgramTrust(settings_.app.trusted_programs, programsFingerprint(path_, programs), !stillRefused);
}

bool DocumentController::saveModified() {
  if (!document_.IsModified()) return true;
  // The session is over and the changes were kept: nobody is there to answer.
  if (sessionEnded_) return true;
  if (settings_.app.save_document_on_exit && !path_.empty()) {
    // Saved without asking; a failed save has been reported and does not hold up the close,
    // but the changes stay in the recovery copy for the next start rather than being lost.
    if (!saveTo(path_)) writeRecoveryCopy();
    return true;
  }
  const std::string question = replaceFirst(loadString(StringId::SaveChangesQuestion, language_()), "%s", title());
  switch (prompts_.saveChanges ? prompts_.saveChanges(question) : SaveChangesAnswer::Cancel) {
    case SaveChangesAnswer::Yes:
      return save();
    case SaveChangesAnswer::No:
      discardRecoveryCopy();
      return true;
    case SaveChangesAnswer::Cancel:
      break;
  }
  return false;
}

bool DocumentController::newDocument() {
  if (!saveModified()) return false;
  document_.OnNewDocument();
  document_.SetModifiedFlag(false);
  path_.clear();
  refusedPrograms_.clear();
  emit documentReplaced();
  notifyChanged();
  return true;
}

bool DocumentController::openDocument() {
  if (!saveModified()) return false;
  const std::string path = prompts_.openPath ? prompts_.openPath() : std::string();
  if (path.empty()) return false;
  return loadFile(path);
}

bool DocumentController::openDocument(const std::string& path) {
  if (!saveModified()) return false;
  return loadFile(path);
}

bool DocumentController::openRecent(int index) {
  if (index < 0 || index >= static_cast<int>(RecentFileList::kSize)) return false;
  const std::string path = settings_.recent_files.files[static_cast<std::size_t>(index)];
  if (path.empty()) return false;
  if (!saveModified()) return false;
  if (loadFile(path)) return true;
  settings_.recent_files.remove(path);
  return false;
}

bool DocumentController::loadFile(const std::string& path) {
  if (const auto loaded = loadDocumentFile(document_, path); !loaded.ok()) {
    errors_.reportError({}, replaceFirst(replaceFirst(loadString(StringId::OpenFailed, language_()), "%1", path), "%2",
                                         loaded.reason()));
    return false;
  }
  document_.SetModifiedFlag(false);
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
  path_ = absolute.empty() ? path : absolute.lexically_normal().string();
  settings_.recent_files.add(path_);
  checkPrograms();
  emit documentReplaced();
  notifyChanged();
  return true;
}

bool DocumentController::importCalendar() {
  const std::string path = prompts_.importCalendarPath ? prompts_.importCalendarPath() : std::string();
  return !path.empty() && importCalendar(path);
}

bool DocumentController::importCalendar(const std::string& path) {
  const UiLanguage language = language_();
  const std::string title = loadString(StringId::ImportCalendarTitle, language);
  const std::vector<std::string> programsBefore = documentPrograms(document_);
  Result<CalendarImport> imported = importCalendarFile(path, document_, systemNow(), path_);
  if (!imported.ok()) {
    errors_.reportError(title,
                        fillPlaceholders(loadString(StringId::ImportFailed, language), {path, imported.error()}));
    return false;
  }
  const CalendarImport& result = imported.value();
  // A calendar from elsewhere can carry program lines (its X-KALVORY fields) as a document can:
  // the new ones are refused until the user allows them, so one that rings during the question
  // starts nothing either.
  std::vector<std::string> newPrograms;
  for (std::string& program : documentPrograms(document_))
    if (std::find(programsBefore.begin(), programsBefore.end(), program) == programsBefore.end())
      newPrograms.push_back(std::move(program));
  if (!newPrograms.empty()) {
    refusedPrograms_.insert(refusedPrograms_.end(), newPrograms.begin(), newPrograms.end());
    if (askToAllowPrograms(newPrograms))
      refusedPrograms_.erase(std::remove_if(refusedPrograms_.begin(), refusedPrograms_.end(),
                                            [&](const std::string& program) {
                                              return std::find(newPrograms.begin(), newPrograms.end(), program) !=
                                                     newPrograms.end();
                                            }),
                             refusedPrograms_.end());
  }
  if (result.reminders + result.notes > 0) notifyChanged();
  if (!result.skipped.empty()) {
    // One message for all of them; a calendar with hundreds is named in part.
    constexpr std::size_t kShown = 20;
    std::string list;
    for (std::size_t i = 0; i < result.skipped.size() && i < kShown; ++i) list += "\n" + result.skipped[i];
    if (result.skipped.size() > kShown)
      list += "\n" + fillPlaceholders(loadString(StringId::ImportSkippedMore, language),
                                      {std::to_string(result.skipped.size() - kShown)});
    errors_.reportError(
        title, fillPlaceholders(loadString(StringId::ImportSkipped, language),
                                {std::filesystem::path(path).filename().string(), std::to_string(result.reminders),
                                 std::to_string(result.notes), list}));
  }
  return true;
}

bool DocumentController::exportCalendar() {
  std::filesystem::path suggested = path_.empty() ? std::filesystem::path(title()) : std::filesystem::path(path_);
  suggested.replace_extension(".ics");
  std::string path = prompts_.exportCalendarPath ? prompts_.exportCalendarPath(suggested.string()) : std::string();
  if (path.empty()) return false;
  if (std::filesystem::path(path).extension().empty()) path += ".ics";
  return exportCalendar(path);
}

bool DocumentController::exportCalendar(const std::string& path) {
  const UiLanguage language = language_();
  const Result<void> written = exportCalendarFile(document_, path, systemNow(), path_);
  if (written.ok()) return true;
  errors_.reportError(loadString(StringId::ExportCalendarTitle, language),
                      fillPlaceholders(loadString(StringId::ExportFailed, language), {path, written.error()}));
  return false;
}

bool DocumentController::save() {
  if (path_.empty()) return saveAs();
  return saveTo(path_);
}

bool DocumentController::saveAs() {
  std::string suggested = path_.empty() ? title() + ".alr" : path_;
  std::string path = prompts_.savePath ? prompts_.savePath(suggested) : std::string();
  if (path.empty()) return false;
  if (std::filesystem::path(path).extension().empty()) path += ".alr";
  return saveTo(path);
}

bool DocumentController::saveTo(const std::string& path, Failure failure) {
  if (const auto saved = saveDocumentFile(document_, path); !saved.ok()) {
    if (failure == Failure::Log) {
      qCWarning(lcDocument) << "cannot save" << saved.error().c_str();
      return false;
    }
    errors_.reportError({}, replaceFirst(replaceFirst(loadString(StringId::SaveFailed, language_()), "%1", path), "%2",
                                         saved.reason()));
    return false;
  }
  // The changes are in their file now; an older copy of them would only be offered wrongly.
  discardRecoveryCopy();
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
  const std::string full = absolute.empty() ? path : absolute.lexically_normal().string();
  const bool renamed = full != path_;
  path_ = full;
  settings_.recent_files.add(path_);
  rememberSavedPrograms();
  if (renamed)
    notifyChanged();
  else
    emit titleChanged();  // no longer modified
  return true;
}

bool DocumentController::keepUnsavedChanges(bool closing) {
  if (closing) sessionEnded_ = true;
  if (!document_.IsModified()) return true;
  if (settings_.app.save_document_on_exit && !path_.empty() && saveTo(path_, Failure::Log)) return true;
  return writeRecoveryCopy();
}

bool DocumentController::writeRecoveryCopy() {
  if (recoveryFolder_.empty()) {
    qCWarning(lcDocument) << "no data folder to keep the unsaved changes in";
    return false;
  }
  if (const auto written = RecoveryCopy(recoveryFolder_).write(document_, path_); !written.ok()) {
    qCWarning(lcDocument) << "cannot keep the unsaved changes:" << written.error().c_str();
    return false;
  }
  qCInfo(lcDocument) << "unsaved changes kept in" << RecoveryCopy(recoveryFolder_).documentPath().c_str();
  return true;
}

void DocumentController::discardRecoveryCopy() {
  if (!recoveryFolder_.empty()) RecoveryCopy(recoveryFolder_).remove();
}

bool DocumentController::offerRecoveryCopy() {
  const RecoveryCopy copy(recoveryFolder_);
  if (recoveryFolder_.empty() || !copy.exists() || !prompts_.restoreChanges) return false;
  const std::string original = copy.originalPath();
  const std::string name = original.empty() ? loadString(StringId::UntitledDocument, language_())
                                            : std::filesystem::path(original).filename().string();
  if (!prompts_.restoreChanges(replaceFirst(loadString(StringId::RestoreChanges, language_()), "%1", name))) {
    copy.remove();
    return false;
  }
  if (const auto restored = copy.read(document_); !restored.ok()) {
    errors_.reportError(
        {}, replaceFirst(replaceFirst(loadString(StringId::OpenFailed, language_()), "%1", copy.documentPath()), "%2",
                         restored.reason()));
    copy.setAside();
    return false;
  }
  document_.SetModifiedFlag(true);
  path_ = original;
  checkPrograms();
  emit documentReplaced();
  notifyChanged();
  return true;
}

}  // namespace kalvory
