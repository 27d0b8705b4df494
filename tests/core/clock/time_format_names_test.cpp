#include <gtest/gtest.h>

#include <string>

#include "core/clock/time_format.h"

namespace kalvory {
namespace {

const COleDateTime kTuesday(2026, 12, 8, 10, 48, 5);

std::string clockText(std::string_view format, UiLanguage language) {
  TimeFormatSources sources;
  sources.now = kTuesday;
  sources.names_language = language;
  const Result<std::string> text = formatTimeText(format, sources);
  return text.ok() ? text.value() : "error: " + text.error();
}

// A Russian or Ukrainian clock names the day and the month in its language, with the month of a
// date in the genitive and a month standing alone in the nominative; English is left alone.
TEST(TimeFormatNames, WeekdaysAndMonthsInTheClocksLanguage) {
  EXPECT_EQ(clockText("%A %d %B", UiLanguage::English), "Tuesday 08 December");
  EXPECT_EQ(clockText("%A %d %B", UiLanguage::Russian), "вторник 08 декабря");
  EXPECT_EQ(clockText("%A %d %B", UiLanguage::Ukrainian), "вівторок 08 грудня");
  EXPECT_EQ(clockText("%B %Y, %a", UiLanguage::Russian), "декабрь 2026, вт");
  EXPECT_EQ(clockText("%a %#d %b", UiLanguage::Ukrainian), "вт 8 гру");
  EXPECT_EQ(clockText("%#d  %#B", UiLanguage::Ukrainian), "8  грудня");
  // A literal percent sign before a letter stays text, and the other codes still format.
  EXPECT_EQ(clockText("%%A %H:%M", UiLanguage::Russian), "%A 10:48");
  // The program's own Russian codes are unchanged by the language.
  EXPECT_EQ(clockText("%д", UiLanguage::Ukrainian), "Вторник");
}

TEST(TimeFormatNames, FirstUnknownCodeAndWhereItStarts) {
  const auto unknown = firstUnknownFormatCode("%Q %H:%M %");
  ASSERT_TRUE(unknown);
  EXPECT_EQ(unknown->offset, 0u);
  EXPECT_EQ(unknown->code, "%Q");

  const auto trailing = firstUnknownFormatCode("%H:%M %");
  ASSERT_TRUE(trailing);
  EXPECT_EQ(trailing->offset, 6u);
  EXPECT_EQ(trailing->code, "%");
  ASSERT_TRUE(firstUnknownFormatCode("%H%#"));
  EXPECT_EQ(firstUnknownFormatCode("%H%#")->code, "%#");

  // A letter of several bytes is named whole, at its byte offset.
  const auto cyrillic = firstUnknownFormatCode("ч%ж");
  ASSERT_TRUE(cyrillic);
  EXPECT_EQ(cyrillic->offset, 2u);
  EXPECT_EQ(cyrillic->code, "%ж");

  // The program's own codes take no "#": the run-time would read "%#e" as its own and fail.
  ASSERT_TRUE(firstUnknownFormatCode("%#e"));
  EXPECT_EQ(firstUnknownFormatCode("%#e")->code, "%#e");

  // Everything the clock understands.
  EXPECT_FALSE(
      firstUnknownFormatCode("%a %A %b %B %c %#c %d %#d %H %I %j %m %M %p %S %U %w %W %x %#x %X %y %Y %z %Z %%"));
  EXPECT_FALSE(firstUnknownFormatCode("%V %T %L %l %D %e %f %g %k %E %F %G %K %д %м %~%H%- \u0080J"));
  EXPECT_FALSE(firstUnknownFormatCode("%%Q"));
  EXPECT_FALSE(firstUnknownFormatCode(""));
}

}  // namespace
}  // namespace kalvory
