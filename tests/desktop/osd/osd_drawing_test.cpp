// The on-screen windows' drawing with the installed fonts: the walk over the text, measuring,
// the shape cut from the mask, and the picture `kalvory --render` writes.
#include "desktop/osd/osd_drawing.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <set>
#include <utility>

#include "core/common/symbol_font.h"
#include "desktop/common/qt_text.h"
#include "desktop/osd/osd_render.h"

namespace kalvory {
namespace {

using PixelSet = std::set<std::pair<int, int>>;

// Pixels of an image that are not black.
PixelSet litPixels(const QImage& image) {
  PixelSet lit;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0x00FFFFFFu) != 0) lit.insert({x, y});
  return lit;
}

PixelSet regionPixels(const QRegion& region) {
  PixelSet pixels;
  for (const QRect& rect : region)
    for (int y = rect.top(); y <= rect.bottom(); ++y)
      for (int x = rect.left(); x <= rect.right(); ++x) pixels.insert({x, y});
  return pixels;
}

OsdLooks plainLooks(ColorRef color = makeColorRef(255, 255, 255)) {
  OsdLooks looks;
  looks.font = FontDescription{"Arimo", -40, 700, false};
  looks.textColor = color;
  looks.placement = kOsdCentred;
  return looks;
}

TEST(OsdLayout, RaisedTextSymbolsAndLinesWithRealFonts) {
  const OsdFonts fonts(FontDescription{"Comic Sans MS", 72, 400, false});
  const QFontMetrics main(fonts.font(OsdFont::kMain));
  ASSERT_GT(main.height(), 60);
  ASSERT_LE(main.height(), 73);  // a positive height is the whole cell

  // "12%~30": 12 in the main font, 30 raised in the three-quarter font, all on the top line.
  const std::string raised = osdSetText({}, "12%~30").text;
  const auto pieces = layOutOsdText(fonts, raised, {5, 5});
  ASSERT_EQ(pieces.size(), 4u);
  EXPECT_EQ(pieces[0].font, OsdFont::kMain);
  EXPECT_EQ(pieces[1].font, OsdFont::kMain);
  EXPECT_EQ(pieces[2].font, OsdFont::kSmall);
  EXPECT_EQ(pieces[3].font, OsdFont::kSmall);
  for (const auto& piece : pieces) EXPECT_EQ(piece.position.y, 5);
  EXPECT_EQ(pieces[2].position.x, pieces[1].position.x + main.horizontalAdvance(QLatin1Char('2')));
  const int mainPixels = QFontInfo(fonts.font(OsdFont::kMain)).pixelSize();
  const int smallPixels = QFontInfo(fonts.font(OsdFont::kSmall)).pixelSize();
  EXPECT_NEAR(smallPixels, mainPixels * 3 / 4, 2);
  EXPECT_LT(QFontMetrics(fonts.font(OsdFont::kSmall)).horizontalAdvance(QLatin1Char('3')),
            main.horizontalAdvance(QLatin1Char('3')));

  // A, symbol mark, J: J is drawn as its Webdings picture in the symbol font, a quarter of that
  // font's height lower.
  ASSERT_FALSE(fonts.webdings());
  EXPECT_EQ(QFontInfo(fonts.font(OsdFont::kSymbol)).family(), QStringLiteral("Symbola"));
  const std::string marked = "A\xC2\x80J";
  const auto symbol = layOutOsdText(fonts, marked, {5, 5});
  ASSERT_EQ(symbol.size(), 2u);
  EXPECT_EQ(symbol[1].font, OsdFont::kSymbol);
  EXPECT_EQ(symbol[1].character, webdingsToUnicode(U'J'));
  EXPECT_EQ(symbol[1].symbolCode, 'J');
  const int symbolHeight = QFontMetrics(fonts.font(OsdFont::kSymbol)).height();
  EXPECT_EQ(symbol[1].position, (PixelPoint{5 + main.horizontalAdvance(QLatin1Char('A')), 5 + symbolHeight / 4}));
  // The line is as wide as its drawing, so the symbol is not cut.
  EXPECT_GE(measureOsdText(fonts, marked).width, symbol[1].position.x - 5 + fonts.measure(symbol[1]).width);

  // Two lines: as wide as the longer, twice the height of the text measured in one piece.
  const OsdSize one = measureOsdText(fonts, "A much longer line");
  EXPECT_EQ(one.height, main.height());
  EXPECT_GE(one.width, main.horizontalAdvance(QStringLiteral("A much longer line")));
  EXPECT_EQ(measureOsdText(fonts, "Short\nA much longer line"), (OsdSize{one.width, 2 * one.height}));
  EXPECT_EQ(measureOsdText(fonts, "A much longer line\nShort"), (OsdSize{one.width, 2 * one.height}));
  const auto second = layOutOsdText(fonts, "Short\nA", {5, 5});
  EXPECT_EQ(second.back().position, (PixelPoint{5, 5 + main.height()}));
}

