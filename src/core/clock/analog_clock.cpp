#include "core/clock/analog_clock.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <utility>
#include <vector>

#include "core/settings/profile.h"
#include "core/skins/definitions.h"

namespace kalvory {

namespace {

constexpr int kCentre = kAnalogClockCentre;
constexpr ColorRef kWhite = makeColorRef(255, 255, 255);
constexpr ColorRef kBlack = 0;

// Sine and cosine of every sixth degree to six decimal places, kept as millionths so that the
// rotation is exact decimal arithmetic and truncates the same way on every machine.
constexpr std::array<SineRow, 60> kSineTable{{
    {0, 0, 1000000},         {6, 104528, 994522},     {12, 207912, 978148},    {18, 309017, 951057},
    {24, 406737, 913545},    {30, 500000, 866025},    {36, 587785, 809017},    {42, 669131, 743145},
    {48, 743145, 669131},    {54, 809017, 587785},    {60, 866025, 500000},    {66, 913545, 406737},
    {72, 951057, 309017},    {78, 978148, 207912},    {84, 994522, 104528},    {90, 1000000, 0},
    {96, 994522, -104528},   {102, 978148, -207912},  {108, 951057, -309017},  {114, 913545, -406737},
    {120, 866025, -500000},  {126, 809017, -587785},  {132, 743145, -669131},  {138, 669131, -743145},
    {144, 587785, -809017},  {150, 500000, -866025},  {156, 406737, -913545},  {162, 309017, -951057},
    {168, 207912, -978148},  {174, 104528, -994522},  {180, 0, -1000000},      {186, -104528, -994522},
    {192, -207912, -978148}, {198, -309017, -951057}, {204, -406737, -913545}, {210, -500000, -866025},
    {216, -587785, -809017}, {222, -669131, -743145}, {228, -743145, -669131}, {234, -809017, -587785},
    {240, -866025, -500000}, {246, -913545, -406737}, {252, -951057, -309017}, {258, -978148, -207912},
    {264, -994522, -104528}, {270, -1000000, 0},      {276, -994522, 104528},  {282, -978148, 207912},
    {288, -951057, 309017},  {294, -913545, 406737},  {300, -866025, 500000},  {306, -809017, 587785},
    {312, -743145, 669131},  {318, -669131, 743145},  {324, -587785, 809017},  {330, -500000, 866025},
    {336, -406737, 913545},  {342, -309017, 951057},  {348, -207912, 978148},  {354, -104528, 994522},
}};

// GDI kept device coordinates in 16 bits; a line beyond that is refused rather than walked
// pixel by pixel for minutes.
constexpr int kLargestCoordinate = 32767;

// Luminance in thousandths (0.299 R + 0.587 G + 0.114 B), compared exactly.
int luminance(ColorRef color) { return 299 * redOf(color) + 587 * greenOf(color) + 114 * blueOf(color); }

int blendChannel(int line, int beneath, int weight) {
  if (beneath > line) return line + (beneath - line) * weight / 255;
  return beneath + (line - beneath) * weight / 255;
}

// One pixel beside the ideal line. The weight w grows as the line moves away from the pixel on
// the line and toward its neighbour; which of w and 255 - w a pixel takes depends on whether
// the line is darker than what lies beneath it.
void blendLinePixel(const PixelView& view, int x, int y, ColorRef color, int lineLuminance, int w, bool onLine) {
  if (!view.contains(x, y)) return;
  Pixel& pixel = view.at(x, y);
  const ColorRef beneath = colorRefFromPixel(pixel);
  const bool lighterBeneath = lineLuminance < luminance(beneath);
  const int weight = lighterBeneath == onLine ? w : (w ^ 255);
  pixel =
      pixelFromColorRef(makeColorRef(static_cast<std::uint8_t>(blendChannel(redOf(color), redOf(beneath), weight)),
                                     static_cast<std::uint8_t>(blendChannel(greenOf(color), greenOf(beneath), weight)),
                                     static_cast<std::uint8_t>(blendChannel(blueOf(color), blueOf(beneath), weight))));
}

bool withinCoordinates(PixelPoint point) {
  return std::abs(point.x) <= kLargestCoordinate && std::abs(point.y) <= kLargestCoordinate;
}

PixelPoint moved(PixelPoint point, int dx, int dy) { return {point.x + dx, point.y + dy}; }

template <std::size_t N>
std::array<PixelPoint, N> movedAll(const std::array<PixelPoint, N>& points, int dx, int dy) {
  std::array<PixelPoint, N> result{};
  for (std::size_t i = 0; i < N; ++i) result[i] = moved(points[i], dx, dy);
  return result;
}

template <std::size_t N>
std::array<PixelPoint, N> rotatedAll(const std::array<PixelPoint, N>& points, int angle) {
  std::array<PixelPoint, N> result{};
  for (std::size_t i = 0; i < N; ++i) result[i] = rotateAboutCentre(points[i], angle);
  return result;
}

// A plain one-pixel line including both end points, as a solid pen draws a polygon's edges.
void drawSolidLine(const PixelView& view, PixelPoint from, PixelPoint to, ColorRef color) {
  if (!withinCoordinates(from) || !withinCoordinates(to)) return;
  const int dx = std::abs(to.x - from.x);
  const int dy = -std::abs(to.y - from.y);
  const int stepX = from.x < to.x ? 1 : -1;
  const int stepY = from.y < to.y ? 1 : -1;
  int error = dx + dy;
  PixelPoint at = from;
  for (;;) {
    view.set(at.x, at.y, color);
    if (at == to) break;
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      at.x += stepX;
    }
    if (twice <= dx) {
      error += dx;
      at.y += stepY;
    }
  }
}

std::int64_t ceilDivide(std::int64_t numerator, std::int64_t denominator) {
  // denominator > 0
  if (numerator >= 0) return (numerator + denominator - 1) / denominator;
  return -((-numerator) / denominator);
}

// Sine of whole degrees, exact where the value is rational (0, 1/2 or 1): the library's
// sin(pi) is 1.2e-16 rather than 0, which would truncate a hand pointing straight down one pixel
// to the left.
double sineOfDegrees(int degrees) {
  const int angle = ((degrees % 360) + 360) % 360;
  switch (angle) {
    case 0:
    case 180:
      return 0.0;
    case 90:
      return 1.0;
    case 270:
      return -1.0;
    case 30:
    case 150:
      return 0.5;
    case 210:
    case 330:
      return -0.5;
    default:
      return std::sin(angle * std::numbers::pi / 180.0);
  }
}
double cosineOfDegrees(int degrees) { return sineOfDegrees(90 - degrees); }

// 90 - 6 x position degrees, plus 360 when negative: the dial's angle counted from three o'clock.
int dialAngle(int position) {
  int angle = 90 - 6 * position;
  if (angle < 0) angle += 360;
  return angle;
}

void drawKiteHand(const PixelView& view, const KiteHandShape& shape, int angle, ColorRef color, bool hands3D,
                  bool outlineFirst) {
  const auto outline = rotatedAll(shape.outline, angle);
  const auto inner = rotatedAll(shape.inner, angle);
  if (outlineFirst) drawHandOutline(view, outline, color);
  if (hands3D) {
    drawHandOutline(view, movedAll(outline, -1, -1), lighterColor(color));
    drawHandOutline(view, movedAll(outline, 1, 1), darkerColor(color));
  }
  drawHandOutline(view, outline, color);
  drawHandOutline(view, inner, color);
  fillPolygon(view, inner, color);
}

void drawBarHand(const PixelView& view, const std::array<PixelPoint, 4>& shape, int angle, ColorRef color,
                 bool hands3D) {
  const auto bar = rotatedAll(shape, angle);
  if (hands3D) {
    drawHandOutline(view, movedAll(bar, -1, -1), lighterColor(color));
    drawHandOutline(view, movedAll(bar, 1, 1), darkerColor(color));
  }
  drawHandOutline(view, bar, color);
  fillPolygon(view, bar, color);
}

void drawLineFan(const PixelView& view, int position, int length, PixelPoint offset, ColorRef color) {
  const LineFanHand hand = lineFanHand(position, length, offset);
  drawAntialiasedLine(view, hand.tip, hand.centre, color);
  for (const PixelPoint& beside : hand.besideCentre) drawAntialiasedLine(view, hand.nearTip, beside, color);
}

void drawLineFanHand(const PixelView& view, int position, int length, ColorRef color, bool hands3D) {
  if (hands3D) {
    drawLineFan(view, position, length, {-1, -1}, lighterColor(color));
    drawLineFan(view, position, length, {1, 1}, darkerColor(color));
  }
  drawLineFan(view, position, length, {0, 0}, color);
}

}  // namespace

