#pragma once

// The JSON form of a reminder document shared by "info" (document to JSON) and "build" (JSON
// to document):
//   {"reminders": [{"time", "timer_mode", "daily", "state", "text", "sound_file", "timer_minutes",
//                   "program", "exit_action", "week_days", "show_seconds", "osd", "notifier",
//                   "wallpaper", "sticker"}],
//    "day_notes": [{"text", "date", "week_day", "interval_days", "repeat", "event_type",
//                   "block_changer", "sticker", "wallpaper"}],
//    "copy_date_format", "paste_formats": [...], "countdown_target"}
// A date-time is {"status": 0|1|2, "days": D}; D is written so that it reads back to the same
// double. Texts are UTF-8 with the marks as the code points U+0080..U+0082.

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

#include "core/model/alarm_doc.h"

namespace kalvory::cli {

using DocumentJson = nlohmann::ordered_json;

DocumentJson documentToJson(const CAlarmDoc& doc);
// One element of "reminders".
DocumentJson reminderToJson(const CAlarmLine& line);

// A JSON document that does not fit the schema; the message starts with where, e.g.
// "reminders[2].time: missing".
class DocumentJsonError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Fills an empty `doc` from JSON. A reminder needs "time" and a note "date"; every other field
// that is left out keeps the default of a new record (and the document's stored settings theirs).
// An unknown key or a value of the wrong type or range is refused. A record may carry "schema"
// (0..65535, default 12) to be written as that older or newer record version; all records of one
// class must agree, since the file states the schema once per class. Returns the schemas to write.
CAlarmDoc::StoreOptions documentFromJson(const DocumentJson& json, CAlarmDoc& doc);

}  // namespace kalvory::cli
