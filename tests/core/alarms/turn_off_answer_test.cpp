#include "core/alarms/turn_off_answer.h"

#include <gtest/gtest.h>

namespace kalvory {
namespace {

TEST(TurnOffAnswer, Choices) {
  const COleDateTime opened(2026, 3, 10, 10, 0, 30);
  const int remindIn = static_cast<int>(TurnOffChoice::RemindIn);
  const int remindOn = static_cast<int>(TurnOffChoice::RemindOn);
  const int turnOff = static_cast<int>(TurnOffChoice::TurnOff);

  // The default answer turns everything off without the exit action.
  EXPECT_EQ(turnOffDialogAnswer(turnOff, 0, opened, opened, false), (StopAlarmsArguments{false, 0}));
  EXPECT_EQ(turnOffDialogAnswer(turnOff, 5, opened, opened, true), (StopAlarmsArguments{true, 0}));

  EXPECT_EQ(turnOffDialogAnswer(remindIn, 0, opened, opened, true), (StopAlarmsArguments{false, 300}));
  EXPECT_EQ(turnOffDialogAnswer(remindIn, 2, opened, opened, false), (StopAlarmsArguments{false, 900}));
  EXPECT_EQ(turnOffDialogAnswer(remindIn, 11, opened, opened, false), (StopAlarmsArguments{false, 3600}));
  // No list entry selected: 0 seconds, which turns the reminders off.
  EXPECT_EQ(turnOffDialogAnswer(remindIn, -1, opened, opened, false), (StopAlarmsArguments{false, 0}));
  EXPECT_EQ(turnOffDialogAnswer(7, 1, opened, opened, false), (StopAlarmsArguments{false, 600}));

  EXPECT_EQ(turnOffDialogAnswer(remindOn, 3, opened, opened, true), (StopAlarmsArguments{false, 0}));
  EXPECT_EQ(turnOffDialogAnswer(remindOn, 0, COleDateTime(2026, 3, 11, 10, 0, 30), opened, false).postponeSeconds,
            86400);
  EXPECT_EQ(turnOffDialogAnswer(remindOn, 0, COleDateTime(2026, 3, 10, 9, 59, 30), opened, false).postponeSeconds, -60);
  EXPECT_EQ(
      turnOffDialogAnswer(remindOn, 0, opened + COleDateTimeSpan::fromSeconds(1.6), opened, false).postponeSeconds, 2);
  // Far ahead does not wrap around.
  EXPECT_EQ(turnOffDialogAnswer(remindOn, 0, COleDateTime(2126, 3, 10, 10, 0, 30), opened, false).postponeSeconds,
            std::int64_t{36524} * 86400);
  EXPECT_EQ(turnOffDialogAnswer(remindOn, 0, COleDateTime::makeInvalid(), opened, false).postponeSeconds, 0);

  const auto entries = postponeMinuteEntries();
  ASSERT_EQ(entries.size(), 12u);
  EXPECT_EQ(entries.front(), "5");
  EXPECT_EQ(entries.back(), "60");
}

}  // namespace
}  // namespace kalvory
