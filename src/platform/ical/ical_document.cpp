#include "platform/ical/ical_document.h"

#include <libical/ical.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <tuple>

#include "core/common/text.h"
#include "core/model/moment.h"

namespace kalvory {
namespace {

using moment::floorDiv;
using moment::floorMod;
using moment::kSecondsPerDay;

constexpr const char* kPrefix = "X-KALVORY-";
const char* const kDayCodes[7] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};  // bit 0 Sunday
// 1 January 1970, the start of the system clock, as a day number of the date-time type.
constexpr std::int64_t kUnixEpochDay = 25569;
// Deeper nesting than any calendar needs is refused before it can exhaust the stack.
constexpr int kMaxNesting = 8;
// An alarm further than this from its event is taken for a damaged file rather than a wish.
constexpr std::int64_t kMaxAlarmDistance = 366 * kSecondsPerDay;

// --- the program's own fields as text that no iCalendar writer or reader changes: every byte
// outside printable ASCII and the characters with a meaning in the format are written as %XX,
// after a leading "=" that keeps an empty text from being an empty property (which some
// readers drop).
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

// `find` gives the value of an X-KALVORY field by its name without the prefix, or null.
template <class Record, class Find>
std::optional<std::string> readFields(const Find& find, const std::vector<Field<Record>>& table, Record& record) {
  for (const auto& field : table) {
    const std::string* value = find(field.name);
    if (!value) return std::string(kPrefix) + field.name + " is missing";
    if (!field.read(record, *value)) return std::string(kPrefix) + field.name + " is not readable";
  }
  return std::nullopt;
}

// --- small helpers

bool isNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

std::string dayText(std::int64_t day) {
  const moment::CivilDate date = moment::civilDate(day);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", date.year, date.month, date.day);
  return buffer;
}

std::string clockText(std::int64_t second) {
  const std::int64_t s = floorMod(second, kSecondsPerDay);
  char buffer[32];
  if (s % 60 != 0)
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60),
                  static_cast<int>(s % 60));
  else
    std::snprintf(buffer, sizeof buffer, "%02d:%02d", static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60));
  return buffer;
}

// The first bytes of a line, to show where a file goes wrong without pasting a whole line.
std::string shortened(std::string_view text) {
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size() && out.size() < 40) {
    const char32_t c = nextCodePoint(text, pos);
    appendUtf8(out, c < 0x20 || (c >= 0x7F && c < 0xA0) ? U'?' : c);
  }
  if (pos < text.size()) out += "...";
  return out;
}

bool validUtf8(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[pos]);
    if (c < 0x80) {
      ++pos;
      continue;
    }
    const std::size_t before = pos;
    const char32_t decoded = nextCodePoint(text, pos);
    // A U+FFFD decoded from other bytes than its own three means the bytes were not UTF-8.
    if (decoded == 0xFFFD && !(pos - before == 3 && text.substr(before, 3) == "\xEF\xBF\xBD")) return false;
  }
  return true;
}

// --- reading: content lines and components (RFC 5545, section 3.1), names in any case

struct Property {
  std::string name;                                         // upper case
  std::vector<std::pair<std::string, std::string>> params;  // names upper case, values without quotes
  std::string value;
  std::size_t line = 0;

  const std::string* param(std::string_view key) const {
    for (const auto& [name, value] : params)
      if (name == key) return &value;
    return nullptr;
  }
};

struct Component {
  std::string name;  // upper case
  std::size_t line = 0;
  std::vector<Property> properties;
  std::vector<Component> children;

  const Property* first(std::string_view key) const {
    for (const Property& p : properties)
      if (p.name == key) return &p;
    return nullptr;
  }
  std::size_t count(std::string_view key) const {
    std::size_t n = 0;
    for (const Property& p : properties) n += p.name == key;
    return n;
  }
};

// The logical lines of a text with their folds undone, each with the number of its first line.
// One pass over the bytes: a line of any length costs its length.
class LineSource {
 public:
  explicit LineSource(std::string_view text) : text_(text) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") text_.remove_prefix(3);  // a byte order mark
  }

  bool next(std::string& out, std::size_t& number) {
    while (pos_ < text_.size()) {
      const std::string_view physical = take();
      number = line_;
      if (physical.empty()) continue;  // blank lines are tolerated, as most readers do
      out.assign(physical);
      while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) out.append(take().substr(1));
      return true;
    }
    return false;
  }
  std::size_t lastLine() const { return line_; }

 private:
  std::string_view take() {
    const char* start = text_.data() + pos_;
    const void* end = std::memchr(start, '\n', text_.size() - pos_);
    const std::size_t length =
        end ? static_cast<std::size_t>(static_cast<const char*>(end) - start) : text_.size() - pos_;
    pos_ += length + (end ? 1 : 0);
    ++line_;
    std::string_view view(start, length);
    if (!view.empty() && view.back() == '\r') view.remove_suffix(1);
    return view;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t line_ = 0;
};

// name *(";" param) ":" value; nullopt when it reads, else what is wrong.
std::optional<std::string> parseProperty(std::string_view text, std::size_t number, Property& out) {
  std::size_t i = 0;
  while (i < text.size() && isNameChar(text[i])) ++i;
  if (i == 0) return std::string("it does not begin with a property name");
  out.name = asciiUpper(text.substr(0, i));
  out.params.clear();
  out.line = number;
  while (i < text.size() && text[i] == ';') {
    const std::size_t start = ++i;
    while (i < text.size() && isNameChar(text[i])) ++i;
    if (i == start || i >= text.size() || text[i] != '=') return "a parameter of " + out.name + " is not readable";
    std::string key = asciiUpper(text.substr(start, i - start));
    std::string value;
    ++i;
    for (;;) {
      if (i < text.size() && text[i] == '"') {
        const std::size_t close = text.find('"', i + 1);
        if (close == std::string_view::npos) return "a quote in a parameter of " + out.name + " is not closed";
        value.append(text.substr(i + 1, close - i - 1));
        i = close + 1;
      } else {
        const std::size_t start = i;
        while (i < text.size() && text[i] != ';' && text[i] != ':' && text[i] != ',' && text[i] != '"') ++i;
        value.append(text.substr(start, i - start));
      }
      if (i < text.size() && text[i] == ',') {
        value += ',';
        ++i;
        continue;
      }
      break;
    }
    out.params.emplace_back(std::move(key), std::move(value));
  }
  if (i >= text.size() || text[i] != ':') return "there is no \":\" after " + out.name;
  out.value.assign(text.substr(i + 1));
  return std::nullopt;
}

// TEXT with the format's escapes undone.
std::string unescapeText(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    const char next = value[++i];
    out += next == 'n' || next == 'N' ? '\n' : next;
  }
  return out;
}

