#include "cli/document_json.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/common/text.h"

namespace kalvory::cli {

namespace {

using Json = DocumentJson;

[[noreturn]] void fail(const std::string& where, const std::string& what) {
  throw DocumentJsonError(where + ": " + what);
}

Json dateTimeToJson(const COleDateTime& value) {
  Json json = Json::object();
  json["status"] = static_cast<int>(value.GetStatus());
  json["days"] = value.days();
  return json;
}

std::int64_t wholeNumber(const Json& value, const std::string& where) {
  if (!value.is_number_integer()) fail(where, "expected a whole number");
  if (value.is_number_unsigned()) {
    const auto number = value.get<std::uint64_t>();
    if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) fail(where, "out of range");
    return static_cast<std::int64_t>(number);
  }
  return value.get<std::int64_t>();
}

std::int32_t int32From(const Json& value, const std::string& where) {
  const std::int64_t number = wholeNumber(value, where);
  if (number < std::numeric_limits<std::int32_t>::min() || number > std::numeric_limits<std::int32_t>::max()) {
    fail(where, "out of the 32-bit range");
  }
  return static_cast<std::int32_t>(number);
}

std::string stringFrom(const Json& value, const std::string& where) {
  if (!value.is_string()) fail(where, "expected a string");
  return value.get<std::string>();
}

bool boolFrom(const Json& value, const std::string& where) {
  if (!value.is_boolean()) fail(where, "expected true or false");
  return value.get<bool>();
}

int schemaFrom(const Json& value, const std::string& where) {
  const std::int64_t number = wholeNumber(value, where);
  if (number < 0 || number > 0xFFFF) fail(where, "a schema number is 0..65535");
  return static_cast<int>(number);
}

COleDateTime dateTimeFrom(const Json& value, const std::string& where) {
  if (!value.is_object()) fail(where, "expected {\"status\": S, \"days\": D}");
  std::optional<std::int64_t> status;
  std::optional<double> days;
  for (const auto& [key, item] : value.items()) {
    if (key == "status") {
      status = wholeNumber(item, where + ".status");
      if (*status < 0 || *status > 2) fail(where + ".status", "expected 0 (valid), 1 (invalid) or 2 (null)");
    } else if (key == "days") {
      if (!item.is_number()) fail(where + ".days", "expected a number");
      days = item.get<double>();
      if (!std::isfinite(*days)) fail(where + ".days", "expected a finite number");
    } else {
      fail(where + "." + key, "unknown key");
    }
  }
  if (!status) fail(where + ".status", "missing");
  if (!days) fail(where + ".days", "missing");
  return COleDateTime(*days, static_cast<COleDateTime::DateTimeStatus>(*status));
}

CAlarmLine reminderFrom(const Json& json, const std::string& where, int& schema) {
  if (!json.is_object()) fail(where, "expected an object");
  CAlarmLine line(COleDateTime(), CAlarmLine::kDefaultShowSeconds);
  bool hasTime = false;
  for (const auto& [key, value] : json.items()) {
    const std::string at = where + "." + key;
    if (key == "time") {
      line.time = dateTimeFrom(value, at);
      hasTime = true;
    } else if (key == "timer_mode") {
      line.timer_mode = int32From(value, at);
    } else if (key == "daily") {
      line.daily = int32From(value, at);
    } else if (key == "state") {
      line.state = static_cast<ReminderState>(int32From(value, at));
    } else if (key == "text") {
      line.text = stringFrom(value, at);
    } else if (key == "sound_file") {
      line.sound_file = stringFrom(value, at);
    } else if (key == "timer_minutes") {
      line.timer_minutes = int32From(value, at);
    } else if (key == "program") {
      line.program = stringFrom(value, at);
    } else if (key == "exit_action") {
      line.exit_action = int32From(value, at);
    } else if (key == "week_days") {
      line.week_days = int32From(value, at);
    } else if (key == "show_seconds") {
      line.show_seconds = int32From(value, at);
    } else if (key == "osd") {
      line.osd = int32From(value, at);
    } else if (key == "notifier") {
      line.notifier = stringFrom(value, at);
    } else if (key == "wallpaper") {
      line.wallpaper = stringFrom(value, at);
    } else if (key == "sticker") {
      line.sticker = stringFrom(value, at);
    } else if (key == "schema") {
      schema = schemaFrom(value, at);
    } else {
      fail(at, "unknown key");
    }
  }
  if (!hasTime) fail(where + ".time", "missing");
  return line;
}

CDayInfo dayNoteFrom(const Json& json, const std::string& where, int& schema) {
  if (!json.is_object()) fail(where, "expected an object");
  CDayInfo info{COleDateTime()};
  bool hasDate = false;
  for (const auto& [key, value] : json.items()) {
    const std::string at = where + "." + key;
    if (key == "text") {
      info.text = stringFrom(value, at);
    } else if (key == "date") {
      info.date = dateTimeFrom(value, at);
      hasDate = true;
    } else if (key == "week_day") {
      info.week_day = int32From(value, at);
    } else if (key == "interval_days") {
      info.interval_days = int32From(value, at);
    } else if (key == "repeat") {
      info.repeat = int32From(value, at);
    } else if (key == "event_type") {
      info.event_type = int32From(value, at);
    } else if (key == "block_changer") {
      info.block_changer = boolFrom(value, at);
    } else if (key == "sticker") {
      info.sticker = stringFrom(value, at);
    } else if (key == "wallpaper") {
      info.wallpaper = stringFrom(value, at);
    } else if (key == "schema") {
      schema = schemaFrom(value, at);
    } else {
      fail(at, "unknown key");
    }
  }
  if (!hasDate) fail(where + ".date", "missing");
  return info;
}

// Every record of a class shares the schema of the first one.
void agreeOnSchema(std::optional<int>& classSchema, int schema, const std::string& first, const std::string& where) {
  if (!classSchema) {
    classSchema = schema;
  } else if (*classSchema != schema) {
    fail(where + ".schema", "schema " + std::to_string(schema) + " differs from schema " +
                                std::to_string(*classSchema) + " of " + first +
                                "; a file states one schema per record class");
  }
}

}  // namespace

