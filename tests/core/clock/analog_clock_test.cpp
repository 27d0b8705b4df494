#include "core/clock/analog_clock.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/clock/osd_layout.h"
#include "core/settings/profile.h"
#include "core/wallpaper/dib_image.h"
#include "support/result_assertions.h"

namespace kalvory {
namespace {

constexpr ColorRef kWhite = makeColorRef(255, 255, 255);
constexpr ColorRef kBlack = 0;

ColorRef gray(int value) {
  return makeColorRef(static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value),
                      static_cast<std::uint8_t>(value));
}

// A surface with a one-pixel frame of a colour no drawing uses around it, so a write outside
// the view shows up as a changed frame pixel.
class FramedSurface {
 public:
  static constexpr ColorRef kFrame = makeColorRef(1, 254, 3);
  FramedSurface(int width, int height, ColorRef fill) : buffer_(width + 2, height + 2, kFrame) {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) buffer_.set(x + 1, y + 1, fill);
    }
    PixelView whole = buffer_.view();
    view_ = PixelView{whole.pixels + whole.stride + 1, width, height, whole.stride};
  }
  const PixelView& view() const { return view_; }
  ColorRef at(int x, int y) const { return buffer_.get(x + 1, y + 1); }
  bool frameUntouched() const {
    for (int y = 0; y < buffer_.height(); ++y) {
      for (int x = 0; x < buffer_.width(); ++x) {
        const bool frame = x == 0 || y == 0 || x == buffer_.width() - 1 || y == buffer_.height() - 1;
        if (frame && buffer_.get(x, y) != kFrame) return false;
      }
    }
    return true;
  }
  // Every pixel of the view that is not `background`, as (x, y) -> colour.
  std::vector<std::pair<PixelPoint, ColorRef>> changed(ColorRef background) const {
    std::vector<std::pair<PixelPoint, ColorRef>> result;
    for (int y = 0; y < view_.height; ++y) {
      for (int x = 0; x < view_.width; ++x) {
        if (at(x, y) != background) result.push_back({{x, y}, at(x, y)});
      }
    }
    return result;
  }

 private:
  PixelBuffer buffer_;
  PixelView view_;
};

using Expected = std::vector<std::pair<PixelPoint, ColorRef>>;

void expectOnly(const FramedSurface& surface, ColorRef background, const Expected& expected) {
  EXPECT_TRUE(surface.frameUntouched());
  const auto changed = surface.changed(background);
  EXPECT_EQ(changed.size(), expected.size());
  for (const auto& [point, color] : expected) {
    EXPECT_EQ(surface.at(point.x, point.y), color) << "at (" << point.x << ", " << point.y << ")";
  }
}

TEST(AnalogClockColors, LighterAndDarkerPerChannel) {
  // Red 128 and up gives 255; 64..127 doubles (127 -> 254, 64 -> 128); below 64 gives 128.
  EXPECT_EQ(lighterColor(makeColorRef(128, 127, 63)), makeColorRef(255, 254, 128));
  EXPECT_EQ(lighterColor(makeColorRef(64, 0, 255)), makeColorRef(128, 128, 255));
  EXPECT_EQ(lighterColor(gray(0xA0)), kWhite);
  EXPECT_EQ(darkerColor(makeColorRef(128, 127, 63)), makeColorRef(64, 63, 31));
  EXPECT_EQ(darkerColor(gray(0xA0)), gray(0x50));
}

TEST(AntialiasedLine, SteepBlackLineOverLighterBackgroundTakesTheWeightOnTheLine) {
  // (0,0)-(1,4): the accumulator grows by 65536 / 4 = 16384, so w = 64, 128, 192 on rows 1-3.
  // Over white the line pixel keeps w / 255 of the background, its right neighbour 255 - w.
  for (const auto& [from, to] :
       {std::pair{PixelPoint{0, 0}, PixelPoint{1, 4}}, std::pair{PixelPoint{1, 4}, PixelPoint{0, 0}}}) {
    FramedSurface surface(4, 6, kWhite);
    drawAntialiasedLine(surface.view(), from, to, kBlack);
    expectOnly(surface, kWhite,
               {{{0, 0}, kBlack},
                {{0, 1}, gray(64)},
                {{1, 1}, gray(191)},
                {{0, 2}, gray(128)},
                {{1, 2}, gray(127)},
                {{0, 3}, gray(192)},
                {{1, 3}, gray(63)},
                {{1, 4}, kBlack}});
  }
}

