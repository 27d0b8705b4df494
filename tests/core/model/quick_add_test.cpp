#include "core/model/quick_add.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kalvory {
namespace {

// A Wednesday afternoon.
const COleDateTime kNow(2026, 5, 13, 14, 20, 30);

std::string when(std::string_view text) {
  Result<COleDateTime> result = parseQuickWhen(text, kNow);
  return result.ok() ? formatLocalTime(result.value()) : "error: " + result.error();
}

void expectForms(const std::vector<std::pair<std::string, std::string>>& cases) {
  for (const auto& [text, expected] : cases) EXPECT_EQ(when(text), expected) << text;
}

void expectRefused(const std::vector<std::string>& texts) {
  for (const std::string& text : texts) {
    Result<COleDateTime> result = parseQuickWhen(text, kNow);
    ASSERT_FALSE(result.ok()) << text << " gave " << formatLocalTime(result.value());
    EXPECT_NE(result.error().find("\"in 10 min\""), std::string::npos) << "the forms are listed: " << result.error();
  }
}

TEST(QuickAdd, EnglishForms) {
  expectForms({
      {"15:00", "2026-05-13 15:00:00"},
      {"14:20", "2026-05-14 14:20:00"},  // that minute has begun: tomorrow
      {"9:05", "2026-05-14 09:05:00"},
      {"2026-06-01 08:00", "2026-06-01 08:00:00"},
      {"2026-06-01 08:00:15", "2026-06-01 08:00:15"},
      {"in 10 min", "2026-05-13 14:30:30"},
      {"In 10min", "2026-05-13 14:30:30"},
      {"in 2 h", "2026-05-13 16:20:30"},
      {"in 1 hour", "2026-05-13 15:20:30"},
      {"in 90 minutes", "2026-05-13 15:50:30"},
      {"tomorrow 9:00", "2026-05-14 09:00:00"},
      {"Tomorrow at 9:00", "2026-05-14 09:00:00"},
      {"today 23:59", "2026-05-13 23:59:00"},
      {"friday 18:30", "2026-05-15 18:30:00"},
      {"on Fri 18:30", "2026-05-15 18:30:00"},
      {"wednesday 18:30", "2026-05-13 18:30:00"},  // today, still to come
      {"wed 14:20", "2026-05-20 14:20:00"},        // today, but begun: next week
      {"sunday 8:00", "2026-05-17 08:00:00"},
  });
  expectRefused({"", "   ", "25:00", "9:5", "in ten min", "in 10", "in 0 min", "in -5 min", "in 10 days", "friday",
                 "someday 10:00", "tomorrow", "2026-1-01 10:00", "in 99999999999 min", "friday 18:30 extra"});
  for (const char* missingDay : {"2026-02-30 10:00", "2026-13-01 10:00"}) {
    Result<COleDateTime> result = parseQuickWhen(missingDay, kNow);
    ASSERT_FALSE(result.ok()) << missingDay;
    EXPECT_NE(result.error().find("does not exist"), std::string::npos);
  }
}

TEST(QuickAdd, RussianForms) {
  expectForms({
      {"через 10 мин", "2026-05-13 14:30:30"},
      {"Через 2 ч", "2026-05-13 16:20:30"},
      {"через 3 часа", "2026-05-13 17:20:30"},
      {"через 15 минут", "2026-05-13 14:35:30"},
      {"завтра 9:00", "2026-05-14 09:00:00"},
      {"завтра в 9:00", "2026-05-14 09:00:00"},
      {"сегодня 18:00", "2026-05-13 18:00:00"},
      {"пятница 18:30", "2026-05-15 18:30:00"},
      {"ПЯТНИЦА 18:30", "2026-05-15 18:30:00"},
      {"в пятницу 18:30", "2026-05-15 18:30:00"},
      {"в среду 10:00", "2026-05-20 10:00:00"},
      {"вс 8:00", "2026-05-17 08:00:00"},
  });
  expectRefused({"через десять мин", "через 10 лет", "пятница", "послезавтра 9:00", "завтра 24:00"});
}

TEST(QuickAdd, UkrainianForms) {
  expectForms({
      {"через 10 хв", "2026-05-13 14:30:30"},
      {"через 2 год", "2026-05-13 16:20:30"},
      {"через 5 хвилин", "2026-05-13 14:25:30"},
      {"завтра 9:00", "2026-05-14 09:00:00"},
      {"завтра о 9:00", "2026-05-14 09:00:00"},
      {"сьогодні 18:00", "2026-05-13 18:00:00"},
      {"п'ятниця 18:30", "2026-05-15 18:30:00"},
      {"П’ятницю 18:30", "2026-05-15 18:30:00"},  // typographic apostrophe, capital letter
      {"у неділю 8:00", "2026-05-17 08:00:00"},
      {"Субота 7:15", "2026-05-16 07:15:00"},
  });
  expectRefused({"через десять хв", "через 2 доби", "п'ятниця", "позавчора 9:00", "середа 9:60"});
}

TEST(QuickAdd, BuildsEachKindAsTheEditorStoresIt) {
  QuickAddRequest oneTime{"Call home", "tomorrow 9:00", false, "", std::nullopt};
  Result<CAlarmLine> line = buildQuickReminder(oneTime, kNow, 45);
  ASSERT_TRUE(line.ok()) << line.error();
  EXPECT_EQ(formatLocalTime(line.value().time), "2026-05-14 09:00:00");
  EXPECT_EQ(line.value().text, "Call home");
  EXPECT_EQ(line.value().show_seconds, 45);
  EXPECT_EQ(line.value().daily, 0);
  EXPECT_EQ(line.value().timer_mode, 0);
  EXPECT_EQ(line.value().state, ReminderState::Armed);

  QuickAddRequest weekdays{"Gym", "18:30", false, "mon,пт, Sun", std::nullopt};
  line = buildQuickReminder(weekdays, kNow);
  ASSERT_TRUE(line.ok()) << line.error();
  EXPECT_EQ(line.value().daily, 1);
  EXPECT_EQ(line.value().week_days, 0b0100011);
  EXPECT_EQ(line.value().startTime(kNow), COleDateTime(2026, 5, 13, 18, 30, 0));

  QuickAddRequest daily{"Pills", "8:00", true, "", std::nullopt};
  line = buildQuickReminder(daily, kNow);
  ASSERT_TRUE(line.ok()) << line.error();
  EXPECT_EQ(line.value().week_days, 127);

  // Whole days of a timer's length go into the ringing moment only.
  QuickAddRequest timer{"Tea", "", false, "", 1500};
  line = buildQuickReminder(timer, kNow);
  ASSERT_TRUE(line.ok()) << line.error();
  EXPECT_EQ(line.value().timer_mode, 1);
  EXPECT_EQ(line.value().timer_minutes, 60);
  EXPECT_EQ(formatLocalTime(line.value().time), "2026-05-14 15:20:30");
  EXPECT_EQ(line.value().scheduleText(), "Timer:  1:0");

  const std::vector<std::pair<QuickAddRequest, std::string>> refused{
      {{"x", "2026-05-13 14:00", false, "", std::nullopt}, "already passed"},
      {{"x", "", false, "", std::nullopt}, "accepted forms"},
      {{"x", "", true, "", 10}, "not both"},
      {{"x", "10:00", false, "", 10}, "leave out the time"},
      {{"x", "", false, "", 0}, "minutes"},
      {{"x", "10:00", false, "mon,funday", std::nullopt}, "\"funday\" is not a weekday"},
  };
  for (const auto& [request, why] : refused) {
    Result<CAlarmLine> result = buildQuickReminder(request, kNow);
    ASSERT_FALSE(result.ok()) << request.when;
    EXPECT_NE(result.error().find(why), std::string::npos) << result.error();
  }
}

}  // namespace
}  // namespace kalvory
