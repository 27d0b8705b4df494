// The reminder document reader on arbitrary bytes: it must fail cleanly or read something that
// stores and reads back to the same bytes, and the derived values of what it read must be safe.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "core/model/alarm_doc.h"
#include "core/model/archive.h"
#include "core/model/document_file.h"

using namespace kalvory;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CAlarmDoc doc;
  try {
    ArchiveReader reader(std::span<const std::uint8_t>(data, size));
    doc.load(reader);
  } catch (const ArchiveError&) {
    return 0;
  }

  // Whatever was read is written in the program's own form, which reads back unchanged.
  const std::string stored = storeDocumentBytes(doc);
  CAlarmDoc again;
  loadDocumentBytes(again, stored);  // an exception here ends the run as a fault
  if (storeDocumentBytes(again) != stored) std::abort();

  const COleDateTime now(2026, 5, 13, 10, 0, 0);
  for (const auto& line : doc.alarms()) {
    (void)line->startTime(now);
    (void)line->endTime(now);
    (void)line->isDue(now);
    (void)line->nextFireTime(now);
    (void)line->scheduleText();
  }
  for (const auto& info : doc.dayInfos()) {
    (void)info->matches(now);
    (void)info->weekday();
    (void)info->dateLabel(UiLanguage::Russian);
    (void)info->eventText(now, UiLanguage::Ukrainian);
  }
  (void)doc.nextReminderText(now, UiLanguage::English);
  (void)doc.nextDayEventText(now, UiLanguage::English);
  (void)doc.joinedDayTexts(now);
  return 0;
}
