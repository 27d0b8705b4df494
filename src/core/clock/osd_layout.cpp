#include "core/clock/osd_layout.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "core/clock/time_format.h"
#include "core/common/symbol_font.h"
#include "core/common/text.h"

namespace kalvory {

namespace {

// a x b / c rounded to nearest, halves away from zero, in 64 bits so nothing overflows.
std::int64_t mulDivRounded(std::int64_t a, std::int64_t b, std::int64_t c) {
  if (c < 0) {
    a = -a;
    c = -c;
  }
  const std::int64_t product = a * b;
  if (product >= 0) return (product + c / 2) / c;
  return -((-product + c / 2) / c);
}

std::uint8_t clampChannel(std::int64_t value) {
  return static_cast<std::uint8_t>(std::clamp<std::int64_t>(value, 0, 255));
}

bool isCut(ColorRef color, ColorRef key, ColorRef tolerance) {
  const auto within = [](int channel, int keyChannel, int toleranceChannel) {
    return channel >= keyChannel && channel <= std::min(keyChannel + toleranceChannel, 255);
  };
  return within(redOf(color), redOf(key), redOf(tolerance)) &&
         within(greenOf(color), greenOf(key), greenOf(tolerance)) &&
         within(blueOf(color), blueOf(key), blueOf(tolerance));
}

}  // namespace

OsdText osdSetText(std::string_view current, std::string_view text) {
  std::string withoutReturns;
  withoutReturns.reserve(text.size());
  for (const char c : text) {
    if (c != '\r') withoutReturns += c;
  }
  OsdText result{insertRaisedTextMarks(withoutReturns), false};
  result.changed = result.text != current;
  return result;
}

std::vector<std::string> splitOsdLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      return lines;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
}

OsdSize osdTextSize(std::span<const int> lineWidths, int wholeTextHeight) {
  OsdSize size;
  for (const int width : lineWidths) size.width = std::max(size.width, width);
  const auto lines = static_cast<int>(std::max<std::size_t>(lineWidths.size(), 1));
  size.height = lines * wholeTextHeight;
  return size;
}

OsdSize osdWindowSize(OsdSize text) { return {text.width + 10, text.height + 10}; }

PixelPoint osdTextOffset(int placement, OsdSize window, OsdSize text) {
  PixelPoint offset;
  if (placement & kOsdPlaceRight) {
    offset.x = window.width - text.width - 5;
  } else if (placement & kOsdPlaceHorizontalCentre) {
    offset.x = (window.width - text.width) / 2;
  }
  if (placement & kOsdPlaceBottom) {
    offset.y = window.height - text.height - 5;
  } else if (placement & kOsdPlaceVerticalCentre) {
    offset.y = (window.height - text.height) / 2;
  }
  return offset;
}

int osdSmallFontHeight(int mainHeight) {
  // Worked out wide, so that a hostile height from a settings file cannot overflow.
  return static_cast<int>(static_cast<std::int64_t>(mainHeight) * 3 / 4);
}

std::vector<OsdTextPiece> layoutOsdText(std::string_view text, PixelPoint origin, int lineHeight,
                                        const OsdMeasure& measure) {
  std::vector<OsdTextPiece> pieces;
  PixelPoint pen = origin;
  OsdFont current = OsdFont::kMain;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char32_t character = nextCodePoint(text, pos);
    if (character == U'\n') {
      pen.y += lineHeight;
      pen.x = origin.x;
    } else if (character == kSymbolMark) {
      if (pos >= text.size()) break;
      const char32_t marked = nextCodePoint(text, pos);
      OsdTextPiece piece;
      piece.character = symbolForMarkedCharacter(marked);
      piece.symbolCode = symbolCodeOfCharacter(marked).value_or(-1);
      piece.font = OsdFont::kSymbol;
      const OsdGlyphSize size = measure(piece);
      piece.position = {pen.x, pen.y + size.height / 4};
      pieces.push_back(piece);
      pen.x += size.width;
      current = OsdFont::kMain;
    } else if (character == kRaisedStartMark) {
      current = OsdFont::kSmall;
    } else if (character == kRaisedEndMark) {
      current = OsdFont::kMain;
    } else {
      OsdTextPiece piece;
      piece.character = character;
      piece.font = current;
      const OsdGlyphSize size = measure(piece);
      piece.position = pen;
      pieces.push_back(piece);
      pen.x += size.width;
    }
  }
  return pieces;
}

