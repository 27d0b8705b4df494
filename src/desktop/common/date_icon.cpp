#include "desktop/common/date_icon.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kalvory {

QColor colorFromReference(std::uint32_t reference) {
  return QColor(static_cast<int>(reference & 0xff), static_cast<int>((reference >> 8) & 0xff),
                static_cast<int>((reference >> 16) & 0xff));
}

namespace {

QImage drawDay(const QString& text, const QColor& color, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) return {};
  image.fill(Qt::transparent);
  QPainter painter(&image);
  if (!painter.isActive()) return {};
  painter.setRenderHint(QPainter::Antialiasing);
  QFont font(QStringLiteral("Arial"));
  font.setBold(true);
  font.setPixelSize(qRound(size * 0.95));
  QFontMetricsF metrics(font);
  const QRectF bounds = metrics.tightBoundingRect(text);
  // Two digits are wider than the icon in a bold face; squeeze them rather than cut them.
  const qreal squeeze = bounds.width() > size * 0.96 ? size * 0.96 / bounds.width() : 1.0;
  QPainterPath path;
  path.addText(0, 0, font, text);
  const QRectF pathBounds = path.boundingRect();
  QTransform transform;
  transform.translate(size / 2.0, (size - pathBounds.height() * 1.0) / 2.0);
  transform.scale(squeeze, 1.0);
  transform.translate(-pathBounds.center().x(), -pathBounds.top());
  path = transform.map(path);
  // A thin light rim keeps dark digits readable on dark panels without changing their colour.
  painter.setPen(QPen(QColor(255, 255, 255, 170), size / 10.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(path);
  painter.setPen(Qt::NoPen);
  painter.setBrush(color);
  painter.drawPath(path);
  return image;
}

}  // namespace

QIcon drawDateIcon(int dayOfMonth, const QColor& color) {
  if (dayOfMonth < 1 || dayOfMonth > 31 || !color.isValid()) return {};
  const QString text = QString::number(dayOfMonth);
  QIcon icon;
  for (const int size : {16, 22, 32, 48, 64}) {
    const QImage image = drawDay(text, color, size);
    if (image.isNull()) return {};
    icon.addPixmap(QPixmap::fromImage(image));
  }
  return icon;
}

QIcon programIcon() {
  QIcon icon;
  for (const int size : {16, 22, 32, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/icons/kalvory-%1.png").arg(size), QSize(size, size));
  return icon;
}

QIcon dayFallbackIcon(int dayOfMonth) {
  if (dayOfMonth < 1 || dayOfMonth > 31) return programIcon();
  return QIcon(QStringLiteral(":/icons/day-%1.png").arg(dayOfMonth, 2, 10, QLatin1Char('0')));
}

QIcon ringingFrame(int index) { return QIcon(QStringLiteral(":/icons/ring-%1.png").arg(index)); }

QString shortenTooltip(const QString& text) {
  const QList<uint> characters = text.toUcs4();
  if (characters.size() <= kTooltipLimit) return text;
  QString cut = QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), kTooltipLimit - 1);
  while (cut.endsWith(QLatin1Char(' '))) cut.chop(1);
  return cut + QChar(0x2026);
}

}  // namespace kalvory
