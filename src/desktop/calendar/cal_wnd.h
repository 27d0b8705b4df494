#pragma once

#include <QColor>
#include <QStringList>
#include <QWidget>

#include "core/calendar/calendar_colors.h"
#include "core/calendar/calendar_layout.h"
#include "core/calendar/calendar_month.h"
#include "core/common/date_time.h"
#include "core/resources/resource_strings.h"

class QMenu;

namespace kalvory {

class CAlarmDoc;
class CMonthButton;
class CMonthList;
class CProfile;
class CYearField;

// The month calendar of the main view: 42 day cells under a weekday header, with a month list,
// a year field and the previous and next month buttons above them. It draws itself over
// CalendarMonth, which decides every date, mark and colour; this window measures, paints and
// turns input into the month's operations. Its colours come from the skin's "Calendar" section.
class CCalWnd final : public QWidget, private CalendarMonthObserver {
  Q_OBJECT
 public:
  static constexpr int kControlId = 1015;
  // The context menu's commands.
  static constexpr int kTodayCommand = 4097;
  static constexpr int kAddDateInfoCommand = 4099;

  // Shows today, selected. `document` (may be null) gives the day notes and must outlive the
  // window or be replaced first; `clock` gives today.
  CCalWnd(const CAlarmDoc* document, UiLanguage language, Clock clock = systemNow, QWidget* parent = nullptr);
  ~CCalWnd() override;

  void setDocument(const CAlarmDoc* document);
  // The window's background and the band behind the cells (0: the background).
  void SetBackgroundColors(ColorRef background, ColorRef band);
  // Reads the skin's "Calendar" colours and applies them.
  void LoadColors(CProfile& skin);
  void setColors(const CalendarColors& colors);

  void SetDate(const COleDateTime& date);
  void ShowMonth(const COleDateTime& date);
  // Shows the month again with the document's current notes.
  void Refresh();
  // The month names, header, menu and week order of `language`.
  void UpdateLanguage(UiLanguage language);
  void setNavigationButtonsShown(bool shown);

  const CalendarMonth& month() const { return month_; }
  const CalendarLayout& geometry() const { return layout_; }
  const CalendarColors& colors() const { return colors_; }
  QColor backgroundColor() const { return background_; }
  QRect cellRect(int index) const;
  int hoveredCell() const { return hovered_; }
  int pressedCell() const { return pressed_; }
  // The weekday header as drawn, in column order.
  QStringList headerLabels() const;
  // The day "Add day note" is for: the day of the cell the mouse was last over, else the
  // selected day.
  COleDateTime menuDate() const;
  QMenu* contextMenu() const { return menu_; }
  CMonthList* monthList() const { return monthList_; }
  CYearField* yearField() const { return yearField_; }
  CMonthButton* previousButton() const { return previousButton_; }
  CMonthButton* nextButton() const { return nextButton_; }

 signals:
  // A day was clicked and selected.
  void daySelected();
  // "Add day note" was chosen in the context menu.
  void addDayNoteRequested(const COleDateTime& date);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // --- CalendarMonthObserver
  void yearFieldWritten(const std::string& text) override;
  void monthListSelected(int index) override;
  void cellsChanged() override;

  void relayout();
  void fillMonthList();
  void relabelMenu();
  void runMenuCommand(int command);
  void applyControlColors();
  void drawCell(QPainter& painter, int index) const;
  QColor color(CalendarColor which) const;
  int cellAt(const QPoint& position) const;
  void setHovered(int index);
  void setPressed(int index);

  CalendarMonth month_;
  CalendarLayout layout_;
  CalendarColors colors_;
  QColor background_;
  QColor band_;
  QFont headerFont_;

  CMonthList* monthList_ = nullptr;
  CYearField* yearField_ = nullptr;
  CMonthButton* previousButton_ = nullptr;
  CMonthButton* nextButton_ = nullptr;
  QMenu* menu_ = nullptr;

  int hovered_ = -1;      // the cell under the mouse, or -1
  int lastHovered_ = -1;  // the cell the mouse was last over; kept when it leaves
  int pressed_ = -1;      // the cell the left button went down on, while it is held
  bool buttonHeld_ = false;
};

}  // namespace kalvory
