// kalvory-cli new, build, info and resave, run as a program on files built by hand and by the tool.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "cli_runner.h"

namespace kalvory {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;
using cli_test::CliResult;
using cli_test::readFile;
using cli_test::runCli;
using cli_test::writeFile;

class DocumentCommandsTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  // Builds `json` into a document and returns what info prints for it.
  Json roundTrip(const Json& json) {
    writeFile(path("in.json"), json.dump());
    const CliResult build = runCli({"build", path("in.json"), path("out.alr")});
    EXPECT_EQ(build.exitCode, 0) << build.err;
    const CliResult info = runCli({"info", path("out.alr")});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    return Json::parse(info.out);
  }

  cli_test::TemporaryFolder folder_{"kalvory-cli-doc"};
  const fs::path dir_ = folder_.path();
};

Json dateTime(int status, double days) { return Json{{"status", status}, {"days", days}}; }

// A document with every field away from its default.
Json fullDocument() {
  Json reminder = Json::object();
  reminder["time"] = dateTime(0, 46155.37512345678);
  reminder["timer_mode"] = 1;
  reminder["daily"] = 5;
  reminder["state"] = 2;
  reminder["text"] = "Позвони маме \u0080J \u00812\u0082 — ☎ 日本";
  reminder["sound_file"] = std::string(300, 's');
  reminder["timer_minutes"] = -90;
  reminder["program"] = "xmessage «Привет»";
  reminder["exit_action"] = 4;
  reminder["week_days"] = 0x2A;
  reminder["show_seconds"] = 90061;
  reminder["osd"] = 0;
  reminder["notifier"] = "Синий";
  reminder["wallpaper"] = "/home/me/ёлка.png";
  reminder["sticker"] = "😀";
  Json note = Json::object();
  note["text"] = "День рождения\r\nбабушки";
  note["date"] = dateTime(1, -1.25);
  note["week_day"] = 6;
  note["interval_days"] = 0;
  note["repeat"] = 3;
  note["event_type"] = 5;
  note["block_changer"] = true;
  note["sticker"] = "Ёж";
  note["wallpaper"] = "Ünïcödé.png";
  Json doc = Json::object();
  doc["reminders"] = Json::array({reminder, reminder});
  doc["reminders"][1]["time"] = dateTime(2, 0.0);
  doc["day_notes"] = Json::array({note});
  doc["copy_date_format"] = "%d.%m.%Y";
  doc["paste_formats"] = Json::array({"a", "", "ĉ", std::string(70000, 'p')});
  doc["countdown_target"] = dateTime(0, 0.1 + 0.2);
  return doc;
}

TEST_F(DocumentCommandsTest, NewWritesTheDefaultDocument) {
  const CliResult run = runCli({"new", path("new.alr")});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "");
  const std::string expected("\0\0\0\0\x08%m/%d/%Y\x03\0\x06%Y%d%m\x05%x %X\x02%V\0\0\0\0\0\0\0\0\0\0\0\0", 43);
  EXPECT_EQ(readFile(path("new.alr")), expected);

  const Json info = Json::parse(runCli({"info", path("new.alr")}).out);
  EXPECT_EQ(info, Json::parse(R"({"reminders": [], "day_notes": [], "copy_date_format": "%m/%d/%Y",
      "paste_formats": ["%Y%d%m", "%x %X", "%V"], "countdown_target": {"status": 0, "days": 0.0}})"));
  std::vector<std::string> keys;
  for (const auto& [key, value] : info.items()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"reminders", "day_notes", "copy_date_format", "paste_formats",
                                            "countdown_target"}));
}

