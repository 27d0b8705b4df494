#include "core/model/moment.h"

#include <gtest/gtest.h>

namespace kalvory {
namespace {

// The whole-second arithmetic must agree with the date-time type's own calendar parts.
TEST(Moment, SecondsAgreeWithTheDateTimeParts) {
  EXPECT_EQ(moment::dayNumber({100, 1, 1}), moment::kFirstDay);
  EXPECT_EQ(moment::dayNumber({10000, 1, 1}), moment::kEndDay);
  EXPECT_EQ(moment::dayNumber({1899, 12, 30}), 0);
  EXPECT_EQ(moment::weekdaySundayFirst(0), 6) << "30 December 1899 was a Saturday";

  const double samples[] = {0.0,          0.25,       -1.25, -0.5,  46155.999994212963, 46155.4999999, -657434.0,
                            2958465.9999, -657433.75, 1e-7,  -1e-7, 36526.00000578};
  for (const double days : samples) {
    const COleDateTime value = COleDateTime::fromDays(days);
    COleDateTime::Parts parts{};
    ASSERT_TRUE(value.GetParts(parts)) << days;
    const auto seconds = moment::toSeconds(value);
    ASSERT_TRUE(seconds.has_value()) << days;
    const std::int64_t day = moment::dayNumber({parts.year + 1900, parts.month + 1, parts.day});
    EXPECT_EQ(*seconds, day * 86400 + parts.hour * 3600 + parts.minute * 60 + parts.second) << days;
    const COleDateTime back = moment::fromSeconds(*seconds);
    EXPECT_EQ(moment::toSeconds(back), seconds) << days;
    EXPECT_EQ(moment::civilDate(day).day, parts.day);
  }
  for (std::int64_t day = -800000; day < 3100000; day += 997) {
    const moment::CivilDate date = moment::civilDate(day);
    EXPECT_EQ(moment::dayNumber(date), day);
  }
  EXPECT_FALSE(moment::toSeconds(COleDateTime::fromDays(2958466.0)).has_value());
  EXPECT_FALSE(moment::toSeconds(COleDateTime::fromDays(-657435.0)).has_value());
  EXPECT_FALSE(moment::toSeconds(COleDateTime(1.0, COleDateTime::null)).has_value());
  EXPECT_FALSE(moment::fromSeconds(moment::kEndDay * 86400).isValid());
  EXPECT_FALSE(moment::fromSeconds(INT64_MAX / 2).isValid());
}

}  // namespace
}  // namespace kalvory
