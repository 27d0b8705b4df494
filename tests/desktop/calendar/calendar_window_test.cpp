#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <functional>

#include "core/model/alarm_doc.h"
#include "core/model/document_file.h"
#include "core/settings/system_colors.h"
#include "desktop/calendar/cal_wnd.h"
#include "desktop/calendar/calendar_controls.h"
#include "desktop/calendar/calendar_render.h"
#include "desktop/common/date_icon.h"

namespace kalvory {
namespace {

const COleDateTime kNow(2026, 5, 7, 9, 30, 0);  // a Thursday
Clock fixedClock() {
  return [] { return kNow; };
}
COleDateTime day(int year, int month, int dayOfMonth) { return COleDateTime(year, month, dayOfMonth, 0, 0, 0); }

// Every colour different, so that each pixel tells which colour it was drawn in.
CalendarColors distinctColors() {
  using enum CalendarColor;
  CalendarColors colors;
  colors[clBackground] = makeColorRef(192, 192, 192);
  colors[clBackground1] = makeColorRef(250, 250, 240);
  colors[clButtonShadow] = makeColorRef(100, 100, 100);
  colors[clFree] = makeColorRef(220, 90, 120);
  colors[clFreeDimmed] = makeColorRef(150, 90, 120);
  colors[clAnniversary] = makeColorRef(0, 128, 0);
  colors[clAnniversaryDimmed] = makeColorRef(80, 128, 80);
  colors[clDimmed] = makeColorRef(0, 0, 255);
  colors[clText] = makeColorRef(200, 0, 0);
  colors[clHighLightText] = makeColorRef(255, 255, 0);
  colors[clWeekendBrush] = makeColorRef(1, 2, 3);
  colors[clSelectedBrush] = makeColorRef(0, 0, 120);
  colors[clDimmedBrush] = makeColorRef(210, 230, 255);
  colors[clNotesFrame] = makeColorRef(255, 0, 255);
  colors[clDaysColor] = makeColorRef(0, 120, 120);
  colors.buttonHighlight = makeColorRef(255, 255, 255);
  return colors;
}

QRgb rgbOf(const CalendarColors& colors, CalendarColor which) { return colorFromReference(colors[which]).rgb(); }
QRgb systemRgb(int index) { return colorFromReference(systemColor(index)).rgb(); }

int distance(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

// The pixel of `area` that differs most from `fill`: the fullest stroke of the day number.
QRgb ink(const QImage& image, const QRect& area, QRgb fill) {
  QRgb best = fill;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (distance(image.pixel(x, y), fill) > distance(best, fill)) best = image.pixel(x, y);
  return best;
}

int cellOf(const CCalWnd& calendar, const COleDateTime& date) {
  for (int index = 0; index < CalendarMonth::kCellCount; ++index)
    if (calendar.month().cell(index).date.sameDate(date)) return index;
  return -1;
}

void sendMouse(QWidget& widget, QEvent::Type type, const QPoint& position, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
  QMouseEvent event(type, position, widget.mapToGlobal(position), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(&widget, &event);
}

void releaseKey(QWidget& widget, int key, bool autoRepeat = false) {
  QKeyEvent event(QEvent::KeyRelease, key, Qt::NoModifier, QString(), autoRepeat);
  QApplication::sendEvent(&widget, &event);
}

// Opens the context menu over `position`; `choose` runs on the open menu.
void openContextMenu(CCalWnd& calendar, const QPoint& position, const std::function<void(QMenu&)>& choose) {
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    choose(*menu);
    menu->close();
  });
  QContextMenuEvent event(QContextMenuEvent::Mouse, position, calendar.mapToGlobal(position));
  QApplication::sendEvent(&calendar, &event);
}

struct CalendarFixture {
  CalendarFixture() {
    CDayInfo lunch(day(2026, 5, 13));
    lunch.repeat = CDayInfo::Once;
    lunch.event_type = CDayInfo::Holiday;
    lunch.text = "Team lunch";
    document.AddDayInfo(lunch);
    calendar.setColors(colors);
    calendar.SetDate(day(2026, 5, 12));
  }
  CAlarmDoc document;
  CalendarColors colors = distinctColors();
  CCalWnd calendar{&document, UiLanguage::English, fixedClock()};
};

// The four looks of a day cell, each checked at its pixels: the selected day, a day of the
// month before, today and a day with a note; and a neighbouring day under the mouse.
TEST(CalendarWindow, DrawsTheSelectedDimmedTodayAndFramedCellsInTheSkinColours) {
  CalendarFixture fixture;
  CCalWnd& calendar = fixture.calendar;
  const CalendarColors& colors = fixture.colors;
  using enum CalendarColor;
  const QImage image = calendar.grab().toImage();
  ASSERT_EQ(image.size(), QSize(calendar.geometry().clientWidth, calendar.geometry().clientHeight));

  const QRect selected = calendar.cellRect(cellOf(calendar, day(2026, 5, 12)));
  EXPECT_EQ(image.pixel(selected.topLeft()), systemRgb(16)) << "sunken edge, dark side";
  EXPECT_EQ(image.pixel(selected.bottomRight()), systemRgb(20)) << "sunken edge, light side";
  EXPECT_EQ(image.pixel(selected.topLeft() + QPoint(2, 2)), rgbOf(colors, clSelectedBrush));
  EXPECT_LT(distance(ink(image, selected.adjusted(1, 1, -1, -1), rgbOf(colors, clSelectedBrush)),
                     rgbOf(colors, clHighLightText)),
            60);

  const QRect dimmed = calendar.cellRect(cellOf(calendar, day(2026, 4, 27)));  // a Monday of April
  EXPECT_EQ(image.pixel(dimmed.topLeft()), rgbOf(colors, clDimmedBrush));
  EXPECT_EQ(image.pixel(dimmed.topLeft() + QPoint(2, 2)), rgbOf(colors, clDimmedBrush));
  EXPECT_LT(distance(ink(image, dimmed, rgbOf(colors, clDimmedBrush)), rgbOf(colors, clDimmed)), 60);

  const QRect today = calendar.cellRect(cellOf(calendar, day(2026, 5, 7)));
  EXPECT_EQ(image.pixel(today.topLeft()), systemRgb(16));
  EXPECT_EQ(image.pixel(today.bottomRight()), systemRgb(20));
  EXPECT_EQ(image.pixel(today.topLeft() + QPoint(2, 2)), rgbOf(colors, clBackground1));
  EXPECT_LT(distance(ink(image, today.adjusted(1, 1, -1, -1), rgbOf(colors, clBackground1)), rgbOf(colors, clText)),
            60);

  const QRect framed = calendar.cellRect(cellOf(calendar, day(2026, 5, 13)));
  EXPECT_EQ(image.pixel(framed.topLeft()), rgbOf(colors, clBackground1));
  EXPECT_EQ(image.pixel(framed.topLeft() + QPoint(1, 1)), rgbOf(colors, clNotesFrame));
  EXPECT_EQ(image.pixel(framed.bottomRight() - QPoint(1, 1)), rgbOf(colors, clNotesFrame));
  EXPECT_EQ(image.pixel(framed.topLeft() + QPoint(2, 2)), rgbOf(colors, clBackground1));
  EXPECT_LT(distance(ink(image, framed.adjusted(2, 2, -2, -2), rgbOf(colors, clBackground1)), rgbOf(colors, clText)),
            60);

  // A free day keeps its colour; the weekday header is in clDaysColor.
  const QRect saturday = calendar.cellRect(cellOf(calendar, day(2026, 5, 9)));
  EXPECT_LT(distance(ink(image, saturday, rgbOf(colors, clBackground1)), rgbOf(colors, clFree)), 60);
  // (The label's box reaches up into the controls' strip; only the part below it is looked at.)
  const CalendarRect header = calendar.geometry().headerLabels[1];
  const int belowControls = calendar.monthList()->geometry().bottom() + 1;
  EXPECT_LT(distance(ink(image, QRect(header.left, belowControls, header.width(), header.bottom - belowControls),
                         rgbOf(colors, clBackground)),
                     rgbOf(colors, clDaysColor)),
            60);

  // Under the mouse a day of another month is drawn as a day of this one.
  sendMouse(calendar, QEvent::MouseMove, dimmed.center(), Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(calendar.hoveredCell(), cellOf(calendar, day(2026, 4, 27)));
  const QImage hovered = calendar.grab().toImage();
  EXPECT_LT(distance(ink(hovered, dimmed, rgbOf(colors, clDimmedBrush)), rgbOf(colors, clText)), 60);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&calendar, &leave);
  EXPECT_EQ(calendar.hoveredCell(), -1);
}

// The header, the month list and the menu follow the language, and the header's first column
// is the grid's first weekday.
TEST(CalendarWindow, NamesTheWeekdaysAndMonthsInEachLanguage) {
  CAlarmDoc document;
  CCalWnd calendar(&document, UiLanguage::English, fixedClock());
  struct Case {
    UiLanguage language;
    QStringList header;
    QString may;
    int firstWeekday;  // GetDayOfWeek of the first cell: 1 Sunday, 2 Monday
    QString addNote;
  };
  const Case cases[] = {
      {UiLanguage::English, {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"}, "May", 1, "Add day &note"},
      {UiLanguage::Russian, {"пн", "вт", "ср", "чт", "пт", "сб", "вс"}, "Май", 2, "Добавить &заметку"},
      {UiLanguage::Ukrainian, {"пн", "вт", "ср", "чт", "пт", "сб", "нд"}, "Травень", 2, "Додати &нотатку"},
  };
  for (const Case& c : cases) {
    calendar.UpdateLanguage(c.language);
    EXPECT_EQ(calendar.headerLabels(), c.header);
    EXPECT_EQ(calendar.monthList()->count(), 12);
    EXPECT_EQ(calendar.monthList()->currentText(), c.may);
    EXPECT_EQ(calendar.month().cell(0).date.GetDayOfWeek(), c.firstWeekday);
    EXPECT_TRUE(calendar.month().selectedDate().sameDate(kNow)) << "the language keeps the selected day";
    EXPECT_EQ(calendar.contextMenu()->actions().at(1)->text(), c.addNote);
  }
}

// "Add day note" names the day under the mouse, "Today" goes back to today's month and keeps the
// selection; the note's text is the day's tooltip.
TEST(CalendarWindow, ContextMenuAddsANoteForTheDayUnderTheMouseAndGoesToToday) {
  CalendarFixture fixture;
  CCalWnd& calendar = fixture.calendar;
  QSignalSpy added(&calendar, &CCalWnd::addDayNoteRequested);

  const QPoint overTheTwentieth = calendar.cellRect(cellOf(calendar, day(2026, 5, 20))).center();
  sendMouse(calendar, QEvent::MouseMove, overTheTwentieth, Qt::NoButton, Qt::NoButton);
  QStringList labels;
  openContextMenu(calendar, overTheTwentieth, [&](QMenu& menu) {
    for (QAction* action : menu.actions()) labels << action->text();
    menu.actions().at(1)->trigger();
  });
  EXPECT_EQ(labels, QStringList({"&Today", "Add day &note"}));
  ASSERT_TRUE(added.wait(1000));
  EXPECT_TRUE(added.at(0).at(0).value<COleDateTime>().sameDate(day(2026, 5, 20)));

  calendar.nextButton()->click();
  calendar.nextButton()->click();
  ASSERT_EQ(calendar.month().displayedMonth().GetMonth(), 7);
  openContextMenu(calendar, QPoint(2, calendar.height() - 2), [](QMenu& menu) { menu.actions().at(0)->trigger(); });
  EXPECT_TRUE(calendar.month().displayedMonth().sameDate(day(2026, 5, 1)));
  EXPECT_TRUE(calendar.month().selectedDate().sameDate(day(2026, 5, 12)));

  const QRect framed = calendar.cellRect(cellOf(calendar, day(2026, 5, 13)));
  QHelpEvent overNote(QEvent::ToolTip, framed.center(), calendar.mapToGlobal(framed.center()));
  QApplication::sendEvent(&calendar, &overNote);
  EXPECT_EQ(QToolTip::text(), "Team lunch");
  const QPoint plainDay = calendar.cellRect(cellOf(calendar, day(2026, 5, 14))).center();
  QHelpEvent overPlainDay(QEvent::ToolTip, plainDay, calendar.mapToGlobal(plainDay));
  QApplication::sendEvent(&calendar, &overPlainDay);
  EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
}

// Keys act when let go, once per press; a click selects and switches months; the press mark
// follows the held button.
TEST(CalendarWindow, KeysAndClicksMoveTheSelection) {
  CalendarFixture fixture;
  CCalWnd& calendar = fixture.calendar;
  QSignalSpy selected(&calendar, &CCalWnd::daySelected);

  releaseKey(calendar, Qt::Key_Right);
  EXPECT_TRUE(calendar.month().selectedDate().sameDate(day(2026, 5, 13)));
  releaseKey(calendar, Qt::Key_Right, true);
  EXPECT_TRUE(calendar.month().selectedDate().sameDate(day(2026, 5, 13))) << "a repeat does not move it";
  releaseKey(calendar, Qt::Key_PageDown);
  EXPECT_TRUE(calendar.month().selectedDate().sameDate(day(2026, 6, 17)));
  EXPECT_EQ(calendar.monthList()->currentIndex(), 5);
  releaseKey(calendar, Qt::Key_Home);
  EXPECT_TRUE(calendar.month().selectedDate().sameDate(kNow));

  const QPoint first = calendar.cellRect(cellOf(calendar, day(2026, 5, 20))).center();
  const QPoint april = calendar.cellRect(cellOf(calendar, day(2026, 4, 28))).center();
  sendMouse(calendar, QEvent::MouseButtonPress, first, Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(calendar.pressedCell(), cellOf(calendar, day(2026, 5, 20)));
  sendMouse(calendar, QEvent::MouseMove, april, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(calendar.pressedCell(), cellOf(calendar, day(2026, 4, 28)));
  sendMouse(calendar, QEvent::MouseButtonRelease, april, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(calendar.pressedCell(), -1);
  EXPECT_TRUE(calendar.month().selectedDate().sameDate(day(2026, 4, 28)));
  EXPECT_EQ(calendar.month().displayedMonth().GetMonth(), 4);
  EXPECT_EQ(calendar.monthList()->currentText(), "April");
  ASSERT_TRUE(selected.wait(1000));

  // Let go over no cell: no day is marked, and nothing is told.
  sendMouse(calendar, QEvent::MouseButtonPress, first, Qt::LeftButton, Qt::LeftButton);
  sendMouse(calendar, QEvent::MouseButtonRelease, QPoint(1, calendar.height() - 1), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(calendar.month().selectedCellIndex(), -1);
  QApplication::processEvents();
  EXPECT_EQ(selected.count(), 1);
}

// The month buttons, the month list and the year field each go to their month; the year field
// shows the year of the month shown and keeps to 1900-2200.
TEST(CalendarWindow, ControlsAboveTheDaysChangeTheMonth) {
  CalendarFixture fixture;
  CCalWnd& calendar = fixture.calendar;
  calendar.previousButton()->click();
  EXPECT_TRUE(calendar.month().displayedMonth().sameDate(day(2026, 4, 1)));
  calendar.monthList()->setCurrentIndex(10);
  EXPECT_TRUE(calendar.month().displayedMonth().sameDate(day(2026, 11, 1)));

  emit calendar.yearField()->stepped(1);
  EXPECT_TRUE(calendar.month().displayedMonth().sameDate(day(2027, 11, 1)));
  EXPECT_EQ(calendar.yearField()->text(), "2027");

  QLineEdit* year = calendar.yearField()->edit();
  year->setText("2199");
  emit year->returnPressed();
  EXPECT_TRUE(calendar.month().displayedMonth().sameDate(day(2199, 11, 1)));
  year->setText("9999");
  emit year->returnPressed();
  EXPECT_TRUE(calendar.month().displayedMonth().sameDate(day(2200, 1, 1)));
  EXPECT_EQ(calendar.yearField()->text(), "2200");
  EXPECT_EQ(calendar.monthList()->currentIndex(), 0);

  // The buttons are triangles: the corner beside the point is not the button.
  EXPECT_FALSE(calendar.previousButton()->mask().contains(QPoint(1, 1)));
  EXPECT_TRUE(calendar.previousButton()->mask().contains(QPoint(15, 10)));
  calendar.setNavigationButtonsShown(false);
  EXPECT_TRUE(calendar.nextButton()->isHidden());
}

// kalvory --render calendar draws the document's notes; a damaged document is an error.
TEST(CalendarWindow, RendersADocumentsMonthToAnImage) {
  QTemporaryDir folder;
  CAlarmDoc document;
  CDayInfo note(day(2026, 5, 13));
  note.repeat = CDayInfo::Once;
  note.text = "Team lunch";
  document.AddDayInfo(note);
  const QString path = folder.filePath("notes.alr");
  EXPECT_TRUE(saveDocumentFile(document, path.toStdString()).ok());

  RenderRequest request;
  request.kind = "calendar";
  request.time = day(2026, 5, 7);
  request.documentFile = path;
  const RenderResult result = renderCalendar(request);
  ASSERT_TRUE(result.error.isEmpty()) << result.error.toStdString();
  CCalWnd same(&document, UiLanguage::English, [] { return day(2026, 5, 7); });
  EXPECT_EQ(result.image.size(), same.size());
  const QRect framed = same.cellRect(cellOf(same, day(2026, 5, 13)));
  EXPECT_EQ(result.image.pixel(framed.topLeft() + QPoint(1, 1)),
            colorFromReference(same.colors()[CalendarColor::clNotesFrame]).rgb());

  QFile damaged(folder.filePath("damaged.alr"));
  ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
  damaged.write("not a document");
  damaged.close();
  request.documentFile = damaged.fileName();
  EXPECT_FALSE(renderCalendar(request).error.isEmpty());
}

}  // namespace
}  // namespace kalvory