DocumentJson reminderToJson(const CAlarmLine& line) {
  Json r = Json::object();
  r["time"] = dateTimeToJson(line.time);
  r["timer_mode"] = line.timer_mode;
  r["daily"] = line.daily;
  r["state"] = static_cast<std::int32_t>(line.state);
  r["text"] = line.text;
  r["sound_file"] = line.sound_file;
  r["timer_minutes"] = line.timer_minutes;
  r["program"] = line.program;
  r["exit_action"] = line.exit_action;
  r["week_days"] = line.week_days;
  r["show_seconds"] = line.show_seconds;
  r["osd"] = line.osd;
  r["notifier"] = line.notifier;
  r["wallpaper"] = line.wallpaper;
  r["sticker"] = line.sticker;
  return r;
}

DocumentJson documentToJson(const CAlarmDoc& doc) {
  Json out = Json::object();
  Json reminders = Json::array();
  for (const auto& line : doc.alarms()) reminders.push_back(reminderToJson(*line));
  out["reminders"] = std::move(reminders);
  Json notes = Json::array();
  for (const auto& info : doc.dayInfos()) {
    Json n = Json::object();
    n["text"] = info->text;
    n["date"] = dateTimeToJson(info->date);
    n["week_day"] = info->week_day;
    n["interval_days"] = info->interval_days;
    n["repeat"] = info->repeat;
    n["event_type"] = info->event_type;
    n["block_changer"] = info->block_changer;
    n["sticker"] = info->sticker;
    n["wallpaper"] = info->wallpaper;
    notes.push_back(std::move(n));
  }
  out["day_notes"] = std::move(notes);
  out["copy_date_format"] = doc.copy_date_format;
  out["paste_formats"] = doc.paste_formats;
  out["countdown_target"] = dateTimeToJson(doc.countdown_target);
  return out;
}

CAlarmDoc::StoreOptions documentFromJson(const DocumentJson& json, CAlarmDoc& doc) {
  if (!json.is_object()) fail("document", "expected an object");
  std::optional<int> alarmSchema;
  std::optional<int> dayInfoSchema;
  for (const auto& [key, value] : json.items()) {
    if (key == "reminders") {
      if (!value.is_array()) fail(key, "expected an array");
      for (std::size_t i = 0; i < value.size(); ++i) {
        const std::string where = "reminders[" + std::to_string(i) + "]";
        int schema = CAlarmLine::kSchema;
        doc.AddAlarm(reminderFrom(value[i], where, schema));
        agreeOnSchema(alarmSchema, schema, "reminders[0]", where);
      }
    } else if (key == "day_notes") {
      if (!value.is_array()) fail(key, "expected an array");
      for (std::size_t i = 0; i < value.size(); ++i) {
        const std::string where = "day_notes[" + std::to_string(i) + "]";
        int schema = CDayInfo::kSchema;
        doc.AddDayInfo(dayNoteFrom(value[i], where, schema));
        agreeOnSchema(dayInfoSchema, schema, "day_notes[0]", where);
      }
    } else if (key == "copy_date_format") {
      doc.copy_date_format = stringFrom(value, key);
    } else if (key == "paste_formats") {
      if (!value.is_array()) fail(key, "expected an array of strings");
      std::vector<std::string> formats;
      for (std::size_t i = 0; i < value.size(); ++i) {
        formats.push_back(stringFrom(value[i], "paste_formats[" + std::to_string(i) + "]"));
      }
      doc.paste_formats = std::move(formats);
    } else if (key == "countdown_target") {
      doc.countdown_target = dateTimeFrom(value, key);
    } else {
      fail(key, "unknown key");
    }
  }
  CAlarmDoc::StoreOptions options;
  options.alarmSchema = alarmSchema.value_or(CAlarmLine::kSchema);
  options.dayInfoSchema = dayInfoSchema.value_or(CDayInfo::kSchema);
  return options;
}

}  // namespace kalvory::cli
