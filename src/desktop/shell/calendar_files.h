#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/common/date_time.h"
#include "core/common/result.h"
#include "platform/ical/ical_document.h"

namespace kalvory {

class CAlarmDoc;

// What File > "Import from iCalendar..." added to the open document.
struct CalendarImport {
  std::size_t reminders = 0;
  std::size_t notes = 0;
  // One line for each component the document cannot hold as it stands, as the calendar reader
  // names it: what it is, its line and why.
  std::vector<std::string> skipped;
};

// Anything larger is refused before it is read; the export never writes more.
inline constexpr std::size_t kMaxCalendarFileBytes = kMaxIcsBytes;

// Reads an iCalendar file and appends its reminders and day notes to `document`, which is then
// modified when anything was added. The open document keeps its own formats and countdown
// target: a calendar's events are added to it, the calendar does not replace it. A file that
// cannot be read or is no calendar at all is a Failure, and the document is left untouched.
// `now` decides which repeating events have begun. When the document is saved at
// `documentPath`, the added records keep the UIDs the calendar gave them in its later exports.
Result<CalendarImport> importCalendarFile(const std::string& path, CAlarmDoc& document,
                                          const COleDateTime& now = systemNow(), const std::string& documentPath = {});

// Writes the document as an iCalendar file, all at once: a failed write leaves an existing
// file as it was. A calendar larger than an import reads is not written. The records of a
// document saved at `documentPath` keep their UIDs from one export to the next (the store in the
// data folder); an untitled document's records get new ones.
Result<void> exportCalendarFile(const CAlarmDoc& document, const std::string& path, const COleDateTime& stamp,
                                const std::string& documentPath = {});

}  // namespace kalvory
