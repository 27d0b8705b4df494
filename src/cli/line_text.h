#pragma once

#include <string>
#include <string_view>

namespace kalvory::cli {

// Texts kept on one line of the tool's output, whatever a file or an argument holds: control
// characters and U+007F..U+009F (among them the symbol and raised-text marks) are written as
// \u00XX and malformed UTF-8 as U+FFFD, so nothing can break the line or reach the terminal raw.

// A value in the text output: line breaks and tabs as \n, \r and \t; with `quoted` also quotes
// and backslashes escaped, for a value shown between quotes.
std::string lineSafe(std::string_view text, bool quoted = false);

// A message for stderr: each line break becomes one blank, since the core's messages are written
// for message boxes and may span lines.
std::string oneLine(std::string_view message);

}  // namespace kalvory::cli
