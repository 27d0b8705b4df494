#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/date_time.h"
#include "core/common/result.h"
#include "core/model/alarm_doc.h"

namespace kalvory {

// The reminder document as an iCalendar file (RFC 5545) and back.
//
// Export: every reminder is a VEVENT whose start is its first ring (a daily one on or after the
// day of the export, on one of its weekdays, as a DAILY or WEEKLY RRULE) with a VALARM that rings
// at that start; a switched-off reminder is the same event without a VALARM. Every day note is an
// all-day VEVENT starting on a day it falls on, its repetition an RRULE (Interval as
// FREQ=DAILY;INTERVAL=N). A record with no date to ring or show on (a time that is not valid, a
// daily reminder without weekdays, a note that matches no day) is a VJOURNAL, which has no start.
// Times are floating local times, as the document keeps them. Texts are escaped and folded as
// the format wants, without control characters and the program's marks. Each record also carries
// all of its own fields in X-KALVORY-* properties, and the calendar the document's formats and
// countdown target, so that a file this program wrote reads back into the very same document.
//
// Import: a component with X-KALVORY-* fields is read from them alone. Any other event becomes a
// day note when it lasts whole days (DTSTART;VALUE=DATE) and a reminder when it has a time of
// day: the reminder rings when the event's DISPLAY or AUDIO alarm triggers, and an event without
// an alarm is kept switched off. UTC times and times with a TZID (from the file's VTIMEZONE or the
// system's zone data) are converted to this computer's local time, each date of a series on its
// own. What the document cannot hold exactly is never approximated: the component is skipped and
// named with the reason and its line (a series that starts after today, exceptions, ends, to-dos,
// journal entries, cancelled events, mail alarms, a series whose local time moves with daylight
// saving...).
// The UIDs of the document's reminders and of its notes, in list order; a missing or empty one is
// written as the record's place ("reminder-3@kalvory").
struct IcsUids {
  std::vector<std::string> reminders;
  std::vector<std::string> notes;
};

std::string documentToIcs(const CAlarmDoc& doc, const COleDateTime& stamp, const IcsUids& uids = {});

// The largest calendar file the import reads; the export refuses to write a larger one, so that
// whatever it writes reads back.
inline constexpr std::size_t kMaxIcsBytes = std::size_t{1024} * 1024 * 1024;

struct IcsImport {
  // One line for each component that was skipped, e.g.
  // "event \"Dentist\" (line 12): EXDATE (line 15) is not supported: ...".
  std::vector<std::string> skipped;
  // The UID each imported record had in the calendar (empty when it had none fit to keep).
  IcsUids uids;
};

// Fills the empty `doc` from iCalendar text, `now` deciding which series have begun; a text that
// is no calendar at all, or whose structure is broken, is a Failure naming the line and leaves
// `doc` empty.
Result<IcsImport> icsToDocument(std::string_view ics, CAlarmDoc& doc, const COleDateTime& now = systemNow());

// --- a record's UID for its whole life
//
// The .alr format has no room for an identity, so the UIDs live beside the document: a small
// file in the data folder per document ("calendar-uids/<hash of its path>"), with one line per
// record: its kind, a fingerprint of its stored fields and its UID. On each export the
// document's records are matched to that list in order: a record whose fields are unchanged
// keeps its UID wherever it now stands (deleting the first record renumbers nothing), and an
// edited record keeps the UID of the one it replaced between two unchanged neighbours. New
// records get new random UIDs, so two documents exported into one calendar never collide.

// A fingerprint of all of a record's stored fields.
std::uint64_t recordFingerprint(const CAlarmLine& line);
std::uint64_t recordFingerprint(const CDayInfo& note);

// The UIDs for `current` (fingerprints in list order), matched against the records a store knew
// (`known` fingerprints with their `knownUids`, in their list order); fresh ones for the rest.
std::vector<std::string> matchRecordUids(const std::vector<std::uint64_t>& known,
                                         const std::vector<std::string>& knownUids,
                                         const std::vector<std::uint64_t>& current);

// The store file of the document at `documentPath` (made absolute) in `dataFolder`.
std::string icsUidStoreFile(const std::string& dataFolder, const std::string& documentPath);

// The document's UIDs, matched to its store and written back to it. When the store cannot be
// written, the UIDs are still given and `problem` says why they will not be kept.
IcsUids keepIcsUids(const CAlarmDoc& doc, const std::string& storeFile, std::string& problem);

// Writes the store of a document just made from a calendar, so that its records keep the UIDs
// they had there (`uids` as IcsImport gives them; missing ones are made). False with `problem`
// when it cannot be written.
bool rememberIcsUids(const CAlarmDoc& doc, const IcsUids& uids, const std::string& storeFile, std::string& problem);

}  // namespace kalvory
