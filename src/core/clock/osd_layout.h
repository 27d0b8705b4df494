#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/clock/pixel_buffer.h"
#include "core/settings/system_colors.h"

namespace kalvory {

// The on-screen clock and message windows: what they decide about their pixels, their size and
// their time on screen, apart from drawing text, which the widgets do with their fonts.

// Placement flags: where the text stands inside the window.
inline constexpr int kOsdPlaceVerticalCentre = 0x01;
inline constexpr int kOsdPlaceHorizontalCentre = 0x02;
inline constexpr int kOsdPlaceRight = 0x08;
inline constexpr int kOsdPlaceBottom = 0x20;
inline constexpr int kOsdInitialPlacement = 5;
inline constexpr int kOsdCentred = kOsdPlaceVerticalCentre | kOsdPlaceHorizontalCentre;  // what the frame sets

// The window's shape keeps every pixel of the mask that is not (nearly) black.
inline constexpr ColorRef kOsdMaskKeyColor = 0;
inline constexpr ColorRef kOsdMaskTolerance = makeColorRef(0x10, 0x10, 0x10);

struct OsdSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const OsdSize&, const OsdSize&) = default;
};

// --- text set on the windows

// What `SetText` stores: every carriage return removed, "%~" and "%-" turned into the raised-
// text marks; `changed` when that differs from the current text (the window becomes dirty).
struct OsdText {
  std::string text;
  bool changed = false;
};
OsdText osdSetText(std::string_view current, std::string_view text);

// --- measuring and placing

// The text cut at line feeds; one empty line for an empty text.
std::vector<std::string> splitOsdLines(std::string_view text);
// The text's size: the widest line by the number of lines times the height of the whole text
// measured in one piece in the main font. Each line is measured with its marks as they stand.
OsdSize osdTextSize(std::span<const int> lineWidths, int wholeTextHeight);
// The window is the text with a margin of 5 pixels on every side.
OsdSize osdWindowSize(OsdSize text);
// Where the text stands in a window of size `window`: right (flag 8) or horizontally centred
// (2), at the bottom (0x20) or vertically centred (1), else at 0.
PixelPoint osdTextOffset(int placement, OsdSize window, OsdSize text);

// The three fonts: the chosen one, the same face at three quarters of its height for raised
// text, and the symbol font at the main font's height.
enum class OsdFont { kMain, kSmall, kSymbol };
int osdSmallFontHeight(int mainHeight);  // height x 3 / 4

// One character to draw, top-left aligned at `position` in `font`. For a symbol, `character`
// is the Unicode equivalent of the Webdings glyph `symbolCode`; other pieces have symbolCode -1.
struct OsdTextPiece {
  char32_t character = 0;
  int symbolCode = -1;
  OsdFont font = OsdFont::kMain;
  PixelPoint position;
};
struct OsdGlyphSize {
  int width = 0;
  int height = 0;
};
// Measures one piece (its position not yet set) in its font.
using OsdMeasure = std::function<OsdGlyphSize(const OsdTextPiece&)>;

// The walk over the text from `origin`: a line feed starts the next line `lineHeight` lower;
// a symbol mark draws the next character in the symbol font a quarter of that symbol's height
// lower and returns to the main font; the raised-text marks switch to the small font and back;
// every other character is drawn alone in the current font. A symbol mark at the very end
// draws nothing.
std::vector<OsdTextPiece> layoutOsdText(std::string_view text, PixelPoint origin, int lineHeight,
                                        const OsdMeasure& measure);

// --- pixels

// A channel of step `step` of `steps` from `from` to `to`: from + (to - from) x step / steps,
// rounded to nearest with halves away from zero.
ColorRef osdGradientColor(ColorRef from, ColorRef to, int step, int steps);
// Paints the gradient over the rectangle from `origin` of (text width + 5) x (text height + 5),
// a line at a time: rows top to bottom when vertical, else columns left to right. Clipped to
// the view.
void paintOsdGradient(const PixelView& image, PixelPoint origin, OsdSize text, ColorRef textColor,
                      ColorRef gradientColor, bool vertical);
// image := (image AND glyph mask) OR shadow layer, pixel by pixel over the area the three
// share: the lettering keeps its colours, the shadow takes the shadow colour.
void combineOsdShadow(const PixelView& image, const PixelView& glyphMask, const PixelView& shadowLayer);

// A run of kept pixels on row y, from left up to (not including) right.
struct PixelSpan {
  int y = 0;
  int left = 0;
  int right = 0;
  friend bool operator==(const PixelSpan&, const PixelSpan&) = default;
};
// The pixels a shape keeps: a pixel is cut away when each of its channels lies between the
// key's channel and the key's channel plus the tolerance's (at most 255). Row by row, left to
// right, so a widget can add the spans to a QRegion as rectangles one pixel high.
std::vector<PixelSpan> keptPixelSpans(const PixelView& mask, ColorRef key, ColorRef tolerance);

// --- looks set on the configuration page

// Constant alpha of the window: opacity x 255 / 100, opacity taken within 0 to 100.
int osdAlpha(int opacity);
// The transparency slider (0 to 5) shows opacity / 20 and writes position x 20.
int osdSliderFromOpacity(int opacity);
int osdOpacityFromSlider(int position);
// Shadow shifts are kept within -6 to 6.
int limitShadowShift(int shift);

// --- time on screen

// The reminder's "ShowTime" in minutes as tenths of a second, which the message window counts
// down: ShowTime x 600 (0 for a negative value, at most 0xFFFFFFFE).
std::uint32_t showTimeTenths(std::int64_t showTimeMinutes);

// The display time of a window, in tenths of a second.
class OsdDisplayTime {
 public:
  // The clock's time left: it never runs out.
  static constexpr std::uint32_t kForever = 0xFFFFFFFFu;

  explicit OsdDisplayTime(std::uint32_t defaultTime = 10, std::uint32_t left = 0)
      : default_(defaultTime), left_(left) {}

  void SetDefaultTime(std::uint32_t tenths) { default_ = tenths; }
  std::uint32_t defaultTime() const { return default_; }
  std::uint32_t left() const { return left_; }

  // `Show`: the time left becomes `tenths`, or the default time when it is 0.
  void Show(std::uint32_t tenths) { left_ = tenths != 0 ? tenths : default_; }
  // The message window's 500 ms tick: the time left goes down by 5 (never below 0); true when
  // nothing is left and the window, visible, must now be hidden.
  bool Tick(bool visible);
  // While time is left, the window's visibility follows its showing flag.
  bool followsShowing() const { return left_ != 0; }

 private:
  std::uint32_t default_;
  std::uint32_t left_;
};

}  // namespace kalvory
