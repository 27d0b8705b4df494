#include "platform/caldav/caldav_sync.h"

#include <strings.h>

#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <set>

#include "core/model/alarm_doc.h"
#include "platform/caldav/dav_multistatus.h"
#include "platform/ical/ical_document.h"

namespace kalvory {
namespace {

const QByteArray kXml = "application/xml; charset=utf-8";
// Resources read in one calendar-multiget: large enough to read a calendar in a few requests,
// small enough that an answer stays far below the size cap.
constexpr std::size_t kMultigetBatch = 100;

QByteArray syncReport(const std::string& token) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
         "<d:sync-collection xmlns:d=\"DAV:\"><d:sync-token>" +
         QString::fromStdString(token).toHtmlEscaped().toUtf8() +
         "</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/></d:prop></d:sync-collection>";
}

QByteArray propfind(const char* properties) {
  return QByteArray(
             "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
             "<d:propfind xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\" "
             "xmlns:cs=\"http://calendarserver.org/ns/\"><d:prop>") +
         properties + "</d:prop></d:propfind>";
}

std::string pathOf(const QUrl& url) { return url.path(QUrl::FullyEncoded).toStdString(); }

bool isNote(const SyncRecord& record) { return std::holds_alternative<CDayInfo>(record); }

SyncKind kindOf(const SyncRecord& record) { return isNote(record) ? SyncKind::Note : SyncKind::Reminder; }

std::string& textOf(SyncRecord& record) {
  return isNote(record) ? std::get<CDayInfo>(record).text : std::get<CAlarmLine>(record).text;
}

}  // namespace

std::uint64_t syncFingerprint(const SyncRecord& record) {
  return isNote(record) ? recordFingerprint(std::get<CDayInfo>(record))
                        : recordFingerprint(std::get<CAlarmLine>(record));
}

std::string conflictCopyUid(const std::string& uid, std::uint64_t otherFingerprint) {
  std::uint64_t hash = 14695981039346656037ull ^ otherFingerprint;
  for (const unsigned char c : uid) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char text[64];
  std::snprintf(text, sizeof text, "conflict-%016llx@kalvory", static_cast<unsigned long long>(hash));
  return text;
}

std::string recordToIcs(const SyncRecord& record, const std::string& uid) {
  CAlarmDoc doc;
  IcsUids uids;
  if (isNote(record)) {
    doc.AddDayInfo(std::get<CDayInfo>(record));
    uids.notes.push_back(uid);
  } else {
    doc.AddAlarm(std::get<CAlarmLine>(record));
    uids.reminders.push_back(uid);
  }
  return documentToIcs(doc, systemNow(), uids);
}

// A property that another program added to an event and that the record has no room for. The
// import reads an event this program wrote from its X-KALVORY fields alone, so without this an
// exception added elsewhere would be dropped silently by the next change made here.
std::optional<std::string> addedByAnotherProgram(const std::string& ics) {
  for (const char* name : {"EXDATE", "RDATE", "EXRULE", "RECURRENCE-ID"}) {
    const std::size_t length = std::strlen(name);
    for (std::size_t at = 0; at < ics.size(); at = ics.find('\n', at) + 1) {
      if (at + length < ics.size() && strncasecmp(ics.c_str() + at, name, length) == 0 &&
          (ics[at + length] == ':' || ics[at + length] == ';'))
        return std::string(name) + " was added by another program, and a record has no room for it";
      if (ics.find('\n', at) == std::string::npos) break;
    }
  }
  return std::nullopt;
}

std::optional<SyncRecord> icsToRecord(const std::string& ics, std::string& uid, std::string& reason) {
  if (const auto added = addedByAnotherProgram(ics)) {
    reason = *added;
    return std::nullopt;
  }
  CAlarmDoc doc;
  Result<IcsImport> imported = icsToDocument(ics, doc);
  if (!imported.ok()) {
    reason = imported.error();
    return std::nullopt;
  }
  const IcsImport& result = imported.value();
  if (!result.skipped.empty()) {
    reason = result.skipped.front();
    return std::nullopt;
  }
  const std::size_t count = doc.alarmCount() + doc.dayInfoCount();
  if (count != 1) {
    reason = count == 0 ? "it holds no event" : "it holds " + std::to_string(count) + " events";
    return std::nullopt;
  }
  if (doc.alarmCount() == 1) {
    uid = result.uids.reminders.empty() ? std::string() : result.uids.reminders.front();
    if (uid.empty()) reason = "it has no UID";
    return uid.empty() ? std::nullopt : std::optional<SyncRecord>(*doc.alarms().front());
  }
  uid = result.uids.notes.empty() ? std::string() : result.uids.notes.front();
  if (uid.empty()) reason = "it has no UID";
  return uid.empty() ? std::nullopt : std::optional<SyncRecord>(*doc.dayInfos().front());
}