// --- times

enum class ZoneKind { Floating, Utc, Zoned };

struct EventTime {
  std::int64_t day = 0;     // the date as written, a day number of the date-time type
  std::int64_t second = 0;  // the time of day as written
  bool isDate = false;
  ZoneKind kind = ZoneKind::Floating;
  icaltimezone* zone = nullptr;
};

struct ZoneDeleter {
  void operator()(icaltimezone* zone) const { icaltimezone_free(zone, 1); }
};
using Zone = std::unique_ptr<icaltimezone, ZoneDeleter>;

struct ComponentDeleter {
  void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using IcalComponent = std::unique_ptr<icalcomponent, ComponentDeleter>;

std::optional<int> digits(std::string_view text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) return std::nullopt;
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// DATE or DATE-TIME (with or without "Z"); nullopt when it is neither.
std::optional<EventTime> parseTimeValue(std::string_view text) {
  EventTime t;
  const auto year = digits(text, 0, 4), month = digits(text, 4, 2), day = digits(text, 6, 2);
  if (!year || !month || !day || !moment::dateExists(*year, *month, *day)) return std::nullopt;
  t.day = moment::dayNumber({*year, *month, *day});
  if (text.size() == 8) {
    t.isDate = true;
    return t;
  }
  if (text.size() < 15 || (text[8] != 'T' && text[8] != 't') || text.size() > 16) return std::nullopt;
  const auto hour = digits(text, 9, 2), minute = digits(text, 11, 2), second = digits(text, 13, 2);
  if (!hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 60) return std::nullopt;
  if (text.size() == 16) {
    if (text[15] != 'Z' && text[15] != 'z') return std::nullopt;
    t.kind = ZoneKind::Utc;
  }
  t.second = *hour * 3600 + *minute * 60 + std::min(*second, 59);  // a leap second rings with its minute
  return t;
}

// A moment of the system clock as this computer's local wall-clock second.
std::optional<std::int64_t> systemToLocal(std::int64_t unixSeconds) {
  const std::time_t moment = static_cast<std::time_t>(unixSeconds);
  std::tm tm{};
  if (!localtime_r(&moment, &tm)) return std::nullopt;
  if (!moment::dateExists(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday)) return std::nullopt;
  return moment::dayNumber({tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday}) * kSecondsPerDay + tm.tm_hour * 3600 +
         tm.tm_min * 60 + std::min(tm.tm_sec, 59);
}

// The moment on its own clock: the system clock for UTC and zoned times, the wall clock for
// floating ones (which are this computer's local time already).
std::int64_t instant(const EventTime& t) {
  const std::int64_t wall = t.day * kSecondsPerDay + t.second;
  if (t.isDate || t.kind == ZoneKind::Floating) return wall;
  if (t.kind == ZoneKind::Utc) return wall - kUnixEpochDay * kSecondsPerDay;
  const moment::CivilDate date = moment::civilDate(t.day);
  icaltimetype value = icaltime_null_time();
  value.year = date.year;
  value.month = date.month;
  value.day = date.day;
  value.hour = static_cast<int>(t.second / 3600);
  value.minute = static_cast<int>(t.second / 60 % 60);
  value.second = static_cast<int>(t.second % 60);
  return static_cast<std::int64_t>(icaltime_as_timet_with_zone(value, t.zone));
}

std::optional<std::int64_t> instantToLocal(const EventTime& like, std::int64_t value) {
  if (like.isDate || like.kind == ZoneKind::Floating) return value;
  return systemToLocal(value);
}

// [+-]P(nW | nD[T[nH][nM][nS]] | T[nH][nM][nS]) in seconds, computed without overflow.
std::optional<std::int64_t> parseDuration(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size() || (text[i] != 'P' && text[i] != 'p')) return std::nullopt;
  ++i;
  std::int64_t total = 0;
  bool any = false, inTime = false;
  const char* order = "WDHMS";
  int lastUnit = -1;
  while (i < text.size()) {
    if ((text[i] == 'T' || text[i] == 't') && !inTime) {
      inTime = true;
      ++i;
      continue;
    }
    std::size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (i == start || i - start > 9 || i >= text.size()) return std::nullopt;
    const std::int64_t number = *digits(text, start, i - start);
    const char unit = asciiUpper(text[i++]);
    const char* found = std::strchr(order, unit);
    if (!found || unit == 0) return std::nullopt;
    const int index = static_cast<int>(found - order);
    if (index <= lastUnit || (index >= 2) != inTime || (lastUnit == 0)) return std::nullopt;
    lastUnit = index;
    static const std::int64_t kSeconds[5] = {7 * kSecondsPerDay, kSecondsPerDay, 3600, 60, 1};
    total += number * kSeconds[index];
    any = true;
  }
  if (!any) return std::nullopt;
  return negative ? -total : total;
}

// --- the repetition rule, as text parts

