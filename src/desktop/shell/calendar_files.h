#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/common/date_time.h"
#include "core/common/result.h"

namespace kalvory {

class CAlarmDoc;

// What File > "Import from iCalendar..." added to the open document.
struct CalendarImport {
  std::size_t reminders = 0;
  std::size_t notes = 0;
  // One line for each event the document cannot hold, as the calendar reader names it.
  std::vector<std::string> skipped;
};

// Calendar files are small; anything larger is refused before it is read.
inline constexpr std::size_t kMaxCalendarFileBytes = 64 * 1024 * 1024;

// Reads an iCalendar file and appends its reminders and day notes to `document`, which is then
// modified when anything was added. The open document keeps its own formats and countdown
// target: a calendar's events are added to it, the calendar does not replace it. A file that
// cannot be read or is no calendar at all is a Failure, and the document is left untouched.
Result<CalendarImport> importCalendarFile(const std::string& path, CAlarmDoc& document);

// Writes the document as an iCalendar file, all at once: a failed write leaves an existing
// file as it was.
Result<void> exportCalendarFile(const CAlarmDoc& document, const std::string& path, const COleDateTime& stamp);

}  // namespace kalvory