// --- one run

struct CalDavSync::Run {
  QUrl collection;
  DavClient* client = nullptr;
  std::vector<LocalItem> local;
  SyncState state;
  std::function<void(SyncOutcome)> done;
  bool finished = false;

  // What the listing found: resources changed since the last sync (href → ETag) and gone.
  std::map<std::string, std::string> changed;
  std::set<std::string> gone;
  std::string newToken;
  std::string newCtag;

  struct Remote {
    bool deleted = false;
    SyncRecord record;
    std::uint64_t fingerprint = 0;
    std::string href;
    std::string etag;
  };
  std::map<std::string, Remote> remote;  // by UID: changes on the server to our resources
  std::vector<std::string> toFetch;
  std::size_t fetched = 0;
  bool multiget = true;
  std::vector<std::string> singles;  // left out of a multiget answer

  // The writes to the server, one after another.
  struct Write {
    enum Kind { Put, Delete } kind = Put;
    std::string uid;
    std::string href;
    std::string etag;  // If-Match; empty with `create` for If-None-Match: *
    bool create = false;
    QByteArray body;
    SyncedItem after;  // the state entry once written
  };
  std::vector<Write> writes;
  std::size_t written = 0;
  SyncOutcome outcome;

  void fail(const QString& why) {
    if (finished) return;
    finished = true;
    SyncOutcome failed;
    failed.failure = why.toStdString();
    // The callback may start the next sync, which replaces this run: it is called from here.
    const auto callback = std::move(done);
    callback(std::move(failed));
  }

  QUrl urlOf(const std::string& href) const { return collection.resolved(QUrl(QString::fromStdString(href))); }

  // In the form a listing gives it back (through QUrl), so that the two compare equal.
  std::string hrefFor(const std::string& uid) const {
    return pathOf(
        urlOf(pathOf(collection) + QUrl::toPercentEncoding(QString::fromStdString(uid)).toStdString() + ".ics"));
  }

  // href → UID of the resources this document put there.
  std::map<std::string, std::string> ours() const {
    std::map<std::string, std::string> byHref;
    for (const auto& [uid, item] : state.items) byHref[item.href] = uid;
    return byHref;
  }

  std::string knownEtag(const std::string& href) const {
    for (const auto& [uid, item] : state.items)
      if (item.href == href) return item.etag;
    const auto at = state.foreign.find(href);
    return at == state.foreign.end() ? std::string("\x01") : at->second.etag;
  }

  // --- listing

  void list() {
    const std::string token = state.syncToken;
    client->send("REPORT", collection, {{"Content-Type", kXml}, {"Depth", "0"}}, syncReport(token),
                 [this, token](const DavReply& reply) {
                   if (!reply.failure.isEmpty() || reply.status == 401) return fail(describeDavFailure(reply));
                   if (reply.status != 207) {
                     // A token the server no longer knows starts over; a server without sync
                     // tokens is asked for its ctag and ETags instead.
                     if (!token.empty()) {
                       state.syncToken.clear();
                       return list();
                     }
                     return listByCtag();
                   }
                   QString error;
                   const auto answer = parseMultistatus(reply.body, reply.url, error);
                   if (!answer) return fail(error);
                   newToken = answer->syncToken.toStdString();
                   if (token.empty()) return takeListing(*answer);
                   for (const DavResource& resource : answer->responses) {
                     const std::string href = pathOf(resource.url);
                     if (collectionPath(resource.url) == collectionPath(collection)) continue;
                     if (resource.status == 404)
                       gone.insert(href);
                     else
                       noteEtag(href, resource.property(kDavNamespace, "getetag").toStdString());
                   }
                   fetchNext();
                 });
  }