struct Rule {
  std::string text;
  std::map<std::string, std::string> parts;
  int interval = 1;
  bool has(const char* key) const { return parts.count(key) != 0; }
  std::string freq() const { return parts.count("FREQ") ? parts.at("FREQ") : std::string(); }
  // No keys besides FREQ, INTERVAL, WKST and the ones named.
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

std::optional<std::string> parseRule(const Property& property, Rule& rule) {
  static const char* const kKeys[] = {"FREQ",     "UNTIL", "COUNT",      "INTERVAL",  "BYSECOND", "BYMINUTE",
                                      "BYHOUR",   "BYDAY", "BYMONTHDAY", "BYYEARDAY", "BYWEEKNO", "BYMONTH",
                                      "BYSETPOS", "WKST",  "RSCALE",     "SKIP"};
  static const char* const kFrequencies[] = {"SECONDLY", "MINUTELY", "HOURLY", "DAILY", "WEEKLY", "MONTHLY", "YEARLY"};
  rule.text = property.value;
  std::size_t start = 0;
  while (start <= rule.text.size()) {
    std::size_t end = rule.text.find(';', start);
    if (end == std::string::npos) end = rule.text.size();
    const std::string part = rule.text.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    const std::size_t equals = part.find('=');
    const std::string key = asciiUpper(part.substr(0, equals));
    bool known = false;
    for (const char* name : kKeys) known = known || key == name;
    if (equals == std::string::npos || !known)
      return "its RRULE \"" + rule.text + "\" (line " + std::to_string(property.line) + ") has a part \"" + part +
             "\" that iCalendar does not know";
    if (!rule.parts.emplace(key, asciiUpper(part.substr(equals + 1))).second)
      return "its RRULE \"" + rule.text + "\" (line " + std::to_string(property.line) + ") names " + key + " twice";
  }
  const std::string freq = rule.freq();
  bool knownFreq = false;
  for (const char* name : kFrequencies) knownFreq = knownFreq || freq == name;
  if (!knownFreq)
    return "its RRULE \"" + rule.text + "\" (line " + std::to_string(property.line) + ") has " +
           (freq.empty() ? std::string("no FREQ") : "FREQ=" + freq + ", which is no repetition iCalendar knows");
  if (rule.has("INTERVAL")) {
    const auto interval = decodeInt(rule.parts.at("INTERVAL"));
    if (!interval || *interval < 1)
      return "its RRULE \"" + rule.text + "\" (line " + std::to_string(property.line) +
             ") has an INTERVAL that is not a positive number";
    rule.interval = *interval;
  }
  return std::nullopt;
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

std::string dayCodes(int mask) {
  std::string days;
  for (int day = 0; day < 7; ++day)
    if (mask & (1 << day)) days += std::string(days.empty() ? "" : ",") + kDayCodes[day];
  return days;
}

int weekdayBit(std::int64_t day) { return 1 << moment::weekdaySundayFirst(day); }

// --- the import

class Importer {
 public:
  Importer(std::string_view text, const COleDateTime& now, CAlarmDoc& doc, IcsImport& result)
      : source_(text), doc_(doc), result_(result) {
    nowSecond_ = moment::toSeconds(now).value_or(0);
    today_ = floorDiv(nowSecond_, kSecondsPerDay);
  }

  std::optional<std::string> run() {
    std::string text;
    std::size_t number = 0;
    Property property;
    bool sawCalendar = false;
    while (source_.next(text, number)) {
      const bool readable = !parseProperty(text, number, property);
      if (readable && property.name == "BEGIN" && equalsIgnoringAsciiCase(property.value, "VCALENDAR")) {
        if (auto error = readCalendar(number)) return error;
        sawCalendar = true;
        continue;
      }
      if (!sawCalendar)
        return "not an iCalendar file: line " + std::to_string(number) + " is \"" + shortened(text) +
               "\" where BEGIN:VCALENDAR should be";
      return "line " + std::to_string(number) + ": \"" + shortened(text) + "\" follows END:VCALENDAR";
    }
    if (!sawCalendar) return std::string("not an iCalendar file: there is no BEGIN:VCALENDAR");
    return std::nullopt;
  }

 private:
  struct Calendar {
    std::multimap<std::string, std::string> own;  // its X-KALVORY settings
    std::map<std::string, Zone> zones;
    std::vector<Component> waiting;  // events whose zone may be defined further down
    bool complete = false;
  };

  std::optional<std::string> readCalendar(std::size_t beginLine) {
    Calendar calendar;
    std::string text;
    std::size_t number = 0;
    Property property;
    while (source_.next(text, number)) {
      if (auto problem = parseProperty(text, number, property))
        return "line " + std::to_string(number) + ": " + *problem + " (\"" + shortened(text) + "\")";
      if (property.name == "END") {
        if (!equalsIgnoringAsciiCase(property.value, "VCALENDAR"))
          return "line " + std::to_string(number) + ": END:" + shortened(property.value) +
                 " does not close BEGIN:VCALENDAR of line " + std::to_string(beginLine);
        finishCalendar(calendar);
        return std::nullopt;
      }
      if (property.name == "BEGIN") {
        Component component;
        component.name = asciiUpper(property.value);
        component.line = number;
        if (auto error = readComponent(component, 1)) return error;
        takeComponent(std::move(component), calendar);
        continue;
      }
      if (property.name.rfind(kPrefix, 0) == 0) calendar.own.emplace(property.name.substr(10), property.value);
    }
    return "line " + std::to_string(beginLine) + ": BEGIN:VCALENDAR has no END:VCALENDAR (the file ends at line " +
           std::to_string(source_.lastLine()) + ")";
  }

  std::optional<std::string> readComponent(Component& component, int depth) {
    if (depth > kMaxNesting)
      return "line " + std::to_string(component.line) + ": components are nested more than " +
             std::to_string(kMaxNesting) + " deep";
    std::string text;
    std::size_t number = 0;
    Property property;
    while (source_.next(text, number)) {
      if (auto problem = parseProperty(text, number, property))
        return "line " + std::to_string(number) + ": " + *problem + " (\"" + shortened(text) + "\")";
      if (property.name == "END") {
        if (asciiUpper(property.value) != component.name)
          return "line " + std::to_string(number) + ": END:" + shortened(property.value) +
                 " does not close BEGIN:" + shortened(component.name) + " of line " + std::to_string(component.line);
        return std::nullopt;
      }
      if (property.name == "BEGIN") {
        Component child;
        child.name = asciiUpper(property.value);
        child.line = number;
        if (auto error = readComponent(child, depth + 1)) return error;
        component.children.push_back(std::move(child));
        continue;
      }
      component.properties.push_back(std::move(property));
    }
    return "line " + std::to_string(component.line) + ": BEGIN:" + shortened(component.name) +
           " has no END:" + shortened(component.name) + " (the file ends at line " +
           std::to_string(source_.lastLine()) + ")";
  }

  // The title, else the description, else what its alarm shows.
  static std::string eventText(const Component& event) {
    for (const char* name : {"SUMMARY", "DESCRIPTION"})
      if (const Property* p = event.first(name); p && !p->value.empty()) return unescapeText(p->value);
    for (const Component& alarm : event.children)
      if (const Property* p = alarm.first("DESCRIPTION"); p && !p->value.empty()) return unescapeText(p->value);
    return {};
  }

  // The event's UID, kept for its record when it can stand on a line of the identity store.
  static std::string uidOf(const Component& component) {
    const Property* uid = component.first("UID");
    if (!uid || uid->value.empty() || uid->value.size() > 255) return {};
    for (const char c : uid->value)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return {};
    return uid->value;
  }

  static std::optional<std::size_t> badUtf8Line(const Component& component) {
    for (const Property& p : component.properties)
      if (!validUtf8(p.value)) return p.line;
    for (const Component& child : component.children)
      if (const auto line = badUtf8Line(child)) return line;
    return std::nullopt;
  }

  static std::string componentName(const Component& component) {
    const char* kind = component.name == "VEVENT"     ? "event"
                       : component.name == "VTODO"    ? "to-do"
                       : component.name == "VJOURNAL" ? "journal entry"
                                                      : nullptr;
    const std::string where = " (line " + std::to_string(component.line) + ")";
    if (!kind) return shortened(component.name) + where;
    std::string name;
    if (const Property* summary = component.first("SUMMARY"); summary && validUtf8(summary->value))
      name = unescapeText(summary->value);
    if (name.empty())
      if (const Property* uid = component.first("UID"); uid && validUtf8(uid->value)) name = uid->value;
    return std::string(kind) + " \"" + shortened(lineBreaksToBlanks(name)) + "\"" + where;
  }

  void skip(const Component& component, const std::string& why) {
    result_.skipped.push_back(componentName(component) + ": " + why);
  }

  void takeComponent(Component component, Calendar& calendar) {
    if (component.name == "VTIMEZONE") return addZone(component, calendar);
    if (const auto line = badUtf8Line(component))
      return skip(component, "line " + std::to_string(*line) + " is not UTF-8 text");
    // An event cancelled in another program stays cancelled, even one this program wrote.
    if (const Property* status = component.first("STATUS");
        status && component.name == "VEVENT" && equalsIgnoringAsciiCase(status->value, "CANCELLED"))
      return skip(component, "it is cancelled (STATUS:CANCELLED, line " + std::to_string(status->line) + ")");
    const bool own = component.first(std::string(kPrefix) + "KIND") != nullptr;
    if (own && (component.name == "VEVENT" || component.name == "VJOURNAL")) return readOwn(component);
    if (component.name == "VEVENT") {
      if (!readEvent(component, calendar)) calendar.waiting.push_back(std::move(component));
      return;
    }
    if (component.name == "VTODO")
      return skip(component, "to-dos are not imported; the document holds reminders and day notes");
    if (component.name == "VJOURNAL")
      return skip(component, "journal entries are not imported; the document holds reminders and day notes");
    skip(component, "components of this kind are not imported");
  }

  void finishCalendar(Calendar& calendar) {
    calendar.complete = true;
    for (const Component& event : calendar.waiting) readEvent(event, calendar);
    calendar.waiting.clear();
    readSettings(calendar.own);
    series_.clear();  // its zones go with it
  }

  static void appendText(const Component& component, std::string& out) {
    out += "BEGIN:" + component.name + "\r\n";
    for (const Property& p : component.properties) {
      out += p.name;
      for (const auto& [key, value] : p.params) {
        const bool quote = value.find_first_of(";:") != std::string::npos;
        out += ";" + key + "=" + (quote ? "\"" + value + "\"" : value);
      }
      out += ":" + p.value + "\r\n";
    }
    for (const Component& child : component.children) appendText(child, out);
    out += "END:" + component.name + "\r\n";
  }

  void addZone(const Component& component, Calendar& calendar) {
    const Property* tzid = component.first("TZID");
    if (!tzid) return skip(component, "a VTIMEZONE without TZID is of no use");
    std::string text;
    appendText(component, text);
    icalerror_set_errors_are_fatal(0);
    IcalComponent parsed(icalparser_parse_string(text.c_str()));
    Zone zone(icaltimezone_new());
    if (!parsed || icalcomponent_isa(parsed.get()) != ICAL_VTIMEZONE_COMPONENT ||
        !icaltimezone_set_component(zone.get(), parsed.get()))
      return skip(component, "the time zone \"" + shortened(tzid->value) + "\" is not readable");
    parsed.release();  // the zone owns it now
    calendar.zones[tzid->value] = std::move(zone);
  }

  // nullopt when it reads; `unknownZone` is set for a TZID that no VTIMEZONE (yet) defines.
  std::optional<std::string> eventTime(const Property& property, Calendar& calendar, EventTime& out,
                                       bool& unknownZone) {
    const std::string where = property.name + " (line " + std::to_string(property.line) + ")";
    const auto parsed = parseTimeValue(property.value);
    if (!parsed) return "its " + where + " \"" + shortened(property.value) + "\" is not a date or time";
    out = *parsed;
    const std::string* valueType = property.param("VALUE");
    if (valueType && equalsIgnoringAsciiCase(*valueType, "DATE") != out.isDate)
      return "its " + where + " says VALUE=" + *valueType + " but holds \"" + shortened(property.value) + "\"";
    const std::string* tzid = property.param("TZID");
    if (!tzid || out.isDate || out.kind == ZoneKind::Utc) return std::nullopt;
    if (const auto at = calendar.zones.find(*tzid); at != calendar.zones.end()) {
      out.kind = ZoneKind::Zoned;
      out.zone = at->second.get();
      return std::nullopt;
    }
    if (icaltimezone* builtin = icaltimezone_get_builtin_timezone(tzid->c_str())) {
      out.kind = ZoneKind::Zoned;
      out.zone = builtin;
      return std::nullopt;
    }
    unknownZone = true;
    return "the time zone \"" + shortened(*tzid) + "\" of its " + where + " is not known";
  }

  // --- events of other programs

  struct Alarm {
    bool absolute = false;
    EventTime at;             // absolute
    std::int64_t offset = 0;  // relative
    bool relatedToEnd = false;
    std::size_t line = 0;
    bool operator==(const Alarm& o) const {
      return absolute == o.absolute && relatedToEnd == o.relatedToEnd &&
             (absolute ? at.day == o.at.day && at.second == o.at.second && at.kind == o.at.kind && at.zone == o.at.zone
                       : offset == o.offset);
    }
  };

  // Reads one event into the document or names why not; false when it must wait for the
  // calendar's later time zones.
  bool readEvent(const Component& event, Calendar& calendar) {
    const auto skipIt = [&](const std::string& why) {
      skip(event, why);
      return true;
    };
    for (const char* name : {"EXDATE", "RDATE", "RECURRENCE-ID", "EXRULE"})
      if (const Property* p = event.first(name))
        return skipIt(std::string(name) + " (line " + std::to_string(p->line) +
                      ") is not supported: a repeating reminder or day note has no exceptions or extra dates");
    if (event.count("RRULE") > 1) return skipIt("more than one RRULE is not supported");
    for (const Component& child : event.children)
      if (child.name != "VALARM")
        return skipIt("it holds a " + shortened(child.name) + " (line " + std::to_string(child.line) +
                      "), which is not supported");

    const Property* startProperty = event.first("DTSTART");
    if (!startProperty) return skipIt("it has no DTSTART");
    bool unknownZone = false;
    EventTime start;
    if (auto problem = eventTime(*startProperty, calendar, start, unknownZone)) {
      if (unknownZone && !calendar.complete) return false;
      return skipIt(*problem);
    }
    std::optional<EventTime> end;
    if (const Property* endProperty = event.first("DTEND")) {
      EventTime value;
      if (auto problem = eventTime(*endProperty, calendar, value, unknownZone)) {
        if (unknownZone && !calendar.complete) return false;
        return skipIt(*problem);
      }
      end = value;
    } else if (const Property* duration = event.first("DURATION")) {
      const auto length = parseDuration(duration->value);
      if (!length || *length < 0)
        return skipIt("its DURATION \"" + shortened(duration->value) + "\" (line " + std::to_string(duration->line) +
                      ") is not readable");
      EventTime value = start;
      const std::int64_t total = start.day * kSecondsPerDay + start.second + *length;
      value.day = floorDiv(total, kSecondsPerDay);
      value.second = floorMod(total, kSecondsPerDay);
      end = value;
    }

    // Alarms that show or sound ring; any other kind is something this program cannot do.
    std::vector<Alarm> alarms;
    for (const Component& alarm : event.children) {
      const Property* action = alarm.first("ACTION");
      const std::string kind = action ? asciiUpper(action->value) : std::string();
      const std::string where = " (line " + std::to_string(alarm.line) + ")";
      if (kind == "NONE") continue;
      if (kind == "EMAIL") return skipIt("its EMAIL alarm" + where + " sends mail, which this program cannot do");
      if (kind != "DISPLAY" && kind != "AUDIO")
        return skipIt(kind.empty()
                          ? "its alarm" + where + " has no ACTION"
                          : "its alarm" + where + " has ACTION:" + shortened(kind) + ", which is not supported");
      if (const Property* repeat = alarm.first("REPEAT"); repeat && repeat->value != "0")
        return skipIt("its alarm" + where + " rings again (REPEAT:" + shortened(repeat->value) +
                      "); a reminder rings once per date");
      const Property* trigger = alarm.first("TRIGGER");
      if (!trigger) return skipIt("its alarm" + where + " has no TRIGGER");
      Alarm read;
      read.line = trigger->line;
      const std::string* valueType = trigger->param("VALUE");
      if (valueType && equalsIgnoringAsciiCase(*valueType, "DATE-TIME")) {
        bool unknown = false;
        if (auto problem = eventTime(*trigger, calendar, read.at, unknown)) {
          if (unknown && !calendar.complete) return false;
          return skipIt("its alarm: " + *problem);
        }
        if (read.at.isDate)
          return skipIt("its alarm's TRIGGER (line " + std::to_string(trigger->line) + ") has no time");
        read.absolute = true;
      } else {
        const auto offset = parseDuration(trigger->value);
        if (!offset)
          return skipIt("its alarm's TRIGGER \"" + shortened(trigger->value) + "\" (line " +
                        std::to_string(trigger->line) + ") is not readable");
        if (*offset > kMaxAlarmDistance || *offset < -kMaxAlarmDistance)
          return skipIt("its alarm's TRIGGER \"" + shortened(trigger->value) + "\" (line " +
                        std::to_string(trigger->line) + ") is more than a year away from the event");
        read.offset = *offset;
        const std::string* related = trigger->param("RELATED");
        read.relatedToEnd = related && equalsIgnoringAsciiCase(*related, "END");
      }
      alarms.push_back(read);
    }
    for (const Alarm& alarm : alarms)
      if (!(alarm == alarms.front()))
        return skipIt("its alarms ring at different times (lines " + std::to_string(alarms.front().line) + " and " +
                      std::to_string(alarm.line) + "); a reminder rings once");

    std::optional<Rule> rule;
    if (const Property* property = event.first("RRULE")) {
      Rule read;
      if (auto problem = parseRule(*property, read)) return skipIt(*problem);
      rule = std::move(read);
    }
    if (start.isDate) {
      if (!alarms.empty())
        return skipIt("it is all day and has an alarm, but a day note does not ring (line " +
                      std::to_string(alarms.front().line) + ")");
      CDayInfo note;
      if (auto why = noteFromEvent(event, start, end, rule, note)) return skipIt(*why);
      doc_.AddDayInfo(note);
      result_.uids.notes.push_back(uidOf(event));
      return true;
    }
    CAlarmLine line;
    if (auto why = reminderFromEvent(event, start, end, rule, alarms.empty() ? nullptr : &alarms.front(), line))
      return skipIt(*why);
    doc_.AddAlarm(line);
    result_.uids.reminders.push_back(uidOf(event));
    return true;
  }

  std::optional<std::string> noteFromEvent(const Component& event, const EventTime& start,
                                           const std::optional<EventTime>& end, const std::optional<Rule>& rule,
                                           CDayInfo& note) {
    note = CDayInfo(moment::fromDay(start.day));
    note.text = eventText(event);
    if (end && end->day - start.day > 1)
      return "it lasts " + std::to_string(end->day - start.day) + " days; a day note holds one day";
    if (!rule) {
      note.repeat = CDayInfo::Once;
      return std::nullopt;
    }
    const std::string freq = rule->freq();
    const int interval = rule->interval;
    const moment::CivilDate date = moment::civilDate(start.day);
    const int startDay = moment::weekdaySundayFirst(start.day);
    const auto unsupported = [&] { return "the repetition " + rule->text + " is not supported for a day note"; };
    const auto matchesStart = [&](const char* key, int value) {
      const auto at = rule->parts.find(key);
      return at == rule->parts.end() || decodeInt(at->second) == value;
    };
    if (freq == "YEARLY" && interval == 1 && rule->onlyKeys({"BYMONTH", "BYMONTHDAY"}) &&
        matchesStart("BYMONTH", date.month) && matchesStart("BYMONTHDAY", date.day)) {
      note.repeat = CDayInfo::Annual;
    } else if (freq == "MONTHLY" && interval == 1 && rule->onlyKeys({"BYMONTHDAY"}) &&
               matchesStart("BYMONTHDAY", date.day)) {
      note.repeat = CDayInfo::Monthly;
    } else if (freq == "WEEKLY" && rule->onlyKeys({"BYDAY"})) {
      const auto mask = rule->has("BYDAY") ? dayMask(rule->parts.at("BYDAY")) : std::optional<int>(1 << startDay);
      if (!mask || *mask == 0 || (*mask & (*mask - 1)) != 0) return unsupported();  // one plain weekday only
      int day = 0;
      while (!(*mask & (1 << day))) ++day;
      // The first date counts even when it is not the rule's weekday; once it has passed, that
      // extra day is history.
      if (day != startDay && start.day >= today_)
        return "its first date, " + dayText(start.day) +
               ", is not one of its weekdays (BYDAY=" + rule->parts.at("BYDAY") + ")";
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
    // A repeating note shows on every day its rule gives, before its first date too: none of
    // those days may lie between today and the start.
    constexpr std::int64_t kLookAhead = 3000;  // eight years hold a 29 February and any rule's day
    bool early = start.day > today_ + kLookAhead;
    for (std::int64_t day = today_; day < start.day && !early; ++day) early = note.matches(moment::fromDay(day));
    if (early)
      return "it starts on " + dayText(start.day) +
             ", but a repeating day note shows on its days before its start as well";
    return std::nullopt;
  }

  std::optional<std::string> reminderFromEvent(const Component& event, const EventTime& start,
                                               const std::optional<EventTime>& end, const std::optional<Rule>& rule,
                                               const Alarm* alarm, CAlarmLine& line) {
    // Where the alarm rings for the occurrence that starts on `day` (the event's own date as
    // written), as this computer's local wall-clock second.
    const std::int64_t endDelta =
        alarm && alarm->relatedToEnd && end ? instant(*end) - instant(start) : 0;  // no end: the end is the start
    const auto ringFor = [&](std::int64_t day) -> std::optional<std::int64_t> {
      if (alarm && alarm->absolute) return instantToLocal(alarm->at, instant(alarm->at));
      EventTime occurrence = start;
      occurrence.day = day;
      return instantToLocal(start, instant(occurrence) + endDelta + (alarm ? alarm->offset : 0));
    };
    const auto first = ringFor(start.day);
    if (!first || !moment::inCalendar(*first)) return std::string("its alarm falls outside the calendar");
    line = CAlarmLine(moment::fromSeconds(*first));
    line.text = eventText(event);
    // An event without an alarm does not ring in the program that wrote it: it is kept switched off.
    if (!alarm) line.state = ReminderState::Inactive;
    if (!rule) return std::nullopt;

    const std::string freq = rule->freq();
    if (rule->has("COUNT") || rule->has("UNTIL"))
      return "its repetition " + rule->text + " ends, but a repeating reminder has no end";
    if (rule->interval != 1 || !rule->onlyKeys({"BYDAY"}) || (freq != "DAILY" && freq != "WEEKLY"))
      return "the repetition " + rule->text + " is not supported for a reminder";
    if (alarm && alarm->absolute)
      return "its alarm (line " + std::to_string(alarm->line) + ") rings at one fixed moment, not with each repetition";
    std::optional<int> mask = freq == "DAILY" ? 127 : weekdayBit(start.day);
    if (rule->has("BYDAY")) mask = dayMask(rule->parts.at("BYDAY"));
    if (!mask || *mask == 0) return "the repetition " + rule->text + " is not supported for a reminder";

    const std::int64_t from = std::max(start.day, today_ - 2);
    // Calendars repeat the same pattern many times over (a zone, a time, the same days): it is
    // worked out once.
    const SeriesKey key{start.kind == ZoneKind::Zoned ? start.zone : nullptr,
                        static_cast<int>(start.kind),
                        start.second,
                        endDelta + (alarm ? alarm->offset : 0),
                        *mask,
                        from};
    auto known = series_.find(key);
    if (known == series_.end()) known = series_.emplace(key, seriesPattern(*mask, from, ringFor)).first;
    const SeriesPattern& pattern = known->second;
    if (!pattern.problem.empty()) return pattern.problem;
    const std::optional<std::int64_t> clock = pattern.clock, shift = pattern.shift;
    if (*clock % 60 != 0) return "it rings at " + clockText(*clock) + ", but a repeating reminder rings on the minute";
    int localMask = 0;
    for (int day = 0; day < 7; ++day)
      if (*mask & (1 << day)) localMask |= 1 << floorMod(day + *shift, 7);
    // The start is an occurrence of its own even when the rule's weekdays do not include it.
    std::int64_t firstDay = start.day;
    if (!(*mask & weekdayBit(start.day))) {
      if (*first >= nowSecond_)
        return "its start, " + dayText(floorDiv(*first, kSecondsPerDay)) +
               ", is not one of its weekdays (BYDAY=" + dayCodes(*mask) +
               "), so it would ring once more than a repeating reminder can";
      while (!(*mask & weekdayBit(firstDay))) ++firstDay;
    }
    const auto firstRing = ringFor(firstDay);
    if (!firstRing) return std::string("its alarm falls outside the calendar");
    // A repeating reminder rings on its weekdays from the moment it is added: its next ring
    // from now must not come before the series' first.
    std::optional<std::int64_t> nextRing;
    for (std::int64_t day = today_; day < today_ + 8 && !nextRing; ++day)
      if ((localMask & weekdayBit(day)) && day * kSecondsPerDay + *clock >= nowSecond_)
        nextRing = day * kSecondsPerDay + *clock;
    if (nextRing && *firstRing > *nextRing)
      return "it starts on " + dayText(floorDiv(*firstRing, kSecondsPerDay)) +
             ", but a repeating reminder rings from today on and would ring before then";
    line.time = moment::fromSeconds(*firstRing);
    line.daily = 1;
    line.week_days = localMask;
    return std::nullopt;
  }

  struct SeriesKey {
    const icaltimezone* zone;
    int kind;
    std::int64_t second;
    std::int64_t offset;
    int mask;
    std::int64_t from;
    bool operator<(const SeriesKey& o) const {
      return std::tie(zone, kind, second, offset, mask, from) <
             std::tie(o.zone, o.kind, o.second, o.offset, o.mask, o.from);
    }
  };
  struct SeriesPattern {
    std::int64_t clock = 0;  // the local time of day of every ring
    std::int64_t shift = 0;  // local date minus the event's own date
    std::string problem;
  };

  // Each date of the series over a year is converted on its own: a zone that changes to or from
  // daylight-saving time on other dates than this computer's moves the ring, and the ring can
  // fall on another weekday here than in the event's zone. The document holds one time of day
  // and a set of weekdays, so they must come out the same for every date.
  template <class RingFor>
  static SeriesPattern seriesPattern(int mask, std::int64_t from, const RingFor& ringFor) {
    SeriesPattern pattern;
    bool first = true;
    for (std::int64_t day = from; day < from + 400; ++day) {
      if (!(mask & weekdayBit(day))) continue;
      const auto ring = ringFor(day);
      if (!ring || !moment::inCalendar(*ring)) {
        pattern.problem = "its alarm falls outside the calendar";
        return pattern;
      }
      const std::int64_t clock = floorMod(*ring, kSecondsPerDay);
      const std::int64_t shift = floorDiv(*ring, kSecondsPerDay) - day;
      if (first) {
        pattern.clock = clock;
        pattern.shift = shift;
        first = false;
      } else if (pattern.clock != clock || pattern.shift != shift) {
        pattern.problem = "here it would ring at " + clockText(pattern.clock) + " on some dates and at " +
                          clockText(clock) +
                          " on others (its time zone changes the clock on other dates than this computer's), but a "
                          "repeating reminder rings at one time of day";
        return pattern;
      }
    }
    return pattern;
  }

  // --- this program's own events

  void readOwn(const Component& component) {
    // The fields come in the order they were written, so the search from the last one found
    // usually ends at once.
    std::size_t next = 0;
    const auto own = [&](std::string_view field) -> const std::string* {
      const std::size_t count = component.properties.size();
      for (std::size_t step = 0; step < count; ++step) {
        const Property& p = component.properties[(next + step) % count];
        if (p.name.size() == 10 + field.size() && p.name.rfind(kPrefix, 0) == 0 &&
            std::string_view(p.name).substr(10) == field) {
          next = (next + step + 1) % count;
          return &p.value;
        }
      }
      return nullptr;
    };
    const std::string& kind = *own("KIND");
    if (kind == "reminder") {
      CAlarmLine line;
      if (const auto problem = readFields(own, reminderFields(), line)) return skip(component, *problem);
      doc_.AddAlarm(line);
      result_.uids.reminders.push_back(uidOf(component));
    } else if (kind == "note") {
      CDayInfo note;
      if (const auto problem = readFields(own, noteFields(), note)) return skip(component, *problem);
      doc_.AddDayInfo(note);
      result_.uids.notes.push_back(uidOf(component));
    } else {
      skip(component, "X-KALVORY-KIND \"" + shortened(kind) + "\" is not known");
    }
  }

  // The document's own settings are taken all together or, when one does not read, not at all.
  void readSettings(const std::multimap<std::string, std::string>& own) {
    const auto format = own.find("COPY-DATE-FORMAT");
    if (format == own.end()) return;
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
      doc_.copy_date_format = *copyDate;
      doc_.paste_formats = std::move(pasteFormats);
      doc_.countdown_target = *countdown;
    } else {
      result_.skipped.push_back(
          "calendar: the X-KALVORY formats or countdown target do not read; the defaults are kept");
    }
  }

  LineSource source_;
  CAlarmDoc& doc_;
  IcsImport& result_;
  std::int64_t nowSecond_ = 0;
  std::int64_t today_ = 0;
  std::map<SeriesKey, SeriesPattern> series_;
};

// --- writing (RFC 5545): lines folded at 75 octets, never inside a UTF-8 sequence

class Writer {
 public:
  void property(std::string_view nameAndParameters, std::string_view value) {
    line_.assign(nameAndParameters);
    line_ += ':';
    line_ += value;
    std::string_view rest = line_;
    std::size_t limit = 75;
    while (rest.size() > limit) {
      std::size_t cut = limit;
      while (cut > 1 && (static_cast<unsigned char>(rest[cut]) & 0xC0) == 0x80) --cut;
      out.append(rest.substr(0, cut));
      out += "\r\n ";
      rest.remove_prefix(cut);
      limit = 74;  // the blank that starts a continuation counts
    }
    out.append(rest);
    out += "\r\n";
  }
  std::string out;

 private:
  std::string line_;
};

// A TEXT value: valid UTF-8 without control characters or the program's marks, with the
// format's escapes; line breaks become "\n", or blanks where the value is one line.
std::string textValue(std::string_view utf8, bool keepLineBreaks) {
  const std::string plain = plainText(utf8);
  std::string out;
  out.reserve(plain.size());
  std::size_t pos = 0;
  while (pos < plain.size()) {
    char32_t c = nextCodePoint(plain, pos);
    if (c == '\r') {
      if (pos < plain.size() && plain[pos] == '\n') ++pos;
      c = '\n';
    }
    if (c == '\n') {
      out += keepLineBreaks ? "\\n" : " ";
    } else if (c == '\\' || c == ';' || c == ',') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\t') {
      out += ' ';
    } else if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
      // control characters and the raised-text marks are for this program's windows only
    } else {
      appendUtf8(out, c);
    }
  }
  return out;
}