TEST_F(DocumentCommandsTest, BuildThenInfoKeepsEveryFieldAndResaveIsByteIdentical) {
  const Json doc = fullDocument();
  const Json info = roundTrip(doc);
  EXPECT_EQ(info, doc);
  EXPECT_EQ(info["countdown_target"]["days"].get<double>(), 0.1 + 0.2) << "days read back to the same double";
  // The marks come out as their code points, not as escapes.
  const CliResult run = runCli({"info", path("out.alr")});
  EXPECT_NE(run.out.find("\xC2\x80J \xC2\x81"
                         "2\xC2\x82"),
            std::string::npos);

  const std::string original = readFile(path("out.alr"));
  EXPECT_NE(original.find("\xCF\xF0\xE8\xE2\xE5\xF2"), std::string::npos) << "Cyrillic stays one byte each";
  const CliResult resave = runCli({"resave", path("out.alr"), path("again.alr")});
  EXPECT_EQ(resave.exitCode, 0) << resave.err;
  EXPECT_EQ(readFile(path("again.alr")), original);
  EXPECT_EQ(runCli({"resave", path("again.alr"), path("again.alr")}).exitCode, 0);
  EXPECT_EQ(readFile(path("again.alr")), original);
}

TEST_F(DocumentCommandsTest, MissingFieldsTakeTheDefaultsOfNewRecords) {
  const Json info = roundTrip(Json::parse(R"({"reminders": [{"time": {"status": 0, "days": 46155.5}}],
      "day_notes": [{"date": {"status": 0, "days": 46156}}]})"));
  EXPECT_EQ(info["reminders"][0], Json::parse(R"({"time": {"status": 0, "days": 46155.5}, "timer_mode": 0,
      "daily": 0, "state": 1, "text": "", "sound_file": "", "timer_minutes": 0, "program": "", "exit_action": 0,
      "week_days": 127, "show_seconds": 60, "osd": 1, "notifier": "", "wallpaper": "", "sticker": ""})"));
  EXPECT_EQ(info["day_notes"][0], Json::parse(R"({"text": "", "date": {"status": 0, "days": 46156.0},
      "week_day": 0, "interval_days": 1, "repeat": 0, "event_type": 0, "block_changer": false, "sticker": "",
      "wallpaper": ""})"));
  EXPECT_EQ(info["paste_formats"], Json::parse(R"(["%Y%d%m", "%x %X", "%V"])"));
}

TEST_F(DocumentCommandsTest, ASchemaKeyWritesAnOlderRecordVersion) {
  Json doc = fullDocument();
  doc["reminders"][0]["schema"] = 9;
  doc["reminders"][1]["schema"] = 9;
  doc["day_notes"][0]["schema"] = 11;
  const Json info = roundTrip(doc);
  const std::string bytes = readFile(path("out.alr"));
  EXPECT_EQ(bytes.substr(2, 6), std::string("\xFF\xFF\x09\x00\x0A\x00", 6));
  const Json& reminder = info["reminders"][0];
  EXPECT_EQ(reminder["week_days"], 0x2A);
  EXPECT_EQ(reminder["show_seconds"], 60) << "not in schema 9: a new record's default";
  EXPECT_EQ(reminder["osd"], 1);
  EXPECT_EQ(reminder["notifier"], "");
  EXPECT_EQ(reminder["sticker"], "");
  EXPECT_EQ(info["day_notes"][0]["event_type"], 5);
  EXPECT_EQ(info["day_notes"][0]["block_changer"], false);
  EXPECT_EQ(info["day_notes"][0]["wallpaper"], "");
}

