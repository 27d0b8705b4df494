#include "desktop/common/symbol_text.h"

#include <QStringList>

#include "core/common/symbol_font.h"
#include "core/common/text.h"

namespace kalvory {

namespace {

QString fromCodePoint(char32_t codePoint) { return QString::fromUcs4(&codePoint, 1); }

}  // namespace

std::vector<SymbolRun> symbolRuns(std::string_view text) {
  std::vector<SymbolRun> runs;
  QString plain;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char32_t codePoint = nextCodePoint(text, pos);
    if (codePoint != kSymbolMark) {
      plain += fromCodePoint(codePoint);
      continue;
    }
    if (pos >= text.size()) break;  // a mark with nothing after it marks nothing
    if (!plain.isEmpty()) runs.push_back({plain, false});
    plain.clear();
    runs.push_back({fromCodePoint(symbolForMarkedCharacter(nextCodePoint(text, pos))), true});
  }
  if (!plain.isEmpty()) runs.push_back({plain, false});
  return runs;
}

QString textWithSymbols(std::string_view text) {
  QString out;
  for (const SymbolRun& run : symbolRuns(text)) out += run.text;
  return out;
}

QFont symbolFont(const QFont& base) {
  QFont font(base);
  // The runs hold the Unicode equivalents of the Webdings glyphs, so the font is one that has
  // them all rather than Webdings itself, whose own codes are not Unicode.
  font.setFamilies(QStringList() << QStringLiteral("Symbola") << QStringLiteral("DejaVu Sans"));
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  return font;
}

}  // namespace kalvory