ColorRef osdGradientColor(ColorRef from, ColorRef to, int step, int steps) {
  if (steps == 0) return from;
  const auto channel = [&](int a, int b) { return clampChannel(a + mulDivRounded(b - a, step, steps)); };
  return makeColorRef(channel(redOf(from), redOf(to)), channel(greenOf(from), greenOf(to)),
                      channel(blueOf(from), blueOf(to)));
}

void paintOsdGradient(const PixelView& image, PixelPoint origin, OsdSize text, ColorRef textColor,
                      ColorRef gradientColor, bool vertical) {
  const int width = text.width + 5;
  const int height = text.height + 5;
  if (width <= 0 || height <= 0) return;
  const int left = std::max(origin.x, 0);
  const int right = std::min(origin.x + width, image.width);
  const int top = std::max(origin.y, 0);
  const int bottom = std::min(origin.y + height, image.height);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      const ColorRef color = vertical ? osdGradientColor(textColor, gradientColor, y - origin.y, height)
                                      : osdGradientColor(textColor, gradientColor, x - origin.x, width);
      image.at(x, y) = pixelFromColorRef(color);
    }
  }
}

void combineOsdShadow(const PixelView& image, const PixelView& glyphMask, const PixelView& shadowLayer) {
  const int width = std::min({image.width, glyphMask.width, shadowLayer.width});
  const int height = std::min({image.height, glyphMask.height, shadowLayer.height});
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Pixel& pixel = image.at(x, y);
      pixel = ((pixel & glyphMask.at(x, y)) | shadowLayer.at(x, y)) | 0xFF000000u;
    }
  }
}

std::vector<PixelSpan> keptPixelSpans(const PixelView& mask, ColorRef key, ColorRef tolerance) {
  std::vector<PixelSpan> spans;
  for (int y = 0; y < mask.height; ++y) {
    int x = 0;
    while (x < mask.width) {
      while (x < mask.width && isCut(colorRefFromPixel(mask.at(x, y)), key, tolerance)) ++x;
      if (x >= mask.width) break;
      const int left = x;
      while (x < mask.width && !isCut(colorRefFromPixel(mask.at(x, y)), key, tolerance)) ++x;
      spans.push_back({y, left, x});
    }
  }
  return spans;
}

int osdAlpha(int opacity) { return std::clamp(opacity, 0, 100) * 255 / 100; }

int osdSliderFromOpacity(int opacity) { return std::clamp(opacity, 0, 100) / 20; }

int osdOpacityFromSlider(int position) { return std::clamp(position, 0, 5) * 20; }

int limitShadowShift(int shift) { return std::clamp(shift, -6, 6); }

std::uint32_t showTimeTenths(std::int64_t showTimeMinutes) {
  if (showTimeMinutes <= 0) return 0;
  // The largest count that is not the clock's "forever".
  constexpr std::int64_t kLongest = OsdDisplayTime::kForever - 1;
  if (showTimeMinutes > kLongest / 600) return static_cast<std::uint32_t>(kLongest);
  return static_cast<std::uint32_t>(showTimeMinutes * 600);
}

bool OsdDisplayTime::Tick(bool visible) {
  // Counting down by 5 from a time that is no multiple of 5 must still reach 0, not wrap
  // round to nearly forever.
  if (left_ > 0) left_ = left_ > 5 ? left_ - 5 : 0;
  return left_ == 0 && visible;
}

}  // namespace kalvory
