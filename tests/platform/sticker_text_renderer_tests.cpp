#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/wallpaper/sticker_text_renderer.h"

namespace kalvory {
namespace {

constexpr std::uint32_t kPaper = 0xFFFFFFFFu;

// A white picture to letter, and where the ink went.
struct Page {
  Page(int width, int height)
      : width(width), height(height), pixels(static_cast<std::size_t>(width * height), kPaper) {}

  void Draw(const DefinitionRect& rect, const std::string& text, const StickerTextStyle& style) {
    PixelSurface surface{pixels.data(), width, height, width};
    QtStickerTextRenderer().DrawStickerText(surface, rect, text, style);
  }
  struct Ink {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
    int count = 0;
    bool any() const { return count > 0; }
  };
  Ink ink() const {
    Ink ink;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if (pixels[static_cast<std::size_t>(y * width + x)] == kPaper) continue;
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y);
        ink.bottom = std::max(ink.bottom, y);
        ++ink.count;
      }
    }
    return ink;
  }
  bool has(std::uint32_t colour) const { return std::find(pixels.begin(), pixels.end(), colour) != pixels.end(); }

  int width;
  int height;
  std::vector<std::uint32_t> pixels;
};

StickerTextStyle Style(int pixelHeight = 16) {
  StickerTextStyle style;
  style.fontName = "DejaVu Sans";
  style.pixelHeight = pixelHeight;
  style.color = makeColorRef(200, 0, 0);
  return style;
}

TEST(StickerTextRenderer, TextIsCentredInItsRectangleInItsColour) {
  Page page(200, 100);
  const DefinitionRect rect{20, 10, 180, 90};
  page.Draw(rect, "Dentist", Style());
  const Page::Ink ink = page.ink();
  ASSERT_TRUE(ink.any());
  EXPECT_GE(ink.left, rect.left);
  EXPECT_LT(ink.right, rect.right);
  EXPECT_GE(ink.top, rect.top);
  EXPECT_LT(ink.bottom, rect.bottom);
  EXPECT_NEAR((ink.left + ink.right) / 2.0, 100.0, 3.0);
  EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 50.0, 4.0);
  EXPECT_TRUE(page.has(0xFFC80000u));  // the stroke cores are the text colour itself
}

TEST(StickerTextRenderer, LongTextIsWrappedAtWordsAndCutToTheRectangle) {
  Page oneLine(200, 200);
  oneLine.Draw({0, 0, 200, 200}, "hdhd", Style());
  Page wrapped(200, 200);
  wrapped.Draw({60, 0, 140, 200}, "hdhd hdhd hdhd", Style());  // one word a line
  const Page::Ink single = oneLine.ink();
  const Page::Ink three = wrapped.ink();
  ASSERT_TRUE(single.any());
  ASSERT_TRUE(three.any());
  const int lineInk = single.bottom - single.top + 1;
  EXPECT_GT(three.bottom - three.top + 1, 2 * lineInk);
  EXPECT_LE(three.right - three.left + 1, 80);

  // Far more text than room: all of it stays inside, on the lines that fit.
  Page cut(300, 100);
  const DefinitionRect small{50, 30, 250, 70};
  std::string text;
  for (int i = 0; i < 40; ++i) text += "word ";
  cut.Draw(small, text, Style());
  const Page::Ink inside = cut.ink();
  ASSERT_TRUE(inside.any());
  EXPECT_GE(inside.left, small.left);
  EXPECT_LT(inside.right, small.right);
  EXPECT_GE(inside.top, small.top);
  EXPECT_LT(inside.bottom, small.bottom);
  // The last line ends in an ellipsis, not in the word's last letter: the rightmost ink of that
  // line is a dot down on the baseline, where a "d" would reach up to the top of the line.
  int lineTop = inside.bottom;
  const auto rowHasInk = [&cut](int y) {
    for (int x = 0; x < cut.width; ++x) {
      if (cut.pixels[static_cast<std::size_t>(y * cut.width + x)] != kPaper) return true;
    }
    return false;
  };
  while (lineTop > inside.top && rowHasInk(lineTop - 1)) --lineTop;
  int rightmost = -1;
  int rightmostTop = -1;
  for (int y = lineTop; y <= inside.bottom; ++y) {
    for (int x = cut.width - 1; x > rightmost; --x) {
      if (cut.pixels[static_cast<std::size_t>(y * cut.width + x)] != kPaper) {
        rightmost = x;
        rightmostTop = y;
        break;
      }
    }
  }
  ASSERT_GE(rightmost, 0);
  EXPECT_GT(rightmostTop, (lineTop + inside.bottom) / 2) << "line " << lineTop << ".." << inside.bottom;
  ASSERT_GT(lineTop, inside.top);  // and there is a line above it
}

TEST(StickerTextRenderer, StyleAndDegenerateInput) {
  Page normal(200, 60);
  normal.Draw({0, 0, 200, 60}, "Bold text", Style(20));
  StickerTextStyle bold = Style(20);
  bold.weight = 700;
  Page heavy(200, 60);
  heavy.Draw({0, 0, 200, 60}, "Bold text", bold);
  EXPECT_GT(heavy.ink().count, normal.ink().count);

  StickerTextStyle underlined = Style(20);
  underlined.underline = true;
  Page line(200, 60);
  line.Draw({0, 0, 200, 60}, "a a", underlined);
  Page plain(200, 60);
  plain.Draw({0, 0, 200, 60}, "a a", Style(20));
  EXPECT_GT(line.ink().bottom, plain.ink().bottom);

  Page empty(50, 50);
  empty.Draw({30, 10, 30, 40}, "nothing", Style());  // no width
  empty.Draw({10, 10, 40, 40}, "", Style());
  EXPECT_FALSE(empty.ink().any());
  // A size below one pixel still draws, at the smallest size, inside the rectangle.
  Page tiny(50, 50);
  tiny.Draw({10, 10, 40, 40}, "tiny", Style(0));
  EXPECT_GE(tiny.ink().top, 10);
}

}  // namespace
}  // namespace kalvory
