#include "platform/ical/ical_document.h"

#include <libical/ical.h>

#include <charconv>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "core/common/text.h"

namespace kalvory {
namespace {

constexpr const char* kPrefix = "X-KALVORY-";
const char* const kDayCodes[7] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};  // bit 0 Sunday

struct ComponentDeleter {
  void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentDeleter>;

std::string takeMalloced(char* text) {
  std::string out = text ? text : "";
  std::free(text);
  return out;
}

// --- the program's own fields as text that no iCalendar writer or reader changes: every byte
// outside printable ASCII and the characters with a meaning in the format are written as %XX,
// after a leading "=" that keeps an empty text from being an empty property (which libical
// drops).
std::string encodeValue(std::string_view bytes) {
  static const char* hex = "0123456789ABCDEF";
  std::string out = "=";
  for (unsigned char c : bytes) {
    if (c < 0x20 || c >= 0x7F || c == '%' || c == ',' || c == ';' || c == '\\' || c == ':' || c == '"') {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::optional<std::string> decodeValue(std::string_view text) {
  if (text.empty() || text[0] != '=') return std::nullopt;
  std::string out;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
    if (error != std::errc() || end != text.data() + i + 3) return std::nullopt;
    out += static_cast<char>(value);
    i += 2;
  }
  return out;
}

std::optional<std::int32_t> decodeInt(std::string_view text) {
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// "STATUS DAYS" with DAYS in the shortest form that reads back to the same double.
std::string encodeDateTime(const COleDateTime& value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value.days());
  return std::to_string(static_cast<int>(value.GetStatus())) + " " + std::string(buffer, result.ptr);
}

std::optional<COleDateTime> decodeDateTime(std::string_view text) {
  const std::size_t blank = text.find(' ');
  if (blank == std::string_view::npos) return std::nullopt;
  const auto status = decodeInt(text.substr(0, blank));
  double days = 0;
  const std::string_view number = text.substr(blank + 1);
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), days);
  if (!status || *status < 0 || *status > 2 || error != std::errc() || end != number.data() + number.size())
    return std::nullopt;
  return COleDateTime(days, static_cast<COleDateTime::DateTimeStatus>(*status));
}

// One stored field of a record: its property name and how it becomes text and back.
template <class Record>
struct Field {
  const char* name;
  std::function<std::string(const Record&)> write;
  std::function<bool(Record&, std::string_view)> read;
};

template <class Record>
Field<Record> intField(const char* name, std::int32_t Record::*member) {
  return {name, [member](const Record& r) { return std::to_string(r.*member); },
          [member](Record& r, std::string_view text) {
            const auto value = decodeInt(text);
            if (value) r.*member = *value;
            return value.has_value();
          }};
}

template <class Record>
Field<Record> textField(const char* name, std::string Record::*member) {
  return {name, [member](const Record& r) { return encodeValue(r.*member); },
          [member](Record& r, std::string_view text) {
            const auto value = decodeValue(text);
            if (value) r.*member = *value;
            return value.has_value();
          }};
}

template <class Record>
Field<Record> dateField(const char* name, COleDateTime Record::*member) {
  return {name, [member](const Record& r) { return encodeDateTime(r.*member); },
          [member](Record& r, std::string_view text) {
            const auto value = decodeDateTime(text);
            if (value) r.*member = *value;
            return value.has_value();
          }};
}

const std::vector<Field<CAlarmLine>>& reminderFields() {
  static const std::vector<Field<CAlarmLine>> fields{
      dateField("TIME", &CAlarmLine::time),
      intField("TIMER-MODE", &CAlarmLine::timer_mode),
      intField("DAILY", &CAlarmLine::daily),
      {"STATE", [](const CAlarmLine& r) { return std::to_string(static_cast<std::int32_t>(r.state)); },
       [](CAlarmLine& r, std::string_view text) {
         const auto value = decodeInt(text);
         if (value) r.state = static_cast<ReminderState>(*value);
         return value.has_value();
       }},
      textField("TEXT", &CAlarmLine::text),
      textField("SOUND-FILE", &CAlarmLine::sound_file),
      intField("TIMER-MINUTES", &CAlarmLine::timer_minutes),
      textField("PROGRAM", &CAlarmLine::program),
      intField("EXIT-ACTION", &CAlarmLine::exit_action),
      intField("WEEK-DAYS", &CAlarmLine::week_days),
      intField("SHOW-SECONDS", &CAlarmLine::show_seconds),
      intField("OSD", &CAlarmLine::osd),
      textField("NOTIFIER", &CAlarmLine::notifier),
      textField("WALLPAPER", &CAlarmLine::wallpaper),
      textField("STICKER", &CAlarmLine::sticker),
  };
  return fields;
}

const std::vector<Field<CDayInfo>>& noteFields() {
  static const std::vector<Field<CDayInfo>> fields{
      textField("TEXT", &CDayInfo::text),
      dateField("DATE", &CDayInfo::date),
      intField("WEEK-DAY", &CDayInfo::week_day),
      intField("INTERVAL-DAYS", &CDayInfo::interval_days),
      intField("REPEAT", &CDayInfo::repeat),
      intField("EVENT-TYPE", &CDayInfo::event_type),
      {"BLOCK-CHANGER", [](const CDayInfo& r) { return std::string(r.block_changer ? "1" : "0"); },
       [](CDayInfo& r, std::string_view text) {
         if (text != "0" && text != "1") return false;
         r.block_changer = text == "1";
         return true;
       }},
      textField("STICKER", &CDayInfo::sticker),
      textField("WALLPAPER", &CDayInfo::wallpaper),
  };
  return fields;
}

void addX(icalcomponent* component, const std::string& name, const std::string& value) {
  icalproperty* property = icalproperty_new_x(value.c_str());
  icalproperty_set_x_name(property, (kPrefix + name).c_str());
  icalcomponent_add_property(component, property);
}

// The X-KALVORY-* properties of a component by name without the prefix; repeated ones in order.
std::multimap<std::string, std::string> ownFields(icalcomponent* component) {
  std::multimap<std::string, std::string> out;
  for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_X_PROPERTY); p;
       p = icalcomponent_get_next_property(component, ICAL_X_PROPERTY)) {
    const char* name = icalproperty_get_x_name(p);
    const char* value = icalproperty_get_x(p);
    if (!name || std::string_view(name).substr(0, 10) != kPrefix) continue;
    out.emplace(std::string(name + 10), value ? value : "");
  }
  return out;
}

