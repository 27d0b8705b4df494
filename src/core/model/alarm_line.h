#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/common/date_time.h"
#include "core/resources/resource_strings.h"

namespace kalvory {

class ArchiveReader;
class ArchiveWriter;

// What a reminder does when it falls due, as its `state` field stores it. A file may hold any
// other number; it is kept and written back as it is, and the alarm check compares it by its
// number: above Armed it behaves as TurnedOff, below Inactive the reminder never fires.
enum class ReminderState : std::int32_t {
  Inactive = 0,   // switched off by the user (the editor's "Active" box unticked); never fires
  Armed = 1,      // fires at its next occurrence
  TurnedOff = 2,  // turned off for the current showing; armed again once its window has passed
};

// One reminder. Field names are those of the stored record.
//
// Every derived time is computed in whole seconds: `time` is taken to the nearest second, so a
// stored value a hair off a whole second never moves a window edge. A reminder whose `time` is
// not a valid date-time never fires: it is not eligible, not due and has no next fire time, and
// its start and end times are invalid.
//
// A timer's `time` is the moment it rings: the editor stores the moment of saving plus the typed
// length, whole days included, while `timer_minutes` keeps only the hours and minutes for the
// schedule text. The length is therefore not added a second time, and a timer rings once the
// typed length has passed.
class CAlarmLine {
 public:
  static constexpr int kSchema = 12;
  static constexpr const char* kClassName = "CAlarmLine";
  static constexpr int kDefaultShowSeconds = 60;  // the "ShowTime" default

  // A new reminder at `now`; show_seconds comes from the "ShowTime" setting.
  explicit CAlarmLine(COleDateTime now = systemNow(), int showSeconds = kDefaultShowSeconds);

  // Copies every stored field; the run-time fields (show_count, fired, postponed) keep their
  // values.
  void copyFrom(const CAlarmLine& other);

  // Reads the fields that `schema` has, after resetting the ones a load starts from.
  void Serialize(ArchiveReader& archive, int schema);
  // Writes the fields that `schema` has (12 and above write all).
  void Serialize(ArchiveWriter& archive, int schema = kSchema) const;

  // Derived values; all take "now" in whole local seconds.
  COleDateTime startTime(const COleDateTime& now) const;
  COleDateTime endTime(const COleDateTime& now) const;
  bool eligibleToday(const COleDateTime& now) const;
  // Eligible today and start time <= now <= end time (both ends inclusive).
  bool isDue(const COleDateTime& now) const;
  // The next moment the reminder fires, or nullopt when it has none.
  std::optional<COleDateTime> nextFireTime(const COleDateTime& now) const;
  // The lists window's time column ("Daily: 07:30", "Timer:  1:30", "12/05/2026-09:00").
  std::string scheduleText() const;
  // `text` without symbol marks.
  std::string plainText() const;

  // Stored fields. The numbers come first and the texts after them, unlike the stored record's
  // order (which Serialize keeps): the alarm check reads the numbers of every reminder once a
  // second, and together they fill one cache line instead of spreading over four.
  COleDateTime time;
  ReminderState state = ReminderState::Armed;
  std::int32_t timer_mode = 0;  // boolean, kept as stored
  std::int32_t daily = 0;       // boolean, kept as stored
  std::int32_t timer_minutes = 0;
  std::int32_t show_seconds = kDefaultShowSeconds;
  std::int32_t osd = 1;  // boolean, kept as stored
  std::int32_t exit_action = 0;
  std::int32_t week_days = 127;  // bit 0 Sunday .. bit 6 Saturday

  // Run-time fields, never stored.
  std::int32_t show_count = 0;
  bool fired = false;

  // A postponed showing of a daily reminder. Postponing it leaves its time and days alone: it
  // rings once more at `ringsAt`, and the occurrence that was postponed (the one that began at
  // `replaces`) does not ring again. Both are whole local seconds from 30 December 1899 00:00.
  // Kept only while the program runs, like the two fields above.
  struct Postponement {
    std::int64_t ringsAt = 0;
    std::int64_t replaces = 0;
    friend bool operator==(const Postponement&, const Postponement&) = default;
  };
  std::optional<Postponement> postponed;
  // The moment a pending postponement rings, or nullopt.
  std::optional<COleDateTime> postponedTime() const;

  std::string sticker;  // read by every tick too: next to the numbers
  std::string text;
  std::string sound_file;
  std::string notifier;
  std::string wallpaper;
  std::string program;
};

// The main view's next-reminder line for `line` firing at `fireTime`: "Tomorrow, 09:05: text",
// "09:05: text" today, "05/12 - 09:05: text" otherwise, in `language`.
std::string nextReminderLine(const CAlarmLine& line, const COleDateTime& fireTime, const COleDateTime& now,
                             UiLanguage language);

// The lists window's note of a pending postponement, "postponed to 10:59" (the date too when it
// is not today), in `language`; empty when the reminder has none.
std::string postponementText(const CAlarmLine& line, const COleDateTime& now, UiLanguage language);

}  // namespace kalvory