TEST(AntialiasedLine, WhiteLineOverDarkerBackgroundTakesTheComplement) {
  // Over black the line pixel takes 255 - w, the neighbour w; a line brighter in a channel
  // moves that channel by weight / 255 of the way from the background.
  FramedSurface surface(4, 6, kBlack);
  drawAntialiasedLine(surface.view(), {0, 0}, {1, 4}, kWhite);
  expectOnly(surface, kBlack,
             {{{0, 0}, kWhite},
              {{0, 1}, gray(191)},
              {{1, 1}, gray(64)},
              {{0, 2}, gray(127)},
              {{1, 2}, gray(128)},
              {{0, 3}, gray(63)},
              {{1, 3}, gray(192)},
              {{1, 4}, kWhite}});
}

TEST(AntialiasedLine, FlatLineBlendsTheRowBelow) {
  // (0,0)-(4,1): x is the major axis; the neighbour is the pixel below.
  FramedSurface surface(6, 3, kWhite);
  drawAntialiasedLine(surface.view(), {0, 0}, {4, 1}, kBlack);
  expectOnly(surface, kWhite,
             {{{0, 0}, kBlack},
              {{1, 0}, gray(64)},
              {{1, 1}, gray(191)},
              {{2, 0}, gray(128)},
              {{2, 1}, gray(127)},
              {{3, 0}, gray(192)},
              {{3, 1}, gray(63)},
              {{4, 1}, kBlack}});
}

TEST(AntialiasedLine, AccumulatorWrapsToStepTheMinorAxis) {
  // (3,0)-(0,4), leftward: adjust = 3 x 65536 / 4 = 49152. Row 1: 49152, no wrap, w 192; row 2:
  // 98304 wraps to 32768, x steps, w 128; row 3: 81920 wraps to 16384, x steps, w 64. The
  // neighbour lies to the left.
  FramedSurface surface(5, 6, kWhite);
  drawAntialiasedLine(surface.view(), {3, 0}, {0, 4}, kBlack);
  expectOnly(surface, kWhite,
             {{{3, 0}, kBlack},
              {{3, 1}, gray(192)},
              {{2, 1}, gray(63)},
              {{2, 2}, gray(128)},
              {{1, 2}, gray(127)},
              {{1, 3}, gray(64)},
              {{0, 3}, gray(191)},
              {{0, 4}, kBlack}});
}

TEST(AntialiasedLine, ChannelsBlendTowardTheirOwnSideAndTruncate) {
  // Line red 200 (luminance 59.8) over grey 100: lighter beneath, so the line pixel weight is
  // w = 64. Red lies above the background: 100 + 100 x 64 / 255 = 125. Green and blue lie
  // below: 0 + 100 x 64 / 255 = 25. The neighbour (weight 191): 100 + 74 = 174 and 74.
  FramedSurface surface(4, 6, gray(100));
  drawAntialiasedLine(surface.view(), {0, 0}, {1, 4}, makeColorRef(200, 0, 0));
  EXPECT_EQ(surface.at(0, 1), makeColorRef(125, 25, 25));
  EXPECT_EQ(surface.at(1, 1), makeColorRef(174, 74, 74));
}

TEST(AntialiasedLine, HorizontalVerticalAndDiagonalLinesAreSolid) {
  const ColorRef ink = makeColorRef(10, 20, 30);
  {
    FramedSurface surface(8, 8, kWhite);
    drawAntialiasedLine(surface.view(), {5, 3}, {1, 3}, ink);
    expectOnly(surface, kWhite, {{{1, 3}, ink}, {{2, 3}, ink}, {{3, 3}, ink}, {{4, 3}, ink}, {{5, 3}, ink}});
  }
  {
    FramedSurface surface(8, 8, kWhite);
    drawAntialiasedLine(surface.view(), {2, 5}, {2, 1}, ink);
    expectOnly(surface, kWhite, {{{2, 1}, ink}, {{2, 2}, ink}, {{2, 3}, ink}, {{2, 4}, ink}, {{2, 5}, ink}});
  }
  {
    FramedSurface surface(8, 8, kWhite);
    drawAntialiasedLine(surface.view(), {0, 0}, {3, 3}, ink);
    drawAntialiasedLine(surface.view(), {7, 0}, {4, 3}, ink);
    expectOnly(surface, kWhite,
               {{{0, 0}, ink},
                {{1, 1}, ink},
                {{2, 2}, ink},
                {{3, 3}, ink},
                {{7, 0}, ink},
                {{6, 1}, ink},
                {{5, 2}, ink},
                {{4, 3}, ink}});
  }
  {
    FramedSurface surface(8, 8, kWhite);
    drawAntialiasedLine(surface.view(), {6, 6}, {6, 6}, ink);
    expectOnly(surface, kWhite, {{{6, 6}, ink}});
  }
}

