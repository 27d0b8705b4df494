#include "core/clock/stopwatch.h"

#include <cinttypes>
#include <cstdio>
#include <utility>

#include "core/common/text.h"

namespace kalvory {

namespace {

void appendTwoDigits(std::string& out, std::int64_t value) {
  char digits[24];
  std::snprintf(digits, sizeof digits, "%02" PRId64, value);
  out += digits;
}

}  // namespace

std::string formatDuration(std::string_view format, std::int64_t seconds) {
  const std::int64_t s = seconds < 0 ? 0 : seconds;
  std::string out;
  std::size_t pos = 0;
  while (pos < format.size()) {
    if (format[pos] != '%') {
      // A whole character, so that a multi-byte one is never split.
      const std::size_t start = pos;
      nextCodePoint(format, pos);
      out.append(format.substr(start, pos - start));
      continue;
    }
    ++pos;
    if (pos >= format.size()) break;
    const char code = format[pos++];
    switch (code) {
      case 'D': {
        char digits[24];
        std::snprintf(digits, sizeof digits, "%" PRId64, s / 86400);
        out += digits;
        break;
      }
      case 'H':
        appendTwoDigits(out, s / 3600 - 24 * (s / 86400));
        break;
      case 'M':
        appendTwoDigits(out, s / 60 - 60 * (s / 3600));
        break;
      case 'S':
        appendTwoDigits(out, s - 60 * (s / 60));
        break;
      case '%':
        out += '%';
        break;
      default:
        // Any other code gives nothing; a multi-byte character after the percent sign goes
        // with it.
        --pos;
        nextCodePoint(format, pos);
        break;
    }
  }
  return out;
}

std::string stopwatchText(std::int64_t elapsedMilliseconds) {
  const std::int64_t elapsed = elapsedMilliseconds < 0 ? 0 : elapsedMilliseconds;
  std::string text = formatDuration("%H:%M:%S", elapsed / 1000);
  char milliseconds[8];
  std::snprintf(milliseconds, sizeof milliseconds, ".%03d", static_cast<int>(elapsed % 1000));
  return text + milliseconds;
}

StopwatchCount::StopwatchCount(MonotonicMilliseconds now) : now_(std::move(now)) {
  start_ = now_();
  displayed_ = stopwatchText(0);
}

void StopwatchCount::Restart() {
  elapsed_ = 0;
  start_ = now_();
  held_ = false;
}

void StopwatchCount::ToggleHold() { held_ = !held_; }

bool StopwatchCount::Refresh() {
  elapsed_ = now_() - start_;
  if (held_) return false;
  std::string text = stopwatchText(elapsed_);
  if (text == displayed_) return false;
  displayed_ = std::move(text);
  return true;
}

}  // namespace kalvory