HandStyle handStyleFromType(int handType) {
  if (handType == 1) return HandStyle::kKite;
  if (handType == 2) return HandStyle::kLineFan;
  return HandStyle::kBar;
}

int limitHandLength(int length, int longest) {
  if (length > kAnalogClockCentre) return longest;
  if (length < 10) return 10;
  return length;
}

AnalogClockSettings analogClockSettingsFromSkin(const AnalogClockSkin& skin) {
  AnalogClockSettings settings;
  settings.face = skin.skin;
  settings.hourHandColor = skin.handsColor;
  settings.minuteHandColor = skin.minuteHandColor;
  settings.secondHandColor = skin.secondHandsColor;
  settings.handType = skin.handType;
  settings.hourLength = limitHandLength(skin.hourSize, kLongestHourHand);
  settings.minuteLength = limitHandLength(skin.minuteSize, kLongestMinuteHand);
  settings.secondLength = limitHandLength(skin.secondSize, kLongestSecondHand);
  settings.hands3D = skin.is3DHands != 0;
  settings.secondShown = skin.isSecondPresent != 0;
  settings.dateShown = skin.isDatePresent != 0;
  settings.dateX = skin.dateX;
  settings.dateY = skin.dateY;
  settings.dateColor = skin.dateColor;
  return settings;
}