bool hasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

std::string dateValue(std::int64_t day) {
  const moment::CivilDate date = moment::civilDate(day);
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", date.year, date.month, date.day);
  return buffer;
}

std::string dateTimeValue(std::int64_t second) {
  const std::int64_t s = floorMod(second, kSecondsPerDay);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%sT%02d%02d%02d", dateValue(floorDiv(second, kSecondsPerDay)).c_str(),
                static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
  return buffer;
}

std::string utcStamp(const COleDateTime& local) {
  std::tm tm{};
  COleDateTime::Parts parts{};
  std::time_t moment = 0;
  if (local.GetParts(parts)) {
    tm.tm_year = parts.year;
    tm.tm_mon = parts.month;
    tm.tm_mday = parts.day;
    tm.tm_hour = parts.hour;
    tm.tm_min = parts.minute;
    tm.tm_sec = parts.second;
    tm.tm_isdst = -1;
    moment = std::mktime(&tm);
    if (moment == static_cast<std::time_t>(-1)) moment = 0;
  }
  return dateTimeValue(static_cast<std::int64_t>(moment) + kUnixEpochDay * kSecondsPerDay) + "Z";
}

// Blanks at either end (a removed symbol mark often leaves one) mean nothing in a title.
std::string trimmed(std::string text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  text.erase(text.find_last_not_of(' ') + 1);
  return text.substr(first);
}

