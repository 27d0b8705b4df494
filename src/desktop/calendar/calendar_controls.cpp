#include "desktop/calendar/calendar_controls.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QRegularExpressionValidator>
#include <algorithm>

namespace kalvory {

namespace {

constexpr int kArrowAreaWidth = 13;
constexpr int kFirstRepeatDelay = 400;  // ms before a held arrow starts repeating
constexpr int kRepeatInterval = 70;

// A small solid triangle pointing up or down, centred in `area`.
void drawArrow(QPainter& painter, const QRectF& area, bool up, const QColor& color) {
  const QPointF centre = area.center();
  const qreal half = std::min<qreal>(3.5, area.width() / 2 - 1);
  const qreal height = half * 0.6 + 0.5;
  QPainterPath path;
  if (up) {
    path.moveTo(centre.x() - half, centre.y() + height / 2);
    path.lineTo(centre.x() + half, centre.y() + height / 2);
    path.lineTo(centre.x(), centre.y() - height / 2 - 0.5);
  } else {
    path.moveTo(centre.x() - half, centre.y() - height / 2);
    path.lineTo(centre.x() + half, centre.y() - height / 2);
    path.lineTo(centre.x(), centre.y() + height / 2 + 0.5);
  }
  path.closeSubpath();
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillPath(path, color);
  painter.restore();
}

// A flat one-pixel frame: the shadow colour around the field.
void drawFlatFrame(QPainter& painter, const QRect& rect, const CalendarControlColors& colors) {
  painter.fillRect(rect, colors.background);
  painter.setPen(colors.shadow);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect.adjusted(0, 0, -1, -1));
}

}  // namespace

// ---------------------------------------------------------------- month buttons

CMonthButton::CMonthButton(Direction direction, QWidget* parent) : QAbstractButton(parent) {
  const bool previous = direction == Direction::Previous;
  strip_ = QPixmap(previous ? QStringLiteral(":/icons/month-previous.png") : QStringLiteral(":/icons/month-next.png"));
  setFixedSize(kSize, kSize);
  setFocusPolicy(Qt::NoFocus);
  // The button is its triangle: clicks beside it reach the calendar.
  const QPolygon triangle = previous ? QPolygon({QPoint(kSize, 0), QPoint(kSize, kSize), QPoint(0, 10)})
                                     : QPolygon({QPoint(0, 0), QPoint(0, kSize), QPoint(kSize, 10)});
  setMask(QRegion(triangle));
}

int CMonthButton::stateIndex() const {
  if (!isEnabled()) return 3;
  if (isDown()) return 2;
  return hovered_ ? 1 : 0;
}

void CMonthButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, strip_, stateIndex() * kSize, 0, kSize, kSize);
}

void CMonthButton::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void CMonthButton::leaveEvent(QEvent* event) {
  hovered_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}

// ---------------------------------------------------------------- month list

CMonthList::CMonthList(QWidget* parent) : QComboBox(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setMaxVisibleItems(14);
}

void CMonthList::setColors(const CalendarControlColors& colors) {
  colors_ = colors;
  QPalette palette = this->palette();
  palette.setColor(QPalette::Base, colors.background);
  palette.setColor(QPalette::Text, colors.text);
  palette.setColor(QPalette::Button, colors.background);
  palette.setColor(QPalette::ButtonText, colors.text);
  setPalette(palette);
  update();
}

int CMonthList::widthForItems() const {
  int widest = 0;
  for (int index = 0; index < count(); ++index)
    widest = std::max(widest, fontMetrics().horizontalAdvance(itemText(index)));
  return widest + 4 + 4 + kArrowAreaWidth + 2;
}

void CMonthList::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect area = rect();
  drawFlatFrame(painter, area, colors_);
  const QRect arrow(area.right() - kArrowAreaWidth, area.top() + 1, kArrowAreaWidth, area.height() - 2);
  drawArrow(painter, arrow, false, isEnabled() ? colors_.text : colors_.shadow);
  const QRect textArea = area.adjusted(4, 1, -kArrowAreaWidth - 2, -1);
  painter.setPen(colors_.text);
  painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter,
                   fontMetrics().elidedText(currentText(), Qt::ElideRight, textArea.width()));
  if (hasFocus()) {
    painter.setPen(QPen(colors_.text, 1, Qt::DotLine));
    painter.drawRect(area.adjusted(2, 2, -kArrowAreaWidth - 2, -3));
  }
}

