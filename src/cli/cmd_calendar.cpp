// kalvory-cli calendar: the month grid the calendar window shows for a document, computed by the
// same code, after a chosen selection, month and key presses.
#include <cstddef>
#include <exception>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "cli/document_json.h"
#include "cli/line_text.h"
#include "core/calendar/calendar_month.h"
#include "core/calendar/calendar_names.h"
#include "core/common/date_time.h"
#include "core/common/strftime.h"
#include "core/model/alarm_doc.h"
#include "core/model/document_file.h"
#include "core/resources/resource_strings.h"

namespace kalvory::cli {
namespace {

struct Button {
  std::string_view name;
  void (*press)(CalendarMonth&);
};

// The keys and buttons --keys may name, each as the window would pass it on.
constexpr Button kButtons[] = {
    {"PageUp", [](CalendarMonth& month) { month.pressKey(CalendarKey::PageUp); }},
    {"PageDown", [](CalendarMonth& month) { month.pressKey(CalendarKey::PageDown); }},
    {"Home", [](CalendarMonth& month) { month.pressKey(CalendarKey::Home); }},
    {"Left", [](CalendarMonth& month) { month.pressKey(CalendarKey::Left); }},
    {"Right", [](CalendarMonth& month) { month.pressKey(CalendarKey::Right); }},
    {"Up", [](CalendarMonth& month) { month.pressKey(CalendarKey::Up); }},
    {"Down", [](CalendarMonth& month) { month.pressKey(CalendarKey::Down); }},
    {"Prev", [](CalendarMonth& month) { month.showPreviousMonth(); }},
    {"Next", [](CalendarMonth& month) { month.showNextMonth(); }},
    {"YearUp", [](CalendarMonth& month) { month.changeYear(1); }},
    {"YearDown", [](CalendarMonth& month) { month.changeYear(-1); }},
};

// Reads the digits of `text` at [pos, pos + length); nullopt when one is not a digit.
std::optional<int> digitsAt(std::string_view text, std::size_t pos, std::size_t length) {
  int value = 0;
  for (std::size_t i = pos; i < pos + length; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// "YYYY-MM-DD" (or "YYYY-MM" with `withDay` false, read as its 1st) as a midnight value; nullopt
// for another form or a day the date type does not hold.
std::optional<COleDateTime> parseDate(std::string_view text, bool withDay) {
  if (text.size() != (withDay ? 10u : 7u) || text[4] != '-' || (withDay && text[7] != '-')) return std::nullopt;
  const auto year = digitsAt(text, 0, 4);
  const auto month = digitsAt(text, 5, 2);
  const auto day = withDay ? digitsAt(text, 8, 2) : std::optional<int>(1);
  if (!year || !month || !day) return std::nullopt;
  const COleDateTime date(*year, *month, *day, 0, 0, 0);
  if (!date.isValid()) return std::nullopt;
  return date;
}

std::optional<UiLanguage> parseLanguage(std::string_view name) {
  if (name == "en") return UiLanguage::English;
  if (name == "ru") return UiLanguage::Russian;
  if (name == "uk") return UiLanguage::Ukrainian;
  return std::nullopt;
}

std::vector<std::string> splitKeys(const std::string& text) {
  std::vector<std::string> keys;
  if (text.empty()) return keys;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    keys.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) return keys;
    start = comma + 1;
  }
}

const Button* findButton(std::string_view name) {
  for (const auto& button : kButtons) {
    if (button.name == name) return &button;
  }
  return nullptr;
}

std::string dateText(const COleDateTime& date) {
  auto result = formatDateTime("%Y-%m-%d", date);
  return result.ok() ? result.value() : std::string();
}

// The one-character mark of each label colour in the text form.
char colorMark(CalendarColor color) {
  switch (color) {
    case CalendarColor::clDimmed:
      return '.';
    case CalendarColor::clFree:
      return '+';
    case CalendarColor::clFreeDimmed:
      return ':';
    case CalendarColor::clAnniversary:
      return '*';
    case CalendarColor::clAnniversaryDimmed:
      return '~';
    default:
      return ' ';  // clText, and clHighLightText of the selected day, which its brackets show
  }
}

// Six characters: brackets for the selected day, parentheses for today, the colour mark and
// '#' for a day with a note.
std::string cellText(const CalendarCell& cell) {
  const char open = cell.selected ? '[' : cell.kind == CalendarCell::Today ? '(' : ' ';
  const char close = cell.selected ? ']' : cell.kind == CalendarCell::Today ? ')' : ' ';
  std::string text(1, open);
  if (cell.label.size() < 2) text += ' ';
  text += cell.label;
  text += close;
  text += colorMark(cellTextColor(cell, false));
  text += cell.framed() ? '#' : ' ';
  return text;
}

void printText(std::ostream& out, const CalendarMonth& month) {
  constexpr std::size_t kRowWidth = 7 * 6 + 6;
  const COleDateTime shown = month.displayedMonth();
  const std::string title =
      calendarMonthName(shown.GetMonth(), month.language()) + " " + std::to_string(shown.GetYear());
  std::size_t titleWidth = 0;
  for (const char c : title) titleWidth += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  out << std::string(titleWidth < kRowWidth ? (kRowWidth - titleWidth) / 2 : 0, ' ') << title << "\n";

  std::string header;
  for (const auto& name : weekdayHeader(month.language())) {
    if (!header.empty()) header += ' ';
    header += ' ' + name + "   ";
  }
  out << header.substr(0, header.find_last_not_of(' ') + 1) << "\n";

  for (int row = 0; row < CalendarMonth::kRows; ++row) {
    std::string line;
    for (int column = 0; column < CalendarMonth::kColumns; ++column) {
      if (column > 0) line += ' ';
      line += cellText(month.cell(row * CalendarMonth::kColumns + column));
    }
    out << line.substr(0, line.find_last_not_of(' ') + 1) << "\n";
  }

  out << "\nSelected: " << dateText(month.selectedDate()) << "\n";
  bool anyNote = false;
  for (const auto& cell : month.cells()) {
    if (!cell.framed()) continue;
    if (!anyNote) out << "Notes:\n";
    anyNote = true;
    out << "  " << dateText(cell.date) << "  " << lineSafe(cell.noteText) << "\n";
  }
}

void printJson(std::ostream& out, const CalendarMonth& month) {
  nlohmann::ordered_json json;
  json["displayed"] = dateText(month.displayedMonth());
  json["selected"] = dateText(month.selectedDate());
  json["week_starts"] = month.weekStartsOnSunday() ? "Sunday" : "Monday";
  json["header"] = weekdayHeader(month.language());
  json["cells"] = nlohmann::ordered_json::array();
  for (const auto& cell : month.cells()) {
    json["cells"].push_back({{"date", dateText(cell.date)},
                             {"kind", cell.kind},
                             {"selected", cell.selected},
                             {"free", cell.free},
                             {"anniversary", cell.anniversary},
                             {"note", cell.noteText},
                             {"text_colour", std::string(calendarColorName(cellTextColor(cell, false)))},
                             {"framed", cell.framed()}});
  }
  out << json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

int runCalendar(CommandContext& context) {
  Arguments arguments(context.args);
  std::string monthText;
  std::string todayText;
  std::string selectedText;
  std::string keysText;
  std::string languageText = "en";
  if (!arguments.takeOption("--month", monthText)) throw UsageError{"--month is required"};
  const bool haveToday = arguments.takeOption("--today", todayText);
  const bool haveSelected = arguments.takeOption("--selected", selectedText);
  arguments.takeOption("--keys", keysText);
  arguments.takeOption("--lang", languageText);
  const bool asJson = arguments.takeFlag("--json");
  const std::string path = arguments.positionals(1, 1).front();

  auto fail = [&context](const std::string& message) { return context.refuse(message); };

  const auto month = parseDate(monthText, false);
  if (!month) return fail("--month \"" + monthText + "\" is not a month of the form YYYY-MM (years 0100 to 9999)");
  COleDateTime today = systemNow().datePart();
  if (haveToday) {
    const auto parsed = parseDate(todayText, true);
    if (!parsed) return fail("--today \"" + todayText + "\" is not a date of the form YYYY-MM-DD");
    today = *parsed;
  }
  COleDateTime selected = today;
  if (haveSelected) {
    const auto parsed = parseDate(selectedText, true);
    if (!parsed) return fail("--selected \"" + selectedText + "\" is not a date of the form YYYY-MM-DD");
    selected = *parsed;
  }
  std::vector<const Button*> presses;
  for (const auto& name : splitKeys(keysText)) {
    const Button* button = findButton(name);
    if (!button) {
      return fail("--keys: \"" + name +
                  "\" is not one of PageUp, PageDown, Home, Left, Right, Up, Down, Prev, Next, YearUp, YearDown");
    }
    presses.push_back(button);
  }
  const auto language = parseLanguage(languageText);
  if (!language) return fail("--lang \"" + languageText + "\" is not one of en, ru, uk");

  CAlarmDoc doc;
  if (const auto loaded = loadDocumentFile(doc, path); !loaded.ok()) return fail(loaded.error());

  CalendarMonth calendar(&doc, *language, [today] { return today; });
  calendar.SetDate(selected);
  calendar.ShowMonth(*month);
  for (const Button* button : presses) button->press(calendar);

  if (asJson) {
    printJson(context.out, calendar);
  } else {
    printText(context.out, calendar);
  }
  return kExitOk;
}

const Registration registration{{
    "calendar",
    "calendar FILE --month YYYY-MM [--today YYYY-MM-DD] [--selected YYYY-MM-DD] [--keys K,K,...] "
    "[--lang en|ru|uk] [--json]",
    "Prints the month grid the calendar shows for a document: --selected (default --today, default the "
    "current date) selected, --month shown, then the --keys pressed in order (PageUp, PageDown, Home, Left, "
    "Right, Up, Down, Prev, Next, YearUp, YearDown). In the text form [d] is the selected day, (d) today, and "
    "after the day '.' marks a dimmed day, '+' free, ':' free dimmed, '*' anniversary, '~' anniversary dimmed, "
    "'#' a note (the notes are listed below).",
    runCalendar,
}};

}  // namespace
}  // namespace kalvory::cli
