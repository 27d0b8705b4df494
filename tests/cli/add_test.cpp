// kalvory-cli add: the reminder typed on one line ends up in the file and on stdout.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli_runner.h"

namespace kalvory::cli_test {
namespace {

const std::string kNow = "2026-05-13 14:20:30";  // a Wednesday

TEST(CliAdd, AddsToANewFileThenToTheSameFileAndPrintsTheReminder) {
  TemporaryFolder folder;
  const auto file = folder / "new.alr";
  CliResult first = runCli({"add", file.string(), "Звонок маме", "--at", "завтра 9:00", "--now", kNow});
  ASSERT_EQ(first.exitCode, 0) << first.err;
  const auto printed = nlohmann::ordered_json::parse(first.out);
  EXPECT_EQ(printed["text"], "Звонок маме");
  EXPECT_EQ(printed["daily"], 0);
  EXPECT_EQ(printed["timer_mode"], 0);

  CliResult second = runCli({"add", file.string(), "Gym", "--at", "18:30", "--weekdays", "mon,fri", "--now", kNow});
  ASSERT_EQ(second.exitCode, 0) << second.err;
  CliResult timer = runCli({"add", file.string(), "Tea", "--timer", "90", "--now", kNow});
  ASSERT_EQ(timer.exitCode, 0) << timer.err;

  CliResult info = runCli({"info", file.string()});
  ASSERT_EQ(info.exitCode, 0) << info.err;
  const auto doc = nlohmann::ordered_json::parse(info.out);
  ASSERT_EQ(doc["reminders"].size(), 3u);
  // What add printed is exactly what info shows for the same reminder.
  EXPECT_EQ(doc["reminders"][0], printed);
  EXPECT_EQ(doc["reminders"][1], nlohmann::ordered_json::parse(second.out));
  EXPECT_EQ(doc["reminders"][1]["daily"], 1);
  EXPECT_EQ(doc["reminders"][1]["week_days"], 2 | 32);
  EXPECT_EQ(doc["reminders"][2]["timer_mode"], 1);
  EXPECT_EQ(doc["reminders"][2]["timer_minutes"], 90);
  // 2026-05-14 09:00 is day 46156 since 30 December 1899, 9/24 into it.
  EXPECT_DOUBLE_EQ(doc["reminders"][0]["time"]["days"].get<double>(), 46156.375);
}

TEST(CliAdd, AParseFailureListsTheFormsAndWritesNothing) {
  TemporaryFolder folder;
  const auto missing = folder / "missing.alr";
  CliResult refused = runCli({"add", missing.string(), "x", "--at", "someday", "--now", kNow});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_NE(refused.err.find("kalvory-cli add: cannot read the time \"someday\""), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("\"tomorrow 9:00\""), std::string::npos) << refused.err;
  EXPECT_FALSE(std::filesystem::exists(missing));

  const auto existing = folder / "existing.alr";
  ASSERT_EQ(runCli({"add", existing.string(), "first", "--at", "in 5 min", "--now", kNow}).exitCode, 0);
  const std::string before = readFile(existing);
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--at", "2026-05-13 09:00"},          // already passed
                                             {"--at", "9:00", "--weekdays", "xx"},  // no such day
                                             {"--timer", "10", "--daily"},          // two kinds at once
                                             {}}) {                                 // no time at all
    std::vector<std::string> command{"add", existing.string(), "second", "--now", kNow};
    command.insert(command.end(), args.begin(), args.end());
    CliResult result = runCli(command);
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(readFile(existing), before);
  }
  EXPECT_EQ(runCli({"add", existing.string(), "x", "--timer", "ten", "--now", kNow}).exitCode, 1);
  EXPECT_EQ(runCli({"add", existing.string(), "x", "--at", "9:00", "--now", "yesterday"}).exitCode, 1);
  EXPECT_EQ(readFile(existing), before);
}

}  // namespace
}  // namespace kalvory::cli_test