void writeSummary(Writer& writer, std::string_view text) {
  writer.property("SUMMARY", trimmed(textValue(text, false)));
  if (hasLineBreak(text)) writer.property("DESCRIPTION", trimmed(textValue(text, true)));
}

void writeReminder(Writer& writer, const CAlarmLine& line, const std::string& uid, const std::string& stamp,
                   std::int64_t stampDay) {
  const auto set = moment::toSeconds(line.time);
  const int mask = line.week_days & 127;
  // A record with no date to ring on is no event; a journal entry needs no start.
  const bool dated = set && !(line.daily && mask == 0);
  const char* component = dated ? "VEVENT" : "VJOURNAL";
  writer.property("BEGIN", component);
  writer.property("UID", uid);
  writer.property("DTSTAMP", stamp);
  writeSummary(writer, line.text);
  if (dated) {
    if (line.daily) {
      // A daily reminder rings on its weekdays from whatever day, at its hour and minute: the
      // start is its first ring on or after the day of the export, whatever date it was set for.
      const std::int64_t secondOfDay = floorMod(*set, kSecondsPerDay);
      std::int64_t day = stampDay;
      while (!(mask & weekdayBit(day))) ++day;
      writer.property("DTSTART", dateTimeValue(day * kSecondsPerDay + secondOfDay - secondOfDay % 60));
      writer.property("RRULE", mask == 127 ? std::string("FREQ=DAILY") : "FREQ=WEEKLY;BYDAY=" + dayCodes(mask));
    } else {
      writer.property("DTSTART", dateTimeValue(*set));
    }
    if (line.show_seconds > 0) writer.property("DURATION", "PT" + std::to_string(line.show_seconds) + "S");
    // A switched-off reminder keeps its event without an alarm, which every program keeps as it is.
    if (line.state >= ReminderState::Armed) {
      writer.property("BEGIN", "VALARM");
      writer.property("ACTION", "DISPLAY");
      writer.property("TRIGGER", "PT0S");
      writer.property("DESCRIPTION", trimmed(textValue(line.text, false)));
      writer.property("END", "VALARM");
    }
  }
  writer.property(std::string(kPrefix) + "KIND", "reminder");
  for (const auto& field : reminderFields()) writer.property(std::string(kPrefix) + field.name, field.write(line));
  writer.property("END", component);
}