TEST(AntialiasedLine, ClipsAtTheSurfaceEdges) {
  FramedSurface surface(4, 4, kWhite);
  drawAntialiasedLine(surface.view(), {-3, 1}, {2, 1}, kBlack);
  drawAntialiasedLine(surface.view(), {3, -5}, {3, 9}, kBlack);
  drawAntialiasedLine(surface.view(), {-1, -1}, {5, 2}, kBlack);
  drawAntialiasedLine(surface.view(), {-40000, 0}, {3, 0}, kBlack);  // beyond 16 bits: not drawn
  EXPECT_TRUE(surface.frameUntouched());
  EXPECT_EQ(surface.at(0, 1), kBlack);
  EXPECT_EQ(surface.at(2, 1), kBlack);
  EXPECT_EQ(surface.at(3, 0), kBlack);
  EXPECT_EQ(surface.at(3, 3), kBlack);
}

TEST(AnalogClockHands, RotationUsesTheSixDegreeTableAndTruncates) {
  EXPECT_EQ(sineTable()[1].sine, 104528);
  EXPECT_EQ(sineTable()[1].cosine, 994522);
  EXPECT_EQ(sineTable()[19].angle, 114);

  // 3:59: the hour hand stands at 90 + 29 = 119 degrees, drawn at 114 (sin 0.913545,
  // cos -0.406737). The kite hour outline with H = 37, relative to the centre:
  // (0,-37) -> (33.80, 15.05); (3,-30) -> (26.19, 14.94); (-3,-30) -> (28.63, 9.46).
  EXPECT_EQ(hourHandAngle(3, 59), 119);
  const KiteHandShape hour = kiteHourHand(37);
  const std::array<PixelPoint, 4> expected{{{115, 97}, {108, 96}, {82, 82}, {110, 91}}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(rotateAboutCentre(hour.outline[i], 119), expected[i]) << i;
    EXPECT_EQ(rotateAboutCentre(hour.outline[i], 114), expected[i]) << i;
  }
  // The minute hand at 354 degrees (sin -0.104528, cos 0.994522): (0,-57) -> (-5.96, -56.69),
  // truncated toward zero to (-5, -56), not rounded down.
  EXPECT_EQ(minuteHandAngle(59), 354);
  EXPECT_EQ(rotateAboutCentre(kiteMinuteHand(57).outline[0], 354), (PixelPoint{77, 26}));

  // 12:00 and 0:00: every hand points straight up.
  EXPECT_EQ(hourHandAngle(12, 0), 0);
  EXPECT_EQ(hourHandAngle(0, 0), 0);
  EXPECT_EQ(rotateAboutCentre({82, 45}, hourHandAngle(12, 0)), (PixelPoint{82, 45}));
  EXPECT_EQ(rotateAboutCentre({84, 40}, 0), (PixelPoint{84, 40}));
}

