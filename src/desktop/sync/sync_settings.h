#pragma once

#include <cstdint>
#include <string>

namespace kalvory {

class SettingsStore;

// "CalDavSync": the document's sync with a CalDAV calendar, a section of the settings file of its
// own. The password is never among these keys: it lives in the desktop's secret store.
struct SyncSettings {
  std::int32_t enabled = 0;   // "Enabled"
  std::string server;         // "Server": the address typed, where the calendars are looked for
  std::string user;           // "User"
  std::string calendar;       // "Calendar": the collection's address
  std::string calendar_name;  // "CalendarName": its display name, for the page
  // "Document": the document the sync was set up for. Another document opened later is not
  // merged into the calendar unasked; empty until a saved document is open while sync is on.
  std::string document;

  friend bool operator==(const SyncSettings&, const SyncSettings&) = default;
};

SyncSettings loadSyncSettings(const SettingsStore& store);
void saveSyncSettings(const SyncSettings& settings, SettingsStore& store);

}  // namespace kalvory
