#include "desktop/lists/hover_button.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include "desktop/lists/lists_layout.h"

namespace kalvory {

HoverButton::HoverButton(Picture picture, QWidget* parent) : QAbstractButton(parent), picture_(picture) {
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::PointingHandCursor);
  setAttribute(Qt::WA_Hover);
  resize(sizeHint());
}

QSize HoverButton::sizeHint() const { return picture_ == Picture::Close ? kCloseButtonSize : kRoundButtonSize; }

QPainterPath HoverButton::outline() const {
  QPainterPath path;
  const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  if (picture_ == Picture::Close) {
    // The lower-right half of the square, its long side facing the window's inside.
    path.moveTo(box.topRight());
    path.lineTo(box.bottomRight());
    path.lineTo(box.bottomLeft());
    path.closeSubpath();
  } else {
    path.addEllipse(box);
  }
  return path;
}

bool HoverButton::hitButton(const QPoint& position) const { return outline().contains(QPointF(position)); }

void HoverButton::resizeEvent(QResizeEvent* event) {
  QAbstractButton::resizeEvent(event);
  // The mask keeps the clicks and the mouse-over to the shape.
  setMask(QRegion(outline().toFillPolygon().toPolygon()));
}

void HoverButton::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void HoverButton::leaveEvent(QEvent* event) {
  hovered_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}

void HoverButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPalette& colours = palette();
  QColor face = colours.color(QPalette::Button);
  if (hovered_ && isEnabled()) face = colours.color(QPalette::Highlight).lighter(190);
  // The corner triangle is a shade darker than the window, so that it reads as a tab.
  if (picture_ == Picture::Close) face = face.darker(112);
  if (isDown()) face = face.darker(115);
  QLinearGradient fill(0, 0, 0, height());
  fill.setColorAt(0, face.lighter(112));
  fill.setColorAt(1, face.darker(108));
  const QColor edge = hovered_ && isEnabled() ? colours.color(QPalette::Highlight) : colours.color(QPalette::Mid);
  painter.setPen(QPen(edge, 1));
  painter.setBrush(fill);
  painter.drawPath(outline());

  QColor ink = colours.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
  if (isEnabled() && picture_ == Picture::Delete) ink = QColor(0xb0, 0x24, 0x24);
  if (isEnabled() && picture_ == Picture::Add) ink = QColor(0x1f, 0x7a, 0x2e);
  painter.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  const QPointF centre = QRectF(rect()).center();
  const qreal arm = 4.5;
  switch (picture_) {
    case Picture::Add:
      painter.drawLine(centre + QPointF(-arm, 0), centre + QPointF(arm, 0));
      painter.drawLine(centre + QPointF(0, -arm), centre + QPointF(0, arm));
      break;
    case Picture::Delete:
      painter.drawLine(centre + QPointF(-arm + 1, -arm + 1), centre + QPointF(arm - 1, arm - 1));
      painter.drawLine(centre + QPointF(-arm + 1, arm - 1), centre + QPointF(arm - 1, -arm + 1));
      break;
    case Picture::Modify: {
      // A pencil lying from lower left to upper right.
      painter.setPen(QPen(ink, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      painter.setBrush(Qt::NoBrush);
      QPainterPath pencil;
      const QPointF tip = centre + QPointF(-5.5, 5.0);
      pencil.moveTo(tip);
      pencil.lineTo(tip + QPointF(1.0, -3.2));
      pencil.lineTo(tip + QPointF(8.2, -10.4));
      pencil.lineTo(tip + QPointF(10.4, -8.2));
      pencil.lineTo(tip + QPointF(3.2, -1.0));
      pencil.closeSubpath();
      painter.drawPath(pencil);
      painter.drawLine(tip + QPointF(1.0, -3.2), tip + QPointF(3.2, -1.0));
      break;
    }
    case Picture::Close: {
      // A small cross in the triangle's wide part.
      const QPointF mark = QPointF(width() * 0.68, height() * 0.68);
      const qreal small = 2.5;
      painter.setPen(QPen(ink, 1.4, Qt::SolidLine, Qt::RoundCap));
      painter.drawLine(mark + QPointF(-small, -small), mark + QPointF(small, small));
      painter.drawLine(mark + QPointF(-small, small), mark + QPointF(small, -small));
      break;
    }
  }
}

}  // namespace kalvory
