#include "core/model/alarm_line.h"

#include <cstdio>

#include "core/common/strftime.h"
#include "core/common/text.h"
#include "core/model/archive.h"
#include "core/model/moment.h"
#include "core/model/record_times.h"
#include "core/model/resource_ids.h"

namespace kalvory {

using moment::floorDiv;
using moment::kSecondsPerDay;

CAlarmLine::CAlarmLine(COleDateTime now, int showSeconds) : time(now), show_seconds(showSeconds) {}

void CAlarmLine::copyFrom(const CAlarmLine& other) {
  const std::int32_t keptShowCount = show_count;
  const bool keptFired = fired;
  std::optional<Postponement> keptPostponement = postponed;
  *this = other;
  show_count = keptShowCount;
  fired = keptFired;
  postponed = keptPostponement;
}

std::optional<COleDateTime> CAlarmLine::postponedTime() const {
  if (!postponed) return std::nullopt;
  return moment::fromSeconds(postponed->ringsAt);
}

void CAlarmLine::Serialize(ArchiveReader& archive, int schema) {
  // A load starts from these; fields an older schema lacks keep them.
  text.clear();
  sound_file.clear();
  program.clear();
  show_count = 0;
  postponed.reset();
  osd = 1;
  notifier.clear();
  wallpaper.clear();
  sticker.clear();

  time = archive.readDateTime();
  timer_mode = archive.readInt();
  daily = archive.readInt();
  state = static_cast<ReminderState>(archive.readInt());
  text = archive.readString();
  sound_file = archive.readString();
  timer_minutes = archive.readInt();
  program = archive.readString();
  exit_action = archive.readInt();
  week_days = archive.readInt();
  if (schema >= 10) show_seconds = archive.readInt();
  if (schema >= 11) {
    osd = archive.readInt();
    notifier = archive.readString();
    wallpaper = archive.readString();
    sticker = archive.readString();
  }
}

void CAlarmLine::Serialize(ArchiveWriter& archive, int schema) const {
  archive.writeDateTime(time);
  archive.writeInt(timer_mode);
  archive.writeInt(daily);
  archive.writeInt(static_cast<std::int32_t>(state));
  archive.writeString(text);
  archive.writeString(sound_file);
  archive.writeInt(timer_minutes);
  archive.writeString(program);
  archive.writeInt(exit_action);
  archive.writeInt(week_days);
  if (schema >= 10) archive.writeInt(show_seconds);
  if (schema >= 11) {
    archive.writeInt(osd);
    archive.writeString(notifier);
    archive.writeString(wallpaper);
    archive.writeString(sticker);
  }
}

// ---------------------------------------------------------------- derived times in seconds

namespace record_times {

Now::Now(const COleDateTime& now) {
  if (const auto value = moment::toSeconds(now)) {
    seconds = *value;
    today = floorDiv(*value, kSecondsPerDay);
    valid = true;
  }
}

std::optional<std::int64_t> startSecond(const CAlarmLine& line, const Now& now) {
  const auto set = moment::toSeconds(line.time);
  if (!set || !now.valid) return std::nullopt;
  if (line.daily != 0) {
    // Today at the set hour and minute; the seconds of the set time do not count.
    const std::int64_t secondOfDay = *set - floorDiv(*set, kSecondsPerDay) * kSecondsPerDay;
    return now.today * kSecondsPerDay + (secondOfDay - secondOfDay % 60);
  }
  return *set;
}

bool eligibleToday(const CAlarmLine& line, const Now& now) {
  const auto set = moment::toSeconds(line.time);
  if (!set || !now.valid) return false;
  if (line.daily != 0) return ((line.week_days >> moment::weekdaySundayFirst(now.today)) & 1) != 0;
  if (line.timer_mode != 0) return true;
  return floorDiv(*set, kSecondsPerDay) == now.today;
}

Window checkedWindow(const CAlarmLine& line, const Now& now) {
  if (line.postponed && now.valid && now.seconds >= line.postponed->ringsAt) {
    // The postponed showing has come: it is the reminder's window, whatever the weekday.
    return {line.postponed->ringsAt, true};
  }
  Window window{startSecond(line, now), eligibleToday(line, now)};
  if (line.postponed && window.start && *window.start == line.postponed->replaces) window.eligible = false;
  return window;
}

bool postponementOver(const CAlarmLine& line, const Now& now) {
  if (!line.postponed || !now.valid) return false;
  return now.seconds > line.postponed->ringsAt + line.show_seconds &&
         now.seconds > line.postponed->replaces + line.show_seconds;
}

bool isDue(const CAlarmLine& line, const Now& now) {
  const Window window = checkedWindow(line, now);
  return window.eligible && window.start && *window.start <= now.seconds &&
         now.seconds <= *window.start + line.show_seconds;
}

// A daily reminder's occurrence past the end of the calendar counts as none. A reminder whose
// showing was turned off or has ended (a state above Armed) has nothing more to show in the
// window under way, so an occurrence that has already begun is not its next one; neither is the
// occurrence a postponement replaced, while the postponed showing to come is.
std::optional<std::int64_t> nextFireSecond(const CAlarmLine& line, const Now& now) {
  if (line.state == ReminderState::Inactive || !now.valid) return std::nullopt;
  const auto set = moment::toSeconds(line.time);
  if (!set) return std::nullopt;
  const bool settled = line.state > ReminderState::Armed;
  const auto coming = [&](std::int64_t start) {
    return start + line.show_seconds > now.seconds && !(settled && start <= now.seconds);
  };
  std::optional<std::int64_t> next;
  if (line.daily != 0) {
    const std::int64_t secondOfDay = *set - floorDiv(*set, kSecondsPerDay) * kSecondsPerDay;
    const std::int64_t clock = secondOfDay - secondOfDay % 60;
    const int todayWeekday = moment::weekdaySundayFirst(now.today);
    for (int i = 0; i < 7; ++i) {
      if (((line.week_days >> ((todayWeekday + i) % 7)) & 1) == 0) continue;
      const std::int64_t candidate = (now.today + i) * kSecondsPerDay + clock;
      if (line.postponed && candidate == line.postponed->replaces) continue;
      if (coming(candidate)) {
        if (moment::inCalendar(candidate)) next = candidate;
        break;
      }
    }
  } else if (coming(*set)) {
    next = *set;
  }
  if (line.postponed && coming(line.postponed->ringsAt) && (!next || line.postponed->ringsAt < *next)) {
    next = line.postponed->ringsAt;
  }
  return next;
}

}  // namespace record_times

COleDateTime CAlarmLine::startTime(const COleDateTime& now) const {
  const auto start = record_times::startSecond(*this, record_times::Now(now));
  return start ? moment::fromSeconds(*start) : COleDateTime::makeInvalid();
}

COleDateTime CAlarmLine::endTime(const COleDateTime& now) const {
  const auto start = record_times::startSecond(*this, record_times::Now(now));
  return start ? moment::fromSeconds(*start + show_seconds) : COleDateTime::makeInvalid();
}

bool CAlarmLine::eligibleToday(const COleDateTime& now) const {
  return record_times::eligibleToday(*this, record_times::Now(now));
}

bool CAlarmLine::isDue(const COleDateTime& now) const { return record_times::isDue(*this, record_times::Now(now)); }

std::optional<COleDateTime> CAlarmLine::nextFireTime(const COleDateTime& now) const {
  const auto next = record_times::nextFireSecond(*this, record_times::Now(now));
  if (!next) return std::nullopt;
  return moment::fromSeconds(*next);
}

std::string CAlarmLine::scheduleText() const {
  if (daily != 0) return formatWithFallback("Daily: %H:%M", time);
  if (timer_mode != 0) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "Timer: %2i:%i", timer_minutes / 60, timer_minutes % 60);
    return buffer;
  }
  return formatWithFallback("%d/%m/%Y-%H:%M", time);
}