TEST(AnalogClockHands, LineFanPositionsAndGeometry) {
  EXPECT_EQ(lineFanHourPosition(3, 59), 19);  // 59 / 12 + 3 x 5
  EXPECT_EQ(lineFanHourPosition(15, 59), 19);
  EXPECT_EQ(lineFanHourPosition(12, 0), 60);
  EXPECT_EQ(lineFanHourPosition(0, 0), 0);

  // Position 19: 90 - 114 = -24, so 336 degrees (cos 0.913545, sin -0.406737), L = 37:
  // tip (trunc(33.80 + 82), -trunc(-15.05 - 82)) = (115, 97); 4 short of it
  // (trunc(30.15 + 82), trunc(13.42 + 82)) = (112, 95). Near the horizontal, so the fan
  // spreads above and below the centre.
  const LineFanHand at19 = lineFanHand(19, 37, {0, 0});
  EXPECT_EQ(at19.centre, (PixelPoint{82, 82}));
  EXPECT_EQ(at19.tip, (PixelPoint{115, 97}));
  EXPECT_EQ(at19.nearTip, (PixelPoint{112, 95}));
  EXPECT_EQ(at19.besideCentre, (std::array<PixelPoint, 4>{{{82, 80}, {82, 81}, {82, 83}, {82, 84}}}));

  // Position 60 is 90 - 360 + 360 = 90 degrees: straight up, the fan beside the centre.
  const LineFanHand at60 = lineFanHand(60, 37, {-1, -1});
  EXPECT_EQ(at60.centre, (PixelPoint{81, 81}));
  EXPECT_EQ(at60.tip, (PixelPoint{81, 44}));
  EXPECT_EQ(at60.nearTip, (PixelPoint{81, 48}));
  EXPECT_EQ(at60.besideCentre, (std::array<PixelPoint, 4>{{{79, 81}, {80, 81}, {82, 81}, {83, 81}}}));

  // The horizontal bands are 10-20 and 40-50.
  const auto vertical = [](int position) { return lineFanHand(position, 30, {0, 0}).besideCentre[0].x == 82; };
  EXPECT_FALSE(vertical(9));
  EXPECT_TRUE(vertical(10));
  EXPECT_TRUE(vertical(20));
  EXPECT_FALSE(vertical(21));
  EXPECT_FALSE(vertical(39));
  EXPECT_TRUE(vertical(40));
  EXPECT_TRUE(vertical(50));
  EXPECT_FALSE(vertical(51));
}

TEST(AnalogClockHands, SecondHandStartsFivePixelsOut) {
  EXPECT_EQ(secondHandLine(0, 57).from, (PixelPoint{82, 77}));
  EXPECT_EQ(secondHandLine(0, 57).to, (PixelPoint{82, 25}));
  EXPECT_EQ(secondHandLine(15, 82).from, (PixelPoint{87, 82}));
  EXPECT_EQ(secondHandLine(15, 82).to, (PixelPoint{164, 82}));
  EXPECT_EQ(secondHandLine(30, 57).to, (PixelPoint{82, 139}));
  EXPECT_EQ(secondHandLine(45, 57).to, (PixelPoint{25, 82}));
  // 10 s: 30 degrees; 82 + 5 x 0.866 = 86.3, 82 - 5 x 0.5 = 79.5; 82 + 49.4, 82 - 28.5.
  EXPECT_EQ(secondHandLine(10, 57).from, (PixelPoint{86, 79}));
  EXPECT_EQ(secondHandLine(10, 57).to, (PixelPoint{131, 53}));
}

TEST(AnalogClockHands, SkinLimitsTheLengths) {
  EXPECT_EQ(limitHandLength(100, kLongestSecondHand), 80);
  EXPECT_EQ(limitHandLength(90, kLongestMinuteHand), 70);
  EXPECT_EQ(limitHandLength(83, kLongestHourHand), 60);
  EXPECT_EQ(limitHandLength(82, kLongestHourHand), 82);
  EXPECT_EQ(limitHandLength(10, kLongestHourHand), 10);
  EXPECT_EQ(limitHandLength(5, kLongestHourHand), 10);
  EXPECT_EQ(limitHandLength(-3, kLongestSecondHand), 10);

  EXPECT_EQ(handStyleFromType(1), HandStyle::kKite);
  EXPECT_EQ(handStyleFromType(2), HandStyle::kLineFan);
  for (const int other : {0, 3, 10}) EXPECT_EQ(handStyleFromType(other), HandStyle::kBar);

  const std::string path = ::testing::TempDir() + "analog_clock_skin_" + std::to_string(::getpid()) + ".xml";
  std::ofstream(path) << "<xml><AnalogClock><SecondSize>100</SecondSize><MinuteSize>90</MinuteSize>"
                         "<HourSize>5</HourSize><HandsColor>#102030</HandsColor><Is3DHands>0</Is3DHands>"
                         "<IsDatePresent>7</IsDatePresent></AnalogClock></xml>";
  CProfile profile;
  profile.SetSaveOnClose(false);
  ASSERT_TRUE(profile.Load(path));
  const AnalogClockSettings settings = ReadAnalogClockSettings(profile);
  std::filesystem::remove(path);
  EXPECT_EQ(settings.secondLength, 80);
  EXPECT_EQ(settings.minuteLength, 70);
  EXPECT_EQ(settings.hourLength, 10);
  EXPECT_EQ(settings.hourHandColor, makeColorRef(0x10, 0x20, 0x30));
  EXPECT_EQ(settings.minuteHandColor, makeColorRef(0x10, 0x20, 0x30));  // defaults to "HandsColor"
  EXPECT_EQ(settings.secondHandColor, makeColorRef(0x10, 0x20, 0x30));
  EXPECT_EQ(settings.handType, 1);
  EXPECT_FALSE(settings.hands3D);
  EXPECT_TRUE(settings.dateShown);
  EXPECT_TRUE(settings.secondShown);
  EXPECT_EQ(settings.dateX, 76);
  EXPECT_EQ(settings.dateY, 100);
  EXPECT_EQ(settings.face, "");
}