// The first day on or after `from` that the note falls on, or nullopt when it falls on none.
std::optional<std::int64_t> firstNoteDay(const CDayInfo& note, std::int64_t own, std::int64_t from) {
  const moment::CivilDate date = moment::civilDate(own);
  switch (note.repeat) {
    case CDayInfo::Annual:
    case CDayInfo::Monthly: {
      const moment::CivilDate start = moment::civilDate(from);
      int year = start.year, month = note.repeat == CDayInfo::Annual ? date.month : start.month;
      for (int step = 0; step < 120; ++step) {
        if (moment::dateExists(year, month, date.day)) {
          const std::int64_t day = moment::dayNumber({year, month, date.day});
          if (day >= from) return day;
        }
        if (note.repeat == CDayInfo::Annual) {
          ++year;
        } else if (++month > 12) {
          month = 1;
          ++year;
        }
      }
      return std::nullopt;
    }
    case CDayInfo::Weekly: {
      if (note.week_day < 0 || note.week_day > 6) return std::nullopt;
      std::int64_t day = from;
      while (moment::weekdayMondayFirst(day) != note.week_day) ++day;
      return day;
    }
    case CDayInfo::Interval: {
      const std::int64_t step = note.interval_days < 0 ? -std::int64_t{note.interval_days} : note.interval_days;
      if (step == 0) return own >= from ? std::optional<std::int64_t>(own) : std::nullopt;
      return own + (floorDiv(from - own + step - 1, step)) * step;
    }
    case CDayInfo::Once:
      return own;
    default:
      return std::nullopt;
  }
}

