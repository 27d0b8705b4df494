#include "desktop/calendar/cal_wnd.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QSignalBlocker>
#include <QToolTip>
#include <algorithm>
#include <optional>

#include "core/calendar/calendar_names.h"
#include "core/settings/profile.h"
#include "desktop/calendar/calendar_controls.h"
#include "desktop/common/date_icon.h"
#include "desktop/common/qt_text.h"
#include "desktop/common/symbol_text.h"

namespace kalvory {

namespace {

// System colours of the sunken edge and of the frame inside the selected day.
constexpr int kSystemWindow = 5;
constexpr int kSystemButtonShadow = 16;
constexpr int kSystemButtonHighlight = 20;

constexpr StringId kMenuTodayText = StringId::CalendarToday;
constexpr StringId kMenuAddNoteText = StringId::AddDayNote;

// The edge of the cell holding the selected day and today: one pixel, dark above and left.
void drawSunkenEdge(QPainter& painter, const QRect& rect) {
  const QColor shadow = colorFromReference(systemColor(kSystemButtonShadow));
  const QColor light = colorFromReference(systemColor(kSystemButtonHighlight));
  painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), shadow);
  painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), shadow);
  painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), light);
  painter.fillRect(QRect(rect.right(), rect.top() + 1, 1, rect.height() - 1), light);
}

// A one-pixel frame just inside `rect`.
void drawFrame(QPainter& painter, const QRect& rect, const QColor& color) {
  if (rect.width() <= 0 || rect.height() <= 0) return;
  painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), color);
  painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), color);
  painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), color);
  painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), color);
}

QRect toQRect(const CalendarRect& rect) { return QRect(rect.left, rect.top, rect.width(), rect.height()); }

std::optional<CalendarKey> calendarKey(int key) {
  switch (key) {
    case Qt::Key_PageUp:
      return CalendarKey::PageUp;
    case Qt::Key_PageDown:
      return CalendarKey::PageDown;
    case Qt::Key_Home:
      return CalendarKey::Home;
    case Qt::Key_Left:
      return CalendarKey::Left;
    case Qt::Key_Right:
      return CalendarKey::Right;
    case Qt::Key_Up:
      return CalendarKey::Up;
    case Qt::Key_Down:
      return CalendarKey::Down;
    default:
      return std::nullopt;
  }
}

// The month list shows names as a list's items are written: with a capital letter.
QString listItemText(const std::string& name) {
  QString text = toQString(name);
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  return text;
}

}  // namespace

CCalWnd::CCalWnd(const CAlarmDoc* document, UiLanguage language, Clock clock, QWidget* parent)
    : QWidget(parent),
      month_(document, language, clock ? std::move(clock) : Clock(systemNow)),
      colors_(initialCalendarColors()) {
  setObjectName(QStringLiteral("CoolCal"));
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  background_ = band_ = color(CalendarColor::clBackground);

  previousButton_ = new CMonthButton(CMonthButton::Direction::Previous, this);
  nextButton_ = new CMonthButton(CMonthButton::Direction::Next, this);
  monthList_ = new CMonthList(this);
  yearField_ = new CYearField(this);
  menu_ = new QMenu(this);
  for (const int command : {kTodayCommand, kAddDateInfoCommand}) {
    QAction* action = menu_->addAction(QString());
    action->setData(command);
    connect(action, &QAction::triggered, this, [this, command] { runMenuCommand(command); });
  }

  connect(previousButton_, &QAbstractButton::clicked, this, [this] { month_.showPreviousMonth(); });
  connect(nextButton_, &QAbstractButton::clicked, this, [this] { month_.showNextMonth(); });
  // Every change the user makes (a click in the open list, a key, the wheel); the calendar's own
  // changes are made with the list's signals blocked.
  connect(monthList_, &QComboBox::currentIndexChanged, this, [this](int index) { month_.selectMonth(index); });
  connect(yearField_, &CYearField::stepped, this, [this](int delta) { month_.changeYear(delta); });
  connect(yearField_, &CYearField::yearEntered, this,
          [this](int year) { month_.changeYear(year - month_.displayedMonth().GetYear()); });

  fillMonthList();
  relabelMenu();
  applyControlColors();
  month_.setObserver(this);
  yearField_->setText(toQString(month_.yearFieldText()));
  monthListSelected(month_.monthListIndex());
  relayout();
}

CCalWnd::~CCalWnd() {
  month_.setObserver(nullptr);
  // The children go after the month they call into; nothing of theirs may reach it then.
  for (QObject* child : children()) child->disconnect(this);
}

// ---------------------------------------------------------------- interface

void CCalWnd::setDocument(const CAlarmDoc* document) {
  month_.setDocument(document);
  month_.Refresh();
}

void CCalWnd::SetBackgroundColors(ColorRef background, ColorRef band) {
  background_ = colorFromReference(background);
  band_ = band != 0 ? colorFromReference(band) : background_;
  update();
}

void CCalWnd::LoadColors(CProfile& skin) { setColors(loadCalendarColors(skin)); }

