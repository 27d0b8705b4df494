#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kalvory {

// Formats a duration of whole seconds: "%D" whole days, "%H" the hours within the day, "%M"
// minutes and "%S" seconds (two digits each), "%%" a percent sign; other characters are
// copied whole; a percent sign before any other character, or at the end, gives nothing.
// A negative duration counts as 0.
std::string formatDuration(std::string_view format, std::int64_t seconds);

// The stopwatch's text for an elapsed time in milliseconds: "HH:MM:SS.mmm", the hours
// starting again at 00 after a day.
std::string stopwatchText(std::int64_t elapsedMilliseconds);

// The count behind the stopwatch window. The count runs from the last (re)start and never
// stops; holding only freezes what is shown. Time comes from `now`, a monotonic clock in
// milliseconds, so tests drive it by hand.
class StopwatchCount {
 public:
  using MonotonicMilliseconds = std::function<std::int64_t()>;

  // Starts counting at once, as the window does when it opens.
  explicit StopwatchCount(MonotonicMilliseconds now);

  // Right click or Ctrl+F2: the count starts again from 0 and the display is no longer held.
  void Restart();
  // Double click, Ctrl+F3 or Ctrl+F4: freezes or unfreezes the display.
  void ToggleHold();
  // The 100 ms refresh: takes the elapsed time and, unless held, shows its text. Returns
  // whether the shown text changed, so the window repaints only then.
  bool Refresh();

  bool held() const { return held_; }
  std::int64_t elapsedMilliseconds() const { return elapsed_; }
  const std::string& displayedText() const { return displayed_; }

 private:
  MonotonicMilliseconds now_;
  std::int64_t start_ = 0;
  std::int64_t elapsed_ = 0;
  bool held_ = false;
  std::string displayed_;
};

}  // namespace kalvory
