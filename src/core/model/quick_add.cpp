#include "core/model/quick_add.h"

#include <array>
#include <charconv>
#include <vector>

#include "core/common/text.h"

namespace kalvory {
namespace {

constexpr int kMinutesPerDay = 1440;
// Ten years: far enough for any reminder, near enough that the date arithmetic stays valid.
constexpr long kMaxSpanMinutes = 10L * 366 * kMinutesPerDay;

// Lower case for ASCII and Cyrillic letters, with the typographic apostrophes of "п’ятниця"
// folded to the ASCII one, so that names compare byte for byte.
std::string foldCase(std::string_view text) {
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t c = nextCodePoint(text, pos);
    if (c >= U'A' && c <= U'Z')
      c += 0x20;
    else if (c >= 0x410 && c <= 0x42F)
      c += 0x20;
    else if (c >= 0x400 && c <= 0x40F)
      c += 0x50;
    else if (c == 0x490)
      c = 0x491;
    else if (c == 0x2019 || c == 0x02BC || c == 0x2018)
      c = U'\'';
    appendUtf8(out, c);
  }
  return out;
}

std::vector<std::string> words(std::string_view text) {
  std::vector<std::string> out;
  std::string current;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == ',') {
      if (!current.empty()) out.push_back(std::move(current));
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) out.push_back(std::move(current));
  return out;
}

template <std::size_t N>
bool isOneOf(const std::string& word, const std::array<std::string_view, N>& names) {
  for (std::string_view name : names)
    if (word == name) return true;
  return false;
}

// Little words people put before a day or a time ("at 9:00", "в пятницу", "о 9:00").
const std::array<std::string_view, 7> kFillers{"at", "on", "в", "во", "у", "о", "об"};
const std::array<std::string_view, 2> kIn{"in", "через"};
const std::array<std::string_view, 3> kToday{"today", "сегодня", "сьогодні"};
const std::array<std::string_view, 2> kTomorrow{"tomorrow", "завтра"};
const std::array<std::string_view, 16> kMinuteUnits{"m",       "min",     "mins",   "minute", "minutes", "м",
                                                    "мин",     "минут",   "минуты", "минуту", "хв",      "хвилин",
                                                    "хвилини", "хвилину", "мин.",   "хв."};
const std::array<std::string_view, 16> kHourUnits{"h",     "hr",  "hrs",    "hour",   "hours", "ч",      "час", "часа",
                                                  "часов", "год", "година", "години", "годин", "годину", "ч.",  "год."};

// Weekday names by day number (0 Sunday .. 6 Saturday), in the three languages, with the
// accusative forms ("в пятницу") and the usual abbreviations.
const std::array<std::vector<std::string_view>, 7> kWeekdayNames{{
    {"sunday", "sun", "su", "воскресенье", "вс", "вск", "неділя", "неділю", "нд"},
    {"monday", "mon", "mo", "понедельник", "пн", "понеділок"},
    {"tuesday", "tue", "tues", "tu", "вторник", "вт", "вівторок"},
    {"wednesday", "wed", "we", "среда", "среду", "ср", "середа", "середу"},
    {"thursday", "thu", "thur", "thurs", "th", "четверг", "чт", "четвер"},
    {"friday", "fri", "fr", "пятница", "пятницу", "пт", "п'ятниця", "п'ятницю"},
    {"saturday", "sat", "sa", "суббота", "субботу", "сб", "субота", "суботу"},
}};

std::optional<int> weekdayNumber(const std::string& word) {
  for (int day = 0; day < 7; ++day)
    for (std::string_view name : kWeekdayNames[static_cast<std::size_t>(day)])
      if (word == name) return day;
  return std::nullopt;
}

std::optional<int> digits(std::string_view text, std::size_t minLength, std::size_t maxLength) {
  if (text.size() < minLength || text.size() > maxLength) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

struct TimeOfDay {
  int hour = 0, minute = 0, second = 0;
};

// "9:00", "09:00", "09:00:30".
std::optional<TimeOfDay> parseTimeOfDay(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const auto hour = digits(text.substr(0, colon), 1, 2);
  std::string_view rest = text.substr(colon + 1);
  std::optional<int> second = 0;
  if (const std::size_t colon2 = rest.find(':'); colon2 != std::string_view::npos) {
    second = digits(rest.substr(colon2 + 1), 2, 2);
    rest = rest.substr(0, colon2);
  }
  const auto minute = digits(rest, 2, 2);
  if (!hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
  return TimeOfDay{*hour, *minute, *second};
}

COleDateTime atTime(const COleDateTime& day, const TimeOfDay& time) {
  return COleDateTime(day.GetYear(), day.GetMonth(), day.GetDay(), time.hour, time.minute, time.second);
}

Failure notUnderstood(std::string_view when) {
  return Failure{"cannot read the time \"" + std::string(when) + "\"; " + quickAddForms()};
}

// "in 10 min", "in 10min", "через 2 ч": the span in minutes.
std::optional<long> parseSpan(const std::vector<std::string>& rest) {
  std::string number;
  std::string unit;
  if (rest.size() == 2) {
    number = rest[0];
    unit = rest[1];
  } else if (rest.size() == 1) {
    const std::size_t end = rest[0].find_first_not_of("0123456789");
    if (end == 0 || end == std::string::npos) return std::nullopt;
    number = rest[0].substr(0, end);
    unit = rest[0].substr(end);
  } else {
    return std::nullopt;
  }
  long value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc() || end != number.data() + number.size() || value <= 0) return std::nullopt;
  if (isOneOf(unit, kHourUnits)) {
    if (value > kMaxSpanMinutes / 60) return std::nullopt;
    return value * 60;
  }
  if (isOneOf(unit, kMinuteUnits)) {
    if (value > kMaxSpanMinutes) return std::nullopt;
    return value;
  }
  return std::nullopt;
}

}  // namespace

