// kalvory-cli agenda, run as a program on documents written by the model's own writer.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "core/model/alarm_doc.h"
#include "core/model/document_file.h"

namespace kalvory {
namespace {

namespace fs = std::filesystem;
using cli_test::CliResult;
using cli_test::readFile;
using cli_test::runCli;
using cli_test::writeFile;

class AgendaTest : public ::testing::Test {
 protected:
  std::string save(CAlarmDoc& doc, const std::string& name = "doc.alr") {
    const auto path = (dir_ / name).string();
    EXPECT_TRUE(saveDocumentFile(doc, path).ok());
    return path;
  }

  static CliResult agenda(std::vector<std::string> args) {
    args.insert(args.begin(), "agenda");
    return runCli(args);
  }

  cli_test::TemporaryFolder folder_{"kalvory-agenda"};
  const fs::path dir_ = folder_.path();
};

COleDateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return COleDateTime(year, month, day, hour, minute, second);
}

CAlarmLine reminder(const COleDateTime& time, const std::string& text, int showSeconds = 60) {
  CAlarmLine line(time, showSeconds);
  line.time = time;
  line.text = text;
  return line;
}

CDayInfo note(const COleDateTime& date, CDayInfo::Repeat repeat, const std::string& text) {
  CDayInfo info(date);
  info.repeat = repeat;
  info.text = text;
  return info;
}

// Tuesday 12 May 2026, 08:00:00.
const char* const kNow = "2026-05-12 08:00:00";

CAlarmDoc weekDocument() {
  CAlarmDoc doc;
  CAlarmLine daily = reminder(at(2020, 1, 1, 7, 30, 0), "Подъём");
  daily.daily = 1;
  daily.week_days = 0b0111110;  // Monday to Friday
  doc.AddAlarm(daily);
  CAlarmLine off = daily;
  off.state = ReminderState::Inactive;
  doc.AddAlarm(off);
  doc.AddAlarm(reminder(at(2026, 5, 12, 7, 59, 30), "Check \u0080!oven"));
  doc.AddAlarm(reminder(at(2026, 5, 11, 23, 0, 0), "Yesterday"));

  CDayInfo birthday = note(at(1990, 5, 13), CDayInfo::Annual, "Birthday");
  birthday.event_type = CDayInfo::Anniversary;
  doc.AddDayInfo(birthday);
  CDayInfo monday = note(at(2026, 1, 1), CDayInfo::Weekly, "Gym");
  monday.week_day = 0;
  doc.AddDayInfo(monday);
  doc.AddDayInfo(note(at(2026, 5, 12), CDayInfo::Once, "Dentist\nat 5"));
  doc.AddDayInfo(note(at(2026, 1, 20), CDayInfo::Monthly, "Rent"));
  CDayInfo every7 = note(at(2026, 5, 1), CDayInfo::Interval, "Water plants");
  every7.interval_days = 7;
  doc.AddDayInfo(every7);
  return doc;
}

TEST_F(AgendaTest, JsonOfRemindersAndNotes) {
  CAlarmDoc doc = weekDocument();
  const CliResult run = agenda({save(doc), "--now", kNow, "--json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const auto out = nlohmann::json::parse(run.out);

  // The symbol mark and the character after it are not in the line.
  EXPECT_EQ(out["next_reminder_text"], "07:59: Check oven");
  EXPECT_EQ(out["next_day_event_text"], "Today: Dentist at 5");

  const auto& reminders = out["reminders"];
  ASSERT_EQ(reminders.size(), 4u);
  EXPECT_EQ(reminders[0]["start"], "2026-05-12 07:30:00");
  EXPECT_EQ(reminders[0]["end"], "2026-05-12 07:31:00");
  EXPECT_EQ(reminders[0]["eligible_today"], true);
  EXPECT_EQ(reminders[0]["due"], false);
  EXPECT_EQ(reminders[0]["next_fire"], "2026-05-13 07:30:00");
  EXPECT_EQ(reminders[0]["schedule_text"], "Daily: 07:30");
  EXPECT_TRUE(reminders[1]["next_fire"].is_null());  // switched off
  EXPECT_EQ(reminders[2]["due"], true);
  EXPECT_EQ(reminders[2]["eligible_today"], true);
  EXPECT_EQ(reminders[2]["next_fire"], "2026-05-12 07:59:30");
  EXPECT_EQ(reminders[2]["schedule_text"], "12/05/2026-07:59");
  EXPECT_EQ(reminders[3]["eligible_today"], false);
  EXPECT_TRUE(reminders[3]["next_fire"].is_null());

  const auto& notes = out["day_notes"];
  ASSERT_EQ(notes.size(), 5u);
  EXPECT_EQ(notes[0]["matches_today"], false);
  EXPECT_EQ(notes[0]["next_date"], "2026-05-13 00:00:00");
  EXPECT_EQ(notes[0]["date_label"], "13.05.1990");
  EXPECT_EQ(notes[0]["event_text"], "Tomorrow: Birthday");
  // A Monday note seen on a Tuesday has no next date within the week, so no event text.
  EXPECT_TRUE(notes[1]["next_date"].is_null());
  EXPECT_TRUE(notes[1]["event_text"].is_null());
  EXPECT_EQ(notes[1]["date_label"], "Monday");
  EXPECT_EQ(notes[2]["matches_today"], true);
  EXPECT_EQ(notes[2]["next_date"], "2026-05-12 00:00:00");
  EXPECT_EQ(notes[3]["date_label"], "20");
  EXPECT_EQ(notes[3]["event_text"], "05/20: Rent");
  EXPECT_EQ(notes[4]["next_date"], "2026-05-15 00:00:00");
}

TEST_F(AgendaTest, LanguagesAndTextLines) {
  CAlarmDoc doc = weekDocument();
  const std::string path = save(doc);

  const CliResult english = agenda({path, "--now", kNow});
  ASSERT_EQ(english.exitCode, 0) << english.err;
  EXPECT_EQ(english.out.rfind("Next reminder: 07:59: Check oven\nNext day event: Today: Dentist at 5\n", 0), 0u)
      << english.out;
  EXPECT_NE(english.out.find("\nReminders: 4\n"), std::string::npos);
  EXPECT_NE(english.out.find("  1. start 2026-05-12 07:30:00, end 2026-05-12 07:31:00, eligible today yes, due no, "
                             "next fire 2026-05-13 07:30:00, schedule \"Daily: 07:30\", text \"Подъём\"\n"),
            std::string::npos)
      << english.out;
  EXPECT_NE(english.out.find("next fire none"), std::string::npos);
  // Control characters stay on the line, escaped: the symbol mark and the line break.
  EXPECT_NE(english.out.find("text \"Check \\u0080!oven\""), std::string::npos) << english.out;
  EXPECT_NE(english.out.find("\nDay notes: 5\n"), std::string::npos);
  EXPECT_NE(english.out.find("  3. matches today yes, next date 2026-05-12 00:00:00, date label \"12.05.2026\", "
                             "text \"Dentist\\nat 5\"\n"),
            std::string::npos)
      << english.out;

  const CliResult russian = agenda({path, "--now", kNow, "--lang", "ru"});
  ASSERT_EQ(russian.exitCode, 0) << russian.err;
  EXPECT_EQ(
      russian.out.rfind("Следующее напоминание: 07:59: Check oven\nБлижайшее событие: Сегодня: Dentist at 5\n", 0), 0u)
      << russian.out;
  EXPECT_NE(russian.out.find("date label \"понедельник\""), std::string::npos) << russian.out;

  const CliResult ukrainian = agenda({path, "--now", kNow, "--lang", "uk", "--json"});
  ASSERT_EQ(ukrainian.exitCode, 0) << ukrainian.err;
  const auto out = nlohmann::json::parse(ukrainian.out);
  EXPECT_EQ(out["next_day_event_text"], "Сьогодні: Dentist at 5");
  EXPECT_EQ(out["day_notes"][0]["event_text"], "Завтра: Birthday");
}

TEST_F(AgendaTest, ReminderTomorrowAndEmptyDocument) {
  CAlarmDoc doc;
  doc.AddAlarm(reminder(at(2026, 5, 13, 9, 5, 0), "Call\r\nhome"));
  const CliResult run = agenda({save(doc), "--now", "2026-05-12 22:00:00", "--json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto out = nlohmann::json::parse(run.out);
  EXPECT_EQ(out["next_reminder_text"], "Tomorrow, 09:05: Call  home");
  EXPECT_EQ(out["next_day_event_text"], "");
  EXPECT_EQ(out["day_notes"], nlohmann::json::array());

  CAlarmDoc empty;
  const CliResult nothing = agenda({save(empty, "empty.alr"), "--now", kNow});
  ASSERT_EQ(nothing.exitCode, 0) << nothing.err;
  EXPECT_EQ(nothing.out, "Next reminder:\nNext day event:\n\nReminders: 0\n\nDay notes: 0\n");
  const CliResult nothingJson = agenda({(dir_ / "empty.alr").string(), "--now", kNow, "--json"});
  const auto emptyOut = nlohmann::json::parse(nothingJson.out);
  EXPECT_EQ(emptyOut["reminders"], nlohmann::json::array());
  EXPECT_EQ(emptyOut["next_reminder_text"], "");
}

TEST_F(AgendaTest, BadInputIsOneLineAndExitTwo) {
  CAlarmDoc doc = weekDocument();
  const std::string good = save(doc);

  auto expectRefused = [](const CliResult& run, const std::string& mention) {
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;  // exactly one line
    EXPECT_NE(run.err.find(mention), std::string::npos) << run.err;
  };

  expectRefused(agenda({(dir_ / "missing.alr").string(), "--now", kNow}), "missing.alr");

  // A damaged file: the good document cut short, and bytes that are no document at all.
  const std::string bytes = readFile(good);
  const auto cutPath = (dir_ / "cut.alr").string();
  writeFile(cutPath, bytes.substr(0, bytes.size() / 2));
  expectRefused(agenda({cutPath, "--now", kNow}), "cut.alr");
  const auto junkPath = (dir_ / "junk.alr").string();
  writeFile(junkPath, std::string("\xFF\xFF\x0C\x00\xFF\x7F"
                                  "CAlarmLine",
                                  16));
  expectRefused(agenda({junkPath, "--now", kNow, "--json"}), "junk.alr");

  expectRefused(agenda({good, "--now", "2026-02-30 08:00:00"}), "--now");
  expectRefused(agenda({good, "--now", "2026-05-12 24:00:00"}), "--now");
  expectRefused(agenda({good, "--now", "2026-05-12T08:00:00"}), "--now");
  expectRefused(agenda({good, "--now", "2026-5-12 08:00:00"}), "--now");
  expectRefused(agenda({good, "--now", kNow, "--lang", "de"}), "--lang");

  // A malformed command line is a usage error (exit 1), not bad input.
  EXPECT_EQ(agenda({good, "--bogus"}).exitCode, 1);
  EXPECT_EQ(agenda({}).exitCode, 1);
}

TEST_F(AgendaTest, DefaultNowIsTheCurrentTime) {
  CAlarmDoc doc;
  CDayInfo everyDay = note(at(2020, 1, 1), CDayInfo::Interval, "Daily note");
  doc.AddDayInfo(everyDay);
  const CliResult run = agenda({save(doc), "--json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto out = nlohmann::json::parse(run.out);
  // An every-day note matches whatever today is and falls today.
  EXPECT_EQ(out["day_notes"][0]["matches_today"], true);
  EXPECT_EQ(out["next_day_event_text"], "Today: Daily note");
}

// examples/sample.alr is written from examples/sample.json; the two must not drift apart.
TEST_F(AgendaTest, SampleDocumentIsBuiltFromItsJson) {
  const std::string examples = std::string(KALVORY_SOURCE_DIR) + "/examples/";
  const auto rebuilt = (dir_ / "sample.alr").string();
  const CliResult build = runCli({"build", examples + "sample.json", rebuilt});
  ASSERT_EQ(build.exitCode, 0) << build.err;
  ASSERT_FALSE(readFile(examples + "sample.alr").empty());
  EXPECT_EQ(readFile(rebuilt), readFile(examples + "sample.alr"));

  const CliResult run = agenda({examples + "sample.alr", "--now", kNow, "--json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto out = nlohmann::json::parse(run.out);
  EXPECT_EQ(out["next_reminder_text"], "16:05: Чай заварился");
  EXPECT_EQ(out["next_day_event_text"], "Tomorrow: Полить цветы");
  for (const auto& note : out["day_notes"]) EXPECT_TRUE(note["date_label"].is_string());
  EXPECT_EQ(out["reminders"].size(), 6u);
  EXPECT_EQ(out["day_notes"].size(), 7u);
}

}  // namespace
}  // namespace kalvory