template <class Record>
std::optional<std::string> readFields(const std::multimap<std::string, std::string>& fields,
                                      const std::vector<Field<Record>>& table, Record& record) {
  for (const auto& field : table) {
    const auto at = fields.find(field.name);
    if (at == fields.end()) return std::string(kPrefix) + field.name + " is missing";
    if (!field.read(record, at->second)) return std::string(kPrefix) + field.name + " is not readable";
  }
  return std::nullopt;
}

icaltimetype floatingTime(const COleDateTime& value, bool dateOnly) {
  icaltimetype t = icaltime_null_time();
  COleDateTime::Parts parts{};
  value.GetParts(parts);
  t.year = parts.year + 1900;
  t.month = parts.month + 1;
  t.day = parts.day;
  if (dateOnly) {
    t.is_date = 1;
  } else {
    t.hour = parts.hour;
    t.minute = parts.minute;
    t.second = parts.second;
  }
  return t;
}

icaltimetype utcStamp(const COleDateTime& local) {
  std::tm tm{};
  COleDateTime::Parts parts{};
  if (!local.GetParts(parts)) return icaltime_from_timet_with_zone(0, 0, icaltimezone_get_utc_timezone());
  tm.tm_year = parts.year;
  tm.tm_mon = parts.month;
  tm.tm_mday = parts.day;
  tm.tm_hour = parts.hour;
  tm.tm_min = parts.minute;
  tm.tm_sec = parts.second;
  tm.tm_isdst = -1;
  return icaltime_from_timet_with_zone(std::mktime(&tm), 0, icaltimezone_get_utc_timezone());
}

void addRule(icalcomponent* event, const std::string& rule) {
  icalcomponent_add_property(event, icalproperty_new_rrule(icalrecurrencetype_from_string(rule.c_str())));
}

icalcomponent* newEvent(const std::string& uid, const COleDateTime& stamp, const std::string& summary) {
  icalcomponent* event = icalcomponent_new(ICAL_VEVENT_COMPONENT);
  icalcomponent_add_property(event, icalproperty_new_uid(uid.c_str()));
  icalcomponent_add_property(event, icalproperty_new_dtstamp(utcStamp(stamp)));
  icalcomponent_add_property(event, icalproperty_new_summary(summary.c_str()));
  return event;
}

