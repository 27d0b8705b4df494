#include "core/calendar/calendar_month.h"

#include <cstdio>
#include <utility>

#include "core/calendar/calendar_names.h"
#include "core/common/text.h"
#include "core/model/alarm_doc.h"
#include "core/model/day_info.h"
#include "core/model/moment.h"

namespace kalvory {

namespace {

using moment::CivilDate;

const std::int64_t kMinimumDay = moment::dayNumber({CalendarMonth::kMinimumYear, 12, 1});
const std::int64_t kMaximumDay = moment::dayNumber({CalendarMonth::kMaximumYear, 1, 31});

constexpr int kTooltipLength = 79;

std::int64_t firstOfMonth(std::int64_t day) {
  const CivilDate date = moment::civilDate(day);
  return moment::dayNumber({date.year, date.month, 1});
}

// The key spans are a second short of or past whole days, so that rounding can never stop the
// date part of a midnight value one day short of the 35, 1 or 7 days it moves by.
COleDateTimeSpan keySpan(CalendarKey key) {
  switch (key) {
    case CalendarKey::PageUp:
      return COleDateTimeSpan(-34.99998842592593);
    case CalendarKey::PageDown:
      return COleDateTimeSpan(35.00001157407407);
    case CalendarKey::Left:
      return COleDateTimeSpan(-0.999988425925926);
    case CalendarKey::Right:
      return COleDateTimeSpan(1.000011574074074);
    case CalendarKey::Up:
      return COleDateTimeSpan(-6.999988425925926);
    case CalendarKey::Down:
      return COleDateTimeSpan(7.000011574074074);
    case CalendarKey::Home:
      break;
  }
  return COleDateTimeSpan();
}

}  // namespace

CalendarColor cellTextColor(const CalendarCell& cell, bool hovered) {
  if (cell.selected) return CalendarColor::clHighLightText;
  const bool dimmed = cell.kind == CalendarCell::NeighbourMonth;
  CalendarColor color = dimmed && !hovered ? CalendarColor::clDimmed : CalendarColor::clText;
  if (cell.free) color = dimmed ? CalendarColor::clFreeDimmed : CalendarColor::clFree;
  if (cell.anniversary) color = dimmed ? CalendarColor::clAnniversaryDimmed : CalendarColor::clAnniversary;
  return color;
}

CalendarCellLook cellLook(const CalendarCell& cell, bool hovered) {
  CalendarCellLook look;
  look.text = cellTextColor(cell, hovered);
  if (cell.selected) {
    look.sunkenEdge = true;
    look.fillInset = 1;
    look.fill = CalendarColor::clSelectedBrush;
    if (cell.framed()) look.frame = CalendarCellLook::Frame::WindowColor;
    return look;
  }
  look.sunkenEdge = cell.kind == CalendarCell::Today;
  look.fill = cell.kind == CalendarCell::NeighbourMonth ? CalendarColor::clDimmedBrush : CalendarColor::clBackground1;
  if (cell.framed()) look.frame = CalendarCellLook::Frame::NotesFrame;
  return look;
}

COleDateTime CalendarMonth::minimumDate() { return moment::fromDay(kMinimumDay); }
COleDateTime CalendarMonth::maximumDate() { return moment::fromDay(kMaximumDay); }

CalendarMonth::CalendarMonth(const CAlarmDoc* document, UiLanguage language, Clock clock)
    : document_(document), language_(language), clock_(std::move(clock)) {
  const auto now = today();
  SetDate(moment::fromDay(now.value_or(kMinimumDay)));
}

std::optional<std::int64_t> CalendarMonth::today() const {
  if (!clock_) return std::nullopt;
  return moment::toDay(clock_());
}

bool CalendarMonth::weekStartsOnSunday() const { return kalvory::weekStartsOnSunday(language_); }

COleDateTime CalendarMonth::selectedDate() const { return moment::fromDay(selected_); }
COleDateTime CalendarMonth::displayedMonth() const { return moment::fromDay(displayed_); }

int CalendarMonth::selectedCellIndex() const {
  for (int index = 0; index < kCellCount; ++index) {
    if (cells_[static_cast<std::size_t>(index)].selected) return index;
  }
  return -1;
}

void CalendarMonth::SetDate(const COleDateTime& date) {
  const auto day = moment::toDay(date);
  if (!day) return;
  selected_ = *day;
  showMonthOf(*day);
}

void CalendarMonth::ShowMonth(const COleDateTime& date) {
  if (const auto day = moment::toDay(date)) showMonthOf(*day);
}

void CalendarMonth::Refresh() { showMonthOf(displayed_); }

void CalendarMonth::UpdateLanguage(UiLanguage language) {
  language_ = language;
  showMonthOf(selected_);
}

bool CalendarMonth::pressKey(CalendarKey key) {
  if (key == CalendarKey::Home) {
    const auto now = today();
    if (!now) return false;
    SetDate(moment::fromDay(*now));
    return true;
  }
  // A selection walked past the years the date type holds stays where it is.
  const COleDateTime moved = moment::fromDay(selected_) + keySpan(key);
  if (!moved.isValid()) return false;
  SetDate(moved.datePart());
  return true;
}

bool CalendarMonth::click(int index) {
  for (auto& cell : cells_) cell.selected = false;
  if (index < 0 || index >= kCellCount) {
    cellsChanged();
    return false;
  }
  CalendarCell& clicked = cells_[static_cast<std::size_t>(index)];
  const std::int64_t day = *moment::toDay(clicked.date);
  selected_ = day;
  if (!limitToRange(selected_)) {
    // The nearest day inside the range is selected; it is always in the same grid, so it is
    // marked there rather than leaving no day marked at all.
    for (auto& cell : cells_) cell.selected = moment::toDay(cell.date) == selected_;
    cellsChanged();
    return false;
  }
  const std::int64_t shownMonth = displayed_;
  displayed_ = firstOfMonth(day);
  clicked.selected = true;
  // The month is compared rather than the cell's kind: today keeps its own kind in a
  // neighbouring month's position, and a click on it must switch the month all the same.
  if (displayed_ != shownMonth) fill();
  cellsChanged();
  return true;
}

void CalendarMonth::showPreviousMonth() { showMonthOf(firstOfMonth(displayed_ - 21)); }

void CalendarMonth::showNextMonth() { showMonthOf(firstOfMonth(displayed_ + 32)); }

void CalendarMonth::selectMonth(int index) {
  if (index < 0 || index > 11) return;
  monthListIndex_ = index;  // the list already shows it
  const CivilDate shown = moment::civilDate(displayed_);
  showMonthOf(moment::dayNumber({shown.year, index + 1, 1}));
}

void CalendarMonth::changeYear(int delta) {
  const CivilDate shown = moment::civilDate(displayed_);
  const long long wanted = static_cast<long long>(shown.year) + delta;
  int year = static_cast<int>(wanted);
  std::int64_t day = displayed_;
  if (wanted < kMinimumYear) {
    day = kMinimumDay;
    year = kMinimumYear;
  } else if (wanted > kMaximumYear) {
    day = kMaximumDay;
    year = kMaximumYear;
  }
  // The control has already changed the field's text itself, so the field is always rewritten.
  writtenYear_.reset();
  const int month = moment::civilDate(day).month;
  // The years at the ends hold only part of their months; showMonthOf limits the rest.
  showMonthOf(moment::dayNumber({year, month, 1}));
}

void CalendarMonth::showToday() {
  if (const auto now = today()) showMonthOf(firstOfMonth(*now));
}

std::string CalendarMonth::tooltipText(int index) const {
  if (index < 0 || index >= kCellCount) return {};
  const std::string& text = cells_[static_cast<std::size_t>(index)].noteText;
  std::string tip;
  std::size_t pos = 0;
  for (int taken = 0; taken < kTooltipLength && pos < text.size(); ++taken) appendUtf8(tip, nextCodePoint(text, pos));
  return tip;
}

void CalendarMonth::showMonthOf(std::int64_t day) {
  limitToRange(day);
  displayed_ = firstOfMonth(day);
  fill();
  cellsChanged();
}

bool CalendarMonth::limitToRange(std::int64_t& day) {
  if (day >= kMinimumDay && day <= kMaximumDay) return true;
  day = day < kMinimumDay ? kMinimumDay : kMaximumDay;
  selectMonthListIndex(moment::civilDate(day).month - 1);
  return false;
}

void CalendarMonth::fill() {
  dateTexts_.clear();
  for (auto& cell : cells_) cell.noteText.clear();

  const CivilDate shown = moment::civilDate(displayed_);
  const auto now = today();
  // Monday weeks put a month beginning on Monday in the first cell; Sunday weeks always show
  // at least one day before the 1st (a whole row when the month begins on Sunday).
  const int weekday = moment::weekdayMondayFirst(displayed_) + 2;  // Monday 2 .. Sunday 8
  const int offset = weekStartsOnSunday() ? weekday - 1 : weekday - 2;
  std::int64_t day = displayed_ - offset;

  for (auto& cell : cells_) {
    cell.selected = false;
    cell.kind = CalendarCell::NeighbourMonth;
    cell.anniversary = false;
    cell.free = false;
    const CivilDate date = moment::civilDate(day);
    const COleDateTime value = moment::fromDay(day);
    if (date.month == shown.month) {
      cell.kind = CalendarCell::DisplayedMonth;
      writeYearField(shown.year);
      selectMonthListIndex(shown.month - 1);
    }
    if (document_) {
      // The notes are taken in document order: the last one's text wins, the colours add up.
      for (const auto& note : document_->dayInfos()) {
        if (!note->matches(value)) continue;
        addDateText(day, note->text);
        switch (note->event_type) {
          case CDayInfo::Anniversary:
            cell.anniversary = true;
            break;
          case CDayInfo::Weekend:
          case CDayInfo::DayOff:
            cell.free = true;
            break;
          default:
            break;
        }
      }
    }
    const auto text = dateTexts_.find(day);
    cell.noteText = text != dateTexts_.end() ? text->second : std::string();
    if ((kFreeWeekdays >> moment::weekdaySundayFirst(day)) & 1) cell.free = true;
    if (now && day == *now) cell.kind = CalendarCell::Today;
    cell.label = std::to_string(date.day);
    cell.date = value;
    cell.selected = day == selected_;
    ++day;
  }
}

void CalendarMonth::addDateText(std::int64_t day, const std::string& text) {
  // Days outside the range keep no text, so they get neither a frame nor a tooltip.
  if (day < kMinimumDay || day > kMaximumDay) return;
  dateTexts_[day] = text;
}

void CalendarMonth::writeYearField(int year) {
  if (writtenYear_ == year) return;
  writtenYear_ = year;
  char text[16];
  std::snprintf(text, sizeof text, "%04d", year);
  yearFieldText_ = text;
  if (observer_) observer_->yearFieldWritten(yearFieldText_);
}

void CalendarMonth::selectMonthListIndex(int index) {
  if (monthListIndex_ == index) return;
  monthListIndex_ = index;
  if (observer_) observer_->monthListSelected(index);
}

void CalendarMonth::cellsChanged() {
  if (observer_) observer_->cellsChanged();
}

}  // namespace kalvory