void writeNote(Writer& writer, const CDayInfo& note, const std::string& uid, const std::string& stamp,
               std::int64_t stampDay) {
  const auto own = moment::toDay(note.date);
  // A repeating note falls on its days before its own date too: the calendar starts with the
  // earlier of that date and the day of the export, on a day the note falls on.
  const std::optional<std::int64_t> first = own ? firstNoteDay(note, *own, std::min(*own, stampDay)) : std::nullopt;
  const char* component = first ? "VEVENT" : "VJOURNAL";
  writer.property("BEGIN", component);
  writer.property("UID", uid);
  writer.property("DTSTAMP", stamp);
  writeSummary(writer, note.text);
  if (first) {
    writer.property("DTSTART;VALUE=DATE", dateValue(*first));
    writer.property("TRANSP", "TRANSPARENT");
    const std::int64_t step = note.interval_days < 0 ? -std::int64_t{note.interval_days} : note.interval_days;
    switch (note.repeat) {
      case CDayInfo::Annual:
        writer.property("RRULE", "FREQ=YEARLY");
        break;
      case CDayInfo::Monthly:
        writer.property("RRULE", "FREQ=MONTHLY");
        break;
      case CDayInfo::Weekly:
        writer.property("RRULE", "FREQ=WEEKLY");
        break;
      case CDayInfo::Interval:
        if (step > 0) writer.property("RRULE", "FREQ=DAILY;INTERVAL=" + std::to_string(step));
        break;
      default:
        break;
    }
  }
  writer.property(std::string(kPrefix) + "KIND", "note");
  for (const auto& field : noteFields()) writer.property(std::string(kPrefix) + field.name, field.write(note));
  writer.property("END", component);
}

}  // namespace