icalcomponent* reminderEvent(const CAlarmLine& line, std::size_t index, const COleDateTime& stamp) {
  const std::string summary = lineBreaksToBlanks(plainText(line.text));
  icalcomponent* event = newEvent("reminder-" + std::to_string(index + 1) + "@kalvory", stamp, summary);
  if (line.time.isValid()) {
    icalcomponent_add_property(event, icalproperty_new_dtstart(floatingTime(line.time, false)));
    if (line.show_seconds > 0)
      icalcomponent_add_property(event, icalproperty_new_duration(icaldurationtype_from_int(line.show_seconds)));
  }
  if (line.daily && !line.timer_mode) {
    const int mask = line.week_days & 127;
    if (mask == 127) {
      addRule(event, "FREQ=DAILY");
    } else if (mask != 0) {
      std::string days;
      for (int day = 0; day < 7; ++day)
        if (mask & (1 << day)) days += std::string(days.empty() ? "" : ",") + kDayCodes[day];
      addRule(event, "FREQ=WEEKLY;BYDAY=" + days);
    }
  }
  // A switched-off reminder keeps its event but does not ring.
  if (line.state != ReminderState::Inactive) {
    icalcomponent* alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icaltriggertype trigger{};
    trigger.time = icaltime_null_time();
    trigger.duration = icaldurationtype_from_int(0);
    icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
    icalcomponent_add_property(alarm, icalproperty_new_description(summary.c_str()));
    icalcomponent_add_component(event, alarm);
  }
  addX(event, "KIND", "reminder");
  for (const auto& field : reminderFields()) addX(event, field.name, field.write(line));
  return event;
}

icalcomponent* noteEvent(const CDayInfo& note, std::size_t index, const COleDateTime& stamp) {
  icalcomponent* event = newEvent("note-" + std::to_string(index + 1) + "@kalvory", stamp, plainText(note.text));
  if (note.date.isValid()) icalcomponent_add_property(event, icalproperty_new_dtstart(floatingTime(note.date, true)));
  icalcomponent_add_property(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
  static const char* const mondayFirst[7] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
  switch (note.repeat) {
    case CDayInfo::Annual:
      addRule(event, "FREQ=YEARLY");
      break;
    case CDayInfo::Monthly:
      addRule(event, "FREQ=MONTHLY");
      break;
    case CDayInfo::Weekly:
      if (note.week_day >= 0 && note.week_day < 7)
        addRule(event, std::string("FREQ=WEEKLY;BYDAY=") + mondayFirst[note.week_day]);
      break;
    case CDayInfo::Interval:
      if (note.interval_days > 0) addRule(event, "FREQ=DAILY;INTERVAL=" + std::to_string(note.interval_days));
      break;
    default:
      break;  // Once, and values that match no date, repeat nothing
  }
  addX(event, "KIND", "note");
  for (const auto& field : noteFields()) addX(event, field.name, field.write(note));
  return event;
}

// --- reading events of other programs

struct Rule {
  std::string text;
  std::map<std::string, std::string> parts;
  int interval() const {
    const auto at = parts.find("INTERVAL");
    return at == parts.end() ? 1 : decodeInt(at->second).value_or(0);
  }
  bool has(const char* key) const { return parts.count(key) != 0; }
  // Keys besides FREQ, INTERVAL, WKST and the ones named.
  bool onlyKeys(std::initializer_list<std::string_view> allowed) const {
    for (const auto& [key, value] : parts) {
      if (key == "FREQ" || key == "INTERVAL" || key == "WKST") continue;
      bool found = false;
      for (std::string_view name : allowed) found = found || key == name;
      if (!found) return false;
    }
    return true;
  }
};

std::optional<Rule> eventRule(icalcomponent* event, std::string& problem) {
  icalproperty* property = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
  if (!property) return std::nullopt;
  if (icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY)) {
    problem = "more than one RRULE is not supported";
    return std::nullopt;
  }
  Rule rule;
  const char* value = icalproperty_get_value_as_string(property);
  rule.text = value ? value : "";
  std::size_t start = 0;
  while (start <= rule.text.size()) {
    std::size_t end = rule.text.find(';', start);
    if (end == std::string::npos) end = rule.text.size();
    const std::string part = rule.text.substr(start, end - start);
    const std::size_t equals = part.find('=');
    if (equals != std::string::npos)
      rule.parts[asciiUpper(part.substr(0, equals))] = asciiUpper(part.substr(equals + 1));
    start = end + 1;
  }
  return rule;
}