AnalogClockSettings ReadAnalogClockSettings(CProfile& skin) {
  return analogClockSettingsFromSkin(ReadAnalogClockSkin(skin, ""));
}

ColorRef lighterColor(ColorRef color) {
  const auto lighter = [](int channel) {
    if (channel >= 128) return 255;
    if (channel >= 64) return 2 * channel;
    return 128;
  };
  return makeColorRef(static_cast<std::uint8_t>(lighter(redOf(color))),
                      static_cast<std::uint8_t>(lighter(greenOf(color))),
                      static_cast<std::uint8_t>(lighter(blueOf(color))));
}

ColorRef darkerColor(ColorRef color) {
  return makeColorRef(static_cast<std::uint8_t>(redOf(color) / 2), static_cast<std::uint8_t>(greenOf(color) / 2),
                      static_cast<std::uint8_t>(blueOf(color) / 2));
}

void drawAntialiasedLine(const PixelView& view, PixelPoint from, PixelPoint to, ColorRef color) {
  if (!withinCoordinates(from) || !withinCoordinates(to)) return;
  if (from.y > to.y) std::swap(from, to);
  int x = from.x;
  int y = from.y;
  view.set(x, y, color);

  int xDirection = 1;
  int dx = to.x - from.x;
  if (dx < 0) {
    xDirection = -1;
    dx = -dx;
  }
  int dy = to.y - from.y;
  if (dy == 0) {
    while (dx-- > 0) {
      x += xDirection;
      view.set(x, y, color);
    }
    return;
  }
  if (dx == 0) {
    while (dy-- > 0) {
      ++y;
      view.set(x, y, color);
    }
    return;
  }
  if (dx == dy) {
    while (dy-- > 0) {
      x += xDirection;
      ++y;
      view.set(x, y, color);
    }
    return;
  }

  const int lineLuminance = luminance(color);
  std::uint16_t accumulator = 0;
  if (dy > dx) {
    // Steep: one row per step, the neighbour beside it in x.
    const auto adjust =
        static_cast<std::uint16_t>((static_cast<std::uint32_t>(dx) << 16) / static_cast<std::uint32_t>(dy));
    for (int step = 1; step < dy; ++step) {
      const std::uint16_t before = accumulator;
      accumulator = static_cast<std::uint16_t>(accumulator + adjust);
      if (accumulator < before) x += xDirection;
      ++y;
      const int w = accumulator >> 8;
      blendLinePixel(view, x, y, color, lineLuminance, w, true);
      blendLinePixel(view, x + xDirection, y, color, lineLuminance, w, false);
    }
  } else {
    // Flat: one column per step, the neighbour below it.
    const auto adjust =
        static_cast<std::uint16_t>((static_cast<std::uint32_t>(dy) << 16) / static_cast<std::uint32_t>(dx));
    for (int step = 1; step < dx; ++step) {
      const std::uint16_t before = accumulator;
      accumulator = static_cast<std::uint16_t>(accumulator + adjust);
      if (accumulator < before) ++y;
      x += xDirection;
      const int w = accumulator >> 8;
      blendLinePixel(view, x, y, color, lineLuminance, w, true);
      blendLinePixel(view, x, y + 1, color, lineLuminance, w, false);
    }
  }
  view.set(to.x, to.y, color);
}

