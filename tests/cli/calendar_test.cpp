// kalvory-cli calendar, run as a program on documents written by the model's own writer.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "core/model/alarm_doc.h"
#include "core/model/document_file.h"

namespace kalvory {
namespace {

using cli_test::CliResult;
using cli_test::runCli;

class CalendarCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CAlarmDoc doc;
    CDayInfo birthday(COleDateTime(1990, 6, 3, 0, 0, 0));
    birthday.event_type = CDayInfo::Anniversary;
    birthday.text = "День рождения";
    doc.AddDayInfo(birthday);
    CDayInfo holiday(COleDateTime(2026, 5, 20, 0, 0, 0));
    holiday.repeat = CDayInfo::Once;
    holiday.event_type = CDayInfo::Holiday;
    holiday.text = "Holiday";
    doc.AddDayInfo(holiday);
    EXPECT_TRUE(saveDocumentFile(doc, path_).ok());
  }

  static CliResult calendar(std::vector<std::string> args) {
    args.insert(args.begin(), "calendar");
    return runCli(args);
  }

  cli_test::TemporaryFolder folder_{"kalvory-calendar"};
  const std::string path_ = (folder_ / "notes.alr").string();
};

TEST_F(CalendarCommandTest, JsonIsOneObjectOfTheGridAfterTheKeys) {
  const CliResult result = calendar({path_, "--month", "2026-04", "--today", "2026-05-12", "--selected", "2026-05-20",
                                     "--keys", "Next,Next,Prev", "--lang", "ru", "--json"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const auto json = nlohmann::ordered_json::parse(result.out);
  std::vector<std::string> keys;
  for (const auto& item : json.items()) keys.push_back(item.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"displayed", "selected", "week_starts", "header", "cells"}));
  EXPECT_EQ(json["displayed"], "2026-05-01");
  EXPECT_EQ(json["selected"], "2026-05-20");
  EXPECT_EQ(json["week_starts"], "Monday");
  EXPECT_EQ(json["header"], nlohmann::json({"пн", "вт", "ср", "чт", "пт", "сб", "вс"}));
  ASSERT_EQ(json["cells"].size(), 42u);
  for (const auto& cell : json["cells"]) {
    std::vector<std::string> cellKeys;
    for (const auto& item : cell.items()) cellKeys.push_back(item.key());
    EXPECT_EQ(cellKeys, (std::vector<std::string>{"date", "kind", "selected", "free", "anniversary", "note",
                                                  "text_colour", "framed"}));
  }
  const auto& cells = json["cells"];
  EXPECT_EQ(cells[0]["date"], "2026-04-27");  // May 2026 begins on a Friday
  EXPECT_EQ(cells[0]["kind"], 1);
  EXPECT_EQ(cells[0]["text_colour"], "clDimmed");
  EXPECT_EQ(cells[15]["date"], "2026-05-12");
  EXPECT_EQ(cells[15]["kind"], 2);
  const auto& holiday = cells[23];
  EXPECT_EQ(holiday["date"], "2026-05-20");
  EXPECT_EQ(holiday["selected"], true);
  EXPECT_EQ(holiday["note"], "Holiday");
  EXPECT_EQ(holiday["framed"], true);
  EXPECT_EQ(holiday["text_colour"], "clHighLightText");
  const auto& birthday = cells[37];  // Wednesday 3 June, in the last row
  EXPECT_EQ(birthday["date"], "2026-06-03");
  EXPECT_EQ(birthday["anniversary"], true);
  EXPECT_EQ(birthday["note"], "День рождения");
  EXPECT_EQ(birthday["text_colour"], "clAnniversaryDimmed");
  EXPECT_EQ(cells[40]["free"], true);
  EXPECT_EQ(cells[40]["text_colour"], "clFreeDimmed");
}

TEST_F(CalendarCommandTest, MonthsOutsideTheRangeAreLimitedAndTextShowsTheMarks) {
  CliResult result = calendar({path_, "--month", "2300-06", "--today", "2026-05-12", "--keys", "YearUp", "--json"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(nlohmann::json::parse(result.out)["displayed"], "2200-01-01");

  result = calendar({path_, "--month", "2026-05", "--today", "2026-05-12", "--selected", "2026-05-20"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("May 2026\n Su     Mo     Tu     We     Th     Fr     Sa\n"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("(12)"), std::string::npos);
  EXPECT_NE(result.out.find("[20] #"), std::string::npos);
  EXPECT_NE(result.out.find("  3 ~#"), std::string::npos);
  EXPECT_NE(result.out.find("\nSelected: 2026-05-20\nNotes:\n  2026-05-20  Holiday\n  2026-06-03  День рождения\n"),
            std::string::npos)
      << result.out;
}

TEST_F(CalendarCommandTest, BadDatesAndDocumentsExitWithOneLine) {
  cli_test::writeFile(folder_ / "garbage.alr", "not a document");
  const std::vector<std::vector<std::string>> cases = {
      {path_, "--month", "2026-13"},
      {path_, "--month", "0099-01"},
      {path_, "--month", "2026-05", "--today", "2026-02-30"},
      {path_, "--month", "2026-05", "--selected", "20260520"},
      {path_, "--month", "2026-05", "--keys", "Next,,Prev"},
      {path_, "--month", "2026-05", "--lang", "de"},
      {(folder_ / "garbage.alr").string(), "--month", "2026-05"},
      {(folder_ / "missing.alr").string(), "--month", "2026-05"},
  };
  for (const auto& args : cases) {
    const CliResult result = calendar(args);
    SCOPED_TRACE(args[2] + " " + (args.size() > 4 ? args[4] : args[0]));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");
    ASSERT_FALSE(result.err.empty());
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    EXPECT_EQ(result.err.rfind("kalvory-cli calendar: ", 0), 0u) << result.err;
  }
  EXPECT_EQ(calendar({path_}).exitCode, 1);  // --month is required
}

}  // namespace
}  // namespace kalvory
