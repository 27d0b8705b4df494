#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/common/date_time.h"
#include "core/common/strftime.h"
#include "core/resources/resource_strings.h"

namespace kalvory {

class CAlarmDoc;
class MediaPlayerInfo;

// What the program's own format codes read besides the format: now, the countdown target,
// today's day notes and the media player.
struct TimeFormatSources {
  COleDateTime now;
  COleDateTime countdown_target = COleDateTime::makeInvalid();  // not valid: every countdown code prints 0
  // The joined texts of the day notes that match a date; unset means no notes.
  std::function<std::string(const COleDateTime&)> dayNoteTexts;
  MediaPlayerInfo* player = nullptr;  // nullptr: no player runs
  // The language of the weekday and month names of %a %A %b %B. English keeps the C run-time's
  // names; the on-screen clock of a Russian or Ukrainian interface names them in its language.
  UiLanguage names_language = UiLanguage::English;
};

// The sources of a document: its countdown target and its day notes.
TimeFormatSources timeFormatSources(const CAlarmDoc& doc, const COleDateTime& now, MediaPlayerInfo* player);

// Replaces the program's own codes, in this order: the song codes %T %L %l %V (the player is
// asked only when the format holds "%V"), the countdown codes %e %f %g %k %E %F %G %K, today's
// notes %D, and the Russian names %д %м. Each step works on the text the steps before it made,
// so a code inside an inserted song title or note is expanded by a later step. The strftime
// codes and the marks stay for the caller.
std::string expandTimeFormat(std::string_view format, const TimeFormatSources& sources);

// Replaces "%д" by the Russian name of the weekday of `today` and "%м" by the name of its month,
// both in the nominative case, from the program's own tables.
std::string replaceRussianNames(std::string_view text, const COleDateTime& today);

// Replaces %a %A %b %B (with or without the # flag) by the names of `when` in `language`:
// weekdays and months in Russian and Ukrainian, with a month that follows a day of the month
// ("%d %B") in the genitive ("08 декабря"). English leaves the format as it is. "%%" stays.
std::string localizeNameCodes(std::string_view format, const COleDateTime& when, UiLanguage language);

// The text a clock shows: the format expanded, the names put in the sources' language, then
// `now` formatted with the result.
Result<std::string> formatTimeText(std::string_view format, const TimeFormatSources& sources);

// The text QuickPaste puts on the clipboard for paste format `index` of the document.
// Throws std::invalid_argument for an index outside the document's paste formats.
Result<std::string> quickPasteText(const CAlarmDoc& doc, int index, const COleDateTime& now, MediaPlayerInfo* player);

// The first code of a clock or QuickPaste format that the program does not know: where it
// starts (a byte offset of the UTF-8 format) and its text ("%Q", or "%" alone at the end).
struct UnknownFormatCode {
  std::size_t offset = 0;
  std::string code;
};
// Known are the strftime codes of formatDateTime, with or without "#", and the program's own
// codes and marks (%T %L %l %V %e %f %g %k %E %F %G %K %D %д %м %~ %-), which take no "#".
std::optional<UnknownFormatCode> firstUnknownFormatCode(std::string_view format);

// "%~" and "%-" as the raised-text marks U+0081 and U+0082, as the on-screen windows take them.
std::string insertRaisedTextMarks(std::string_view text);

// What the on-screen clock shows when the user's format cannot be formatted.
inline constexpr std::string_view kFallbackClockFormat = "%H%~%M";

// The format the on-screen clock keeps: `format` with its raised-text marks when a trial
// formatting of now succeeds, otherwise the fallback format with its marks. The trial expands
// the program's own codes first, so that "%e" or "%V" are not taken for unknown strftime codes.
std::string acceptClockFormat(std::string_view format, const TimeFormatSources& sources);

}  // namespace kalvory