void drawHandOutline(const PixelView& view, std::span<const PixelPoint> points, ColorRef color) {
  for (std::size_t i = 0; i < points.size(); ++i) {
    const PixelPoint from = points[i];
    const PixelPoint to = points[(i + 1) % points.size()];
    drawAntialiasedLine(view, from, to, color);
    drawAntialiasedLine(view, moved(from, 1, 0), moved(to, 1, 0), color);
  }
}

void fillPolygon(const PixelView& view, std::span<const PixelPoint> points, ColorRef color) {
  if (points.empty()) return;
  if (!std::all_of(points.begin(), points.end(), withinCoordinates)) return;
  const auto [lowest, highest] =
      std::minmax_element(points.begin(), points.end(), [](PixelPoint a, PixelPoint b) { return a.y < b.y; });
  const int top = std::max(lowest->y, 0);
  const int bottom = std::min(highest->y, view.height);  // rows top .. bottom - 1
  std::vector<std::int64_t> crossings;
  for (int row = top; row < bottom; ++row) {
    crossings.clear();
    for (std::size_t i = 0; i < points.size(); ++i) {
      const PixelPoint a = points[i];
      const PixelPoint b = points[(i + 1) % points.size()];
      if (a.y == b.y) continue;
      const PixelPoint upper = a.y < b.y ? a : b;
      const PixelPoint lower = a.y < b.y ? b : a;
      if (row < upper.y || row >= lower.y) continue;  // the lower end belongs to the next edge
      // The first pixel at or right of the crossing x = upper.x + (row - upper.y) * run / rise.
      const std::int64_t rise = lower.y - upper.y;
      const std::int64_t numerator =
          static_cast<std::int64_t>(upper.x) * rise + static_cast<std::int64_t>(row - upper.y) * (lower.x - upper.x);
      crossings.push_back(ceilDivide(numerator, rise));
    }
    std::sort(crossings.begin(), crossings.end());
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
      const auto first = static_cast<int>(std::max<std::int64_t>(crossings[i], 0));
      const auto end = static_cast<int>(std::min<std::int64_t>(crossings[i + 1], view.width));
      for (int column = first; column < end; ++column) view.at(column, row) = pixelFromColorRef(color);
    }
  }
  for (std::size_t i = 0; i < points.size(); ++i)
    drawSolidLine(view, points[i], points[(i + 1) % points.size()], color);
}

