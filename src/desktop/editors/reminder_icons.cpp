#include "desktop/editors/reminder_icons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>

namespace kalvory {

void paintReminderState(QPainter& painter, const QRectF& box, bool active) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  // Drawn on a unit square so that every size shares one outline.
  const qreal side = std::min(box.width(), box.height());
  painter.translate(box.center().x() - side / 2, box.center().y() - side / 2);
  painter.scale(side, side);

  QPainterPath bell;
  bell.moveTo(0.16, 0.74);
  bell.cubicTo(0.27, 0.62, 0.25, 0.50, 0.27, 0.37);
  bell.cubicTo(0.31, 0.19, 0.41, 0.13, 0.50, 0.13);
  bell.cubicTo(0.59, 0.13, 0.69, 0.19, 0.73, 0.37);
  bell.cubicTo(0.75, 0.50, 0.73, 0.62, 0.84, 0.74);
  bell.closeSubpath();
  bell.addRoundedRect(QRectF(0.10, 0.71, 0.80, 0.09), 0.04, 0.04);

  const QColor light = active ? QColor(0xff, 0xdc, 0x5a) : QColor(0xd8, 0xd8, 0xd8);
  const QColor dark = active ? QColor(0xdf, 0x9c, 0x12) : QColor(0x9a, 0x9a, 0x9a);
  const QColor outline = active ? QColor(0x7a, 0x4c, 0x00) : QColor(0x5c, 0x5c, 0x5c);
  const qreal pen = side >= 24 ? 0.05 : 0.075;  // small sizes need a firmer outline

  painter.setPen(QPen(outline, pen));
  painter.setBrush(outline);
  painter.drawEllipse(QPointF(0.50, 0.86), 0.085, 0.085);  // the clapper
  painter.drawEllipse(QPointF(0.50, 0.10), 0.055, 0.055);  // the knob
  QLinearGradient fill(0.2, 0.1, 0.8, 0.8);
  fill.setColorAt(0, light);
  fill.setColorAt(1, dark);
  painter.setBrush(fill);
  painter.drawPath(bell);

  if (!active) {
    // A stroke across the bell, with a light edge so it reads on any row colour.
    painter.setPen(QPen(QColor(255, 255, 255, 220), pen * 3.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(0.16, 0.14), QPointF(0.86, 0.88));
    painter.setPen(QPen(QColor(0xb0, 0x28, 0x28), pen * 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(0.16, 0.14), QPointF(0.86, 0.88));
  }
  painter.restore();
}

QIcon reminderStateIcon(bool active) {
  QIcon icon;
  for (int size : {16, 20, 24, 32, 48, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paintReminderState(painter, QRectF(0, 0, size, size), active);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace kalvory