TEST(AnalogClockDial, BarHandsAtNoonCoverExactlyTheirBars) {
  // Minute bar (81..82, 25..92) outlined twice (the copy one pixel right) and filled: columns
  // 81-83, rows 25-92. Hour bar (80..83, 45..92): columns 80-84, rows 45-92, over the minute
  // hand. The cap (80..84 square less corners) lies inside the hour bar. 204 + 240 - 144 = 300.
  AnalogClockSettings settings;
  settings.handType = 10;
  settings.hands3D = false;
  settings.secondShown = false;
  settings.minuteHandColor = makeColorRef(1, 2, 3);
  settings.hourHandColor = makeColorRef(4, 5, 6);
  FramedSurface surface(kAnalogClockSize, kAnalogClockSize, kWhite);
  drawAnalogClockHands(surface.view(), settings, {12, 0, 0});
  EXPECT_TRUE(surface.frameUntouched());
  EXPECT_EQ(surface.changed(kWhite).size(), 300u);
  EXPECT_EQ(surface.at(81, 25), settings.minuteHandColor);
  EXPECT_EQ(surface.at(83, 44), settings.minuteHandColor);
  EXPECT_EQ(surface.at(81, 24), kWhite);
  EXPECT_EQ(surface.at(84, 44), kWhite);
  EXPECT_EQ(surface.at(80, 45), settings.hourHandColor);
  EXPECT_EQ(surface.at(84, 92), settings.hourHandColor);
  EXPECT_EQ(surface.at(85, 60), kWhite);
  EXPECT_EQ(surface.at(82, 93), kWhite);
}

TEST(AnalogClockDial, CentreCapAndSecondHand) {
  AnalogClockSettings settings;  // bar style, 3D, second hand shown
  settings.secondHandColor = makeColorRef(200, 0, 0);
  FramedSurface surface(kAnalogClockSize, kAnalogClockSize, kWhite);
  drawAnalogClockHands(surface.view(), settings, {0, 0, 0});
  EXPECT_TRUE(surface.frameUntouched());
  // The white disc (79..83) shows left of the hour-coloured one (80..84), the black one
  // (81..85) right of it.
  EXPECT_EQ(surface.at(79, 81), kWhite);
  EXPECT_EQ(surface.at(85, 83), kBlack);
  EXPECT_EQ(surface.at(82, 82), settings.hourHandColor);
  // The second hand: solid columns 82 and 83 from row 25 down to row 77, not nearer the centre.
  for (int y = 25; y <= 77; ++y) {
    EXPECT_EQ(surface.at(82, y), settings.secondHandColor) << y;
    EXPECT_EQ(surface.at(83, y), settings.secondHandColor) << y;
  }
  EXPECT_NE(surface.at(82, 78), settings.secondHandColor);
  EXPECT_NE(surface.at(84, 50), settings.secondHandColor);
}

TEST(AnalogClockDial, LongestHandsStayInsideTheSurface) {
  // Length 82 is allowed; the 3D copies and the second hand's copy then reach one pixel past
  // the edge, which must be clipped. Lengths far beyond are limited before drawing.
  for (const int handType : {1, 2, 10}) {
    for (const int length : {82, 1000000}) {
      for (const ClockTime time : {ClockTime{0, 0, 0}, ClockTime{3, 15, 15}, ClockTime{6, 30, 30}, ClockTime{9, 45, 45},
                                   ClockTime{12, 0, 0}, ClockTime{21, 59, 59}}) {
        AnalogClockSettings settings;
        settings.handType = handType;
        settings.hourLength = settings.minuteLength = settings.secondLength = length;
        settings.secondHandColor = makeColorRef(200, 0, 0);
        FramedSurface surface(kAnalogClockSize, kAnalogClockSize, kWhite);
        drawAnalogClockHands(surface.view(), settings, time);
        EXPECT_TRUE(surface.frameUntouched()) << handType << " " << length << " " << time.hour;
        if (length == 82 && time.second == 15) {
          EXPECT_EQ(surface.at(163, 82), settings.secondHandColor);
        }
      }
    }
  }
}

