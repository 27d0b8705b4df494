#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/common/date_time.h"
#include "core/common/result.h"
#include "core/model/alarm_doc.h"

namespace kalvory {

// The reminder document as an iCalendar file (RFC 5545) and back, through libical.
//
// Export: every reminder is a VEVENT with a VALARM that rings at its start (one-time at its
// moment, daily as a weekly RRULE on its weekdays, a timer at the moment it rings); every day
// note an all-day VEVENT whose repetition is an RRULE (Interval as FREQ=DAILY;INTERVAL=N).
// Times are floating local times, as the document keeps them. Each record also carries all of
// its own fields in X-KALVORY-* properties, and the calendar the document's formats and
// countdown target, so that a file this program wrote reads back into the very same document.
//
// Import: an event with X-KALVORY-* fields is read from them alone. Any other event becomes a
// day note when it lasts whole days (DTSTART;VALUE=DATE) and a reminder when it has a time of
// day: the reminder rings when the event's first VALARM triggers, or at its start without one.
// UTC times and times with a TZID (from the file's VTIMEZONE or the system's zone data) are
// converted to this computer's local time. A repetition the document cannot hold (COUNT, UNTIL,
// EXDATE, RDATE, ordinal weekdays, intervals a record has no field for...) is never approximated:
// the event is skipped and named in the import's notes.
std::string documentToIcs(const CAlarmDoc& doc, const COleDateTime& stamp);

struct IcsImport {
  // One line for each event that was skipped, e.g. "event \"Dentist\": EXDATE is not supported".
  std::vector<std::string> skipped;
};

// Fills the empty `doc` from iCalendar text; a text that is no calendar at all is a Failure
// and leaves `doc` empty.
Result<IcsImport> icsToDocument(std::string_view ics, CAlarmDoc& doc);

}  // namespace kalvory
