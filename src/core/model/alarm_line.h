#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/date_time.h"

namespace kalvory {

class ArchiveReader;
class ArchiveWriter;

// One reminder. Field names and order are those of the stored record.
class CAlarmLine {
 public:
  static constexpr int kSchema = 12;
  static constexpr const char* kClassName = "CAlarmLine";
  static constexpr int kDefaultShowSeconds = 60;  // the "ShowTime" default

  // A new reminder at `now`; show_seconds comes from the "ShowTime" setting.
  explicit CAlarmLine(COleDateTime now = systemNow(), int showSeconds = kDefaultShowSeconds);

  // Copies every stored field; the run-time fields (show_count, fired) keep their values.
  void copyFrom(const CAlarmLine& other);

  // Reads the fields that `schema` has, after resetting the ones a load starts from.
  void Serialize(ArchiveReader& archive, int schema);
  // Writes the fields that `schema` has (12 writes all).
  void Serialize(ArchiveWriter& archive, int schema = kSchema) const;

  // Derived values; all take "now" in whole local seconds.
  COleDateTime startTime(const COleDateTime& now) const;
  COleDateTime endTime(const COleDateTime& now) const;
  bool eligibleToday(const COleDateTime& now) const;
  bool isDue(const COleDateTime& now) const;
  // The next moment the reminder fires, or nullopt when it has none.
  std::optional<COleDateTime> nextFireTime(const COleDateTime& now) const;
  // The lists window's time column ("Daily: 07:30", "Timer:  1:30", "05/12/2026-09:00").
  std::string scheduleText() const;
  // `text` without symbol marks.
  std::string plainText() const;

  // Stored fields.
  COleDateTime time;
  std::int32_t state = 1;
  std::int32_t timer_mode = 0;
  std::int32_t daily = 0;
  std::int32_t timer_minutes = 0;
  std::string text;
  std::string sound_file;
  std::int32_t show_seconds = kDefaultShowSeconds;
  std::int32_t osd = 1;
  std::string notifier;
  std::string wallpaper;
  std::string sticker;
  std::int32_t exit_action = 0;
  std::string program;
  std::int32_t week_days = 127;

  // Run-time fields, never stored.
  std::int32_t show_count = 0;
  bool fired = false;
};

}  // namespace kalvory
