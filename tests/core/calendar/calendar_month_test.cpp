#include "core/calendar/calendar_month.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/model/alarm_doc.h"

namespace kalvory {
namespace {

COleDateTime day(int year, int month, int dayOfMonth) { return COleDateTime(year, month, dayOfMonth, 0, 0, 0); }

Clock fixedClock(const COleDateTime& now) {
  return [now] { return now; };
}

// Today is Tuesday 12 May 2026, at a time of day that must not matter.
const COleDateTime kNow(2026, 5, 12, 15, 42, 7);

CDayInfo note(const COleDateTime& date, CDayInfo::Repeat repeat, CDayInfo::EventType type, const std::string& text) {
  CDayInfo info(date);
  info.repeat = repeat;
  info.event_type = type;
  info.text = text;
  return info;
}

int indexOf(const CalendarMonth& calendar, const COleDateTime& date) {
  for (int index = 0; index < CalendarMonth::kCellCount; ++index) {
    if (calendar.cell(index).date.sameDate(date)) return index;
  }
  return -1;
}

const CalendarCell& cellOf(const CalendarMonth& calendar, const COleDateTime& date) {
  const int index = indexOf(calendar, date);
  EXPECT_GE(index, 0) << "the date is not in the grid";
  return calendar.cell(index < 0 ? 0 : index);
}

class RecordingObserver : public CalendarMonthObserver {
 public:
  void yearFieldWritten(const std::string& text) override { years.push_back(text); }
  void monthListSelected(int index) override { months.push_back(index); }
  std::vector<std::string> years;
  std::vector<int> months;
};

// --- the grid

TEST(CalendarGrid, FirstCellFollowsTheWeekOrder) {
  struct Case {
    UiLanguage language;
    COleDateTime month;
    COleDateTime firstCell;
    int firstOfMonthIndex;
  };
  const Case cases[] = {
      // June 2026 begins on a Monday, February 2026 on a Sunday.
      {UiLanguage::Russian, day(2026, 6, 1), day(2026, 6, 1), 0},
      {UiLanguage::English, day(2026, 6, 1), day(2026, 5, 31), 1},
      {UiLanguage::Ukrainian, day(2026, 2, 1), day(2026, 1, 26), 6},
      {UiLanguage::English, day(2026, 2, 1), day(2026, 1, 25), 7},
  };
  for (const auto& c : cases) {
    CalendarMonth calendar(nullptr, c.language, fixedClock(kNow));
    calendar.ShowMonth(c.month);
    SCOPED_TRACE(c.month.GetMonth());
    EXPECT_TRUE(calendar.cell(0).date.sameDate(c.firstCell));
    EXPECT_EQ(indexOf(calendar, c.month), c.firstOfMonthIndex);
    EXPECT_EQ(calendar.cell(c.firstOfMonthIndex).kind, CalendarCell::DisplayedMonth);
    EXPECT_EQ(calendar.cell(0).kind,
              c.firstOfMonthIndex > 0 ? CalendarCell::NeighbourMonth : CalendarCell::DisplayedMonth);
    // 42 consecutive days, labelled with their day of the month.
    for (int index = 1; index < CalendarMonth::kCellCount; ++index) {
      EXPECT_DOUBLE_EQ(calendar.cell(index).date.days() - calendar.cell(index - 1).date.days(), 1.0);
      EXPECT_EQ(calendar.cell(index).label, std::to_string(calendar.cell(index).date.GetDay()));
    }
  }
}

TEST(CalendarGrid, LeapFebruaryBeginningOnMonday) {
  CalendarMonth calendar(nullptr, UiLanguage::Russian, fixedClock(kNow));
  calendar.ShowMonth(day(2016, 2, 17));
  EXPECT_TRUE(calendar.displayedMonth().sameDate(day(2016, 2, 1)));
  for (int index = 0; index < 29; ++index) EXPECT_EQ(calendar.cell(index).kind, CalendarCell::DisplayedMonth);
  EXPECT_EQ(calendar.cell(28).label, "29");
  EXPECT_TRUE(calendar.cell(29).date.sameDate(day(2016, 3, 1)));
  EXPECT_EQ(calendar.cell(29).kind, CalendarCell::NeighbourMonth);
  EXPECT_EQ(calendar.cell(29).label, "1");

  calendar.UpdateLanguage(UiLanguage::English);  // shows the selected date's month: May 2026
  calendar.ShowMonth(day(2016, 2, 1));
  EXPECT_TRUE(calendar.cell(0).date.sameDate(day(2016, 1, 31)));
  EXPECT_TRUE(calendar.weekStartsOnSunday());
}

TEST(CalendarGrid, WeekendsAndTodayWhereverTheyStand) {
  // Today, Monday 1 June 2026, stands in a neighbour's position in May's grid but keeps its look.
  CalendarMonth calendar(nullptr, UiLanguage::English, fixedClock(COleDateTime(2026, 6, 1, 9, 0, 0)));
  calendar.SetDate(day(2026, 5, 20));
  const CalendarCell& today = cellOf(calendar, day(2026, 6, 1));
  EXPECT_EQ(today.kind, CalendarCell::Today);
  EXPECT_EQ(cellTextColor(today, false), CalendarColor::clText);
  const CalendarCellLook look = cellLook(today, false);
  EXPECT_TRUE(look.sunkenEdge);
  EXPECT_EQ(look.fill, CalendarColor::clBackground1);

  const CalendarCell& saturday = cellOf(calendar, day(2026, 5, 2));
  EXPECT_TRUE(saturday.free);
  EXPECT_EQ(cellTextColor(saturday, false), CalendarColor::clFree);
  const CalendarCell& aprilSunday = cellOf(calendar, day(2026, 4, 26));
  EXPECT_EQ(cellTextColor(aprilSunday, false), CalendarColor::clFreeDimmed);
  EXPECT_EQ(cellTextColor(aprilSunday, true), CalendarColor::clFreeDimmed);
  const CalendarCell& aprilMonday = cellOf(calendar, day(2026, 4, 27));
  EXPECT_FALSE(aprilMonday.free);
  EXPECT_EQ(cellTextColor(aprilMonday, false), CalendarColor::clDimmed);
  EXPECT_EQ(cellTextColor(aprilMonday, true), CalendarColor::clText);  // under the mouse
  EXPECT_EQ(cellLook(aprilMonday, false).fill, CalendarColor::clDimmedBrush);
  EXPECT_FALSE(cellLook(aprilMonday, false).sunkenEdge);
}

// --- notes

TEST(CalendarNotes, LaterNoteTextWinsAndColoursAddUp) {
  CAlarmDoc doc;
  doc.AddDayInfo(note(day(1990, 5, 20), CDayInfo::Annual, CDayInfo::Anniversary, "Birthday"));
  doc.AddDayInfo(note(day(2026, 5, 20), CDayInfo::Once, CDayInfo::DayOff, "Day off"));
  doc.AddDayInfo(note(day(2026, 5, 6), CDayInfo::Once, CDayInfo::Holiday, "Holiday"));
  doc.AddDayInfo(note(day(2026, 5, 7), CDayInfo::Once, CDayInfo::Weekend, "Moved weekend"));
  doc.AddDayInfo(note(day(2026, 1, 5), CDayInfo::Monthly, CDayInfo::Note, "Rent"));
  doc.AddDayInfo(note(day(2026, 5, 5), CDayInfo::Once, CDayInfo::ToDo, "Pay it"));
  CalendarMonth calendar(&doc, UiLanguage::Russian, fixedClock(kNow));

  const CalendarCell& both = cellOf(calendar, day(2026, 5, 20));
  EXPECT_EQ(both.noteText, "Day off");
  EXPECT_TRUE(both.anniversary);
  EXPECT_TRUE(both.free);
  EXPECT_EQ(cellTextColor(both, false), CalendarColor::clAnniversary);
  EXPECT_TRUE(both.framed());

  const CalendarCell& holiday = cellOf(calendar, day(2026, 5, 6));
  EXPECT_TRUE(holiday.framed());
  EXPECT_EQ(holiday.noteText, "Holiday");
  EXPECT_FALSE(holiday.free || holiday.anniversary);
  EXPECT_EQ(cellTextColor(holiday, false), CalendarColor::clText);
  EXPECT_EQ(cellLook(holiday, false).frame, CalendarCellLook::Frame::NotesFrame);

  EXPECT_EQ(cellTextColor(cellOf(calendar, day(2026, 5, 7)), false), CalendarColor::clFree);
  EXPECT_EQ(cellOf(calendar, day(2026, 5, 5)).noteText, "Pay it");  // "Rent" came first
  EXPECT_EQ(cellTextColor(cellOf(calendar, day(2026, 5, 5)), false), CalendarColor::clText);
  const CalendarCell& nextRent = cellOf(calendar, day(2026, 6, 5));
  EXPECT_EQ(nextRent.noteText, "Rent");
  EXPECT_EQ(cellTextColor(nextRent, false), CalendarColor::clDimmed);

  // In a neighbour's position the anniversary colour is the dimmed one; a refresh after the notes
  // changed keeps the month and takes the new notes.
  calendar.ShowMonth(day(2026, 4, 1));
  EXPECT_EQ(cellOf(calendar, day(2026, 5, 6)).noteText, "Holiday");
  CAlarmDoc later;
  later.AddDayInfo(note(day(2026, 5, 4), CDayInfo::Once, CDayInfo::DayOff, "Off"));
  later.AddDayInfo(note(day(1990, 5, 4), CDayInfo::Annual, CDayInfo::Anniversary, "Wedding"));
  calendar.setDocument(&later);
  calendar.Refresh();
  EXPECT_TRUE(calendar.displayedMonth().sameDate(day(2026, 4, 1)));
  EXPECT_EQ(cellTextColor(cellOf(calendar, day(2026, 5, 4)), false), CalendarColor::clAnniversaryDimmed);
  EXPECT_EQ(cellOf(calendar, day(2026, 5, 6)).noteText, "");
}

TEST(CalendarNotes, SelectedDayLookAndTooltip) {
  CAlarmDoc doc;
  std::string longText;
  for (int i = 0; i < 90; ++i) longText += "ё";  // two bytes a character
  doc.AddDayInfo(note(day(2026, 5, 12), CDayInfo::Once, CDayInfo::Anniversary, longText));
  CalendarMonth calendar(&doc, UiLanguage::Russian, fixedClock(kNow));
  const int index = calendar.selectedCellIndex();
  ASSERT_EQ(index, indexOf(calendar, day(2026, 5, 12)));
  const CalendarCellLook look = cellLook(calendar.cell(index), false);
  EXPECT_EQ(look.text, CalendarColor::clHighLightText);
  EXPECT_EQ(look.fill, CalendarColor::clSelectedBrush);
  EXPECT_EQ(look.fillInset, 1);
  EXPECT_EQ(look.frame, CalendarCellLook::Frame::WindowColor);
  EXPECT_EQ(calendar.tooltipText(index).size(), 79u * 2);
  EXPECT_EQ(calendar.tooltipText(index + 1), "");
  EXPECT_EQ(calendar.tooltipText(CalendarMonth::kCellCount), "");
}

TEST(CalendarNotes, DaysOutsideTheRangeKeepNoText) {
  CAlarmDoc doc;
  doc.AddDayInfo(note(day(2026, 1, 1), CDayInfo::Monthly, CDayInfo::Anniversary, "First"));
  doc.AddDayInfo(note(day(2026, 1, 30), CDayInfo::Monthly, CDayInfo::Note, "Thirtieth"));
  CalendarMonth calendar(&doc, UiLanguage::Russian, fixedClock(kNow));
  calendar.ShowMonth(day(2200, 1, 1));
  const CalendarCell& february = cellOf(calendar, day(2200, 2, 1));
  EXPECT_TRUE(february.anniversary);
  EXPECT_FALSE(february.framed());
  calendar.ShowMonth(day(1900, 12, 1));
  EXPECT_FALSE(cellOf(calendar, day(1900, 11, 30)).framed());
  EXPECT_TRUE(cellOf(calendar, day(1900, 12, 30)).framed());
}

// --- navigation

TEST(CalendarNavigation, KeysMoveTheSelection) {
  CalendarMonth calendar(nullptr, UiLanguage::English, fixedClock(kNow));
  calendar.SetDate(COleDateTime(2026, 1, 31, 23, 59, 59));
  EXPECT_TRUE(calendar.selectedDate().sameDate(day(2026, 1, 31)));
  EXPECT_DOUBLE_EQ(calendar.selectedDate().days(), day(2026, 1, 31).days());  // the date part only
  EXPECT_TRUE(calendar.pressKey(CalendarKey::PageDown));
  EXPECT_TRUE(calendar.selectedDate().sameDate(day(2026, 3, 7)));
  EXPECT_TRUE(calendar.displayedMonth().sameDate(day(2026, 3, 1)));
  EXPECT_TRUE(calendar.cell(calendar.selectedCellIndex()).date.sameDate(day(2026, 3, 7)));

  calendar.SetDate(day(2024, 1, 31));
  calendar.pressKey(CalendarKey::PageDown);
  EXPECT_TRUE(calendar.selectedDate().sameDate(day(2024, 3, 6)));

  struct Step {
    CalendarKey key;
    COleDateTime selected;
  };
  const Step steps[] = {
      {CalendarKey::PageUp, day(2024, 1, 31)}, {CalendarKey::Right, day(2024, 2, 1)},
      {CalendarKey::Left, day(2024, 1, 31)},   {CalendarKey::Down, day(2024, 2, 7)},
      {CalendarKey::Up, day(2024, 1, 31)},     {CalendarKey::Home, day(2026, 5, 12)},
  };
  for (const auto& step : steps) {
    calendar.pressKey(step.key);
    EXPECT_TRUE(calendar.selectedDate().sameDate(step.selected)) << static_cast<int>(step.key);
    EXPECT_EQ(calendar.displayedMonth().GetMonth(), step.selected.GetMonth());
  }

  // A selection walked past the range stays selected while the grid stops at the range's end.
  calendar.SetDate(day(1900, 12, 1));
  calendar.pressKey(CalendarKey::Left);
  EXPECT_TRUE(calendar.selectedDate().sameDate(day(1900, 11, 30)));
  EXPECT_TRUE(calendar.displayedMonth().sameDate(day(1900, 12, 1)));
  EXPECT_TRUE(calendar.cell(calendar.selectedCellIndex()).date.sameDate(day(1900, 11, 30)));
  // At the first day the date type holds, a key that would leave it does nothing.
  calendar.SetDate(day(100, 1, 3));
  EXPECT_FALSE(calendar.pressKey(CalendarKey::Up));
  EXPECT_TRUE(calendar.selectedDate().sameDate(day(100, 1, 3)));
}

TEST(CalendarNavigation, ButtonsAndYearControlStayInTheRange) {
  CalendarMonth calendar(nullptr, UiLanguage::English, fixedClock(kNow));
  auto shown = [&calendar] { return calendar.displayedMonth(); };

  calendar.showNextMonth();
  EXPECT_TRUE(shown().sameDate(day(2026, 6, 1)));
  calendar.showPreviousMonth();
  calendar.showPreviousMonth();
  EXPECT_TRUE(shown().sameDate(day(2026, 4, 1)));
  EXPECT_EQ(calendar.selectedCellIndex(), -1);
  calendar.showNextMonth();
  EXPECT_TRUE(calendar.selectedDate().sameDate(day(2026, 5, 12)));  // buttons keep the selection
  EXPECT_EQ(calendar.selectedCellIndex(), indexOf(calendar, day(2026, 5, 12)));

  calendar.ShowMonth(day(1900, 12, 1));
  calendar.changeYear(-1);
  EXPECT_TRUE(shown().sameDate(day(1900, 12, 1)));
  calendar.showPreviousMonth();
  EXPECT_TRUE(shown().sameDate(day(1900, 12, 1)));
  calendar.ShowMonth(day(1901, 3, 1));
  calendar.changeYear(-1);  // March 1900 lies before the range
  EXPECT_TRUE(shown().sameDate(day(1900, 12, 1)));

  calendar.ShowMonth(day(2200, 1, 1));
  calendar.changeYear(1);
  EXPECT_TRUE(shown().sameDate(day(2200, 1, 1)));
  calendar.showNextMonth();
  EXPECT_TRUE(shown().sameDate(day(2200, 1, 1)));
  calendar.showPreviousMonth();  // from the range's last month straight to the one before
  EXPECT_TRUE(shown().sameDate(day(2199, 12, 1)));
  calendar.changeYear(1);  // December 2200 lies past the range
  EXPECT_TRUE(shown().sameDate(day(2200, 1, 1)));
  calendar.ShowMonth(day(2150, 7, 1));
  calendar.changeYear(-20);
  EXPECT_TRUE(shown().sameDate(day(2130, 7, 1)));

  calendar.ShowMonth(day(9999, 12, 31));
  EXPECT_TRUE(shown().sameDate(day(2200, 1, 1)));
  calendar.selectMonth(4);
  EXPECT_TRUE(shown().sameDate(day(2200, 1, 1)));  // May 2200 is past the range too
  calendar.ShowMonth(day(2026, 1, 1));
  calendar.selectMonth(4);
  EXPECT_TRUE(shown().sameDate(day(2026, 5, 1)));
  calendar.selectMonth(12);
  EXPECT_TRUE(shown().sameDate(day(2026, 5, 1)));

  calendar.ShowMonth(day(2030, 1, 1));
  calendar.showToday();
  EXPECT_TRUE(shown().sameDate(day(2026, 5, 1)));
}

TEST(CalendarNavigation, YearFieldAndMonthListWrittenOnlyOnChange) {
  CalendarMonth calendar(nullptr, UiLanguage::English, fixedClock(kNow));
  EXPECT_EQ(calendar.yearFieldText(), "2026");
  EXPECT_EQ(calendar.monthListIndex(), 4);
  RecordingObserver observer;
  calendar.setObserver(&observer);

  calendar.showNextMonth();
  calendar.Refresh();
  EXPECT_TRUE(observer.years.empty());
  EXPECT_EQ(observer.months, std::vector<int>({5}));

  calendar.ShowMonth(day(2026, 12, 1));
  calendar.showNextMonth();
  EXPECT_EQ(observer.years, std::vector<std::string>({"2027"}));
  EXPECT_EQ(observer.months, std::vector<int>({5, 11, 0}));

  // The year control has changed the field's text itself, so it is written back even unchanged.
  observer.years.clear();
  calendar.ShowMonth(day(2200, 1, 1));
  calendar.changeYear(1);
  EXPECT_EQ(observer.years, std::vector<std::string>({"2200", "2200"}));
  EXPECT_EQ(calendar.yearFieldText(), "2200");

  calendar.ShowMonth(day(1900, 12, 1));
  EXPECT_EQ(calendar.yearFieldText(), "1900");
  EXPECT_EQ(calendar.monthListIndex(), 11);
}

TEST(CalendarNavigation, ClicksSelectAndSwitchMonths) {
  // Today is Monday 4 May 2026, which April's grid shows in its last row.
  CalendarMonth calendar(nullptr, UiLanguage::English, fixedClock(COleDateTime(2026, 5, 4, 12, 0, 0)));
  calendar.ShowMonth(day(2026, 4, 1));

  // A dimmed day of May selects it and shows May.
  EXPECT_TRUE(calendar.click(indexOf(calendar, day(2026, 5, 2))));
  EXPECT_TRUE(calendar.displayedMonth().sameDate(day(2026, 5, 1)));
  EXPECT_TRUE(calendar.selectedDate().sameDate(day(2026, 5, 2)));
  const int selected = calendar.selectedCellIndex();
  EXPECT_TRUE(calendar.cell(selected).date.sameDate(day(2026, 5, 2)));
  EXPECT_EQ(calendar.cell(selected).kind, CalendarCell::DisplayedMonth);

  // A day of the shown month: only the selection moves.
  EXPECT_TRUE(calendar.click(indexOf(calendar, day(2026, 5, 20))));
  EXPECT_EQ(calendar.selectedCellIndex(), indexOf(calendar, day(2026, 5, 20)));
  EXPECT_FALSE(calendar.cell(selected).selected);

  // Today in April's grid keeps its own kind; a click on it still shows May.
  calendar.ShowMonth(day(2026, 4, 1));
  EXPECT_EQ(calendar.cell(indexOf(calendar, day(2026, 5, 4))).kind, CalendarCell::Today);
  EXPECT_TRUE(calendar.click(indexOf(calendar, day(2026, 5, 4))));
  EXPECT_TRUE(calendar.displayedMonth().sameDate(day(2026, 5, 1)));
  EXPECT_EQ(calendar.cell(calendar.selectedCellIndex()).kind, CalendarCell::Today);

  // Released over no cell: nothing is selected any more, the date stays.
  EXPECT_FALSE(calendar.click(-1));
  EXPECT_EQ(calendar.selectedCellIndex(), -1);
  EXPECT_TRUE(calendar.selectedDate().sameDate(day(2026, 5, 4)));

  // A day before the range selects the first day of the range and tells nobody.
  calendar.ShowMonth(day(1900, 12, 1));
  EXPECT_FALSE(calendar.click(0));
  EXPECT_TRUE(calendar.selectedDate().sameDate(day(1900, 12, 1)));
  EXPECT_TRUE(calendar.displayedMonth().sameDate(day(1900, 12, 1)));
  EXPECT_EQ(calendar.selectedCellIndex(), indexOf(calendar, day(1900, 12, 1)));
}

}  // namespace
}  // namespace kalvory