void CCalWnd::setColors(const CalendarColors& colors) {
  colors_ = colors;
  background_ = band_ = color(CalendarColor::clBackground);
  applyControlColors();
  update();
}

void CCalWnd::SetDate(const COleDateTime& date) { month_.SetDate(date); }

void CCalWnd::ShowMonth(const COleDateTime& date) { month_.ShowMonth(date); }

void CCalWnd::Refresh() { month_.Refresh(); }

void CCalWnd::UpdateLanguage(UiLanguage language) {
  month_.UpdateLanguage(language);
  fillMonthList();
  relabelMenu();
  relayout();
  update();
}

void CCalWnd::setNavigationButtonsShown(bool shown) {
  previousButton_->setVisible(shown);
  nextButton_->setVisible(shown);
}

QRect CCalWnd::cellRect(int index) const {
  if (index < 0 || index >= CalendarMonth::kCellCount) return {};
  return toQRect(layout_.cells[static_cast<std::size_t>(index)]);
}

QStringList CCalWnd::headerLabels() const {
  QStringList labels;
  for (const std::string& label : weekdayHeader(month_.language())) labels << toQString(label);
  return labels;
}

COleDateTime CCalWnd::menuDate() const {
  return lastHovered_ >= 0 ? month_.cell(lastHovered_).date : month_.selectedDate();
}

// ---------------------------------------------------------------- the month's news

void CCalWnd::yearFieldWritten(const std::string& text) { yearField_->setText(toQString(text)); }

void CCalWnd::monthListSelected(int index) {
  const QSignalBlocker blocker(monthList_);
  monthList_->setCurrentIndex(index);
}

void CCalWnd::cellsChanged() { update(); }

// ---------------------------------------------------------------- layout and colours

void CCalWnd::relayout() {
  const QFontMetrics metrics(font());
  CalendarMetrics measures;
  // The cell is as wide as the font's widest character; a font that reports a glyph far wider
  // than its letters would blow the grid up, and one too narrow would cut the day numbers.
  const int twoDigits = metrics.horizontalAdvance(QStringLiteral("00"));
  measures.maxCharWidth = std::clamp(metrics.maxWidth(), twoDigits + 6, twoDigits + 12);
  measures.textHeight = metrics.height();
  measures.edgeWidth = 2;
  measures.dpi96 = logicalDpiX() == 96 && logicalDpiY() == 96;
  measures.controlHeight = std::max(21, metrics.height() + 7);
  layout_ = calendarLayout(measures);
  setFixedSize(layout_.clientWidth, layout_.clientHeight);

  headerFont_ = font();
  headerFont_.setWeight(QFont::Bold);

  // The month buttons sit at the two ends of the strip above the days; between them the month
  // list takes what the year field leaves, so that the longest month name fits where it can.
  const int top = layout_.monthList.top;
  const int height = measures.controlHeight;
  const int buttonTop = top + (height - CMonthButton::kSize) / 2;
  previousButton_->move(layout_.previousButton.left, buttonTop);
  const int nextLeft =
      std::max(layout_.nextButton.left, layout_.clientWidth - layout_.previousButton.left - CMonthButton::kSize);
  nextButton_->move(nextLeft, buttonTop);
  const int listLeft = layout_.monthList.left;
  const int room = nextLeft - 2 - listLeft;
  const int yearWidth = std::max(yearField_->preferredWidth(), layout_.yearField.width());
  const int listWidth =
      std::clamp(monthList_->widthForItems(), layout_.monthList.width(), std::max(0, room - 1 - yearWidth));
  monthList_->setGeometry(listLeft, top, listWidth, height);
  yearField_->setGeometry(listLeft + listWidth + 1, top, std::max(yearWidth, room - listWidth - 1), height);
}

void CCalWnd::fillMonthList() {
  const QSignalBlocker blocker(monthList_);
  const int index = monthList_->currentIndex();
  monthList_->clear();
  for (int month = 1; month <= 12; ++month)
    monthList_->addItem(listItemText(calendarMonthName(month, month_.language())));
  monthList_->setCurrentIndex(index >= 0 ? index : month_.monthListIndex());
}

void CCalWnd::relabelMenu() {
  const QList<QAction*> actions = menu_->actions();
  actions[0]->setText(toQString(loadString(kMenuTodayText, month_.language())));
  actions[1]->setText(toQString(loadString(kMenuAddNoteText, month_.language())));
}

void CCalWnd::applyControlColors() {
  CalendarControlColors controls;
  controls.background = color(CalendarColor::clBackground1);
  controls.text = color(CalendarColor::clText);
  controls.shadow = color(CalendarColor::clButtonShadow);
  controls.highlight = colorFromReference(colors_.buttonHighlight);
  monthList_->setColors(controls);
  yearField_->setColors(controls);
}

QColor CCalWnd::color(CalendarColor which) const { return colorFromReference(colors_[which]); }

// ---------------------------------------------------------------- painting

