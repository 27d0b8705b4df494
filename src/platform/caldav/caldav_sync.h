#pragma once

#include <QUrl>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "core/model/alarm_line.h"
#include "core/model/day_info.h"
#include "platform/caldav/dav_client.h"
#include "platform/caldav/sync_state.h"

namespace kalvory {

// A reminder or a day note, as one calendar resource holds it.
using SyncRecord = std::variant<CAlarmLine, CDayInfo>;

// One of the document's records as a sync sees it.
struct LocalItem {
  std::string uid;
  SyncRecord record;
};

// A record that came from the server: added to the document, or put in place of the record
// with the same UID.
struct IncomingItem {
  std::string uid;
  SyncRecord record;
};

struct SyncOutcome {
  bool ok = false;
  std::string failure;  // one line: why nothing was done (ok is false)
  std::vector<IncomingItem> incoming;
  std::vector<std::string> removed;  // UIDs of records deleted on the server
  int sent = 0;                      // resources written to the server
  int received = 0;                  // records added or changed here
  int deleted = 0;                   // records deleted, here or there
  int conflicts = 0;                 // records changed on both sides: both kept
  SyncState state;                   // to be kept when the incoming records are in the document
  std::vector<std::string> notes;    // events left alone, changes left for the next sync
};

// The text put before a conflict's other version, so that the copy is seen for what it is in
// the lists; the same in every language, so that documents synced from different desktops match.
inline constexpr const char* kConflictCopyMark = "\xE2\x87\x84 ";  // "⇄ "

// The prefix of a conflict copy's UID: copies are made with the same UID wherever and however
// often the same conflict is met, so that an interrupted sync never makes two.
std::string conflictCopyUid(const std::string& uid, std::uint64_t otherFingerprint);

// The record as the calendar resource the server keeps (one VEVENT or VJOURNAL), and back:
// nullopt with `reason` when the text holds something the document cannot hold as it stands.
std::string recordToIcs(const SyncRecord& record, const std::string& uid);
std::optional<SyncRecord> icsToRecord(const std::string& ics, std::string& uid, std::string& reason);
std::uint64_t syncFingerprint(const SyncRecord& record);

// One two-way sync of a document's records with one calendar collection (CalDAV, RFC 4791),
// driven by the event loop of the thread it lives on: the changes on the server are found with
// the collection's sync token (RFC 6578) or, where the server has none, its ctag and the ETags
// of its members; the resources that changed are read, and every change on either side since
// the last sync is settled by UID. What goes to the server is written before anything changes
// here, and only a sync that ran to the end gives an outcome to apply: a server that fails half
// way leaves the document and the state as they were, and the next sync finds what was done.
class CalDavSync {
 public:
  CalDavSync(QUrl collection, DavAccount account);
  ~CalDavSync();
  CalDavSync(const CalDavSync&) = delete;
  CalDavSync& operator=(const CalDavSync&) = delete;

  // Starts the sync; `done` is called once, from the event loop, with the outcome. The object
  // must live until then, and is not destroyed from inside `done` (deleteLater or a queued call
  // serves); `done` may start the next sync.
  void start(std::vector<LocalItem> local, SyncState state, std::function<void(SyncOutcome)> done);
  // True from start until `done` was called; starting again meanwhile fails at once.
  bool running() const;

  void setTimeout(int milliseconds);

 private:
  struct Run;
  QUrl collection_;
  DavClient client_;
  std::shared_ptr<Run> run_;
};

// --- discovery, for choosing a calendar

struct CalendarInfo {
  QUrl url;
  QString name;  // the calendar's display name, or its last path segment
};

// From any address on the server (its root, the user's principal or calendar home): the user's
// principal (current-user-principal), the calendar home (calendar-home-set) and the calendar
// collections in it. `done` gets the calendars, or an empty list and one line saying why.
void discoverCalendars(DavClient& client, const QUrl& server,
                       std::function<void(std::vector<CalendarInfo>, QString failure)> done);

}  // namespace kalvory