  void noteEtag(const std::string& href, const std::string& etag) {
    if (etag.empty() || etag != knownEtag(href)) changed[href] = etag;
  }

  void listByCtag() {
    client->send("PROPFIND", collection, {{"Content-Type", kXml}, {"Depth", "0"}}, propfind("<cs:getctag/>"),
                 [this](const DavReply& reply) {
                   if (!reply.failure.isEmpty() || reply.status != 207) return fail(describeDavFailure(reply));
                   QString error;
                   const auto answer = parseMultistatus(reply.body, reply.url, error);
                   if (!answer) return fail(error);
                   for (const DavResource& resource : answer->responses)
                     newCtag = resource.property(kCalendarServerNamespace, "getctag").toStdString();
                   // An unchanged ctag means an unchanged collection: nothing to read.
                   if (!newCtag.empty() && newCtag == state.ctag) return fetchNext();
                   listMembers();
                 });
  }

  void listMembers() {
    client->send("PROPFIND", collection, {{"Content-Type", kXml}, {"Depth", "1"}},
                 propfind("<d:getetag/><d:resourcetype/>"), [this](const DavReply& reply) {
                   if (!reply.failure.isEmpty() || reply.status != 207) return fail(describeDavFailure(reply));
                   QString error;
                   const auto answer = parseMultistatus(reply.body, reply.url, error);
                   if (!answer) return fail(error);
                   takeListing(*answer);
                 });
  }

  // Every member of the collection: what is not listed is gone.
  void takeListing(const DavMultistatus& answer) {
    std::set<std::string> present;
    for (const DavResource& resource : answer.responses) {
      if (resource.status == 404) continue;
      if (collectionPath(resource.url) == collectionPath(collection)) continue;
      if (resource.property(kDavNamespace, "resourcetype").contains(QLatin1String("DAV:collection"))) continue;
      const std::string href = pathOf(resource.url);
      present.insert(href);
      noteEtag(href, resource.property(kDavNamespace, "getetag").toStdString());
    }
    for (const auto& [uid, item] : state.items)
      if (!present.count(item.href)) gone.insert(item.href);
    for (const auto& [href, item] : state.foreign)
      if (!present.count(href)) gone.insert(href);
    fetchNext();
  }

  // --- reading what changed

  // The changed resources are read many at a time (calendar-multiget); a server without that
  // report, or a resource its answer leaves out, is read on its own (GET).
  void fetchNext() {
    if (toFetch.empty() && fetched == 0 && singles.empty())
      for (const auto& [href, etag] : changed) toFetch.push_back(href);
    if (multiget && fetched < toFetch.size()) return fetchMany();
    if (fetched < toFetch.size()) return fetchOne(toFetch[fetched++]);
    if (!singles.empty()) {
      const std::string href = singles.back();
      singles.pop_back();
      return fetchOne(href);
    }
    settle();
  }

  void fetchMany() {
    const std::size_t count = std::min<std::size_t>(kMultigetBatch, toFetch.size() - fetched);
    QByteArray body =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
        "<c:calendar-multiget xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
        "<d:prop><d:getetag/><c:calendar-data/></d:prop>";
    for (std::size_t i = 0; i < count; ++i)
      body += "<d:href>" + QString::fromStdString(toFetch[fetched + i]).toHtmlEscaped().toUtf8() + "</d:href>";
    body += "</c:calendar-multiget>";
    client->send("REPORT", collection, {{"Content-Type", kXml}, {"Depth", "1"}}, body,
                 [this, count](const DavReply& reply) {
                   if (!reply.failure.isEmpty() || reply.status == 401) return fail(describeDavFailure(reply));
                   if (reply.status != 207) {
                     multiget = false;
                     return fetchNext();
                   }
                   QString error;
                   const auto answer = parseMultistatus(reply.body, reply.url, error);
                   if (!answer) return fail(error);
                   std::set<std::string> asked(toFetch.begin() + static_cast<std::ptrdiff_t>(fetched),
                                               toFetch.begin() + static_cast<std::ptrdiff_t>(fetched + count));
                   for (const DavResource& resource : answer->responses) {
                     const std::string href = pathOf(resource.url);
                     if (!asked.count(href)) continue;
                     if (resource.status == 404) {
                       gone.insert(href);
                       asked.erase(href);
                       continue;
                     }
                     if (!resource.has(kCalDavNamespace, "calendar-data")) continue;
                     std::string etag = resource.property(kDavNamespace, "getetag").toStdString();
                     if (etag.empty()) etag = changed[href];
                     takeResource(href, etag, resource.property(kCalDavNamespace, "calendar-data").toStdString());
                     asked.erase(href);
                   }
                   singles.insert(singles.end(), asked.begin(), asked.end());
                   fetched += count;
                   fetchNext();
                 });
  }