const char* quickAddForms() {
  return "accepted forms: \"HH:MM\" (today, or tomorrow once that time has passed), \"YYYY-MM-DD HH:MM\", "
         "\"in 10 min\", \"in 2 h\", \"tomorrow 9:00\", \"friday 18:30\"; in Russian \"через 10 мин\", "
         "\"через 2 ч\", \"завтра 9:00\", \"пятница 18:30\"; in Ukrainian \"через 10 хв\", \"через 2 год\", "
         "\"завтра 9:00\", \"п'ятниця 18:30\"";
}

Result<COleDateTime> parseQuickWhen(std::string_view when, const COleDateTime& now) {
  if (!now.isValid()) return Failure{"the current time is not valid"};
  std::vector<std::string> tokens;
  for (std::string& word : words(foldCase(when)))
    if (!isOneOf(word, kFillers)) tokens.push_back(std::move(word));
  if (tokens.empty()) return notUnderstood(when);

  // "in 10 min": exactly that long from now.
  if (isOneOf(tokens[0], kIn)) {
    const auto minutes = parseSpan({tokens.begin() + 1, tokens.end()});
    if (!minutes) return notUnderstood(when);
    return now + COleDateTimeSpan::fromMinutes(static_cast<double>(*minutes));
  }

  // "HH:MM": the next time the clock shows it, today when that minute is still to come.
  if (tokens.size() == 1) {
    const auto time = parseTimeOfDay(tokens[0]);
    if (!time) return notUnderstood(when);
    COleDateTime result = atTime(now, *time);
    if (result <= now) result = atTime(now + COleDateTimeSpan(1.0), *time);
    return result;
  }
  if (tokens.size() != 2) return notUnderstood(when);
  const auto time = parseTimeOfDay(tokens[1]);
  if (!time) return notUnderstood(when);

  // "YYYY-MM-DD HH:MM".
  if (tokens[0].size() == 10 && tokens[0][4] == '-' && tokens[0][7] == '-') {
    const auto year = digits(std::string_view(tokens[0]).substr(0, 4), 4, 4);
    const auto month = digits(std::string_view(tokens[0]).substr(5, 2), 2, 2);
    const auto day = digits(std::string_view(tokens[0]).substr(8, 2), 2, 2);
    if (!year || !month || !day) return notUnderstood(when);
    COleDateTime result(*year, *month, *day, time->hour, time->minute, time->second);
    if (!result.isValid()) return Failure{"the date \"" + tokens[0] + "\" does not exist"};
    return result;
  }
  if (isOneOf(tokens[0], kToday)) return atTime(now, *time);
  if (isOneOf(tokens[0], kTomorrow)) return atTime(now + COleDateTimeSpan(1.0), *time);
  if (const auto weekday = weekdayNumber(tokens[0])) {
    const int today = now.GetDayOfWeek() - 1;  // 0 Sunday
    int ahead = (*weekday - today + 7) % 7;
    COleDateTime result = atTime(now + COleDateTimeSpan(static_cast<double>(ahead)), *time);
    if (result <= now) result = atTime(now + COleDateTimeSpan(7.0), *time);
    return result;
  }
  return notUnderstood(when);
}

Result<int> parseWeekdayMask(std::string_view list) {
  int mask = 0;
  const std::vector<std::string> names = words(foldCase(list));
  if (names.empty()) return Failure{"no weekdays given; use names such as mon,tue,wed,thu,fri,sat,sun"};
  for (const std::string& name : names) {
    const auto day = weekdayNumber(name);
    if (!day) return Failure{"\"" + name + "\" is not a weekday; use names such as mon,tue,wed,thu,fri,sat,sun"};
    mask |= 1 << *day;
  }
  return mask;
}

Result<CAlarmLine> buildQuickReminder(const QuickAddRequest& request, const COleDateTime& now, int showSeconds) {
  CAlarmLine line(now, showSeconds);
  line.text = request.text;
  const bool daily = request.daily || !request.weekdays.empty();
  if (request.timerMinutes) {
    if (daily) return Failure{"a reminder is either a timer or daily, not both"};
    if (!request.when.empty()) return Failure{"a timer starts now; leave out the time"};
    const int minutes = *request.timerMinutes;
    if (minutes <= 0 || minutes > kMaxSpanMinutes)
      return Failure{"the timer's length must be 1 to " + std::to_string(kMaxSpanMinutes) + " minutes"};
    // As the editor: the ringing moment carries the whole length, the stored length only the
    // hours and minutes.
    line.timer_mode = 1;
    line.time = now + COleDateTimeSpan::fromMinutes(minutes);
    line.timer_minutes = minutes % kMinutesPerDay;
    return line;
  }
  if (request.when.empty()) return Failure{"say when the reminder rings (--at); " + std::string(quickAddForms())};
  Result<COleDateTime> when = parseQuickWhen(request.when, now);
  if (!when.ok()) return Failure{when.error()};
  line.time = when.value();
  if (daily) {
    line.daily = 1;
    if (!request.weekdays.empty()) {
      Result<int> mask = parseWeekdayMask(request.weekdays);
      if (!mask.ok()) return Failure{mask.error()};
      line.week_days = mask.value();
    }
    return line;
  }
  // A one-time reminder in the past would never ring; saying so beats a silent dead entry.
  if (line.time <= now) return Failure{"the time \"" + request.when + "\" has already passed"};
  return line;
}

}  // namespace kalvory
