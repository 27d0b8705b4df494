#include "core/settings/settings_date_text.h"

#include <cstddef>

#include "core/common/strftime.h"
#include "core/common/text.h"

namespace kalvory {

namespace {

class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  // Skips blanks; true when at least one was skipped.
  bool skipBlanks() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
    return pos_ != start;
  }
  bool atEnd() const { return pos_ == text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[pos_]; }
  bool accept(char c) {
    if (peek() != c) return false;
    ++pos_;
    return true;
  }
  // Reads 1 to maxDigits decimal digits (more digits fail, so no value can overflow).
  bool number(int maxDigits, int& value, int& digits) {
    value = 0;
    digits = 0;
    while (!atEnd() && text_[pos_] >= '0' && text_[pos_] <= '9') {
      if (++digits > maxDigits) return false;
      value = value * 10 + (text_[pos_++] - '0');
    }
    return digits > 0;
  }
  bool number(int maxDigits, int& value) {
    int digits = 0;
    return number(maxDigits, value, digits);
  }
  // Case-insensitive "AM" or "PM"; 0 when neither, 1 for AM, 2 for PM.
  int meridiem() {
    if (text_.size() - pos_ < 2) return 0;
    const char first = asciiLower(text_[pos_]);
    const char second = asciiLower(text_[pos_ + 1]);
    if (second != 'm' || (first != 'a' && first != 'p')) return 0;
    pos_ += 2;
    return first == 'a' ? 1 : 2;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

struct Parts {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
};

// Month and day are read already; reads the separator's second occurrence and the year.
bool readYear(Scanner& in, char separator, Parts& parts) {
  int digits = 0;
  if (!in.accept(separator) || !in.number(4, parts.year, digits)) return false;
  if (digits <= 2) parts.year += parts.year < 30 ? 2000 : 1900;
  return true;
}

// The hour is read already; reads ":M[:S]" and an optional AM/PM.
bool readRestOfTime(Scanner& in, Parts& parts) {
  if (!in.accept(':') || !in.number(2, parts.minute)) return false;
  if (in.accept(':') && !in.number(2, parts.second)) return false;
  in.skipBlanks();
  const int meridiem = in.meridiem();
  if (meridiem != 0) {
    if (parts.hour < 1 || parts.hour > 12) return false;
    parts.hour = parts.hour % 12 + (meridiem == 2 ? 12 : 0);
  }
  return true;
}

bool readDateTime(Scanner& in, Parts& parts) {
  in.skipBlanks();
  int first = 0;
  if (!in.number(2, first)) return false;
  const char separator = in.peek();
  if (separator == ':') {
    parts.hour = first;
    if (!readRestOfTime(in, parts)) return false;
  } else if (separator == '/' || separator == '-') {
    parts.month = first;
    in.accept(separator);
    if (!in.number(2, parts.day) || !readYear(in, separator, parts)) return false;
    const bool blankAfterDate = in.skipBlanks();
    if (!in.atEnd()) {
      if (!blankAfterDate || !in.number(2, parts.hour) || !readRestOfTime(in, parts)) return false;
    }
  } else {
    return false;
  }
  in.skipBlanks();
  return in.atEnd();
}

}  // namespace

COleDateTime parseUsDateTime(std::string_view text) {
  Scanner in(text);
  Parts parts;
  if (!readDateTime(in, parts)) return COleDateTime::makeInvalid();
  COleDateTime time(parts.year, parts.month, parts.day, parts.hour, parts.minute, parts.second);
  return time.isValid() ? time : COleDateTime::makeInvalid();
}

std::string formatSettingsDateTime(const COleDateTime& time) {
  return formatDateTime(kSettingsDateTimeFormat, time).valueOr(std::string());
}

}  // namespace kalvory