void fillEllipse(const PixelView& view, int left, int top, int right, int bottom, ColorRef color) {
  // Doubled coordinates keep the pixel centres (x + 0.5) whole.
  const std::int64_t width = right - left;
  const std::int64_t height = bottom - top;
  if (width <= 0 || height <= 0) return;
  const std::int64_t limit = width * width * height * height;
  for (int y = std::max(top, 0); y < std::min(bottom, view.height); ++y) {
    const std::int64_t dy = 2 * static_cast<std::int64_t>(y) + 1 - top - bottom;
    for (int x = std::max(left, 0); x < std::min(right, view.width); ++x) {
      const std::int64_t dx = 2 * static_cast<std::int64_t>(x) + 1 - left - right;
      if (dx * dx * height * height + dy * dy * width * width <= limit) view.at(x, y) = pixelFromColorRef(color);
    }
  }
}

const std::array<SineRow, 60>& sineTable() { return kSineTable; }

PixelPoint rotateAboutCentre(PixelPoint point, int angle) {
  const int normalised = ((angle % 360) + 360) % 360;
  const SineRow& row = kSineTable[static_cast<std::size_t>(normalised / 6)];
  const std::int64_t x = point.x - kCentre;
  const std::int64_t y = point.y - kCentre;
  // Integer division truncates toward zero, as the conversion of the products did.
  const std::int64_t turnedX = (x * row.cosine - y * row.sine) / 1000000;
  const std::int64_t turnedY = (x * row.sine + y * row.cosine) / 1000000;
  return {static_cast<int>(turnedX) + kCentre, static_cast<int>(turnedY) + kCentre};
}

int minuteHandAngle(int minute) { return minute * 6; }

int hourHandAngle(int hour, int minute) { return (hour * 30) % 360 + minute / 2; }

KiteHandShape kiteMinuteHand(int length) {
  const int m = length;
  return {{{{82, 82 - m}, {84, 97 - m}, {82, 82}, {80, 97 - m}}},
          {{{82, 84 - m}, {83, 97 - m}, {82, 77}, {81, 97 - m}}}};
}

KiteHandShape kiteHourHand(int length) {
  const int h = length;
  return {{{{82, 82 - h}, {85, 89 - h}, {82, 82}, {79, 89 - h}}},
          {{{82, 83 - h}, {84, 89 - h}, {82, 77}, {80, 89 - h}}}};
}

std::array<PixelPoint, 4> barMinuteHand(int length) {
  return {{{82, 82 - length}, {82, 92}, {81, 92}, {81, 82 - length}}};
}

std::array<PixelPoint, 4> barHourHand(int length) {
  return {{{80, 82 - length}, {80, 92}, {83, 92}, {83, 82 - length}}};
}

int lineFanHourPosition(int hour, int minute) {
  const int dialHour = hour > 12 ? hour - 12 : hour;
  return minute / 12 + 5 * dialHour;
}

LineFanHand lineFanHand(int position, int length, PixelPoint offset) {
  const int angle = dialAngle(position);
  const double cosine = cosineOfDegrees(angle);
  const double sine = sineOfDegrees(angle);
  const int dx = offset.x;
  const int dy = offset.y;
  LineFanHand hand;
  hand.centre = {kCentre + dx, kCentre + dy};
  hand.tip = {dx + static_cast<int>(std::trunc(length * cosine + kCentre)),
              dy - static_cast<int>(std::trunc(length * sine - kCentre))};
  hand.nearTip = {dx + static_cast<int>(std::trunc((length - 4) * cosine + kCentre)),
                  dy + static_cast<int>(std::trunc((4 - length) * sine + kCentre))};
  // A hand near the horizontal fans out above and below the centre, any other beside it.
  const bool nearHorizontal = (position > 9 && position <= 20) || (position >= 40 && position <= 50);
  constexpr std::array<int, 4> kSpread{-2, -1, 1, 2};
  for (std::size_t i = 0; i < kSpread.size(); ++i) {
    hand.besideCentre[i] = nearHorizontal ? moved(hand.centre, 0, kSpread[i]) : moved(hand.centre, kSpread[i], 0);
  }
  return hand;
}

