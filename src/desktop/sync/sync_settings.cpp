#include "desktop/sync/sync_settings.h"

#include "core/settings/settings_store.h"

namespace kalvory {
namespace {
constexpr const char* kSection = "CalDavSync";
}  // namespace

SyncSettings loadSyncSettings(const SettingsStore& store) {
  SyncSettings settings;
  settings.enabled = store.readInt(kSection, "Enabled").value_or(0);
  settings.server = store.readString(kSection, "Server").value_or("");
  settings.user = store.readString(kSection, "User").value_or("");
  settings.calendar = store.readString(kSection, "Calendar").value_or("");
  settings.calendar_name = store.readString(kSection, "CalendarName").value_or("");
  settings.document = store.readString(kSection, "Document").value_or("");
  return settings;
}

void saveSyncSettings(const SyncSettings& settings, SettingsStore& store) {
  store.writeInt(kSection, "Enabled", settings.enabled);
  store.writeString(kSection, "Server", settings.server);
  store.writeString(kSection, "User", settings.user);
  store.writeString(kSection, "Calendar", settings.calendar);
  store.writeString(kSection, "CalendarName", settings.calendar_name);
  store.writeString(kSection, "Document", settings.document);
}

}  // namespace kalvory