  void fetchOne(const std::string& href) {
    client->send("GET", urlOf(href), {}, {}, [this, href](const DavReply& reply) {
      if (!reply.failure.isEmpty() || reply.status == 401) return fail(describeDavFailure(reply));
      if (reply.status == 404 || reply.status == 410) {
        gone.insert(href);
        return fetchNext();
      }
      if (reply.status != 200) return fail(describeDavFailure(reply));
      const std::string etag = reply.etag.isEmpty() ? changed[href] : reply.etag.toStdString();
      takeResource(href, etag, reply.body.toStdString());
      fetchNext();
    });
  }

  void takeResource(const std::string& href, const std::string& etag, const std::string& ics) {
    const auto byHref = ours();
    const auto previous = byHref.find(href);
    std::string uid, reason;
    std::optional<SyncRecord> record = icsToRecord(ics, uid, reason);
    if (record && remote.count(uid) && !remote[uid].deleted) {
      record.reset();
      reason = "another resource has the same UID";
    }
    if (!record) {
      // Another program's event: never rewritten, never deleted; a record of ours that became
      // one stays in the document as it is and is no longer synced.
      if (previous != byHref.end()) {
        outcome.notes.push_back("the event " + href +
                                " was changed by another program into a form the document "
                                "cannot hold (" +
                                reason + "); the record stays here and is no longer synced");
        state.items.erase(previous->second);
      } else if (!state.foreign.count(href)) {
        outcome.notes.push_back("left alone on the server: " + href + ": " + reason);
      }
      std::string foreignUid;
      if (const auto at = ics.find("\nUID:"); at != std::string::npos)
        foreignUid = ics.substr(at + 5, ics.find_first_of("\r\n", at + 5) - (at + 5));
      state.foreign[href] = ForeignItem{foreignUid, etag};
      return;
    }
    state.foreign.erase(href);
    if (previous != byHref.end() && previous->second != uid) remote[previous->second].deleted = true;
    Remote& entry = remote[uid];
    entry.deleted = false;
    entry.fingerprint = syncFingerprint(*record);
    entry.record = std::move(*record);
    entry.href = href;
    entry.etag = etag;
  }

  // --- settling every UID

  void put(const std::string& uid, const SyncRecord& record, const std::string& href, const std::string& etag,
           bool create) {
    Write write;
    write.kind = Write::Put;
    write.uid = uid;
    write.href = href;
    write.etag = etag;
    write.create = create;
    write.body = QByteArray::fromStdString(recordToIcs(record, uid));
    write.after = SyncedItem{kindOf(record), syncFingerprint(record), href, {}};
    writes.push_back(std::move(write));
  }