// ---------------------------------------------------------------- year field

CYearField::CYearField(QWidget* parent) : QWidget(parent) {
  edit_ = new QLineEdit(this);
  edit_->setFrame(false);
  edit_->setMaxLength(4);
  edit_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), edit_));
  edit_->setTextMargins(2, 0, 0, 0);
  edit_->installEventFilter(this);
  setFocusProxy(edit_);
  connect(edit_, &QLineEdit::returnPressed, this, [this] {
    bool ok = false;
    const int year = edit_->text().toInt(&ok);
    edit_->setText(written_);  // the calendar writes the year it goes to
    if (ok && QString::number(year) != written_) emit yearEntered(year);
  });
  repeat_.setInterval(kRepeatInterval);
  connect(&repeat_, &QTimer::timeout, this, [this] {
    repeat_.setInterval(kRepeatInterval);
    step();
  });
}

void CYearField::setColors(const CalendarControlColors& colors) {
  colors_ = colors;
  QPalette palette = edit_->palette();
  palette.setColor(QPalette::Base, colors.background);
  palette.setColor(QPalette::Text, colors.text);
  edit_->setPalette(palette);
  update();
}

void CYearField::setText(const QString& text) {
  written_ = text;
  edit_->setText(text);
}

QString CYearField::text() const { return edit_->text(); }

int CYearField::preferredWidth() const {
  return edit_->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 2 + 6 + kArrowAreaWidth + 2;
}

QRect CYearField::arrowsRect() const { return QRect(width() - 1 - kArrowAreaWidth, 1, kArrowAreaWidth, height() - 2); }

void CYearField::resizeEvent(QResizeEvent*) { edit_->setGeometry(1, 1, width() - 3 - kArrowAreaWidth, height() - 2); }

void CYearField::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  drawFlatFrame(painter, rect(), colors_);
  const QRect arrows = arrowsRect();
  painter.setPen(colors_.shadow);
  painter.drawLine(arrows.topLeft() - QPoint(1, 0), arrows.bottomLeft() - QPoint(1, 0));
  const int middle = arrows.top() + arrows.height() / 2;
  const QRect up(arrows.left(), arrows.top(), arrows.width(), middle - arrows.top());
  const QRect down(arrows.left(), middle, arrows.width(), arrows.bottom() + 1 - middle);
  if (heldDelta_ > 0) painter.fillRect(up, colors_.shadow);
  if (heldDelta_ < 0) painter.fillRect(down, colors_.shadow);
  painter.drawLine(arrows.left(), middle, arrows.right(), middle);
  drawArrow(painter, up, true, heldDelta_ > 0 ? colors_.background : colors_.text);
  drawArrow(painter, down, false, heldDelta_ < 0 ? colors_.background : colors_.text);
}

void CYearField::mousePressEvent(QMouseEvent* event) {
  const QRect arrows = arrowsRect();
  if (event->button() != Qt::LeftButton || !arrows.contains(event->position().toPoint())) {
    QWidget::mousePressEvent(event);
    return;
  }
  heldDelta_ = event->position().y() < arrows.top() + arrows.height() / 2 ? 1 : -1;
  step();
  repeat_.setInterval(kFirstRepeatDelay);
  repeat_.start();
  update();
}

void CYearField::mouseReleaseEvent(QMouseEvent* event) {
  repeat_.stop();
  heldDelta_ = 0;
  update();
  QWidget::mouseReleaseEvent(event);
}

void CYearField::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta != 0) emit stepped(delta > 0 ? 1 : -1);
  event->accept();
}

bool CYearField::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      emit stepped(key == Qt::Key_Up ? 1 : -1);
      return true;
    }
  }
  if (watched == edit_ && event->type() == QEvent::FocusOut) {
    // A year typed but not confirmed is dropped: the field shows the month's year again.
    edit_->setText(written_);
  }
  return QWidget::eventFilter(watched, event);
}

void CYearField::step() {
  if (heldDelta_ != 0) emit stepped(heldDelta_);
}

}  // namespace kalvory