TEST(OsdShape, KeepsExactlyTheLetteringAndItsShadow) {
  const OsdRendering plain = renderOsd(plainLooks(), "Hig");
  const PixelSet lettering = litPixels(plain.image);
  ASSERT_GT(lettering.size(), 200u);
  EXPECT_EQ(plain.image.size(), QSize(plain.textSize.width + 10, plain.textSize.height + 10));
  EXPECT_EQ(plain.textOffset, QPoint(5, 5));

  // A vertical gradient fills its whole rectangle; the shape alone cuts it to the letters.
  OsdLooks gradient = plainLooks(makeColorRef(255, 0, 0));
  gradient.gradient = true;
  gradient.verticalGradient = true;
  gradient.gradientColor = makeColorRef(0, 0, 255);
  const OsdRendering filled = renderOsd(gradient, "Hig");
  EXPECT_GT(litPixels(filled.image).size(), lettering.size() * 2);
  EXPECT_EQ(regionPixels(osdShape(filled.mask)), lettering);
  const QImage picture = osdWindowPicture(filled, 100);
  int top = picture.height(), bottom = -1;
  for (const auto& [x, y] : lettering) {
    top = std::min(top, y);
    bottom = std::max(bottom, y);
  }
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      ASSERT_EQ(qAlpha(picture.pixel(x, y)), lettering.count({x, y}) ? 255 : 0) << x << "," << y;
  const auto colourAtRow = [&](int row) {
    for (const auto& [x, y] : lettering)
      if (y == row) return QColor(picture.pixel(x, y));
    return QColor();
  };
  EXPECT_GT(colourAtRow(top).red(), colourAtRow(bottom).red());
  EXPECT_LT(colourAtRow(top).blue(), colourAtRow(bottom).blue());

  // A shadow: the letters in their colour, the shifted copy showing beside them in the shadow
  // colour, the shape the union of both.
  OsdLooks shadowed = plainLooks(makeColorRef(0, 255, 0));
  shadowed.shadow = true;
  shadowed.shadowColor = makeColorRef(0, 0, 255);
  shadowed.shadowX = 3;
  shadowed.shadowY = -2;
  const OsdRendering withShadow = renderOsd(shadowed, "Hig");
  PixelSet expected = lettering;
  PixelSet shadowOnly;
  for (const auto& [x, y] : lettering) {
    expected.insert({x + 3, y - 2});
    if (!lettering.count({x + 3, y - 2})) shadowOnly.insert({x + 3, y - 2});
  }
  EXPECT_EQ(regionPixels(osdShape(withShadow.mask)), expected);
  ASSERT_FALSE(shadowOnly.empty());
  for (const auto& [x, y] : shadowOnly) ASSERT_EQ(withShadow.image.pixel(x, y), qRgb(0, 0, 255));
  for (const auto& [x, y] : lettering) ASSERT_EQ(withShadow.image.pixel(x, y), qRgb(0, 255, 0));

  // Blanks have no shape at all; half opacity is alpha 127.
  EXPECT_TRUE(osdShape(renderOsd(plainLooks(), "   ").mask).isEmpty());
  const QImage half = osdWindowPicture(plain, 50);
  const auto [x, y] = *lettering.begin();
  EXPECT_EQ(qAlpha(half.pixel(x, y)), 127);
}

TEST(OsdRender, DrawsTheWindowsFromASettingsFile) {
  QTemporaryDir folder;
  const QString config = folder.path() + "/Kalvory.conf";
  QFile file(config);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(
      "[TextSettings]\nTextFontName=Arimo\nTextFontSize=-30\nTextColor=65280\nIsTextGrad=0\nIsTextShadow=0\n"
      "TextOpacity=60\n[ClockSettings]\nClockFontName=Arimo\nClockFontSize=-20\nClockFormat=%Q\n");
  file.close();

  RenderRequest request;
  request.configFile = config;
  request.text = QStringLiteral("Tea");
  const RenderResult text = renderOsdText(request);
  ASSERT_TRUE(text.error.isEmpty()) << text.error.toStdString();
  std::set<int> alphas;
  for (int y = 0; y < text.image.height(); ++y)
    for (int x = 0; x < text.image.width(); ++x) {
      const QRgb pixel = text.image.pixel(x, y);
      alphas.insert(qAlpha(pixel));
      if (qAlpha(pixel) != 0) {
        ASSERT_EQ(pixel & 0x00FFFFFFu, 0x00FF00u);
      }
    }
  EXPECT_EQ(alphas, (std::set<int>{0, 153}));

  // The stored format fails, so the clock shows hours and raised minutes.
  request.time = COleDateTime(2026, 5, 7, 9, 30, 0);
  const RenderResult clock = renderOsdClock(request);
  ASSERT_TRUE(clock.error.isEmpty());
  OsdLooks looks = looksOf(defaultSettings({}).clock);
  looks.font = FontDescription{"Arimo", -20, 700, false};
  EXPECT_EQ(clock.image, osdWindowPicture(renderOsd(looks, osdSetText({}, "09%~30").text), 100));

  // A hostile font height draws a bounded window rather than exhausting memory.
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[TextSettings]\nTextFontSize=-2147483648\n");
  file.close();
  request.text = QString(300, QLatin1Char('W'));
  const RenderResult huge = renderOsdText(request);
  ASSERT_TRUE(huge.error.isEmpty());
  EXPECT_LE(huge.image.width(), 4096);
  EXPECT_LE(huge.image.height(), 4096);
}

}  // namespace
}  // namespace kalvory
