#include "core/clock/time_format.h"
#include "core/model/alarm_doc.h"

namespace kalvory {

TimeFormatSources timeFormatSources(const CAlarmDoc& doc, const COleDateTime& now, MediaPlayerInfo* player) {
  TimeFormatSources sources;
  sources.now = now;
  sources.countdown_target = doc.countdown_target;
  sources.dayNoteTexts = [&doc](const COleDateTime& date) { return doc.joinedDayTexts(date); };
  sources.player = player;
  return sources;
}

Result<std::string> quickPasteText(const CAlarmDoc& doc, int index, const COleDateTime& now, MediaPlayerInfo* player) {
  const std::string& format = doc.pasteFormatAt(index);
  // The names are replaced once more after the expansion; that changes nothing but keeps the order of steps.
  const std::string expanded = replaceRussianNames(expandTimeFormat(format, timeFormatSources(doc, now, player)), now);
  return formatDateTime(expanded, now);
}

}  // namespace kalvory