namespace {

template <class Record>
std::uint64_t fingerprint(const Record& record, const std::vector<Field<Record>>& table) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const auto& field : table) {
    for (const unsigned char c : field.write(record) + '\x1F') {
      hash ^= c;
      hash *= 1099511628211ull;
    }
  }
  return hash;
}

}  // namespace

std::uint64_t recordFingerprint(const CAlarmLine& line) { return fingerprint(line, reminderFields()); }
std::uint64_t recordFingerprint(const CDayInfo& note) { return fingerprint(note, noteFields()); }

std::string documentToIcs(const CAlarmDoc& doc, const COleDateTime& stamp, const IcsUids& uids) {
  Writer writer;
  const std::string stampText = utcStamp(stamp);
  const std::int64_t stampDay = moment::toDay(stamp).value_or(moment::toDay(systemNow()).value_or(0));
  writer.property("BEGIN", "VCALENDAR");
  writer.property("PRODID", "-//Kalvory//Kalvory//EN");
  writer.property("VERSION", "2.0");
  writer.property(std::string(kPrefix) + "COPY-DATE-FORMAT", encodeValue(doc.copy_date_format));
  for (const std::string& format : doc.paste_formats)
    writer.property(std::string(kPrefix) + "PASTE-FORMAT", encodeValue(format));
  writer.property(std::string(kPrefix) + "COUNTDOWN-TARGET", encodeDateTime(doc.countdown_target));
  const auto uid = [&](const std::vector<std::string>& given, std::size_t i, const char* kind) {
    return i < given.size() && !given[i].empty() ? given[i] : kind + std::to_string(i + 1) + "@kalvory";
  };
  for (std::size_t i = 0; i < doc.alarms().size(); ++i)
    writeReminder(writer, *doc.alarms()[i], uid(uids.reminders, i, "reminder-"), stampText, stampDay);
  for (std::size_t i = 0; i < doc.dayInfos().size(); ++i)
    writeNote(writer, *doc.dayInfos()[i], uid(uids.notes, i, "note-"), stampText, stampDay);
  writer.property("END", "VCALENDAR");
  return std::move(writer.out);
}

Result<IcsImport> icsToDocument(std::string_view ics, CAlarmDoc& doc, const COleDateTime& now) {
  if (const void* nul = std::memchr(ics.data(), '\0', ics.size())) {
    const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(nul) - ics.data());
    std::size_t line = 1;
    for (std::size_t i = 0; i < at; ++i) line += ics[i] == '\n';
    return Failure{"line " + std::to_string(line) + ": a NUL byte; an iCalendar file is text"};
  }
  IcsImport result;
  // Records go straight into the document, which a large calendar would otherwise hold twice;
  // a calendar that breaks half way leaves it as it was.
  const std::string copyDateFormat = doc.copy_date_format;
  const std::vector<std::string> pasteFormats = doc.paste_formats;
  const COleDateTime countdownTarget = doc.countdown_target;
  Importer importer(ics, now, doc, result);
  if (auto error = importer.run()) {
    doc.RemoveAllAlarms();
    doc.RemoveAllDayInfos();
    doc.copy_date_format = copyDateFormat;
    doc.paste_formats = pasteFormats;
    doc.countdown_target = countdownTarget;
    return Failure{*error};
  }
  return result;
}

}  // namespace kalvory
