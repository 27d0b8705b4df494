#include "cli/one_line_reporter.h"

#include "core/common/text.h"

namespace kalvory::cli {

std::string oneLine(std::string_view message) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string line;
  std::size_t pos = 0;
  while (pos < message.size()) {
    const char32_t c = nextCodePoint(message, pos);
    if (c == U'\n' || c == U'\r') {
      if (!line.empty() && line.back() != ' ') line += ' ';
    } else if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
      line += "\\x";
      line += kHex[(c >> 4) & 0xF];
      line += kHex[c & 0xF];
    } else {
      appendUtf8(line, c);
    }
  }
  return line;
}

void OneLineReporter::reportError(std::string_view, std::string_view message) {
  err_ << "kalvory-cli" << (command_.empty() ? "" : " ") << command_ << ": " << oneLine(message) << "\n";
  ++count_;
}

}  // namespace kalvory::cli
