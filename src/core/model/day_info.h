#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/common/date_time.h"
#include "core/resources/resource_strings.h"

namespace kalvory {

class ArchiveReader;
class ArchiveWriter;

// A dated calendar note with its repetition.
//
// Only the calendar date of `date` and of the dates it is compared with take part. A note whose
// `date` is not a valid date-time matches nothing and has no next date.
class CDayInfo {
 public:
  static constexpr int kSchema = 12;
  static constexpr const char* kClassName = "CDayInfo";

  enum Repeat : std::int32_t { Annual = 0, Monthly = 1, Weekly = 2, Interval = 3, Once = 4 };
  enum EventType : std::int32_t { Note = 0, Anniversary = 1, Weekend = 2, Holiday = 3, DayOff = 4, ToDo = 5 };

  // A new note for `date` (the calendar passes the chosen day; otherwise now).
  explicit CDayInfo(COleDateTime date = systemNow());

  void copyFrom(const CDayInfo& other) { *this = other; }

  // Reads the fields that `schema` has; the others keep the defaults of a new note.
  void Serialize(ArchiveReader& archive, int schema);
  // Writes the fields that `schema` has (12 and above write all).
  void Serialize(ArchiveWriter& archive, int schema = kSchema) const;

  bool matches(const COleDateTime& date) const;
  // The first date from today on which the note falls, at midnight, or nullopt for none.
  std::optional<COleDateTime> nextDate(const COleDateTime& now) const;
  // Monday = 0 .. Sunday = 6; week_day for a Weekly note; -3 when date is not valid.
  int weekday() const;
  // "%d.%m.%Y", "%d" for Monthly, the full day name of week_day for Weekly.
  std::string dateLabel(UiLanguage language) const;
  // "Tomorrow: text" and the like, for the main view's next-day-event line; empty when the
  // note has no next date.
  std::string eventText(const COleDateTime& now, UiLanguage language) const;

  std::string text;
  COleDateTime date;
  std::int32_t week_day = 0;  // Weekly: 0 Monday .. 6 Sunday
  std::int32_t interval_days = 1;
  std::int32_t repeat = Annual;
  std::int32_t event_type = Note;
  std::string wallpaper;
  std::string sticker;
  bool block_changer = false;
};

// The full name of a weekday (0 Monday .. 6 Sunday) in `language`; empty outside 0..6.
const std::string& fullDayName(int mondayFirstWeekday, UiLanguage language);

}  // namespace kalvory
