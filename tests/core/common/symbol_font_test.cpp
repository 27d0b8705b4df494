#include "core/common/symbol_font.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

#include "core/common/text.h"

namespace kalvory {
namespace {

TEST(SymbolFont, WebdingsCodesMapToTheirUnicodeCharacters) {
  EXPECT_EQ(webdingsToUnicode(0x21), U'\U0001F577');  // spider
  EXPECT_EQ(webdingsToUnicode(0x22), U'\U0001F578');  // spider web
  EXPECT_EQ(webdingsToUnicode('a'), U'\u2714');       // heavy check mark
  EXPECT_EQ(webdingsToUnicode('i'), U'\U0001F6C8');   // circled information source
  EXPECT_EQ(webdingsToUnicode(0xD9), U'\u2601');      // cloud
  EXPECT_EQ(webdingsToUnicode(0xFC), U'\U0001F30D');  // earth globe
  EXPECT_EQ(webdingsToUnicode(0xFF), U'\U0001F54A');  // dove
  EXPECT_EQ(webdingsToUnicode(' '), U' ');
  EXPECT_EQ(webdingsToUnicode(0x7F), U' ');  // no glyph there
  EXPECT_EQ(webdingsToUnicode(0x1F), U'\x1F');
  EXPECT_EQ(webdingsToUnicode(0x400), U'\u0400');

  // Every glyph has a character of its own, none of them a plain letter.
  std::set<char32_t> seen;
  for (char32_t code = 0x21; code <= 0xFF; ++code) {
    if (code == 0x7F) continue;
    const char32_t symbol = webdingsToUnicode(code);
    EXPECT_GE(symbol, U'\u2000') << static_cast<std::uint32_t>(code);
    EXPECT_TRUE(seen.insert(symbol).second) << static_cast<std::uint32_t>(code);
  }
  EXPECT_EQ(seen.size(), 222u);
}

TEST(SymbolFont, MarkedCharactersStandForTheirWindows1251Bytes) {
  EXPECT_EQ(symbolCodeOfCharacter(U'J'), 0x4A);
  EXPECT_EQ(symbolCodeOfCharacter(U'Щ'), 0xD9);
  EXPECT_EQ(symbolCodeOfCharacter(U'€'), 0x88);
  EXPECT_FALSE(symbolCodeOfCharacter(U'中').has_value());
  EXPECT_EQ(symbolForMarkedCharacter(U'J'), U'\U0001F3DD');
  EXPECT_EQ(symbolForMarkedCharacter(U'Щ'), U'\u2601');
  EXPECT_EQ(symbolForMarkedCharacter(U'中'), U'中');
  EXPECT_EQ(symbolForMarkedCharacter(U'\n'), U'\n');

  for (int code = kFirstSymbolCode; code <= kLastSymbolCode; ++code) {
    EXPECT_EQ(symbolCodeOfCharacter(characterOfSymbolCode(code)), code);
  }
  EXPECT_EQ(characterOfSymbolCode(300), U'\uFFFD');
  EXPECT_EQ(symbolMarkText('J'), "\u0080J");
  EXPECT_EQ(symbolMarkText(0xD9), "\u0080Щ");
  EXPECT_EQ(symbolMarkText(0x80), "\u0080\u0080");
  EXPECT_EQ(symbolMarkText(31), "");
  EXPECT_EQ(plainText(symbolMarkText(0xD9) + "x"), "x");
}

}  // namespace
}  // namespace kalvory
