#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/common/date_time.h"
#include "core/common/result.h"
#include "core/model/alarm_line.h"

namespace kalvory {

// A reminder typed on one line: the text, when it rings, and which kind of reminder it is.
// The command line of kalvory-cli ("add") and of the desktop program ("--add") both build their
// reminder here, so the two agree on every form.
struct QuickAddRequest {
  std::string text;                 // UTF-8
  std::string when;                 // "--at": one of the forms of quickAddForms(); empty with a timer
  bool daily = false;               // "--daily": every day at the time of `when`
  std::string weekdays;             // "--weekdays mon,tue,...": daily on these days only
  std::optional<int> timerMinutes;  // "--timer MINUTES": rings that long after now
};

// The moment `when` names, relative to `now` (whole seconds, local time). Accepted, in English,
// Russian and Ukrainian, letters in any case:
//   "HH:MM"                 today, or tomorrow when that minute has already begun today
//   "YYYY-MM-DD HH:MM[:SS]" that moment
//   "in 10 min", "in 2 h"   now plus the span, to the second ("через 10 мин", "через 2 ч",
//                           "через 10 хв", "через 2 год")
//   "tomorrow 9:00", "today 18:00" ("завтра", "сегодня", "сьогодні")
//   "friday 18:30"          the next such weekday at that time; today when it is that weekday
//                           and the time is still to come ("пятница", "п'ятниця", ...)
// Hours and minutes without seconds give second 0, as the reminder editor stores them.
// A failure names the text and lists every accepted form.
Result<COleDateTime> parseQuickWhen(std::string_view when, const COleDateTime& now);

// "mon,tue,..." (English, Russian or Ukrainian names or their usual abbreviations) as the
// week_days bit mask (bit 0 Sunday .. bit 6 Saturday).
Result<int> parseWeekdayMask(std::string_view list);

// The reminder the request describes, exactly as the reminder editor would store it:
//   one-time: `time` = the moment of `when`, which must lie in the future;
//   daily (with --daily or --weekdays): daily = 1, `time` = that moment (only its hour and minute
//     count), week_days = 127 or the days listed;
//   timer: timer_mode = 1, `time` = now + the length, timer_minutes = the length without whole days.
// Everything else keeps the defaults of a new reminder with `showSeconds` display seconds.
Result<CAlarmLine> buildQuickReminder(const QuickAddRequest& request, const COleDateTime& now,
                                      int showSeconds = CAlarmLine::kDefaultShowSeconds);

// The accepted forms of `when` on one line, for usage texts and failures.
const char* quickAddForms();

}  // namespace kalvory
