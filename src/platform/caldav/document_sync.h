#pragma once

#include <string>
#include <vector>

#include "core/model/alarm_doc.h"
#include "platform/caldav/caldav_sync.h"
#include "platform/ical/ical_document.h"

namespace kalvory {

// The document's records with their UIDs (as keepIcsUids gives them), for a sync.
std::vector<LocalItem> documentSyncItems(const CAlarmDoc& doc, const IcsUids& uids);

// Puts what a sync brought into the document: records deleted on the server are removed,
// changed ones replaced where they stand (a reminder that became a note, or the other way, moves
// to the other list), new ones appended; `uids` follows. False when nothing came in.
bool applySyncOutcome(const SyncOutcome& outcome, CAlarmDoc& doc, IcsUids& uids);

}  // namespace kalvory