// BYDAY as a mask (bit 0 Sunday); nullopt for ordinal days such as "1MO" or unknown names.
std::optional<int> dayMask(const std::string& byDay) {
  int mask = 0;
  std::size_t start = 0;
  while (start <= byDay.size()) {
    std::size_t end = byDay.find(',', start);
    if (end == std::string::npos) end = byDay.size();
    const std::string code = byDay.substr(start, end - start);
    int day = -1;
    for (int d = 0; d < 7; ++d)
      if (code == kDayCodes[d]) day = d;
    if (day < 0) return std::nullopt;
    mask |= 1 << day;
    start = end + 1;
  }
  return mask;
}

// An event's time in this computer's local time.
std::optional<COleDateTime> localTime(icaltimetype t, icalproperty* property, std::string& problem) {
  if (icaltime_is_null_time(t) || !icaltime_is_valid_time(t)) {
    problem = "its time is not readable";
    return std::nullopt;
  }
  if (t.is_date) return COleDateTime(t.year, t.month, t.day, 0, 0, 0);
  const icaltimezone* zone = t.zone;
  if (!zone && property) {
    if (const char* tzid = icalproperty_get_parameter_as_string(property, "TZID")) {
      zone = icaltimezone_get_builtin_timezone(tzid);
      if (!zone) {
        problem = std::string("the time zone \"") + tzid + "\" is not known";
        return std::nullopt;
      }
    }
  }
  if (!zone) return COleDateTime(t.year, t.month, t.day, t.hour, t.minute, t.second);  // floating: local
  const std::time_t moment = icaltime_as_timet_with_zone(t, zone);
  std::tm tm{};
  if (!localtime_r(&moment, &tm)) {
    problem = "its time cannot be converted";
    return std::nullopt;
  }
  return COleDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

std::string propertyText(icalcomponent* component, icalproperty_kind kind) {
  icalproperty* property = icalcomponent_get_first_property(component, kind);
  const char* value = property ? icalproperty_get_value_as_string(property) : nullptr;
  if (!value) return {};
  // The value as text, with the format's escapes undone.
  if (kind == ICAL_SUMMARY_PROPERTY) return icalproperty_get_summary(property);
  if (kind == ICAL_DESCRIPTION_PROPERTY) return icalproperty_get_description(property);
  return value;
}

std::optional<std::string> noteFromEvent(icalcomponent* event, const COleDateTime& start, CDayInfo& note) {
  note = CDayInfo(start);
  note.text = propertyText(event, ICAL_SUMMARY_PROPERTY);
  const icaltimetype end = icalcomponent_get_dtend(event);
  if (!icaltime_is_null_time(end) && end.is_date) {
    std::string ignored;
    const auto last = localTime(end, nullptr, ignored);
    if (last && (*last - start).days() > 1.5)
      return "it lasts " + std::to_string(static_cast<long>((*last - start).days() + 0.5)) +
             " days; a day note holds one day";
  }
  std::string problem;
  const auto rule = eventRule(event, problem);
  if (!problem.empty()) return problem;
  if (!rule) {
    note.repeat = CDayInfo::Once;
    return std::nullopt;
  }
  const std::string freq = rule->parts.count("FREQ") ? rule->parts.at("FREQ") : "";
  const int interval = rule->interval();
  const int startDay = start.GetDayOfWeek() - 1;  // 0 Sunday
  const auto unsupported = [&] { return "the repetition " + rule->text + " is not supported for a day note"; };
  if (interval < 1) return unsupported();
  const auto matchesStart = [&](const char* key, int value) {
    const auto at = rule->parts.find(key);
    return at == rule->parts.end() || decodeInt(at->second) == value;
  };
  if (freq == "YEARLY" && interval == 1 && rule->onlyKeys({"BYMONTH", "BYMONTHDAY"}) &&
      matchesStart("BYMONTH", start.GetMonth()) && matchesStart("BYMONTHDAY", start.GetDay())) {
    note.repeat = CDayInfo::Annual;
  } else if (freq == "MONTHLY" && interval == 1 && rule->onlyKeys({"BYMONTHDAY"}) &&
             matchesStart("BYMONTHDAY", start.GetDay())) {
    note.repeat = CDayInfo::Monthly;
  } else if (freq == "WEEKLY" && rule->onlyKeys({"BYDAY"})) {
    const auto mask = rule->has("BYDAY") ? dayMask(rule->parts.at("BYDAY")) : std::optional<int>(1 << startDay);
    if (!mask || (*mask & (*mask - 1)) != 0) return unsupported();  // one plain weekday only
    int day = 0;
    while (!(*mask & (1 << day))) ++day;
    if (interval == 1) {
      note.repeat = CDayInfo::Weekly;
      note.week_day = (day + 6) % 7;  // Monday first
    } else if (day == startDay) {
      note.repeat = CDayInfo::Interval;
      note.interval_days = 7 * interval;
    } else {
      return unsupported();
    }
  } else if (freq == "DAILY" && rule->onlyKeys({})) {
    note.repeat = CDayInfo::Interval;
    note.interval_days = interval;
  } else {
    return unsupported();
  }
  return std::nullopt;
}

std::optional<std::string> reminderFromEvent(icalcomponent* event, const COleDateTime& start, CAlarmLine& line) {
  line = CAlarmLine(start);
  line.text = propertyText(event, ICAL_SUMMARY_PROPERTY);
  std::string problem;
  // The reminder rings when the event's first alarm does.
  if (icalcomponent* alarm = icalcomponent_get_first_component(event, ICAL_VALARM_COMPONENT)) {
    if (line.text.empty()) line.text = propertyText(alarm, ICAL_DESCRIPTION_PROPERTY);
    if (icalproperty* property = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY)) {
      const icaltriggertype trigger = icalproperty_get_trigger(property);
      if (!icaltime_is_null_time(trigger.time)) {
        const auto at = localTime(trigger.time, property, problem);
        if (!at) return "its alarm: " + problem;
        line.time = *at;
      } else {
        COleDateTime base = start;
        const char* related = icalproperty_get_parameter_as_string(property, "RELATED");
        if (related && std::string_view(related) == "END") {
          icalproperty* endProperty = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY);
          const auto end = localTime(icalcomponent_get_dtend(event), endProperty, problem);
          if (!end) return "its alarm: " + problem;
          base = *end;
        }
        line.time = base + COleDateTimeSpan::fromSeconds(icaldurationtype_as_int(trigger.duration));
      }
    }
  }
  const auto rule = eventRule(event, problem);
  if (!problem.empty()) return problem;
  if (!rule) return std::nullopt;
  const std::string freq = rule->parts.count("FREQ") ? rule->parts.at("FREQ") : "";
  const auto unsupported = [&] { return "the repetition " + rule->text + " is not supported for a reminder"; };
  if (rule->interval() != 1 || !rule->onlyKeys({"BYDAY"}) || (freq != "DAILY" && freq != "WEEKLY"))
    return unsupported();
  std::optional<int> mask = freq == "DAILY" ? 127 : 1 << (start.GetDayOfWeek() - 1);
  if (rule->has("BYDAY")) mask = dayMask(rule->parts.at("BYDAY"));
  if (!mask) return unsupported();
  // The weekdays belong to the event's start; an alarm on another date would ring on other days.
  if (!line.time.sameDate(start)) return "its alarm falls on another day than the repeating event";
  line.daily = 1;
  line.week_days = *mask;
  return std::nullopt;
}

