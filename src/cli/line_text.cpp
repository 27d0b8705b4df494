#include "cli/line_text.h"

#include "core/common/text.h"

namespace kalvory::cli {

namespace {

enum class LineBreaks { Escaped, Blanks };

std::string keptOnOneLine(std::string_view text, bool quoted, LineBreaks lineBreaks) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char32_t c = nextCodePoint(text, pos);
    if ((c == U'\n' || c == U'\r') && lineBreaks == LineBreaks::Blanks) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else if (c == U'\n') {
      out += "\\n";
    } else if (c == U'\r') {
      out += "\\r";
    } else if (c == U'\t') {
      out += "\\t";
    } else if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
      out += "\\u00";
      out += kHex[(c >> 4) & 0xF];
      out += kHex[c & 0xF];
    } else if (quoted && (c == U'"' || c == U'\\')) {
      out += '\\';
      out += static_cast<char>(c);
    } else {
      appendUtf8(out, c);  // malformed bytes come out as U+FFFD, so the output stays UTF-8
    }
  }
  return out;
}

}  // namespace

std::string lineSafe(std::string_view text, bool quoted) { return keptOnOneLine(text, quoted, LineBreaks::Escaped); }

std::string oneLine(std::string_view message) { return keptOnOneLine(message, false, LineBreaks::Blanks); }

}  // namespace kalvory::cli
