#pragma once

#include <QFont>
#include <QString>
#include <string_view>
#include <vector>

namespace kalvory {

// A piece of a note or reminder text: either plain text, or the one character that followed a
// symbol mark (U+0080), already turned into the glyph it stands for.
struct SymbolRun {
  QString text;
  bool symbol = false;
  friend bool operator==(const SymbolRun&, const SymbolRun&) = default;
};

// Splits `text` at its symbol marks. A mark at the very end, with no character after it, is
// dropped. Neighbouring plain pieces never follow each other.
std::vector<SymbolRun> symbolRuns(std::string_view text);

// The text for a window that draws it in one font (a tooltip, a label): each marked character
// becomes its symbol glyph, which the font fallback finds in a symbol font.
QString textWithSymbols(std::string_view text);

// The font the marked characters are drawn in (a symbol font that holds the Unicode equivalents
// of the Webdings glyphs), at the size of `base`.
QFont symbolFont(const QFont& base);

}  // namespace kalvory
