#include "core/model/day_info.h"

#include <array>

#include "core/common/text.h"
#include "core/model/archive.h"
#include "core/model/moment.h"
#include "core/model/record_times.h"
#include "core/model/resource_ids.h"

namespace kalvory {

using moment::CivilDate;

CDayInfo::CDayInfo(COleDateTime date) : date(date) {}

void CDayInfo::Serialize(ArchiveReader& archive, int schema) {
  text = archive.readString();
  date = archive.readDateTime();
  week_day = archive.readInt();
  interval_days = archive.readInt();
  repeat = archive.readInt();
  event_type = archive.readInt();
  if (schema >= 12) {
    block_changer = archive.readBool();
    sticker = archive.readString();
    wallpaper = archive.readString();
  }
}

void CDayInfo::Serialize(ArchiveWriter& archive, int schema) const {
  archive.writeString(text);
  archive.writeDateTime(date);
  archive.writeInt(week_day);
  archive.writeInt(interval_days);
  archive.writeInt(repeat);
  archive.writeInt(event_type);
  if (schema >= 12) {
    archive.writeBool(block_changer);
    archive.writeString(sticker);
    archive.writeString(wallpaper);
  }
}

namespace {

// An Interval note repeats every |interval_days| days. An interval of 0 (which the editor
// refuses, so only a foreign file holds it) repeats nothing: the note falls on its own date only.
std::int64_t intervalStep(std::int32_t intervalDays) {
  return intervalDays < 0 ? -std::int64_t{intervalDays} : std::int64_t{intervalDays};
}

}  // namespace

bool CDayInfo::matches(const COleDateTime& other) const {
  const auto own = moment::toDay(date);
  const auto seen = moment::toDay(other);
  if (!own || !seen) return false;
  switch (repeat) {
    case Annual: {
      const CivilDate a = moment::civilDate(*own);
      const CivilDate b = moment::civilDate(*seen);
      return a.month == b.month && a.day == b.day;
    }
    case Monthly:
      return moment::civilDate(*own).day == moment::civilDate(*seen).day;
    case Weekly:
      return moment::weekdayMondayFirst(*seen) == week_day;
    case Interval: {
      const std::int64_t step = intervalStep(interval_days);
      const std::int64_t apart = *seen - *own;
      return step == 0 ? apart == 0 : apart % step == 0;
    }
    case Once:
      return *seen == *own;
    default:
      return false;
  }
}

namespace record_times {

std::optional<std::int64_t> nextDay(const CDayInfo& info, std::int64_t today) {
  const auto own = moment::toDay(info.date);
  if (!own) return std::nullopt;
  const std::int32_t interval_days = info.interval_days;
  const std::int32_t week_day = info.week_day;
  std::optional<std::int64_t> next;
  switch (info.repeat) {
    case CDayInfo::Annual: {
      // A day that the year lacks (29 February) is skipped to the next year that has it, so
      // the next date is always a day the note matches; eight years cover any gap.
      const CivilDate noteDate = moment::civilDate(*own);
      const int thisYear = moment::civilDate(today).year;
      for (int year = thisYear; year <= thisYear + 8 && !next; ++year) {
        if (!moment::dateExists(year, noteDate.month, noteDate.day)) continue;
        const std::int64_t candidate = moment::dayNumber({year, noteDate.month, noteDate.day});
        if (candidate >= today) next = candidate;
      }
      break;
    }
    case CDayInfo::Monthly: {
      // This month's day counts only when it is still to come; the note's own day of this month
      // gives next month's. A month without the day (the 31st in April) is skipped like a year
      // without 29 February.
      const int noteDay = moment::civilDate(*own).day;
      const CivilDate now = moment::civilDate(today);
      for (int ahead = 0; ahead <= 12 && !next; ++ahead) {
        const int monthIndex = now.month - 1 + ahead;
        const int year = now.year + monthIndex / 12;
        const int month = monthIndex % 12 + 1;
        if (!moment::dateExists(year, month, noteDay)) continue;
        const std::int64_t candidate = moment::dayNumber({year, month, noteDay});
        if (ahead > 0 || candidate > today) next = candidate;
      }
      break;
    }
    case CDayInfo::Weekly: {
      // Only the rest of the current Monday-to-Sunday week is looked at.
      const int todayWeekday = moment::weekdayMondayFirst(today);
      if (week_day >= todayWeekday && week_day <= 6) next = today + (week_day - todayWeekday);
      break;
    }
    case CDayInfo::Interval: {
      const std::int64_t step = intervalStep(interval_days);
      if (step == 0) {
        if (*own >= today) next = *own;
        break;
      }
      // The first day from today that lies a whole number of steps from the note's date; for a
      // note dated in the future that is its own date when no earlier step falls from today on.
      const std::int64_t behind = moment::floorMod(today - *own, step);
      next = behind == 0 ? today : today + (step - behind);
      break;
    }
    case CDayInfo::Once:
      if (*own >= today) next = *own;
      break;
    default:
      break;
  }
  // A date past the end of the calendar counts as none.
  if (next && !moment::inCalendar(*next * moment::kSecondsPerDay)) return std::nullopt;
  return next;
}

}  // namespace record_times

std::optional<COleDateTime> CDayInfo::nextDate(const COleDateTime& now) const {
  const auto today = moment::toDay(now);
  if (!today) return std::nullopt;
  const auto next = record_times::nextDay(*this, *today);
  if (!next) return std::nullopt;
  return moment::fromDay(*next);
}

int CDayInfo::weekday() const {
  if (repeat == Weekly) return week_day;
  const auto own = moment::toDay(date);
  return own ? moment::weekdayMondayFirst(*own) : -3;
}

const std::string& fullDayName(int mondayFirstWeekday, UiLanguage language) {
  static const std::array<std::string, 7> kEnglish = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                                      "Friday", "Saturday", "Sunday"};
  static const std::array<std::string, 7> kRussian = {"понедельник", "вторник", "среда",      "четверг",
                                                      "пятница",     "суббота", "воскресенье"};
  static const std::array<std::string, 7> kUkrainian = {"понеділок", "вівторок", "середа", "четвер",
                                                        "п'ятниця",  "субота",   "неділя"};
  static const std::string kNone;
  if (mondayFirstWeekday < 0 || mondayFirstWeekday > 6) return kNone;
  const auto index = static_cast<std::size_t>(mondayFirstWeekday);
  switch (language) {
    case UiLanguage::Russian:
      return kRussian[index];
    case UiLanguage::Ukrainian:
      return kUkrainian[index];
    default:
      return kEnglish[index];
  }
}

std::string CDayInfo::dateLabel(UiLanguage language) const {
  switch (repeat) {
    case Weekly:
      return fullDayName(week_day, language);
    case Monthly:
      return formatWithFallback("%d", date);
    default:
      return formatWithFallback("%d.%m.%Y", date);
  }
}

std::string CDayInfo::eventText(const COleDateTime& now, UiLanguage language) const {
  const auto next = nextDate(now);
  const auto today = moment::toDay(now);
  if (!next || !today) return {};
  const std::int64_t nextDay = *moment::toDay(*next);
  std::string label;
  if (nextDay == *today + 1) {
    label = loadString(StringId::Tomorrow, language);
  } else if (nextDay == *today) {
    label = loadString(StringId::Today, language);
  } else if (moment::civilDate(nextDay).year == moment::civilDate(*today + 1).year) {
    label = formatResource(StringId::DayFormat, language, *next);
  } else {
    label = formatResource(StringId::FullDateFormat, language, *next);
  }
  return label + ": " + lineBreaksToBlanks(text);
}

}  // namespace kalvory
