#pragma once

#include <array>
#include <optional>
#include <string>

namespace kalvory {

// Symbols are written as a symbol mark (U+0080) followed by one character, which the original
// program drew in the "Webdings" font. The character stands for its Windows-1251 byte (the form
// the document file keeps), and that byte picks the Webdings glyph. Where Webdings is not
// installed the glyph is drawn from its Unicode equivalent in a symbol font (Symbola).

inline constexpr int kFirstSymbolCode = 32;
inline constexpr int kLastSymbolCode = 255;
inline constexpr int kSymbolCodeCount = kLastSymbolCode - kFirstSymbolCode + 1;  // 224

// The Unicode equivalent of Webdings code `code` (32 to 255). Code 127, which has no glyph,
// gives a blank like code 32. Any other value is returned as it is.
char32_t webdingsToUnicode(char32_t code);

// The Webdings code of the character after a symbol mark: its Windows-1251 byte, or nothing
// for a character that byte set lacks.
std::optional<int> symbolCodeOfCharacter(char32_t character);
// The character that stands for Webdings code `code` in a text (the byte read as Windows-1251);
// U+FFFD for a value outside 0 to 255.
char32_t characterOfSymbolCode(int code);

// What to draw for the character after a symbol mark: the Unicode equivalent of its Webdings
// glyph, or the character itself when it is not a Webdings code (a character outside
// Windows-1251, or a control character).
char32_t symbolForMarkedCharacter(char32_t character);

// The symbol mark and the character of Webdings code `code`, as UTF-8: what the special symbol
// dialog puts on the clipboard. Empty for a code outside 32 to 255.
std::string symbolMarkText(int code);

}  // namespace kalvory