TEST_F(DocumentCommandsTest, BadJsonIsRefusedAndNothingIsWritten) {
  const std::string target = path("target.alr");
  writeFile(target, "previous");
  const std::string time = R"("time": {"status": 0, "days": 1})";
  const std::pair<std::string, std::string> cases[] = {
      {"{", "parse error"},
      {"[]", "document: expected an object"},
      {R"({"remind": []})", "remind: unknown key"},
      {R"({"reminders": [{}]})", "reminders[0].time: missing"},
      {R"({"day_notes": [{"text": "x"}]})", "day_notes[0].date: missing"},
      {R"({"reminders": [{)" + time + R"(, "colour": 1}]})", "reminders[0].colour: unknown key"},
      {R"({"reminders": [{)" + time + R"(, "state": "1"}]})", "reminders[0].state: expected a whole number"},
      {R"({"reminders": [{)" + time + R"(, "state": 1.5}]})", "reminders[0].state: expected a whole number"},
      {R"({"reminders": [{)" + time + R"(, "state": 2147483648}]})", "reminders[0].state: out of the 32-bit range"},
      {R"({"reminders": [{)" + time + R"(, "text": 5}]})", "reminders[0].text: expected a string"},
      {R"({"reminders": [{"time": {"status": 3, "days": 1}}]})", "reminders[0].time.status"},
      {R"({"reminders": [{"time": {"days": 1}}]})", "reminders[0].time.status: missing"},
      {R"({"reminders": [{"time": {"status": 0, "days": "1"}}]})", "reminders[0].time.days: expected a number"},
      {R"({"reminders": [{"time": {"status": 0, "days": 1e999}}]})", "number overflow"},
      {R"({"day_notes": [{"date": {"status": 0, "days": 1}, "block_changer": 1}]})",
       "day_notes[0].block_changer: expected true or false"},
      {R"({"paste_formats": ["a", 2]})", "paste_formats[1]: expected a string"},
      {R"({"countdown_target": null})", "countdown_target: expected"},
      {R"({"reminders": [{)" + time + R"(, "schema": 70000}]})", "reminders[0].schema"},
      {R"({"reminders": [{)" + time + R"(, "schema": 9}, {)" + time + R"(}]})", "reminders[1].schema: schema 12"},
      {"{\"reminders\": [{\"text\": \"\xC3\x28\"}]}", "parse error"},
  };
  for (const auto& [json, message] : cases) {
    writeFile(path("bad.json"), json);
    const CliResult run = runCli({"build", path("bad.json"), target});
    EXPECT_EQ(run.exitCode, 2) << json;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(path("bad.json") + ": "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(message), std::string::npos) << json << " gave " << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(readFile(target), "previous") << json;
  }
  EXPECT_EQ(runCli({"build", path("absent.json"), target}).exitCode, 2);
  EXPECT_EQ(runCli({"build", path("bad.json")}).exitCode, 1) << "a missing argument is a usage error";
}

TEST_F(DocumentCommandsTest, InfoOnDamagedFilesSaysWhereAndWhyOnOneLine) {
  writeFile(path("class.alr"), std::string("\x01\x00\xFF\xFF\x0C\x00\x05\x00Weird", 13));
  CliResult run = runCli({"info", path("class.alr")});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "kalvory-cli info: " + path("class.alr") + ": offset 2: unknown class \"Weird\"\n");

  run = runCli({"info", path("absent.alr")});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("cannot open"), std::string::npos);

  // Every truncation of a valid file fails cleanly: one record of each class with every string
  // form, and the trailing settings.
  Json compact = fullDocument();
  compact["reminders"].erase(1);
  compact["paste_formats"] = Json::array({"ĉ", std::string(70000, 'p')});
  writeFile(path("full.json"), compact.dump());
  ASSERT_EQ(runCli({"build", path("full.json"), path("full.alr")}).exitCode, 0);
  const std::string whole = readFile(path("full.alr"));
  ASSERT_GT(whole.size(), 70000u);
  std::vector<std::size_t> cuts;
  for (std::size_t length = 0; length < whole.size(); ++length) {
    // Inside the long strings of 's' and 'p' every cut is alike; a few of them stand for the rest.
    const char c = whole[length];
    const bool inLongRun = (c == 's' || c == 'p') && length >= 8 && length % 4096 != 0 &&
                           whole.compare(length - 8, 8, std::string(8, c)) == 0;
    if (!inLongRun) cuts.push_back(length);
  }
  ASSERT_GT(cuts.size(), 200u);
  for (const std::size_t length : cuts) {
    writeFile(path("cut.alr"), whole.substr(0, length));
    run = runCli({"info", path("cut.alr")});
    ASSERT_EQ(run.exitCode, 2) << "cut at " << length;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("kalvory-cli info: " + path("cut.alr") + ": offset ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
}

}  // namespace
}  // namespace kalvory