SecondHandLine secondHandLine(int second, int length) {
  const int angle = dialAngle(second);
  const double cosine = cosineOfDegrees(angle);
  const double sine = sineOfDegrees(angle);
  const auto at = [&](int radius) {
    return PixelPoint{static_cast<int>(std::trunc(kCentre + radius * cosine)),
                      static_cast<int>(std::trunc(kCentre - radius * sine))};
  };
  return {at(5), at(length)};
}

void drawAnalogClockHands(const PixelView& view, const AnalogClockSettings& settings, const ClockTime& clockTime) {
  // A leap second (60) stands where 0 does.
  const auto wrap = [](int value, int period) { return ((value % period) + period) % period; };
  const ClockTime time{wrap(clockTime.hour, 24), wrap(clockTime.minute, 60), wrap(clockTime.second, 60)};
  // The skin reader limits the lengths already; limiting again keeps settings made any other
  // way from walking lines far outside the dial.
  const int hourLength = limitHandLength(settings.hourLength, kLongestHourHand);
  const int minuteLength = limitHandLength(settings.minuteLength, kLongestMinuteHand);
  const int secondLength = limitHandLength(settings.secondLength, kLongestSecondHand);
  const bool hands3D = settings.hands3D;

  switch (handStyleFromType(settings.handType)) {
    case HandStyle::kKite: {
      const int minuteAngle = minuteHandAngle(time.minute);
      const int hourAngle = hourHandAngle(time.hour, time.minute);
      drawKiteHand(view, kiteMinuteHand(minuteLength), minuteAngle, settings.minuteHandColor, hands3D, false);
      drawKiteHand(view, kiteHourHand(hourLength), hourAngle, settings.hourHandColor, hands3D, true);
      break;
    }
    case HandStyle::kBar: {
      drawBarHand(view, barMinuteHand(minuteLength), minuteHandAngle(time.minute), settings.minuteHandColor, hands3D);
      drawBarHand(view, barHourHand(hourLength), hourHandAngle(time.hour, time.minute), settings.hourHandColor,
                  hands3D);
      break;
    }
    case HandStyle::kLineFan: {
      drawLineFanHand(view, time.minute, minuteLength, settings.minuteHandColor, hands3D);
      drawLineFanHand(view, lineFanHourPosition(time.hour, time.minute), hourLength, settings.hourHandColor, hands3D);
      break;
    }
  }

  if (hands3D) {
    fillEllipse(view, 79, 79, 84, 84, kWhite);
    fillEllipse(view, 81, 81, 86, 86, kBlack);
  }
  fillEllipse(view, 80, 80, 85, 85, settings.hourHandColor);

  if (settings.secondShown) {
    const SecondHandLine line = secondHandLine(time.second, secondLength);
    drawAntialiasedLine(view, line.from, line.to, settings.secondHandColor);
    drawAntialiasedLine(view, moved(line.from, 1, 0), moved(line.to, 1, 0), settings.secondHandColor);
  }
}

std::optional<AnalogClockDate> analogClockDate(const AnalogClockSettings& settings, int dayOfMonth) {
  if (!settings.dateShown) return std::nullopt;
  char text[16];
  std::snprintf(text, sizeof text, "%2d", dayOfMonth);
  return AnalogClockDate{text, {settings.dateX + 1, settings.dateY - 1}, settings.dateColor};
}

int analogClockDateFontHeight(int windowFontHeight) {
  if (windowFontHeight > 0) return windowFontHeight - 1;
  if (windowFontHeight < 0) return windowFontHeight + 1;
  return -1;
}

}  // namespace kalvory
