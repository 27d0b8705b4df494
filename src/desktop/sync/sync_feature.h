#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "core/resources/resource_strings.h"
#include "desktop/sync/password_vault.h"
#include "desktop/sync/sync_settings.h"

class QWidget;

namespace kalvory {

class ConfigPage;
class DocumentController;
class SettingsStore;
class SyncPage;
class SyncRunner;
struct SyncOutcome;

// Where the sync stands, for the Sync page and the tests.
struct SyncStatus {
  enum class Kind { Off, NotYet, Running, Done, Failed, NeedsSavedDocument, OtherDocument };
  Kind kind = Kind::Off;
  QDateTime at;     // when the last sync ended
  QString failure;  // why it failed (Failed)
  int sent = 0, received = 0, deleted = 0, conflicts = 0;
};
QString syncStatusText(const SyncStatus& status, const QString& boundDocument, UiLanguage language);

// The open document's two-way sync with one CalDAV calendar while "Sync" is on: once when the
// document is opened, every minute, and a few seconds after each change made here. The network
// runs on a thread of its own (SyncRunner) with a copy of the records; what the server brought
// is put into the document here, on the GUI thread, once no dialog is open over it (an editor
// holds a copy of a record until it closes), and only when nothing it touches was edited
// meanwhile: otherwise the answer is dropped and the sync runs again at once, so that the edit
// meets the server's change as a conflict and both are kept. What came in is saved into the
// document's file at once, before the state of the sync is written, so that the state never
// claims records the file does not have. A failing server gets one notice until a sync succeeds
// again; changes made here wait in the state and go out with the next sync that reaches it.
class SyncFeature final : public QObject {
  Q_OBJECT
 public:
  struct Services {
    SettingsStore* store = nullptr;      // where "CalDavSync" is kept; null: nothing is kept
    std::function<void()> saveSettings;  // writes the store to its file
    std::string dataFolder;              // the sync states and the records' UIDs
    PasswordVault* vault = nullptr;      // null: the desktop's secret store
    std::function<UiLanguage()> language;
    // Shows a notice without waiting for it (an empty function: a message box that does not
    // block, over `noticeParent`).
    std::function<void(const QString& text)> notify;
    std::function<QWidget*()> noticeParent;
    int period = 60000;      // milliseconds between syncs
    int settleDelay = 3000;  // milliseconds after a change made here before it goes out
    int timeout = 30000;     // milliseconds a server may stay silent
  };

  SyncFeature(DocumentController& documents, Services services, QObject* parent = nullptr);
  ~SyncFeature() override;

  const SyncSettings& settings() const { return settings_; }
  const SyncStatus& status() const { return status_; }
  bool running() const { return running_; }
  // Why the password cannot be kept in the secret store; empty while it can (or was not asked).
  const QString& secretStoreProblem() const { return secretStoreProblem_; }

  // The settings as the Sync page confirmed them, with the password typed there (none: the one
  // known stays).
  void applySettings(SyncSettings settings, const std::optional<QString>& password);
  // The "Sync" page, filled with the settings as they are; it hands them back on OK.
  ConfigPage* createPage(UiLanguage language, QWidget* parent);

  // Wired by the program to the document controller's signals.
  void documentChanged();
  void documentReplaced();
  // A sync now, or as soon as the one under way has ended.
  void syncNow();

 signals:
  // A sync ended and what it brought is in the document (or it failed: `ok` false).
  void syncFinished(bool ok);
  void statusChanged();
  // The server has answered, and the answer waits for the dialog open over the document.
  void outcomeHeld();

 private:
  bool configured() const;
  SyncRunner& runner();
  QString account() const;
  void readPassword();
  void startSync();
  void finishSync(const SyncOutcome& outcome);
  // False when an edit made meanwhile meets what the server sent: nothing was applied.
  bool applyOutcome(const SyncOutcome& outcome);
  void setStatus(SyncStatus::Kind kind, const QString& failure = {});
  void showNotice(const QString& text);
  UiLanguage language() const;

  DocumentController& documents_;
  Services services_;
  std::unique_ptr<PasswordVault> ownVault_;
  PasswordVault* vault_ = nullptr;
  SyncSettings settings_;
  QString password_;  // for this run only; never written to the settings
  enum class PasswordState { Known, Reading } passwordState_ = PasswordState::Known;
  QString secretStoreProblem_;
  std::unique_ptr<SyncRunner> runner_;
  QTimer period_;
  QTimer settle_;
  SyncStatus status_;

  // The sync under way: what was sent off, to tell an edit made meanwhile.
  bool running_ = false;
  bool again_ = false;            // another sync is wanted once this one ends
  bool applying_ = false;         // the document changes because of a sync: no sync follows it
  bool held_ = false;             // an outcome waits for a dialog to close
  std::uint64_t generation_ = 0;  // counts documents opened; a sync of an earlier one is dropped
  struct Snapshot {
    std::uint64_t generation = 0;
    std::string path;
    std::string calendar;
    std::map<std::string, std::uint64_t> records;  // UID → fingerprint when the sync began
  } snapshot_;
  bool failureNoticeShown_ = false;
  QPointer<QWidget> notice_;
  QPointer<SyncPage> page_;
};

}  // namespace kalvory
