#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace kalvory {

enum class SyncKind { Reminder, Note };

// What the last sync left on the server for one of the document's records.
struct SyncedItem {
  SyncKind kind = SyncKind::Reminder;
  std::uint64_t fingerprint = 0;  // the record's stored fields as they were then (recordFingerprint)
  std::string href;               // its resource, a path on the server
  std::string etag;               // the resource's ETag then
};

// A resource the document cannot hold (another program's event): remembered only so that its
// ETag tells whether it changed; it is never written or deleted.
struct ForeignItem {
  std::string uid;
  std::string etag;
};

// One document's sync with one calendar collection, kept in the data folder between syncs.
struct SyncState {
  std::string syncToken;                       // RFC 6578, empty when the server has none or none was given yet
  std::string ctag;                            // the collection's getctag, for servers without sync tokens
  std::map<std::string, SyncedItem> items;     // by UID
  std::map<std::string, ForeignItem> foreign;  // by href
};

// The state's file for the document at `documentPath` (made absolute) and the collection.
std::string syncStateFile(const std::string& dataFolder, const std::string& documentPath,
                          const std::string& collectionUrl);

// A missing file is an empty state (the first sync); a damaged one is empty too, with `problem`
// saying so: the next sync then compares everything by content and loses nothing.
SyncState readSyncState(const std::string& file, std::string& problem);

// Written whole through a temporary file; false with `problem` when it cannot be.
bool writeSyncState(const std::string& file, const SyncState& state, std::string& problem);

}  // namespace kalvory
