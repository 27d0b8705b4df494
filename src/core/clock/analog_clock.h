#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>

#include "core/clock/pixel_buffer.h"
#include "core/settings/system_colors.h"

namespace kalvory {

class CProfile;
struct AnalogClockSkin;

// The analog clock is a fixed 164 x 164 picture with the dial's centre at (82, 82).
inline constexpr int kAnalogClockSize = 164;
inline constexpr int kAnalogClockCentre = 82;
// The colour cut away from a clock face, and how far a pixel may lie from it and still be cut.
inline constexpr ColorRef kClockFaceKeyColor = makeColorRef(255, 0, 255);
inline constexpr ColorRef kShapeKeyTolerance = makeColorRef(0x10, 0x10, 0x10);
// The built-in face, a Qt resource made from res/pictures/analog_face.png.
inline constexpr const char* kBuiltInClockFace = ":/pictures/analog_face.png";

// "HandType": 1 kite, 2 line fan, any other value bar.
enum class HandStyle { kBar, kKite, kLineFan };
HandStyle handStyleFromType(int handType);

// Everything the clock draws besides its face. The initial values are those the clock has
// before a skin is applied.
struct AnalogClockSettings {
  std::string face;                                         // the face picture file; empty for the built-in face
  ColorRef hourHandColor = makeColorRef(0xA0, 0xA0, 0xA0);  // also the centre cap
  ColorRef minuteHandColor = makeColorRef(0xA0, 0xA0, 0xA0);
  ColorRef secondHandColor = makeColorRef(0xA0, 0xA0, 0xA0);
  int handType = 10;
  int hourLength = 37;
  int minuteLength = 57;
  int secondLength = 57;
  bool hands3D = true;
  bool secondShown = true;
  bool dateShown = false;
  int dateX = 105;
  int dateY = 76;
  ColorRef dateColor = 0;
};

// The longest hands a skin may ask for, which a length above 82 becomes; anything below 10
// becomes 10.
inline constexpr int kLongestSecondHand = 80;
inline constexpr int kLongestMinuteHand = 70;
inline constexpr int kLongestHourHand = 60;
int limitHandLength(int length, int longest);

// The settings of a skin's "AnalogClock" section, lengths limited.
AnalogClockSettings analogClockSettingsFromSkin(const AnalogClockSkin& skin);
// Reads the "AnalogClock" section of a skin store with its defaults (the face defaults to "").
AnalogClockSettings ReadAnalogClockSettings(CProfile& skin);

// The time the dial shows: hour 0-23, minute 0-59, second 0-59.
struct ClockTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Draws the hands, the centre cap and the second hand over the face (and the date, which the
// widget has drawn with its font already) in `view`, which holds the 164 x 164 dial at its
// top left. Pixels outside the view are never touched, whatever the lengths.
void drawAnalogClockHands(const PixelView& view, const AnalogClockSettings& settings, const ClockTime& time);

// The day-of-month label, drawn by the widget before the hands: "%2d" of the day at
// (date x + 1, date y - 1) in the date colour, Arial bold. Nothing when the date is not shown.
struct AnalogClockDate {
  std::string text;
  PixelPoint position;
  ColorRef color = 0;
};
std::optional<AnalogClockDate> analogClockDate(const AnalogClockSettings& settings, int dayOfMonth);
// The date font's height from the window's font height: one unit toward zero, 0 giving -1.
int analogClockDateFontHeight(int windowFontHeight);

// --- the pieces the drawing is made of, exposed for the clock preview and for tests

// Per channel: lighter is 255 from 128 up, twice the value from 64 to 127, 128 below 64;
// darker is half the value.
ColorRef lighterColor(ColorRef color);
ColorRef darkerColor(ColorRef color);

// A line blended into the pixels beneath by luminance, with a 16-bit error accumulator. The end
// points are drawn solid; horizontal, vertical and diagonal lines are drawn solid throughout.
// Lines with a coordinate outside -32767..32767 are not drawn.
void drawAntialiasedLine(const PixelView& view, PixelPoint from, PixelPoint to, ColorRef color);

// A closed outline drawn edge by edge with the antialiased line, each edge twice, the second
// time one pixel further right.
void drawHandOutline(const PixelView& view, std::span<const PixelPoint> points, ColorRef color);
// A polygon filled with a brush and outlined with a one-pixel pen, both in `color`: the pixels
// whose points lie inside (even-odd, left and top edges included), then a solid line along
// every edge.
void fillPolygon(const PixelView& view, std::span<const PixelPoint> points, ColorRef color);
// An ellipse filled and outlined in `color` inside the box from (left, top) to (right, bottom),
// the right and bottom edges excluded: the pixels whose centres lie in the inscribed ellipse.
void fillEllipse(const PixelView& view, int left, int top, int right, int bottom, ColorRef color);

// Turns a point of the dial clockwise about the centre by `angle` rounded down to a multiple
// of 6 degrees, with sine and cosine to six decimal places and each coordinate truncated.
PixelPoint rotateAboutCentre(PixelPoint point, int angle);
int minuteHandAngle(int minute);          // minute x 6
int hourHandAngle(int hour, int minute);  // (hour x 30) mod 360 + minute / 2
// Sine and cosine of row `row` (0-59, 6 degrees apart) in millionths.
struct SineRow {
  int angle;
  int sine;
  int cosine;
};
const std::array<SineRow, 60>& sineTable();

// The hand shapes before rotation (M the minute, H the hour hand length).
struct KiteHandShape {
  std::array<PixelPoint, 4> outline;
  std::array<PixelPoint, 4> inner;
};
KiteHandShape kiteMinuteHand(int length);
KiteHandShape kiteHourHand(int length);
std::array<PixelPoint, 4> barMinuteHand(int length);
std::array<PixelPoint, 4> barHourHand(int length);

// The line-fan hand at position `position` (minutes round the dial), drawn with an offset.
int lineFanHourPosition(int hour, int minute);  // minute / 12 + 5 x hour, hour 0-12
struct LineFanHand {
  PixelPoint centre;
  PixelPoint tip;
  PixelPoint nearTip;  // 4 pixels short of the tip
  std::array<PixelPoint, 4> besideCentre;
};
LineFanHand lineFanHand(int position, int length, PixelPoint offset);

// The second hand's line, from 5 pixels out to its length.
struct SecondHandLine {
  PixelPoint from;
  PixelPoint to;
};
SecondHandLine secondHandLine(int second, int length);

}  // namespace kalvory
