#include "platform/caldav/document_sync.h"

#include <algorithm>

namespace kalvory {
namespace {

std::ptrdiff_t placeOf(const std::vector<std::string>& uids, const std::string& uid) {
  const auto at = std::find(uids.begin(), uids.end(), uid);
  return at == uids.end() ? -1 : at - uids.begin();
}

void removeUid(const std::string& uid, CAlarmDoc& doc, IcsUids& uids) {
  if (const auto at = placeOf(uids.reminders, uid); at >= 0) {
    doc.RemoveAlarm(at);
    uids.reminders.erase(uids.reminders.begin() + at);
  }
  if (const auto at = placeOf(uids.notes, uid); at >= 0) {
    doc.RemoveDayInfo(at);
    uids.notes.erase(uids.notes.begin() + at);
  }
}

}  // namespace

std::vector<LocalItem> documentSyncItems(const CAlarmDoc& doc, const IcsUids& uids) {
  std::vector<LocalItem> items;
  for (std::size_t i = 0; i < doc.alarms().size() && i < uids.reminders.size(); ++i)
    items.push_back({uids.reminders[i], *doc.alarms()[i]});
  for (std::size_t i = 0; i < doc.dayInfos().size() && i < uids.notes.size(); ++i)
    items.push_back({uids.notes[i], *doc.dayInfos()[i]});
  return items;
}

bool applySyncOutcome(const SyncOutcome& outcome, CAlarmDoc& doc, IcsUids& uids) {
  for (const std::string& uid : outcome.removed) removeUid(uid, doc, uids);
  for (const IncomingItem& item : outcome.incoming) {
    if (const auto* line = std::get_if<CAlarmLine>(&item.record)) {
      if (const auto at = placeOf(uids.reminders, item.uid); at >= 0) {
        doc.ReplaceAlarm(*line, at);
        continue;
      }
      removeUid(item.uid, doc, uids);
      doc.AddAlarm(*line);
      uids.reminders.push_back(item.uid);
    } else {
      const auto& note = std::get<CDayInfo>(item.record);
      if (const auto at = placeOf(uids.notes, item.uid); at >= 0) {
        doc.ReplaceDayInfo(note, at);
        continue;
      }
      removeUid(item.uid, doc, uids);
      doc.AddDayInfo(note);
      uids.notes.push_back(item.uid);
    }
  }
  return !outcome.removed.empty() || !outcome.incoming.empty();
}

}  // namespace kalvory
