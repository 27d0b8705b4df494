// kalvory-cli export-ics and import-ics.
#include <gtest/gtest.h>

#include "cli_runner.h"

namespace kalvory::cli_test {
namespace {

TEST(CliIcs, TheSampleSurvivesARoundTripByteForByte) {
  TemporaryFolder folder;
  const std::string sample = KALVORY_SOURCE_DIR "/examples/sample.alr";
  ASSERT_EQ(runCli({"resave", sample, (folder / "resaved.alr").string()}).exitCode, 0);
  CliResult exported = runCli({"export-ics", sample, (folder / "sample.ics").string()});
  ASSERT_EQ(exported.exitCode, 0) << exported.err;
  EXPECT_NE(readFile(folder / "sample.ics").find("BEGIN:VALARM"), std::string::npos);
  CliResult imported = runCli({"import-ics", (folder / "sample.ics").string(), (folder / "back.alr").string()});
  ASSERT_EQ(imported.exitCode, 0) << imported.err;
  EXPECT_EQ(imported.err, "");
  EXPECT_EQ(readFile(folder / "back.alr"), readFile(folder / "resaved.alr"));
}

TEST(CliIcs, SkippedEventsAreNamedOneLineEachAndTheRestIsWritten) {
  TemporaryFolder folder;
  writeFile(folder / "in.ics",
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Hand//EN\r\n"
            "BEGIN:VEVENT\r\nUID:a\r\nDTSTAMP:20260501T000000Z\r\nSUMMARY:Kept\r\nDTSTART:20260601T090000\r\n"
            "END:VEVENT\r\n"
            "BEGIN:VEVENT\r\nUID:b\r\nDTSTAMP:20260501T000000Z\r\nSUMMARY:Dropped\r\nDTSTART:20260601T090000\r\n"
            "RRULE:FREQ=DAILY\r\nEXDATE:20260602T090000\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
  CliResult result = runCli({"import-ics", (folder / "in.ics").string(), (folder / "out.alr").string()});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, "kalvory-cli import-ics: " + (folder / "in.ics").string() +
                            ": skipped event \"Dropped\": EXDATE is not supported\n");
  CliResult info = runCli({"info", (folder / "out.alr").string()});
  EXPECT_NE(info.out.find("\"Kept\""), std::string::npos);
  EXPECT_EQ(info.out.find("\"Dropped\""), std::string::npos);

  writeFile(folder / "bad.ics", "not a calendar");
  CliResult bad = runCli({"import-ics", (folder / "bad.ics").string(), (folder / "bad.alr").string()});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_FALSE(std::filesystem::exists(folder / "bad.alr"));
}

}  // namespace
}  // namespace kalvory::cli_test
