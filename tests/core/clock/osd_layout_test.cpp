#include "core/clock/osd_layout.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/common/text.h"

namespace kalvory {
namespace {

TEST(OsdText, SetTextRemovesReturnsAndMarksRaisedText) {
  const OsdText first = osdSetText("", "12%~30\r\n%-x");
  EXPECT_EQ(first.text, "12\u008130\n\u0082x");
  EXPECT_TRUE(first.changed);
  EXPECT_FALSE(osdSetText(first.text, "12%~30\n%-x").changed);
  EXPECT_TRUE(osdSetText(first.text, "12%~31\n%-x").changed);
}

TEST(OsdLayout, SizesAndPlacement) {
  // Two lines: as wide as the longer, twice the height of the text measured in one piece.
  EXPECT_EQ(splitOsdLines("short\nmuch longer"), (std::vector<std::string>{"short", "much longer"}));
  EXPECT_EQ(splitOsdLines(""), (std::vector<std::string>{""}));
  const std::vector<int> widths{40, 100};
  const OsdSize text = osdTextSize(widths, 20);
  EXPECT_EQ(text, (OsdSize{100, 40}));
  const OsdSize window = osdWindowSize(text);
  EXPECT_EQ(window, (OsdSize{110, 50}));
  EXPECT_EQ(osdTextOffset(kOsdCentred, window, text), (PixelPoint{5, 5}));
  EXPECT_EQ(osdTextOffset(kOsdInitialPlacement, window, text), (PixelPoint{0, 5}));  // 1 | 4: vertical centre
  EXPECT_EQ(osdTextOffset(0, window, text), (PixelPoint{0, 0}));
  EXPECT_EQ(osdTextOffset(kOsdPlaceRight | kOsdPlaceBottom, {200, 100}, text), (PixelPoint{95, 55}));
  EXPECT_EQ(osdTextOffset(kOsdPlaceHorizontalCentre, {201, 100}, text), (PixelPoint{50, 0}));
  EXPECT_EQ(osdSmallFontHeight(28), 21);
  EXPECT_EQ(osdSmallFontHeight(-30), -22);
}

TEST(OsdLayout, WalkPlacesSymbolsAndRaisedText) {
  // Main font 10 x 20, small 7 x 15, symbol 16 x 24 for every character.
  const OsdMeasure measure = [](const OsdTextPiece& piece) {
    switch (piece.font) {
      case OsdFont::kMain:
        return OsdGlyphSize{10, 20};
      case OsdFont::kSmall:
        return OsdGlyphSize{7, 15};
      case OsdFont::kSymbol:
        return OsdGlyphSize{16, 24};
    }
    return OsdGlyphSize{};
  };
  // "1", raised "2", "3"; next line: the symbol J, then "x" in the main font although the
  // symbol came inside raised text.
  const auto pieces = layoutOsdText("1\u00812\u00823\n\u0081\u0080Jx\u0080", {5, 5}, 22, measure);
  ASSERT_EQ(pieces.size(), 5u);
  EXPECT_EQ(pieces[0].character, U'1');
  EXPECT_EQ(pieces[0].position, (PixelPoint{5, 5}));
  EXPECT_EQ(pieces[1].font, OsdFont::kSmall);
  EXPECT_EQ(pieces[1].position, (PixelPoint{15, 5}));  // top-aligned with the line
  EXPECT_EQ(pieces[2].font, OsdFont::kMain);
  EXPECT_EQ(pieces[2].position, (PixelPoint{22, 5}));
  // The symbol stands a quarter of its own height (24 / 4) lower; Webdings J is U+1F3DD.
  EXPECT_EQ(pieces[3].font, OsdFont::kSymbol);
  EXPECT_EQ(pieces[3].symbolCode, 'J');
  EXPECT_EQ(pieces[3].character, U'\U0001F3DD');
  EXPECT_EQ(pieces[3].position, (PixelPoint{5, 33}));
  EXPECT_EQ(pieces[4].font, OsdFont::kMain);
  EXPECT_EQ(pieces[4].position, (PixelPoint{21, 27}));
}

TEST(OsdPixels, VerticalGradientRowsRoundHalvesAwayFromZero) {
  // Text colour green 255 to gradient colour blue 128 (0x800000) over text height 5, so 10 rows.
  // Green: 255 + (-255) x n / 10, blue: 128 x n / 10, rounded: n = 1 gives -25.5 -> -26 (229)
  // and 12.8 -> 13; n = 3: -76.5 -> -77 (178), 38.4 -> 38; n = 5: -127.5 -> -128 (127), 64;
  // n = 9: -229.5 -> -230 (25), 115.2 -> 115.
  const ColorRef from = makeColorRef(0, 255, 0);
  const ColorRef to = makeColorRef(0, 0, 128);
  PixelBuffer image(20, 20, 0);
  paintOsdGradient(image.view(), {5, 5}, {3, 5}, from, to, true);
  EXPECT_EQ(image.get(5, 5), from);
  EXPECT_EQ(image.get(12, 6), makeColorRef(0, 229, 13));
  EXPECT_EQ(image.get(7, 8), makeColorRef(0, 178, 38));
  EXPECT_EQ(image.get(7, 10), makeColorRef(0, 127, 64));
  EXPECT_EQ(image.get(7, 14), makeColorRef(0, 25, 115));
  // The rectangle is (3 + 5) x (5 + 5) from (5, 5).
  EXPECT_EQ(image.get(4, 5), 0u);
  EXPECT_EQ(image.get(13, 5), 0u);
  EXPECT_EQ(image.get(5, 15), 0u);

  // Horizontally the steps run over the 8 columns: column 1 of 8: -31.875 -> -32, 16.
  PixelBuffer across(20, 20, 0);
  paintOsdGradient(across.view(), {0, 0}, {3, 5}, from, to, false);
  EXPECT_EQ(across.get(1, 9), makeColorRef(0, 223, 16));
  EXPECT_EQ(across.get(8, 0), 0u);
  // A rectangle reaching past the image is clipped; row 4 of 35: -29.1 -> -29, 14.6 -> 15.
  paintOsdGradient(across.view(), {15, 15}, {30, 30}, from, to, true);
  EXPECT_EQ(across.get(19, 19), makeColorRef(0, 226, 15));
}

TEST(OsdPixels, ShadowCombinesByAndThenOr) {
  const ColorRef letter = makeColorRef(0x12, 0x34, 0x56);
  const ColorRef shadow = makeColorRef(0x40, 0x40, 0x40);
  PixelBuffer image(3, 1, letter);
  PixelBuffer mask(3, 1, 0);
  mask.set(0, 0, makeColorRef(255, 255, 255));
  PixelBuffer layer(3, 1, 0);
  layer.set(1, 0, shadow);
  combineOsdShadow(image.view(), mask.view(), layer.view());
  EXPECT_EQ(image.get(0, 0), letter);  // lettering keeps its colour
  EXPECT_EQ(image.get(1, 0), shadow);  // shadow beside it
  EXPECT_EQ(image.get(2, 0), 0u);      // black elsewhere
  EXPECT_EQ(image.pixels()[2], 0xFF000000u);
}

TEST(OsdPixels, MaskKeepsExactlyTheLettering) {
  // Black background, white lettering with antialiased edges: an edge of 16 is cut, 17 kept.
  PixelBuffer mask(8, 3, 0);
  mask.set(1, 0, makeColorRef(255, 255, 255));
  mask.set(2, 0, makeColorRef(16, 16, 16));
  mask.set(3, 0, makeColorRef(17, 0, 0));
  mask.set(4, 0, makeColorRef(200, 200, 200));
  mask.set(7, 0, makeColorRef(0, 0, 90));
  mask.set(0, 2, makeColorRef(0, 16, 16));
  const auto spans = keptPixelSpans(mask.view(), kOsdMaskKeyColor, kOsdMaskTolerance);
  EXPECT_EQ(spans, (std::vector<PixelSpan>{{0, 1, 2}, {0, 3, 5}, {0, 7, 8}}));

  // A face keyed on magenta: the key's red and blue plus 16 are capped at 255.
  PixelBuffer face(4, 1, makeColorRef(255, 16, 255));
  face.set(1, 0, makeColorRef(255, 17, 255));
  face.set(2, 0, makeColorRef(254, 0, 255));
  EXPECT_EQ(keptPixelSpans(face.view(), makeColorRef(255, 0, 255), kOsdMaskTolerance),
            (std::vector<PixelSpan>{{0, 1, 3}}));
}

TEST(OsdLooks, OpacitySliderAndShadowShift) {
  EXPECT_EQ(osdAlpha(0), 0);
  EXPECT_EQ(osdAlpha(20), 51);
  EXPECT_EQ(osdAlpha(50), 127);
  EXPECT_EQ(osdAlpha(100), 255);
  EXPECT_EQ(osdAlpha(400), 255);
  EXPECT_EQ(osdAlpha(-1), 0);
  EXPECT_EQ(osdSliderFromOpacity(59), 2);
  EXPECT_EQ(osdOpacityFromSlider(3), 60);
  EXPECT_EQ(limitShadowShift(7), 6);
  EXPECT_EQ(limitShadowShift(-9), -6);
  EXPECT_EQ(limitShadowShift(-2), -2);
}

TEST(OsdDisplayTimeTest, CountsDownInTenths) {
  EXPECT_EQ(showTimeTenths(3), 1800u);
  EXPECT_EQ(showTimeTenths(0), 0u);
  EXPECT_EQ(showTimeTenths(-4), 0u);
  EXPECT_EQ(showTimeTenths(int64_t{1} << 40), OsdDisplayTime::kForever - 1);

  OsdDisplayTime message(10);
  EXPECT_FALSE(message.followsShowing());
  message.Show(0);  // the default time
  EXPECT_EQ(message.left(), 10u);
  EXPECT_TRUE(message.followsShowing());
  EXPECT_FALSE(message.Tick(true));
  EXPECT_EQ(message.left(), 5u);
  EXPECT_TRUE(message.Tick(true));  // reaches 0 while visible: hide
  EXPECT_FALSE(message.Tick(false));

  // Three minutes of ticks every half second: 360 ticks.
  message.Show(showTimeTenths(3));
  int ticks = 0;
  while (!message.Tick(true)) ++ticks;
  EXPECT_EQ(ticks + 1, 360);

  // A time that is no multiple of 5 still runs out.
  message.Show(7);
  EXPECT_FALSE(message.Tick(true));
  EXPECT_TRUE(message.Tick(true));
  EXPECT_EQ(message.left(), 0u);
}

}  // namespace
}  // namespace kalvory