std::string eventName(icalcomponent* event) {
  std::string name = propertyText(event, ICAL_SUMMARY_PROPERTY);
  if (name.empty()) {
    icalproperty* uid = icalcomponent_get_first_property(event, ICAL_UID_PROPERTY);
    name = uid && icalproperty_get_uid(uid) ? icalproperty_get_uid(uid) : "";
  }
  return "event \"" + lineBreaksToBlanks(name) + "\"";
}

void readEvent(icalcomponent* event, CAlarmDoc& doc, IcsImport& result) {
  const auto skip = [&](const std::string& why) { result.skipped.push_back(eventName(event) + ": " + why); };
  const auto own = ownFields(event);
  if (const auto kind = own.find("KIND"); kind != own.end()) {
    if (kind->second == "reminder") {
      CAlarmLine line;
      if (const auto problem = readFields(own, reminderFields(), line)) return skip(*problem);
      doc.AddAlarm(line);
    } else if (kind->second == "note") {
      CDayInfo note;
      if (const auto problem = readFields(own, noteFields(), note)) return skip(*problem);
      doc.AddDayInfo(note);
    } else {
      skip("X-KALVORY-KIND \"" + kind->second + "\" is not known");
    }
    return;
  }
  for (const auto& [kind, name] :
       {std::pair{ICAL_EXDATE_PROPERTY, "EXDATE"}, std::pair{ICAL_RDATE_PROPERTY, "RDATE"},
        std::pair{ICAL_RECURRENCEID_PROPERTY, "RECURRENCE-ID"}, std::pair{ICAL_EXRULE_PROPERTY, "EXRULE"}}) {
    if (icalcomponent_get_first_property(event, kind)) return skip(std::string(name) + " is not supported");
  }
  icalproperty* startProperty = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
  if (!startProperty) return skip("it has no DTSTART");
  const icaltimetype startTime = icalcomponent_get_dtstart(event);
  std::string problem;
  const auto start = localTime(startTime, startProperty, problem);
  if (!start || !start->isValid()) return skip(problem.empty() ? "its start is out of range" : problem);
  if (startTime.is_date) {
    CDayInfo note;
    if (const auto why = noteFromEvent(event, *start, note)) return skip(*why);
    doc.AddDayInfo(note);
  } else {
    CAlarmLine line;
    if (const auto why = reminderFromEvent(event, *start, line)) return skip(*why);
    doc.AddAlarm(line);
  }
}

