#include "core/clock/stopwatch.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace kalvory {
namespace {

TEST(StopwatchText, HoursMinutesSecondsAndMilliseconds) {
  // 1 h 2 min 3.456 s = 3723456 ms.
  EXPECT_EQ(stopwatchText(3723456), "01:02:03.456");
  EXPECT_EQ(stopwatchText(0), "00:00:00.000");
  EXPECT_EQ(stopwatchText(59999), "00:00:59.999");
  // After a day the hours start again: 25 h shows 01.
  EXPECT_EQ(stopwatchText(int64_t{25} * 3600 * 1000), "01:00:00.000");
  // 30 days stays readable (a 32-bit count of milliseconds would have gone negative).
  EXPECT_EQ(stopwatchText(int64_t{30} * 86400 * 1000 + 61001), "00:01:01.001");
}

TEST(StopwatchText, DurationFormatCodes) {
  // 1 day, 1 h, 1 min, 1 s.
  EXPECT_EQ(formatDuration("%D d %H:%M:%S %% %q|", 90061), "1 d 01:01:01 % |");
  EXPECT_EQ(formatDuration("%D", 86399), "0");
  EXPECT_EQ(formatDuration("тик %S%", 7), "тик 07");
  EXPECT_EQ(formatDuration("%ж!", 7), "!");  // a multi-byte character after % goes with it
  EXPECT_EQ(formatDuration("%H", -5), "00");
}

TEST(StopwatchCountTest, HoldFreezesTheDisplayWhileTheCountGoesOn) {
  std::int64_t now = 5000;
  StopwatchCount stopwatch([&now] { return now; });
  EXPECT_EQ(stopwatch.displayedText(), "00:00:00.000");

  now += 3723456;
  EXPECT_TRUE(stopwatch.Refresh());
  EXPECT_EQ(stopwatch.displayedText(), "01:02:03.456");

  stopwatch.ToggleHold();
  now += 1000;
  EXPECT_FALSE(stopwatch.Refresh());
  EXPECT_EQ(stopwatch.displayedText(), "01:02:03.456");
  EXPECT_EQ(stopwatch.elapsedMilliseconds(), 3724456);

  // Unfreezing shows the current count on the next refresh.
  stopwatch.ToggleHold();
  EXPECT_TRUE(stopwatch.Refresh());
  EXPECT_EQ(stopwatch.displayedText(), "01:02:04.456");

  // Restarting while frozen starts from 0 and unfreezes.
  stopwatch.ToggleHold();
  now += 500;
  stopwatch.Restart();
  EXPECT_FALSE(stopwatch.held());
  EXPECT_EQ(stopwatch.elapsedMilliseconds(), 0);
  now += 250;
  EXPECT_TRUE(stopwatch.Refresh());
  EXPECT_EQ(stopwatch.displayedText(), "00:00:00.250");
}

}  // namespace
}  // namespace kalvory
