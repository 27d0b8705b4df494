// kalvory-cli export-ics and import-ics.
#include <gtest/gtest.h>

#include "cli_runner.h"

namespace kalvory::cli_test {
namespace {

// The calendar commands keep their UID stores in the data folder: the test's own.
CliResult runIcs(const std::vector<std::string>& args, const TemporaryFolder& folder) {
  return runCli(args, {{"KALVORY_HOME", (folder / "home").string()}});
}

TEST(CliIcs, TheSampleSurvivesARoundTripByteForByte) {
  TemporaryFolder folder;
  const std::string sample = KALVORY_SOURCE_DIR "/examples/sample.alr";
  ASSERT_EQ(runCli({"resave", sample, (folder / "resaved.alr").string()}).exitCode, 0);
  CliResult exported = runIcs({"export-ics", sample, (folder / "sample.ics").string()}, folder);
  ASSERT_EQ(exported.exitCode, 0) << exported.err;
  EXPECT_NE(readFile(folder / "sample.ics").find("BEGIN:VALARM"), std::string::npos);
  CliResult imported = runIcs({"import-ics", (folder / "sample.ics").string(), (folder / "back.alr").string()}, folder);
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
  CliResult result = runIcs({"import-ics", (folder / "in.ics").string(), (folder / "out.alr").string()}, folder);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, "kalvory-cli import-ics: " + (folder / "in.ics").string() +
                            ": skipped event \"Dropped\" (line 10): EXDATE (line 16) is not supported: a repeating "
                            "reminder or day note has no exceptions or extra dates\n");
  CliResult info = runCli({"info", (folder / "out.alr").string()});
  EXPECT_NE(info.out.find("\"Kept\""), std::string::npos);
  EXPECT_EQ(info.out.find("\"Dropped\""), std::string::npos);

  writeFile(folder / "bad.ics", "not a calendar");
  CliResult bad = runIcs({"import-ics", (folder / "bad.ics").string(), (folder / "bad.alr").string()}, folder);
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_FALSE(std::filesystem::exists(folder / "bad.alr"));

  // To-dos and journal entries are named too, and a broken file says where it breaks.
  writeFile(folder / "todo.ics",
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Hand//EN\r\n"
            "BEGIN:VTODO\r\nUID:t\r\nDTSTAMP:20260501T000000Z\r\nSUMMARY:Rent\r\nDUE:20260601T090000\r\n"
            "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Rent\r\nTRIGGER:-PT1H\r\nEND:VALARM\r\nEND:VTODO\r\n"
            "BEGIN:VJOURNAL\r\nUID:j\r\nDTSTAMP:20260501T000000Z\r\nSUMMARY:Diary\r\nEND:VJOURNAL\r\n"
            "END:VCALENDAR\r\n");
  CliResult todo = runIcs({"import-ics", (folder / "todo.ics").string(), (folder / "todo.alr").string()}, folder);
  EXPECT_EQ(todo.exitCode, 0);
  const std::string prefix = "kalvory-cli import-ics: " + (folder / "todo.ics").string() + ": skipped ";
  EXPECT_EQ(todo.err, prefix +
                          "to-do \"Rent\" (line 4): to-dos are not imported; the document holds reminders and "
                          "day notes\n" +
                          prefix +
                          "journal entry \"Diary\" (line 15): journal entries are not imported; the "
                          "document holds reminders and day notes\n");
  writeFile(folder / "cut.ics", "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:a\r\n");
  CliResult cut = runIcs({"import-ics", (folder / "cut.ics").string(), (folder / "cut.alr").string()}, folder);
  EXPECT_EQ(cut.exitCode, 2);
  EXPECT_NE(cut.err.find("line 3: BEGIN:VEVENT has no END:VEVENT (the file ends at line 4)"), std::string::npos)
      << cut.err;
  EXPECT_FALSE(std::filesystem::exists(folder / "cut.alr"));
}

TEST(CliIcs, RecordsKeepTheCalendarsUidsThroughImportAndExport) {
  TemporaryFolder folder;
  writeFile(folder / "in.ics",
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Hand//EN\r\n"
            "BEGIN:VEVENT\r\nUID:meeting-42@other.example\r\nDTSTAMP:20260501T000000Z\r\nSUMMARY:Meeting\r\n"
            "DTSTART:20260601T090000\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
  ASSERT_EQ(runIcs({"import-ics", (folder / "in.ics").string(), (folder / "doc.alr").string()}, folder).exitCode, 0);
  for (const char* name : {"first.ics", "second.ics"}) {
    CliResult exported = runIcs({"export-ics", (folder / "doc.alr").string(), (folder / name).string()}, folder);
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_EQ(exported.err, "");
    EXPECT_NE(readFile(folder / name).find("\r\nUID:meeting-42@other.example\r\n"), std::string::npos);
  }
}

}  // namespace
}  // namespace kalvory::cli_test
