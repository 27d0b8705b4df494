#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kalvory {

// Texts are UTF-8 inside the program. Three code points are marks that the drawing code
// interprets; in stored files they are the single bytes 0x80, 0x81 and 0x82.
inline constexpr char32_t kSymbolMark = 0x80;       // the next character is drawn in the symbol font
inline constexpr char32_t kRaisedStartMark = 0x81;  // start of raised text
inline constexpr char32_t kRaisedEndMark = 0x82;    // end of raised text

// Windows-1251 bytes (marks at 0x80..0x82) to UTF-8. Every byte has a meaning, so this cannot fail.
std::string cp1251ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1251 bytes; nullopt when a character has no single-byte form
// (the characters that 1251 keeps at 0x80..0x82 have none, since those bytes are the marks)
// or the UTF-8 is malformed.
std::optional<std::string> utf8ToCp1251(std::string_view utf8);

// UTF-16 (as the archive's 16-bit strings hold it) to UTF-8 and back. Unpaired surrogates
// become U+FFFD on the way in; malformed UTF-8 becomes U+FFFD on the way out.
std::string utf16ToUtf8(std::u16string_view utf16);
std::u16string utf8ToUtf16(std::string_view utf8);

// The text with every symbol mark and the character after it removed, for windows that
// cannot draw symbols.
std::string plainText(std::string_view utf8);

// Replaces every "\r" and every "\n" by one blank.
std::string lineBreaksToBlanks(std::string_view text);

// Decodes the code point starting at text[pos] and advances pos; malformed input yields U+FFFD
// and advances one byte.
char32_t nextCodePoint(std::string_view text, std::size_t& pos);
void appendUtf8(std::string& out, char32_t codePoint);

// The text as a JSON string, quotes included. The control characters U+007F..U+009F, among them
// the marks, are escaped too, so that they show; other bytes are copied as they are.
std::string jsonQuoted(std::string_view text);

// ASCII case: only the letters A-Z and a-z change and every other byte (UTF-8 sequences
// included) stays as it is, whatever the C locale. File names, extensions, definition keys and
// desktop names compare this way, as the program has always compared them.
constexpr char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
std::string asciiLower(std::string_view text);
std::string asciiUpper(std::string_view text);
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);
bool endsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix);

}  // namespace kalvory