  void settle() {
    for (const std::string& href : gone) {
      const auto byHref = ours();
      if (const auto at = byHref.find(href); at != byHref.end() && !remote.count(at->second))
        remote[at->second].deleted = true;
      state.foreign.erase(href);
    }
    std::set<std::string> foreignUids;
    for (const auto& [href, item] : state.foreign) foreignUids.insert(item.uid);
    std::map<std::string, const LocalItem*> here;
    for (const LocalItem& item : local) here[item.uid] = &item;

    std::set<std::string> uids;
    for (const auto& [uid, item] : here) uids.insert(uid);
    for (const auto& [uid, item] : state.items) uids.insert(uid);
    for (const auto& [uid, item] : remote) uids.insert(uid);

    for (const std::string& uid : uids) {
      const auto localAt = here.find(uid);
      const LocalItem* mine = localAt == here.end() ? nullptr : localAt->second;
      const auto stateAt = state.items.find(uid);
      const SyncedItem* last = stateAt == state.items.end() ? nullptr : &stateAt->second;
      const auto remoteAt = remote.find(uid);
      const Remote* theirs = remoteAt == remote.end() ? nullptr : &remoteAt->second;
      const std::uint64_t print = mine ? syncFingerprint(mine->record) : 0;

      if (!theirs) {
        if (mine && !last) {
          if (!foreignUids.count(uid)) put(uid, mine->record, hrefFor(uid), {}, true);
        } else if (mine && last && print != last->fingerprint) {
          put(uid, mine->record, last->href, last->etag, false);
        } else if (!mine && last) {
          Write write;
          write.kind = Write::Delete;
          write.uid = uid;
          write.href = last->href;
          write.etag = last->etag;
          writes.push_back(std::move(write));
        }
        continue;
      }
      if (theirs->deleted) {
        if (mine && last && print != last->fingerprint) {
          // Edited here, deleted there: the edit is kept and goes back to the server.
          put(uid, mine->record, last->href, {}, true);
        } else if (mine) {
          outcome.removed.push_back(uid);
          ++outcome.deleted;
          state.items.erase(uid);
        } else {
          state.items.erase(uid);
        }
        continue;
      }
      const SyncedItem fromServer{kindOf(theirs->record), theirs->fingerprint, theirs->href, theirs->etag};
      if (mine && print == theirs->fingerprint) {
        state.items[uid] = fromServer;  // the same on both sides
      } else if (!mine && last && theirs->fingerprint == last->fingerprint) {
        // Deleted here, only touched there: the deletion goes out.
        Write write;
        write.kind = Write::Delete;
        write.uid = uid;
        write.href = theirs->href;
        write.etag = theirs->etag;
        writes.push_back(std::move(write));
      } else if (!mine || (last && print == last->fingerprint)) {
        // Changed only there (or deleted here but edited there, which keeps the edit).
        outcome.incoming.push_back({uid, theirs->record});
        ++outcome.received;
        state.items[uid] = fromServer;
      } else {
        // Changed on both sides: this side's version keeps the UID and goes out, the other one
        // comes in as a marked copy that goes out as well.
        ++outcome.conflicts;
        SyncRecord named = mine->record;
        outcome.notes.push_back("\"" + textOf(named) + "\" was changed here and on the server; both are kept, " +
                                "the server's as a copy marked \"" + kConflictCopyMark + "\"");
        put(uid, mine->record, theirs->href, theirs->etag, false);
        const std::string copyUid = conflictCopyUid(uid, theirs->fingerprint);
        if (!here.count(copyUid) && !remote.count(copyUid) && !state.items.count(copyUid)) {
          SyncRecord copy = theirs->record;
          std::string& text = textOf(copy);
          if (text.rfind(kConflictCopyMark, 0) != 0) text = kConflictCopyMark + text;
          outcome.incoming.push_back({copyUid, copy});
          put(copyUid, copy, hrefFor(copyUid), {}, true);
        }
      }
    }
    writeNext();
  }

  // --- writing to the server

  void writeNext() {
    if (written >= writes.size()) return finish();
    Write& write = writes[written++];
    DavClient::Headers headers;
    if (write.kind == Write::Put)
      headers.push_back({QByteArray("Content-Type"), QByteArray("text/calendar; charset=utf-8")});
    if (write.create)
      headers.push_back({QByteArray("If-None-Match"), QByteArray("*")});
    else if (!write.etag.empty())
      headers.push_back({QByteArray("If-Match"), QByteArray::fromStdString(write.etag)});
    const QByteArray method = write.kind == Write::Put ? "PUT" : "DELETE";
    client->send(method, urlOf(write.href), headers, write.body, [this, &write](const DavReply& reply) {
      if (!reply.failure.isEmpty() || reply.status == 401 || reply.status >= 500)
        return fail(describeDavFailure(reply));
      if (write.kind == Write::Delete) {
        if ((reply.status >= 200 && reply.status < 300) || reply.status == 404 || reply.status == 410) {
          state.items.erase(write.uid);
          ++outcome.deleted;
        } else {
          outcome.notes.push_back("the deletion of " + write.href +
                                  " waits for the next sync: " + describeDavFailure(reply).toStdString());
        }
        return writeNext();
      }
      if (reply.status >= 200 && reply.status < 300) {
        write.after.etag = reply.etag.toStdString();
        state.items[write.uid] = write.after;
        ++outcome.sent;
      } else {
        // Changed on the server meanwhile (412), or refused: it stays pending here.
        outcome.notes.push_back("the event " + write.href +
                                " waits for the next sync: " + describeDavFailure(reply).toStdString());
      }
      writeNext();
    });
  }

