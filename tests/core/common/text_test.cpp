#include "core/common/text.h"

#include <gtest/gtest.h>

namespace kalvory {
namespace {

TEST(Text, Cp1251RoundTripOfEveryByte) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  const std::string utf8 = cp1251ToUtf8(all);
  const auto back = utf8ToCp1251(utf8);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, all);
}

TEST(Text, Cp1251KnownCharactersAndMarks) {
  EXPECT_EQ(cp1251ToUtf8("\xcc\xe0\xf0\xf2"), "Март");
  EXPECT_EQ(cp1251ToUtf8("\xa8\xb8\xb9\x88\x96"), "Ёё№€–");
  EXPECT_EQ(cp1251ToUtf8("\xb2\xb3\xaf\xbf\xaa\xba\xa5\xb4"), "ІіЇїЄєҐґ");
  // The three mark bytes become the code points U+0080..U+0082.
  EXPECT_EQ(cp1251ToUtf8("\x80J\x81"
                         "12\x82"),
            "\u0080J\u0081"
            "12\u0082");
  EXPECT_EQ(utf8ToCp1251("\u0080J\u0081x\u0082"), std::optional<std::string>("\x80J\x81x\x82"));
  EXPECT_EQ(utf8ToCp1251("Воскресенье"), std::optional<std::string>("\xc2\xee\xf1\xea\xf0\xe5\xf1\xe5\xed\xfc\xe5"));

  // Ђ, Ѓ and ‚ would need the mark bytes; characters outside the code page and bad UTF-8 fail.
  EXPECT_FALSE(utf8ToCp1251("Ђ").has_value());
  EXPECT_FALSE(utf8ToCp1251("Ѓ").has_value());
  EXPECT_FALSE(utf8ToCp1251("a\u201Ab").has_value());
  EXPECT_FALSE(utf8ToCp1251("日本").has_value());
  EXPECT_FALSE(utf8ToCp1251("é").has_value());
  EXPECT_FALSE(utf8ToCp1251("abc\xff").has_value());
  EXPECT_FALSE(utf8ToCp1251("\xc3").has_value());
  EXPECT_EQ(utf8ToCp1251(""), std::optional<std::string>(""));
}

TEST(Text, Utf16Conversions) {
  EXPECT_EQ(utf16ToUtf8(u"Время 12:00"), "Время 12:00");
  EXPECT_EQ(utf16ToUtf8(u"\U0001F600"), "\U0001F600");
  EXPECT_EQ(utf8ToUtf16("\U0001F600x"), u"\U0001F600x");
  EXPECT_EQ(utf8ToUtf16("Ёж\u0080"), u"Ёж\u0080");
  // Unpaired surrogates and malformed UTF-8 turn into U+FFFD.
  EXPECT_EQ(utf16ToUtf8(std::u16string{u'a', char16_t(0xD800), u'b'}), "a\uFFFDb");
  EXPECT_EQ(utf16ToUtf8(std::u16string{char16_t(0xDC00)}), "\uFFFD");
  EXPECT_EQ(utf8ToUtf16("a\xffz"), u"a\uFFFDz");
  EXPECT_EQ(utf8ToUtf16("\xe2\x82"), u"\uFFFD\uFFFD");
  EXPECT_EQ(utf8ToUtf16("\xc0\x80"), u"\uFFFD\uFFFD");            // overlong
  EXPECT_EQ(utf8ToUtf16("\xed\xa0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
}

TEST(Text, CodePointDecoding) {
  const std::string text = "aЖ€\U00010348";
  std::size_t pos = 0;
  EXPECT_EQ(nextCodePoint(text, pos), U'a');
  EXPECT_EQ(nextCodePoint(text, pos), U'Ж');
  EXPECT_EQ(nextCodePoint(text, pos), U'€');
  EXPECT_EQ(nextCodePoint(text, pos), U'\U00010348');
  EXPECT_EQ(pos, text.size());
  std::string out;
  appendUtf8(out, 0x110000);
  EXPECT_EQ(out, "\uFFFD");
}

TEST(Text, PlainTextAndLineBreaks) {
  EXPECT_EQ(plainText("A\u0080JB"), "AB");
  EXPECT_EQ(plainText("\u0080Ж\u0080\u0080x"), "x");  // the mark takes the next character, even another mark
  EXPECT_EQ(plainText("tail\u0080"), "tail");
  EXPECT_EQ(plainText("up \u0081"
                      "2\u0082"),
            "up \u0081"
            "2\u0082");  // raised marks stay
  EXPECT_EQ(plainText(""), "");
  EXPECT_EQ(lineBreaksToBlanks("Call\r\nhome\n"), "Call  home ");
}

TEST(Text, JsonQuotedShowsControlsAndMarks) {
  EXPECT_EQ(jsonQuoted("a\"b\\c\n\x01 \xD0\x96"), "\"a\\\"b\\\\c\\n\\u0001 \xD0\x96\"");
  EXPECT_EQ(jsonQuoted("\xC2\x80Y \xC2\x81x\xC2\x82\x7F\xC2\xA0"), "\"\\u0080Y \\u0081x\\u0082\\u007f\xC2\xA0\"");
}

TEST(Text, AsciiCaseTouchesOnlyAsciiLetters) {
  // The bytes next to the letter ranges ('@', '[', '`', '{') and UTF-8 stay as they are.
  EXPECT_EQ(asciiLower("@AZ[`az{ Ёж.BMP"), "@az[`az{ Ёж.bmp");
  EXPECT_EQ(asciiUpper("@AZ[`az{ ёЖ.xml"), "@AZ[`AZ{ ёЖ.XML");
  EXPECT_EQ(asciiLower('\xC0'), '\xC0');

  EXPECT_TRUE(equalsIgnoringAsciiCase("Skin.XML", "skin.xml"));
  EXPECT_TRUE(equalsIgnoringAsciiCase("", ""));
  EXPECT_FALSE(equalsIgnoringAsciiCase("skin.xml", "skin.xm"));
  EXPECT_FALSE(equalsIgnoringAsciiCase("@", "`"));  // differ by the case bit, but are no letters
  EXPECT_FALSE(equalsIgnoringAsciiCase("Ё", "ё"));  // Cyrillic is not folded

  EXPECT_TRUE(endsWithIgnoringAsciiCase("Holiday.ALR", ".alr"));
  EXPECT_TRUE(endsWithIgnoringAsciiCase(".alr", ".ALR"));
  EXPECT_FALSE(endsWithIgnoringAsciiCase("alr", ".alr"));
  EXPECT_FALSE(endsWithIgnoringAsciiCase("Holiday.alr.bak", ".alr"));
}

}  // namespace
}  // namespace kalvory