void CCalWnd::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), background_);
  painter.fillRect(toQRect(layout_.band), band_);

  painter.setFont(headerFont_);
  painter.setPen(color(CalendarColor::clDaysColor));
  const QStringList labels = headerLabels();
  for (std::size_t column = 0; column < layout_.headerLabels.size(); ++column)
    painter.drawText(toQRect(layout_.headerLabels[column]), Qt::AlignCenter | Qt::TextSingleLine,
                     labels.value(static_cast<qsizetype>(column)));

  painter.setFont(font());
  for (int index = 0; index < CalendarMonth::kCellCount; ++index) drawCell(painter, index);
}

void CCalWnd::drawCell(QPainter& painter, int index) const {
  const CalendarCell& cell = month_.cell(index);
  const CalendarCellLook look = cellLook(cell, index == hovered_);
  const QRect area = cellRect(index);
  const int inset = look.fillInset;
  painter.fillRect(area.adjusted(inset, inset, -inset, -inset), color(look.fill));
  if (look.sunkenEdge) drawSunkenEdge(painter, area);
  switch (look.frame) {
    case CalendarCellLook::Frame::NotesFrame:
      drawFrame(painter, area.adjusted(1, 1, -1, -1), color(CalendarColor::clNotesFrame));
      break;
    case CalendarCellLook::Frame::WindowColor:
      drawFrame(painter, area.adjusted(2, 2, -2, -2), colorFromReference(systemColor(kSystemWindow)));
      break;
    case CalendarCellLook::Frame::None:
      break;
  }
  painter.setPen(color(look.text));
  painter.drawText(toQRect(cellLabelRect(layout_.cells[static_cast<std::size_t>(index)])),
                   Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, toQString(cell.label));
  if (index == pressed_) {
    painter.setPen(QPen(color(CalendarColor::clText), 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
  }
}

// ---------------------------------------------------------------- input

int CCalWnd::cellAt(const QPoint& position) const { return cellIndexAt(layout_, position.x(), position.y()); }

void CCalWnd::setHovered(int index) {
  if (index >= 0) lastHovered_ = index;
  if (index == hovered_) return;
  update(cellRect(hovered_));
  hovered_ = index;
  update(cellRect(hovered_));
}

void CCalWnd::setPressed(int index) {
  if (index == pressed_) return;
  update(cellRect(pressed_));
  pressed_ = index;
  update(cellRect(pressed_));
}

bool CCalWnd::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const int index = cellAt(help->pos());
    const std::string tip = month_.tooltipText(index);
    if (tip.empty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      QToolTip::showText(help->globalPos(), textWithSymbols(tip), this, cellRect(index));
    }
    return true;
  }
  return QWidget::event(event);
}

void CCalWnd::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange) relayout();
}

void CCalWnd::mouseMoveEvent(QMouseEvent* event) {
  const int index = cellAt(event->position().toPoint());
  if (buttonHeld_) setPressed(index);
  setHovered(index);
}

void CCalWnd::leaveEvent(QEvent* event) {
  // The cell keeps being the one "Add day note" is for; only its hover look goes.
  const int last = lastHovered_;
  setHovered(-1);
  lastHovered_ = last;
  QWidget::leaveEvent(event);
}

void CCalWnd::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  setFocus(Qt::MouseFocusReason);
  buttonHeld_ = true;
  setPressed(cellAt(event->position().toPoint()));
}

void CCalWnd::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !buttonHeld_) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  buttonHeld_ = false;
  setPressed(-1);
  // A release over no cell takes the selection mark away; the selected date stays.
  if (month_.click(cellAt(event->position().toPoint())))
    QMetaObject::invokeMethod(this, &CCalWnd::daySelected, Qt::QueuedConnection);
}

void CCalWnd::keyPressEvent(QKeyEvent* event) {
  // The keys act when they are let go; taking the press keeps them from moving the focus.
  if (calendarKey(event->key()))
    event->accept();
  else
    QWidget::keyPressEvent(event);
}

void CCalWnd::keyReleaseEvent(QKeyEvent* event) {
  const auto key = calendarKey(event->key());
  if (!key) {
    QWidget::keyReleaseEvent(event);
    return;
  }
  event->accept();
  // A held key acts once, when it is let go, not on every repeat.
  if (!event->isAutoRepeat()) month_.pressKey(*key);
}

void CCalWnd::contextMenuEvent(QContextMenuEvent* event) {
  if (event->reason() == QContextMenuEvent::Mouse) setHovered(cellAt(event->pos()));
  relabelMenu();
  menu_->exec(event->globalPos());
}

void CCalWnd::runMenuCommand(int command) {
  if (command == kTodayCommand) {
    month_.showToday();
  } else if (command == kAddDateInfoCommand) {
    // Told once the menu has closed: the answer opens a dialog of its own.
    const COleDateTime date = menuDate();
    QMetaObject::invokeMethod(
        this, [this, date] { emit addDayNoteRequested(date); }, Qt::QueuedConnection);
  }
}

}  // namespace kalvory
