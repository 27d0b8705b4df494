#include "platform/wallpaper/sticker_text_renderer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>
#include <vector>

namespace kalvory {

namespace {

struct LineSpan {
  int start = 0;
  int length = 0;
};

// Trailing blanks and the line separator take no room when a line is centred.
QString LineText(const QString& content, const LineSpan& span) {
  QString text = content.mid(span.start, span.length);
  while (!text.isEmpty() && (text.back().isSpace() || text.back() == QChar::LineSeparator)) text.chop(1);
  return text;
}

}  // namespace

void QtStickerTextRenderer::DrawStickerText(PixelSurface& surface, const DefinitionRect& rect, std::string_view text,
                                            const StickerTextStyle& style) {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return;
  if (surface.pixels == nullptr || surface.width <= 0 || surface.height <= 0 || text.empty()) return;
  const QRect box(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  if (box.width() <= 0 || box.height() <= 0) return;

  QImage image(reinterpret_cast<uchar*>(surface.pixels), surface.width, surface.height,
               static_cast<qsizetype>(surface.stride) * 4, QImage::Format_RGB32);
  QFont font(QString::fromStdString(style.fontName));
  // A definition's size can come out below one pixel (the default 12 tenths of a point);
  // the smallest size that still draws something stands in for it.
  font.setPixelSize(std::max(1, style.pixelHeight));
  font.setWeight(style.weight >= 700 ? QFont::Bold : QFont::Normal);
  font.setItalic(style.italic);
  font.setUnderline(style.underline);

  QString content = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  content.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  content.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  content.replace(QLatin1Char('\n'), QChar::LineSeparator);

  // Break into lines at word boundaries within the rectangle's width.
  QTextLayout layout(content, font, &image);
  QTextOption option(Qt::AlignHCenter);
  option.setWrapMode(QTextOption::WordWrap);
  layout.setTextOption(option);
  std::vector<LineSpan> lines;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(box.width());
    lines.push_back({line.textStart(), line.textLength()});
  }
  layout.endLayout();
  if (lines.empty()) return;

  const QFontMetricsF metrics(font, &image);
  const qreal lineHeight = metrics.height();
  const auto fitting = static_cast<std::size_t>(std::max(1.0, std::floor(box.height() / lineHeight)));
  std::vector<QString> shown;
  for (std::size_t i = 0; i < lines.size() && i < fitting; ++i) {
    QString line = LineText(content, lines[i]);
    const bool lastShown = i + 1 == fitting && lines.size() > fitting;
    if (lastShown) {
      // Everything that does not fit any more ends this line, cut with an ellipsis.
      line = content.mid(lines[i].start);
      line.replace(QChar::LineSeparator, QLatin1Char(' '));
      line = metrics.elidedText(line.trimmed(), Qt::ElideRight, box.width());
    } else if (metrics.horizontalAdvance(line) > box.width()) {
      line = metrics.elidedText(line, Qt::ElideRight, box.width());  // one word longer than the line
    }
    shown.push_back(line);
  }

  QPainter painter(&image);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setClipRect(box);
  painter.setFont(font);
  painter.setPen(QColor(redOf(style.color), greenOf(style.color), blueOf(style.color)));
  const qreal top = box.top() + (box.height() - lineHeight * static_cast<qreal>(shown.size())) / 2.0;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const QRectF lineBox(box.left(), top + lineHeight * static_cast<qreal>(i), box.width(), lineHeight);
    painter.drawText(lineBox, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, shown[i]);
  }
}

}  // namespace kalvory