  void finish() {
    if (finished) return;
    finished = true;
    state.syncToken = newToken;
    if (!newCtag.empty()) state.ctag = newCtag;
    outcome.ok = true;
    outcome.state = std::move(state);
    const auto callback = std::move(done);
    callback(std::move(outcome));
  }
};

CalDavSync::CalDavSync(QUrl collection, DavAccount account)
    : collection_(std::move(collection)), client_(std::move(account)) {
  // Members are resolved against the collection, which is a folder.
  QString path = collection_.path();
  if (!path.endsWith(QLatin1Char('/'))) collection_.setPath(path + QLatin1Char('/'));
}

CalDavSync::~CalDavSync() = default;

void CalDavSync::setTimeout(int milliseconds) { client_.setTimeout(milliseconds); }

bool CalDavSync::running() const { return run_ && !run_->finished; }

void CalDavSync::start(std::vector<LocalItem> local, SyncState state, std::function<void(SyncOutcome)> done) {
  // The requests of a run refer to it until it ends: a second one waits for the first.
  if (running()) {
    SyncOutcome busy;
    busy.failure = "a sync with this calendar is already running";
    done(std::move(busy));
    return;
  }
  run_ = std::make_shared<Run>();
  run_->collection = collection_;
  run_->client = &client_;
  run_->local = std::move(local);
  run_->state = std::move(state);
  run_->done = std::move(done);
  run_->list();
}

// --- discovery

void discoverCalendars(DavClient& client, const QUrl& server,
                       std::function<void(std::vector<CalendarInfo>, QString failure)> done) {
  const auto ask = [&client](const QUrl& url, const char* depth, const char* properties,
                             std::function<void(std::optional<DavMultistatus>, QString)> then) {
    client.send("PROPFIND", url, {{"Content-Type", kXml}, {"Depth", depth}}, propfind(properties),
                [then = std::move(then)](const DavReply& reply) {
                  if (!reply.failure.isEmpty() || reply.status != 207)
                    return then(std::nullopt, describeDavFailure(reply));
                  QString error;
                  auto answer = parseMultistatus(reply.body, reply.url, error);
                  then(std::move(answer), error);
                });
  };
  const auto listHome = [ask, done](const QUrl& home) {
    ask(home, "1", "<d:resourcetype/><d:displayname/>", [done](std::optional<DavMultistatus> answer, QString error) {
      if (!answer) return done({}, error);
      std::vector<CalendarInfo> calendars;
      for (const DavResource& resource : answer->responses) {
        if (!resource.property(kDavNamespace, "resourcetype")
                 .contains(QLatin1String("urn:ietf:params:xml:ns:caldav") + QLatin1String("calendar")))
          continue;
        CalendarInfo info;
        info.url = resource.url;
        info.name = resource.property(kDavNamespace, "displayname");
        if (info.name.isEmpty()) {
          QStringList segments = resource.url.path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
          info.name = segments.isEmpty() ? resource.url.toString() : segments.last();
        }
        calendars.push_back(std::move(info));
      }
      done(std::move(calendars), {});
    });
  };
  ask(server, "0", "<d:current-user-principal/>",
      [ask, listHome, done, server](std::optional<DavMultistatus> answer, QString error) {
        if (!answer) return done({}, error);
        QUrl principal = server;
        for (const DavResource& resource : answer->responses)
          if (const QString href = resource.property(kDavNamespace, "current-user-principal"); !href.isEmpty())
            principal = QUrl(href);
        ask(principal, "0", "<c:calendar-home-set/>",
            [listHome, done, principal](std::optional<DavMultistatus> homes, QString failure) {
              if (!homes) return done({}, failure);
              QUrl home = principal;
              for (const DavResource& resource : homes->responses)
                if (const QString href = resource.property(kCalDavNamespace, "calendar-home-set"); !href.isEmpty())
                  home = QUrl(href);
              listHome(home);
            });
      });
}

}  // namespace kalvory