TEST(AnalogClockDial, EllipseAndPolygonRasterisation) {
  FramedSurface surface(10, 10, kWhite);
  fillEllipse(surface.view(), 2, 2, 7, 7, kBlack);  // 5 x 5 less its four corners
  EXPECT_EQ(surface.changed(kWhite).size(), 21u);
  EXPECT_EQ(surface.at(2, 2), kWhite);
  EXPECT_EQ(surface.at(3, 2), kBlack);
  EXPECT_EQ(surface.at(6, 4), kBlack);

  FramedSurface triangle(10, 10, kWhite);
  const std::array<PixelPoint, 3> corners{{{1, 1}, {7, 1}, {1, 7}}};
  fillPolygon(triangle.view(), corners, kBlack);
  // Rows 1..7: row y covers columns 1 .. 8 - y (the edges by the pen, the inside by the brush).
  EXPECT_EQ(triangle.changed(kWhite).size(), 28u);
  EXPECT_EQ(triangle.at(4, 4), kBlack);
  EXPECT_EQ(triangle.at(5, 4), kWhite);
  EXPECT_TRUE(triangle.frameUntouched());
}

TEST(AnalogClockDate, LabelAndFont) {
  AnalogClockSettings settings;
  EXPECT_FALSE(analogClockDate(settings, 5).has_value());
  settings.dateShown = true;
  settings.dateX = 76;
  settings.dateY = 100;
  settings.dateColor = makeColorRef(9, 8, 7);
  const auto date = analogClockDate(settings, 5);
  ASSERT_TRUE(date.has_value());
  EXPECT_EQ(date->text, " 5");
  EXPECT_EQ(date->position, (PixelPoint{77, 99}));
  EXPECT_EQ(date->color, makeColorRef(9, 8, 7));
  EXPECT_EQ(analogClockDate(settings, 28)->text, "28");

  EXPECT_EQ(analogClockDateFontHeight(12), 11);
  EXPECT_EQ(analogClockDateFontHeight(-12), -11);
  EXPECT_EQ(analogClockDateFontHeight(0), -1);
}

TEST(AnalogClockFace, BuiltInFaceIsADialOnMagenta) {
  CDibImage face;
  ASSERT_TRUE(
      test::Succeeded(face.Load(std::string(KALVORY_SOURCE_DIR) + "/res/pictures/analog_face.png", kImageFormatPng)));
  ASSERT_EQ(face.Width(), kAnalogClockSize);
  ASSERT_EQ(face.Height(), kAnalogClockSize);
  PixelBuffer pixels(kAnalogClockSize, kAnalogClockSize);
  for (int y = 0; y < kAnalogClockSize; ++y) {
    for (int x = 0; x < kAnalogClockSize; ++x) {
      const RgbQuad quad = face.GetPixelColor(x, y);
      pixels.set(x, y, makeColorRef(quad.red, quad.green, quad.blue));
    }
  }
  // Kept: a round dial, symmetric about the centre row, reaching the edges only near them.
  const auto spans = keptPixelSpans(pixels.view(), kClockFaceKeyColor, kShapeKeyTolerance);
  std::set<int> rows;
  for (const PixelSpan& span : spans) rows.insert(span.y);
  EXPECT_EQ(pixels.get(0, 0), kClockFaceKeyColor);
  EXPECT_EQ(pixels.get(163, 163), kClockFaceKeyColor);
  EXPECT_NE(pixels.get(82, 82), kClockFaceKeyColor);
  EXPECT_FALSE(rows.count(0));
  EXPECT_TRUE(rows.count(82));
  for (const PixelSpan& span : spans) {
    if (span.y == 82) {
      EXPECT_LE(span.left, 2);
      EXPECT_GE(span.right, 162);
    }
  }
}

}  // namespace
}  // namespace kalvory