std::string CAlarmLine::plainText() const { return kalvory::plainText(text); }

std::string nextReminderLine(const CAlarmLine& line, const COleDateTime& fireTime, const COleDateTime& now,
                             UiLanguage language) {
  const auto fireDay = moment::toDay(fireTime);
  const auto today = moment::toDay(now);
  std::string label;
  if (fireDay && today && *fireDay == *today + 1) {
    label = loadString(StringId::Tomorrow, language) + ", " + formatResource(StringId::TimeFormat, language, fireTime);
  } else if (fireDay && today && *fireDay == *today) {
    label = formatResource(StringId::TimeFormat, language, fireTime);
  } else {
    label = formatResource(StringId::DayAndTimeFormat, language, fireTime);
  }
  return label + ": " + lineBreaksToBlanks(line.plainText());
}

std::string postponementText(const CAlarmLine& line, const COleDateTime& now, UiLanguage language) {
  const std::optional<COleDateTime> ringsAt = line.postponedTime();
  if (!ringsAt) return {};
  const auto day = moment::toDay(*ringsAt);
  const bool today = day && day == moment::toDay(now);
  const std::string moment =
      formatResource(today ? StringId::TimeFormat : StringId::DayAndTimeFormat, language, *ringsAt);
  std::string text = loadString(StringId::PostponedTo, language);
  if (const auto at = text.find("%s"); at != std::string::npos) text.replace(at, 2, moment);
  return text;
}

}  // namespace kalvory