void readCalendar(icalcomponent* calendar, CAlarmDoc& doc, IcsImport& result) {
  // The document's own settings are taken all together or, when one does not read, not at all.
  const auto own = ownFields(calendar);
  if (const auto format = own.find("COPY-DATE-FORMAT"); format != own.end()) {
    const auto copyDate = decodeValue(format->second);
    std::vector<std::string> pasteFormats;
    bool readable = copyDate.has_value();
    const auto [first, last] = own.equal_range("PASTE-FORMAT");
    for (auto at = first; at != last; ++at) {
      const auto paste = decodeValue(at->second);
      readable = readable && paste.has_value();
      pasteFormats.push_back(paste.value_or(""));
    }
    const auto target = own.find("COUNTDOWN-TARGET");
    const auto countdown = target == own.end() ? std::nullopt : decodeDateTime(target->second);
    if (readable && countdown) {
      doc.copy_date_format = *copyDate;
      doc.paste_formats = std::move(pasteFormats);
      doc.countdown_target = *countdown;
    } else {
      result.skipped.push_back(
          "calendar: the X-KALVORY formats or countdown target do not read; the defaults are kept");
    }
  }
  for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); event;
       event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
    readEvent(event, doc, result);
}

}  // namespace

std::string documentToIcs(const CAlarmDoc& doc, const COleDateTime& stamp) {
  Component calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
  icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//Kalvory//Kalvory//EN"));
  icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
  addX(calendar.get(), "COPY-DATE-FORMAT", encodeValue(doc.copy_date_format));
  for (const std::string& format : doc.paste_formats) addX(calendar.get(), "PASTE-FORMAT", encodeValue(format));
  addX(calendar.get(), "COUNTDOWN-TARGET", encodeDateTime(doc.countdown_target));
  for (std::size_t i = 0; i < doc.alarms().size(); ++i)
    icalcomponent_add_component(calendar.get(), reminderEvent(*doc.alarms()[i], i, stamp));
  for (std::size_t i = 0; i < doc.dayInfos().size(); ++i)
    icalcomponent_add_component(calendar.get(), noteEvent(*doc.dayInfos()[i], i, stamp));
  return takeMalloced(icalcomponent_as_ical_string_r(calendar.get()));
}

Result<IcsImport> icsToDocument(std::string_view ics, CAlarmDoc& doc) {
  icalerror_set_errors_are_fatal(0);
  const std::string text(ics);
  if (text.find('\0') != std::string::npos || text.find("BEGIN:VCALENDAR") == std::string::npos)
    return Failure{"not an iCalendar file (no BEGIN:VCALENDAR)"};
  Component root(icalparser_parse_string(text.c_str()));
  if (!root) return Failure{"not an iCalendar file"};
  IcsImport result;
  CAlarmDoc read;
  const icalcomponent_kind kind = icalcomponent_isa(root.get());
  if (kind == ICAL_VCALENDAR_COMPONENT) {
    readCalendar(root.get(), read, result);
  } else if (kind == ICAL_XROOT_COMPONENT) {
    for (icalcomponent* calendar = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT); calendar;
         calendar = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
      readCalendar(calendar, read, result);
  } else {
    return Failure{"not an iCalendar file (no VCALENDAR)"};
  }
  for (const auto& line : read.alarms()) doc.AddAlarm(*line);
  for (const auto& note : read.dayInfos()) doc.AddDayInfo(*note);
  doc.copy_date_format = read.copy_date_format;
  doc.paste_formats = read.paste_formats;
  doc.countdown_target = read.countdown_target;
  return result;
}

}  // namespace kalvory
