#include "desktop/osd/osd_drawing.h"

#include <QColor>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "core/clock/pixel_buffer.h"
#include "core/common/symbol_font.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

namespace {

// A font taller than any screen only costs memory; stored heights beyond it are held to it.
constexpr int kLargestPixelHeight = 600;
// The window's image is at most this wide and tall: a text that would need more (a hostile or
// damaged document) is cut rather than allocating gigabytes.
constexpr int kLargestWindowSide = 4096;
// Logical-font height 0 asks for the system's default height.
constexpr int kDefaultPixelHeight = 16;

bool webdingsInstalled() {
  static const bool installed = QFontDatabase::families().contains(QStringLiteral("Webdings"), Qt::CaseInsensitive);
  return installed;
}

PixelView viewOf(QImage& image) {
  return PixelView{reinterpret_cast<Pixel*>(image.bits()), image.width(), image.height(),
                   static_cast<std::ptrdiff_t>(image.bytesPerLine() / 4)};
}

QColor qColor(ColorRef color) { return QColor(redOf(color), greenOf(color), blueOf(color)); }

QFont lettering(QFont font) {
  // The window's shape is one bit deep: a smoothed edge would be cut at an arbitrary grey and
  // the AND and OR of the shadow layers would mix the grey's bits into odd colours. The
  // lettering is therefore drawn solid, so the shape follows it exactly.
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

}  // namespace

QFont fontFromDescription(const FontDescription& description) {
  QFont font(toQString(description.face_name));
  const int weight = description.weight == 0 ? 400 : description.weight;
  font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
  font.setItalic(description.italic);
  const std::int64_t height = description.height;
  if (height == 0) {
    font.setPixelSize(kDefaultPixelHeight);
  } else if (height < 0) {
    font.setPixelSize(static_cast<int>(std::min<std::int64_t>(-height, kLargestPixelHeight)));
  } else {
    // The cell height: find the character height whose ascent plus descent comes to it.
    const int cell = static_cast<int>(std::min<std::int64_t>(height, kLargestPixelHeight));
    font.setPixelSize(cell);
    const int measured = QFontMetrics(font).height();
    if (measured > 0 && measured != cell)
      font.setPixelSize(std::max(1, static_cast<int>(std::lround(double(cell) * cell / measured))));
  }
  return font;
}

FontDescription descriptionFromFont(const QFont& font) {
  FontDescription description;
  description.face_name = toStdString(font.family());
  // A font chosen by points has its pixel height on this screen.
  const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
  description.height = -std::max(1, pixels);
  description.weight = static_cast<int>(font.weight());
  description.italic = font.italic();
  return description;
}

// --- fonts

OsdFonts::OsdFonts(const FontDescription& description) : webdings_(webdingsInstalled()) {
  main_ = lettering(fontFromDescription(description));
  FontDescription small = description;
  small.height = osdSmallFontHeight(description.height);
  small_ = lettering(fontFromDescription(small));
  FontDescription symbol = description;
  symbol.face_name = webdings_ ? "Webdings" : "Symbola";
  symbol_ = lettering(fontFromDescription(symbol));
}

const QFont& OsdFonts::font(OsdFont which) const {
  switch (which) {
    case OsdFont::kSmall:
      return small_;
    case OsdFont::kSymbol:
      return symbol_;
    case OsdFont::kMain:
      break;
  }
  return main_;
}

QString OsdFonts::pieceText(const OsdTextPiece& piece) const {
  if (piece.font == OsdFont::kSymbol && webdings_ && piece.symbolCode >= 0)
    return QString(QChar(static_cast<char16_t>(piece.symbolCode)));
  const char32_t character = piece.character;
  return QString::fromUcs4(&character, 1);
}

OsdGlyphSize OsdFonts::measure(const OsdTextPiece& piece) const {
  const QFontMetrics metrics(font(piece.font));
  return {metrics.horizontalAdvance(pieceText(piece)), metrics.height()};
}

QFont symbolDisplayFont(int pixelHeight) {
  QFont font(webdingsInstalled() ? QStringLiteral("Webdings") : QStringLiteral("Symbola"));
  font.setPixelSize(std::max(1, pixelHeight));
  return font;
}

QString symbolDisplayText(int code) {
  if (webdingsInstalled()) return QString(QChar(static_cast<char16_t>(code)));
  const char32_t character = webdingsToUnicode(static_cast<char32_t>(code));
  return QString::fromUcs4(&character, 1);
}

// --- measuring and laying out

std::vector<OsdTextPiece> layOutOsdText(const OsdFonts& fonts, std::string_view text, QPoint origin) {
  const int lineHeight = QFontMetrics(fonts.font(OsdFont::kMain)).height();
  return layoutOsdText(text, {origin.x(), origin.y()}, lineHeight,
                       [&fonts](const OsdTextPiece& piece) { return fonts.measure(piece); });
}

OsdSize measureOsdText(const OsdFonts& fonts, std::string_view text) {
  const QFontMetrics main(fonts.font(OsdFont::kMain));
  std::vector<int> widths;
  for (const std::string& line : splitOsdLines(text)) {
    int drawn = 0;
    for (const OsdTextPiece& piece : layOutOsdText(fonts, line, {0, 0}))
      drawn = std::max(drawn, piece.position.x + fonts.measure(piece).width);
    widths.push_back(std::max(main.horizontalAdvance(toQString(line)), drawn));
  }
  return osdTextSize(widths, main.height());
}

// --- drawing

namespace {

// Draws every piece in `color`, each top-aligned at its place moved by `offset`.
void drawPieces(QImage& target, const OsdFonts& fonts, const std::vector<OsdTextPiece>& pieces, QPoint offset,
                ColorRef color) {
  QPainter painter(&target);
  painter.setPen(qColor(color));
  int ascents[3];
  for (const OsdFont which : {OsdFont::kMain, OsdFont::kSmall, OsdFont::kSymbol})
    ascents[static_cast<int>(which)] = QFontMetrics(fonts.font(which)).ascent();
  for (const OsdTextPiece& piece : pieces) {
    painter.setFont(fonts.font(piece.font));
    painter.drawText(
        QPoint(offset.x() + piece.position.x, offset.y() + piece.position.y + ascents[static_cast<int>(piece.font)]),
        fonts.pieceText(piece));
  }
}

QImage blackImage(OsdSize size) {
  QImage image(size.width, size.height, QImage::Format_RGB32);
  image.fill(Qt::black);
  return image;
}

}  // namespace

OsdRendering renderOsd(const OsdLooks& looks, std::string_view text) {
  const OsdFonts fonts(looks.font);
  OsdRendering result;
  result.textSize = measureOsdText(fonts, text);
  OsdSize window = osdWindowSize(result.textSize);
  window.width = std::clamp(window.width, 1, kLargestWindowSide);
  window.height = std::clamp(window.height, 1, kLargestWindowSide);
  const PixelPoint offset = osdTextOffset(looks.placement, window, result.textSize);
  result.textOffset = QPoint(offset.x, offset.y);
  const QPoint shadowOffset = result.textOffset + QPoint(looks.shadowX, looks.shadowY);
  const std::vector<OsdTextPiece> pieces = layOutOsdText(fonts, text, {0, 0});

  result.image = blackImage(window);
  QImage glyphMask;
  QImage shadowLayer;
  if (looks.shadow) {
    glyphMask = blackImage(window);
    drawPieces(glyphMask, fonts, pieces, result.textOffset, makeColorRef(255, 255, 255));
    shadowLayer = blackImage(window);
    drawPieces(shadowLayer, fonts, pieces, shadowOffset, looks.shadowColor);
    drawPieces(shadowLayer, fonts, pieces, result.textOffset, 0);
  }
  drawPieces(result.image, fonts, pieces, result.textOffset, looks.textColor);
  if (looks.gradient)
    paintOsdGradient(viewOf(result.image), offset, result.textSize, looks.textColor, looks.gradientColor,
                     looks.verticalGradient);
  if (looks.shadow) combineOsdShadow(viewOf(result.image), viewOf(glyphMask), viewOf(shadowLayer));

  result.mask = blackImage(window);
  drawPieces(result.mask, fonts, pieces, result.textOffset, makeColorRef(255, 255, 255));
  if (looks.shadow) drawPieces(result.mask, fonts, pieces, shadowOffset, makeColorRef(255, 255, 255));
  return result;
}

QRegion osdShape(const QImage& mask) {
  QImage copy = mask.convertToFormat(QImage::Format_RGB32);
  const std::vector<PixelSpan> spans = keptPixelSpans(viewOf(copy), kOsdMaskKeyColor, kOsdMaskTolerance);
  std::vector<QRect> rects;
  rects.reserve(spans.size());
  for (const PixelSpan& span : spans) rects.emplace_back(span.left, span.y, span.right - span.left, 1);
  QRegion region;
  // The spans come row by row, left to right and never overlap: the banded order setRects wants.
  if (!rects.empty()) region.setRects(rects.data(), static_cast<int>(rects.size()));
  return region;
}

QImage osdWindowPicture(const OsdRendering& rendering, int opacity) {
  QImage picture(rendering.image.size(), QImage::Format_ARGB32);
  picture.fill(Qt::transparent);
  QImage mask = rendering.mask.convertToFormat(QImage::Format_RGB32);
  const auto alpha = static_cast<Pixel>(osdAlpha(opacity)) << 24;
  for (const PixelSpan& span : keptPixelSpans(viewOf(mask), kOsdMaskKeyColor, kOsdMaskTolerance)) {
    const auto* from = reinterpret_cast<const Pixel*>(rendering.image.constScanLine(span.y));
    auto* to = reinterpret_cast<Pixel*>(picture.scanLine(span.y));
    for (int x = span.left; x < span.right; ++x) to[x] = (from[x] & 0x00FFFFFFu) | alpha;
  }
  return picture;
}

}  // namespace kalvory
