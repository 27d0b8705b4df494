#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "core/calendar/calendar_colors.h"
#include "core/common/date_time.h"
#include "core/resources/resource_strings.h"

namespace kalvory {

class CAlarmDoc;

// One day cell of the month grid: what the window's cell draws, without its rectangle and
// mouse marks (hovered and pressed belong to the window).
struct CalendarCell {
  enum Kind : int { DisplayedMonth = 0, NeighbourMonth = 1, Today = 2 };

  COleDateTime date;     // at midnight
  std::string label;     // the day of the month, "%d"
  std::string noteText;  // the tooltip; empty when no note falls on the day
  bool selected = false;
  int kind = NeighbourMonth;
  bool anniversary = false;  // an Anniversary note falls on the day
  bool free = false;         // a weekend day, or a Weekend or Day Off note falls on it

  // Days with a note get a frame.
  bool framed() const { return !noteText.empty(); }
};

// The colour a cell's label is drawn in. A neighbouring month's day under the mouse is drawn
// as a day of the shown month; free and anniversary colours override that, anniversary last.
CalendarColor cellTextColor(const CalendarCell& cell, bool hovered);

// How a cell is drawn into its rectangle r.
struct CalendarCellLook {
  enum class Frame {
    None,
    NotesFrame,   // clNotesFrame around r shrunk by 1
    WindowColor,  // the system window colour (COLOR_WINDOW) around r shrunk by 2, on the selected day
  };
  bool sunkenEdge = false;  // a sunken outer edge around r: the selected day and today
  int fillInset = 0;        // the fill covers r shrunk by this (1 inside the selected day's edge)
  CalendarColor fill = CalendarColor::clBackground1;
  CalendarColor text = CalendarColor::clText;
  Frame frame = Frame::None;
};
CalendarCellLook cellLook(const CalendarCell& cell, bool hovered);

// Told when the window's child controls or cells must be redrawn.
class CalendarMonthObserver {
 public:
  virtual ~CalendarMonthObserver() = default;
  // The year field gets this text ("%04d").
  virtual void yearFieldWritten(const std::string& /*text*/) {}
  // The month list selects this index (0 = January).
  virtual void monthListSelected(int /*index*/) {}
  // Cells changed (dates, marks or texts); the window repaints them.
  virtual void cellsChanged() {}
};

// The keys the calendar answers when it has the focus.
enum class CalendarKey { PageUp, PageDown, Home, Left, Right, Up, Down };

// The month calendar's logic: 42 day cells (6 rows of 7) of one month with the days around it,
// coloured by the document's day notes, the selected date and the navigation. The window draws
// the cells and forwards keys, clicks and its buttons; everything here is free of the toolkit.
//
// The shown month is always the first day of a month between December 1900 and January 2200;
// any month asked for outside that range shows the nearest end of it. The selected date is not
// limited by keys (a key press can select a day past the range; the grid then stays at its end).
class CalendarMonth {
 public:
  static constexpr int kColumns = 7;
  static constexpr int kRows = 6;
  static constexpr int kCellCount = kColumns * kRows;
  // Bit n is weekday n counted from Sunday = 0: Sunday and Saturday are free.
  static constexpr int kFreeWeekdays = 65;
  static constexpr int kMinimumYear = 1900;
  static constexpr int kMaximumYear = 2200;
  // 1 December 1900 and 31 January 2200.
  static COleDateTime minimumDate();
  static COleDateTime maximumDate();

  // Selects and shows today, as a new calendar does. `document` may be null (no notes) and must
  // outlive the calendar or be replaced first.
  explicit CalendarMonth(const CAlarmDoc* document, UiLanguage language = UiLanguage::English, Clock clock = systemNow);

  void setDocument(const CAlarmDoc* document) { document_ = document; }  // shown on the next fill
  void setObserver(CalendarMonthObserver* observer) { observer_ = observer; }

  // Selects the calendar date of `date` and shows its month. A value that is not a valid
  // date-time is ignored.
  void SetDate(const COleDateTime& date);
  // Shows the month of `date` (limited to the range), keeping the selected date.
  void ShowMonth(const COleDateTime& date);
  // Shows the current month again with fresh notes, after the document's records changed.
  void Refresh();
  // Switches the language (week order, header) and shows the selected date's month.
  void UpdateLanguage(UiLanguage language);

  // --- input
  // Moves the selected date (Home: today) and shows its month; true when the key did something.
  bool pressKey(CalendarKey key);
  // The left button released over cell `index` (-1 or any other number: over no cell). The
  // cell's day becomes the selected date, a day of another month shows that month. Returns true
  // when the parent is to be told that a day was clicked; a day outside the range selects the
  // nearest day inside it and returns false.
  bool click(int index);
  void showPreviousMonth();     // the previous-month button
  void showNextMonth();         // the next-month button
  void selectMonth(int index);  // the month list chose `index` (0 = January); others ignored
  void changeYear(int delta);   // the year up-down control moved by `delta`
  void showToday();             // the "Today" menu command: today's month, selection kept

  // --- state
  const std::array<CalendarCell, kCellCount>& cells() const { return cells_; }
  const CalendarCell& cell(int index) const { return cells_.at(static_cast<std::size_t>(index)); }
  int selectedCellIndex() const;        // the cell marked selected, or -1
  COleDateTime selectedDate() const;    // at midnight
  COleDateTime displayedMonth() const;  // the first day of the month shown
  // What the year field and the month list show; they are written (and the observer told) only
  // when they change, except that the year control always rewrites the field it has touched.
  const std::string& yearFieldText() const { return yearFieldText_; }
  int monthListIndex() const { return monthListIndex_; }
  UiLanguage language() const { return language_; }
  bool weekStartsOnSunday() const;
  // The tooltip over cell `index`: its note text, at most 79 characters; empty for no tip.
  std::string tooltipText(int index) const;

 private:
  void showMonthOf(std::int64_t day);
  void fill();
  // Holds `day` inside the range; false when it was outside (the month list then shows the
  // month of the limited day).
  bool limitToRange(std::int64_t& day);
  void addDateText(std::int64_t day, const std::string& text);
  void writeYearField(int year);
  void selectMonthListIndex(int index);
  void cellsChanged();
  std::optional<std::int64_t> today() const;

  const CAlarmDoc* document_;
  UiLanguage language_;
  Clock clock_;
  CalendarMonthObserver* observer_ = nullptr;
  std::array<CalendarCell, kCellCount> cells_;
  std::map<std::int64_t, std::string> dateTexts_;  // at most one note text per day
  std::int64_t selected_ = 0;                      // day numbers from 30 December 1899
  std::int64_t displayed_ = 0;
  std::optional<int> writtenYear_;
  std::string yearFieldText_;
  int monthListIndex_ = 0;
};

}  // namespace kalvory
