#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "core/common/error_reporter.h"
#include "core/model/alarm_doc.h"
#include "core/resources/resource_strings.h"
#include "core/settings/app_settings.h"

namespace kalvory {

// The answer to "Save changes to %s?".
enum class SaveChangesAnswer { Yes, No, Cancel };

// The questions the file commands ask the user; the desktop shows dialogs, tests answer.
struct DocumentPrompts {
  std::function<std::string()> openPath;                              // empty: cancelled
  std::function<std::string(const std::string& suggested)> savePath;  // empty: cancelled
  std::function<SaveChangesAnswer(const std::string& question)> saveChanges;
  // "Restore unsaved changes to %1?" at start; true restores. Empty: the copy is kept unasked.
  std::function<bool(const std::string& question)> restoreChanges;
  // The calendar file to import (empty: cancelled) and the one to export to.
  std::function<std::string()> importCalendarPath;
  std::function<std::string(const std::string& suggested)> exportCalendarPath;
  // "This document starts programs ...: Allow?" for an opened document whose programs were
  // never answered for; true allows. Empty: nobody can answer, and the programs stay refused.
  std::function<bool(const std::string& question)> allowPrograms;
};

// The single document's life: New, Open, Save, Save As, the recent-file list and the question
// before unsaved changes are dropped.
//
// It is also where every change of the document is announced: whoever changes the records (the
// lists and their editors, a quick add, an import, the missed-reminders window, the alarm check
// postponing, turning off or ringing a reminder) calls notifyChanged(), and a new or opened
// document does it here; every window that shows the document and the wake timer follow the one
// signal documentChanged(), so none of them is left showing an older state.
class DocumentController final : public QObject {
  Q_OBJECT
 public:
  DocumentController(CAlarmDoc& document, ApplicationSettings& settings, ErrorReporter& errors, DocumentPrompts prompts,
                     std::function<UiLanguage()> language);

  CAlarmDoc& document() { return document_; }
  const std::string& path() const { return path_; }
  // The file's name without folder, or the untitled name.
  std::string title() const;
  // Where File > Open starts: the open document's folder while it still exists, else the
  // user's home folder.
  std::string openFolder() const;

  // Each returns false when the user cancelled or the step failed (the failure was reported).
  bool newDocument();
  bool openDocument();                         // asks for the file
  bool openDocument(const std::string& path);  // asks about unsaved changes first
  bool openRecent(int index);                  // 0..3; a file that cannot be opened leaves the list
  bool save();
  bool saveAs();
  // The question before the document is closed or replaced; true means go on.
  bool saveModified();

  // Reads a file into the document without any question (start-up's command line).
  bool loadFile(const std::string& path);

  // File > "Import from iCalendar...": adds the events of a calendar file to the open document,
  // which is then modified; the events the document cannot hold are listed in one message. A
  // file that cannot be read or is no calendar is reported and changes nothing. Program lines
  // the calendar brings are refused unless the user allows them, as an opened document's are.
  // False when cancelled or failed.
  bool importCalendar();
  bool importCalendar(const std::string& path);
  // File > "Export to iCalendar...": writes the open document as a calendar file.
  bool exportCalendar();
  bool exportCalendar(const std::string& path);

  // The data folder, where unsaved changes are kept when the session ends (see RecoveryCopy).
  void setRecoveryFolder(std::string folder) { recoveryFolder_ = std::move(folder); }
  // The desktop session is ending and nobody may be asked: a modified document is saved to its
  // file when "SaveDocumentOnExit" is set and it has one, else (or when that save fails) kept as
  // the recovery copy. Failures go to the log, not to a dialog. With `closing`, the program is
  // about to end, so the save question of its exit is skipped. False when the changes could
  // not be kept.
  bool keepUnsavedChanges(bool closing);
  // Start-up: offers a recovery copy left by an ended session. Yes makes it the document, modified,
  // with its original path (the copy stays until the changes are saved or discarded); No deletes
  // the copy. True when the document was restored.
  bool offerRecoveryCopy();

  // Whether a reminder of the open document may start `commandLine`: false for the programs of
  // an opened document that the user refused, or has not answered for yet.
  bool programAllowed(const std::string& commandLine) const;

  // The records changed (or the document was replaced): documentChanged() goes out.
  void notifyChanged();

 signals:
  // The document was replaced, renamed or its records changed.
  void documentChanged();
  // A new or another document took the place of the open one (documentChanged() follows).
  void documentReplaced();
  // The document's name or its modified mark may read differently: after a change and a save.
  void titleChanged();

 private:
  enum class Failure { Report, Log };
  bool saveTo(const std::string& path, Failure failure = Failure::Report);
  bool writeRecoveryCopy();
  void discardRecoveryCopy();
  // After a document came in from a file: asks about its programs unless answered before.
  void checkPrograms();
  // "This document starts programs ...: Allow?" listing `programs`; true when allowed.
  bool askToAllowPrograms(const std::vector<std::string>& programs);
  // After a save: the user's own file now, and what stays refused stays so.
  void rememberSavedPrograms();

  CAlarmDoc& document_;
  ApplicationSettings& settings_;
  ErrorReporter& errors_;
  DocumentPrompts prompts_;
  std::function<UiLanguage()> language_;
  std::string path_;
  std::string recoveryFolder_;
  bool sessionEnded_ = false;
  std::vector<std::string> refusedPrograms_;
};

}  // namespace kalvory
