#include "desktop/common/picture_shape.h"

#include <QPainter>
#include <vector>

#include "core/clock/osd_layout.h"

namespace kalvory {

PixelView pixelViewOf(QImage& image) {
  Q_ASSERT(image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32);
  return PixelView{reinterpret_cast<Pixel*>(image.bits()), image.width(), image.height(),
                   image.bytesPerLine() / static_cast<qsizetype>(sizeof(Pixel))};
}

QRegion pictureShape(const QImage& picture, ColorRef key, ColorRef tolerance) {
  QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
  const std::vector<PixelSpan> spans = keptPixelSpans(pixelViewOf(pixels), key, tolerance);
  // The spans come row by row, left to right, and never overlap: the banded order a region is
  // made of. A row whose spans repeat those of the row above only makes that band taller, so a
  // plain face becomes a few rectangles instead of one per row.
  std::vector<QRect> rects;
  std::size_t bandStart = 0;  // the first rectangle of the band the last row went into
  std::size_t first = 0;
  while (first < spans.size()) {
    std::size_t last = first;
    while (last < spans.size() && spans[last].y == spans[first].y) ++last;
    const std::size_t count = last - first;
    const std::size_t bandSize = rects.size() - bandStart;
    bool extends = bandSize == count && !rects.empty() && rects.back().bottom() + 1 == spans[first].y;
    for (std::size_t i = 0; extends && i < count; ++i)
      extends = rects[bandStart + i].left() == spans[first + i].left &&
                rects[bandStart + i].right() + 1 == spans[first + i].right;
    if (extends) {
      for (std::size_t i = 0; i < count; ++i) rects[bandStart + i].setBottom(spans[first].y);
    } else {
      bandStart = rects.size();
      for (std::size_t i = first; i < last; ++i)
        rects.emplace_back(spans[i].left, spans[i].y, spans[i].right - spans[i].left, 1);
    }
    first = last;
  }
  QRegion shape;
  if (!rects.empty()) shape.setRects(rects.data(), static_cast<int>(rects.size()));
  return shape;
}

QImage imageWithShape(const QImage& image, const QRegion& shape) {
  QImage result(image.size(), QImage::Format_ARGB32);
  result.fill(Qt::transparent);
  QPainter painter(&result);
  painter.setClipRegion(shape);
  painter.drawImage(0, 0, image);
  return result;
}

}  // namespace kalvory
