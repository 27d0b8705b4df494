// kalvory-cli agenda: what the main view and the lists window derive from a document at a
// given moment: the next-reminder and next-day-event lines, and per record its times.
#include <exception>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "cli/command.h"
#include "cli/line_text.h"
#include "core/common/date_time.h"
#include "core/common/strftime.h"
#include "core/common/text.h"
#include "core/model/alarm_doc.h"
#include "core/model/document_file.h"
#include "core/resources/resource_strings.h"

namespace kalvory::cli {
namespace {

constexpr std::string_view kTimeLayout = "YYYY-MM-DD HH:MM:SS";

// "YYYY-MM-DD HH:MM:SS", or nothing for a value that is not a valid date-time.
std::optional<std::string> momentText(const COleDateTime& value) {
  if (!value.isValid()) return std::nullopt;
  Result<std::string> result = formatDateTime("%Y-%m-%d %H:%M:%S", value);
  if (!result.ok()) return std::nullopt;
  return std::move(result).value();
}

std::optional<UiLanguage> parseLanguage(std::string_view name) {
  if (name == "en") return UiLanguage::English;
  if (name == "ru") return UiLanguage::Russian;
  if (name == "uk") return UiLanguage::Ukrainian;
  return std::nullopt;
}

std::string quotedValue(std::string_view text) { return "\"" + lineSafe(text, true) + "\""; }
std::string timeValue(const std::optional<std::string>& text) { return text ? *text : "none"; }
const char* yesNo(bool value) { return value ? "yes" : "no"; }

nlohmann::json jsonTime(const std::optional<std::string>& text) {
  return text ? nlohmann::json(*text) : nlohmann::json(nullptr);
}

struct ReminderRow {
  std::optional<std::string> start, end, nextFire;
  bool eligibleToday = false;
  bool due = false;
  std::string scheduleText;
  std::string text;
};

struct DayNoteRow {
  bool matchesToday = false;
  std::optional<std::string> nextDate;
  std::string dateLabel;
  std::optional<std::string> eventText;  // none when the note has no next date
  std::string text;
};

ReminderRow reminderRow(const CAlarmLine& line, const COleDateTime& now) {
  ReminderRow row;
  row.start = momentText(line.startTime(now));
  row.end = momentText(line.endTime(now));
  row.eligibleToday = line.eligibleToday(now);
  row.due = line.isDue(now);
  if (const auto next = line.nextFireTime(now)) row.nextFire = momentText(*next);
  row.scheduleText = line.scheduleText();
  row.text = line.text;
  return row;
}

DayNoteRow dayNoteRow(const CDayInfo& note, const COleDateTime& now, UiLanguage language) {
  DayNoteRow row;
  row.matchesToday = note.matches(now);
  if (const auto next = note.nextDate(now)) {
    row.nextDate = momentText(*next);
    // A note without a next date can never be the next day event, so it has no event text.
    if (row.nextDate) row.eventText = note.eventText(now, language);
  }
  row.dateLabel = note.dateLabel(language);
  row.text = note.text;
  return row;
}

int runAgenda(CommandContext& context) {
  Arguments arguments(context.args);
  std::string nowText;
  std::string languageText = "en";
  const bool haveNow = arguments.takeOption("--now", nowText);
  arguments.takeOption("--lang", languageText);
  const bool asJson = arguments.takeFlag("--json");
  const std::string path = arguments.positionals(1, 1).front();

  COleDateTime now = systemNow();
  if (haveNow) {
    const auto parsed = parseLocalTime(nowText);
    if (!parsed) {
      return context.refuse("--now \"" + nowText + "\" is not a date and time of the form " + std::string(kTimeLayout));
    }
    now = *parsed;
  }
  const auto language = parseLanguage(languageText);
  if (!language) {
    return context.refuse("--lang \"" + languageText + "\" is not one of en, ru, uk");
  }

  CAlarmDoc doc;
  if (const auto loaded = loadDocumentFile(doc, path); !loaded.ok()) return context.refuse(loaded.error());

  const std::string nextReminder = doc.nextReminderText(now, *language);
  const CDayInfo* nextEvent = doc.nextDayEvent(now);
  const std::string nextEventText = nextEvent ? nextEvent->eventText(now, *language) : std::string();

  if (asJson) {
    nlohmann::json out;
    out["next_reminder_text"] = nextReminder;
    out["next_day_event_text"] = nextEventText;
    out["reminders"] = nlohmann::json::array();
    for (const auto& line : doc.alarms()) {
      const ReminderRow row = reminderRow(*line, now);
      out["reminders"].push_back({{"start", jsonTime(row.start)},
                                  {"end", jsonTime(row.end)},
                                  {"eligible_today", row.eligibleToday},
                                  {"due", row.due},
                                  {"next_fire", jsonTime(row.nextFire)},
                                  {"schedule_text", row.scheduleText}});
    }
    out["day_notes"] = nlohmann::json::array();
    for (const auto& note : doc.dayInfos()) {
      const DayNoteRow row = dayNoteRow(*note, now, *language);
      out["day_notes"].push_back({{"matches_today", row.matchesToday},
                                  {"next_date", jsonTime(row.nextDate)},
                                  {"date_label", row.dateLabel},
                                  {"event_text", jsonTime(row.eventText)}});
    }
    context.out << out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    return kExitOk;
  }

  // The two lines of the main view, under their own captions in the chosen language.
  auto mainViewLine = [&context, &language](StringId captionId, const std::string& text) {
    context.out << loadString(captionId, *language) << ":";
    if (!text.empty()) context.out << " " << lineSafe(text);
    context.out << "\n";
  };
  mainViewLine(StringId::NextReminderCaption, nextReminder);
  mainViewLine(StringId::NextDayEventCaption, nextEventText);
  context.out << "\nReminders: " << doc.alarmCount() << "\n";
  int index = 0;
  for (const auto& line : doc.alarms()) {
    const ReminderRow row = reminderRow(*line, now);
    context.out << "  " << ++index << ". start " << timeValue(row.start) << ", end " << timeValue(row.end)
                << ", eligible today " << yesNo(row.eligibleToday) << ", due " << yesNo(row.due) << ", next fire "
                << timeValue(row.nextFire) << ", schedule " << quotedValue(row.scheduleText) << ", text "
                << quotedValue(row.text) << "\n";
  }
  context.out << "\nDay notes: " << doc.dayInfoCount() << "\n";
  index = 0;
  for (const auto& note : doc.dayInfos()) {
    const DayNoteRow row = dayNoteRow(*note, now, *language);
    context.out << "  " << ++index << ". matches today " << yesNo(row.matchesToday) << ", next date "
                << timeValue(row.nextDate) << ", date label " << quotedValue(row.dateLabel) << ", text "
                << quotedValue(row.text) << "\n";
  }
  return kExitOk;
}

const Registration registration{{
    "agenda",
    "agenda FILE [--now \"YYYY-MM-DD HH:MM:SS\"] [--lang en|ru|uk] [--json]",
    "Shows the next-reminder and next-day-event lines of a document and, for each reminder and day note, "
    "the times and texts derived from it at --now (default: the current local time).",
    runAgenda,
}};

}  // namespace
}  // namespace kalvory::cli
