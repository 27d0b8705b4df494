#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/common/date_time.h"

namespace kalvory {

// The three answers of the "Turn off alarm" dialog, numbered as the dialog keeps its choice.
enum class TurnOffChoice : int { RemindIn = 0, RemindOn = 1, TurnOff = 2 };

// The minute list of "Remind &in:": "5", "10", ... "60".
std::vector<std::string> postponeMinuteEntries();

// Seconds for an entry of the minute list; no selection (-1) gives 0, which turns the alarm off.
std::int64_t postponeSecondsForEntry(int entryIndex);

// What the dialog's answer asks of AlarmEngine::StopAlarms.
struct StopAlarmsArguments {
  bool keepExitAction = false;
  std::int64_t postponeSeconds = 0;
  friend bool operator==(const StopAlarmsArguments&, const StopAlarmsArguments&) = default;
};

// The dialog's answer (OK pressed). `choice` is the dialog's value, where anything other than
// 1 and 2 counts as "Remind in"; `openedAt` is the time noted when the dialog was opened.
// "Remind on" gives the seconds from the opening to the chosen moment, rounded to the nearest
// second (negative for a moment in the past); a moment that is not a valid date gives 0.
StopAlarmsArguments turnOffDialogAnswer(int choice, int minutesEntryIndex, const COleDateTime& remindOn,
                                        const COleDateTime& openedAt, bool executeExitAction);

}  // namespace kalvory
