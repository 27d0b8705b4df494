#include "core/alarms/turn_off_answer.h"

#include <cmath>

namespace kalvory {

namespace {
constexpr int kMinuteEntries = 12;
constexpr int kSecondsPerEntry = 300;
}  // namespace

std::vector<std::string> postponeMinuteEntries() {
  std::vector<std::string> entries;
  for (int i = 1; i <= kMinuteEntries; ++i) entries.push_back(std::to_string(i * 5));
  return entries;
}

std::int64_t postponeSecondsForEntry(int entryIndex) {
  return static_cast<std::int64_t>(entryIndex) * kSecondsPerEntry + kSecondsPerEntry;
}

StopAlarmsArguments turnOffDialogAnswer(int choice, int minutesEntryIndex, const COleDateTime& remindOn,
                                        const COleDateTime& openedAt, bool executeExitAction) {
  switch (choice) {
    case static_cast<int>(TurnOffChoice::RemindOn): {
      if (!remindOn.isValid() || !openedAt.isValid()) return {false, 0};
      const double seconds = (remindOn - openedAt).days() * 86400.0;
      return {false, static_cast<std::int64_t>(std::llround(seconds))};
    }
    case static_cast<int>(TurnOffChoice::TurnOff):
      return {executeExitAction, 0};
    default:
      return {false, postponeSecondsForEntry(minutesEntryIndex)};
  }
}

}  // namespace kalvory
