#include "core/alarms/alarm_simulation.h"

#include <gtest/gtest.h>

#include <sstream>

#include "core/model/alarm_doc.h"

namespace kalvory {
namespace {

COleDateTime at(int hour, int minute, int second) { return COleDateTime(2026, 3, 10, hour, minute, second); }

std::vector<std::string> linesOf(const std::string& text, bool withDayRefresh = false) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (withDayRefresh || line.find(" day-refresh") == std::string::npos) lines.push_back(line);
  }
  return lines;
}

CAlarmDoc sampleDocument() {
  CAlarmDoc doc;
  CAlarmLine r(at(10, 0, 0), 60);
  r.time = at(10, 0, 0);
  r.text = "Call \"Ann\"\r\nnow";
  r.notifier = "Blue";
  r.sound_file = "/home/ann/ring.ogg";
  r.program = "gedit notes.txt";
  r.wallpaper = "/home/ann/sea.png";
  r.exit_action = 4;
  doc.AddAlarm(r);
  return doc;
}

TEST(AlarmSimulation, PrintsEveryEffectInCallOrder) {
  CAlarmDoc doc = sampleDocument();
  SimulationOptions options;
  options.from = at(9, 59, 59);
  options.to = at(10, 2, 0);
  std::ostringstream out;
  const std::int64_t ticks = runAlarmSimulation(doc, options, out);
  EXPECT_EQ(ticks, 61);  // stops on the tick that closes the program
  const std::vector<std::string> expected{
      "2026-03-10 10:00:00 osd-show \"Call \\\"Ann\\\"\\r\\nnow\"",
      "2026-03-10 10:00:00 notifier \"Call \\\"Ann\\\"\\r\\nnow\" 60 \"Blue\"",
      "2026-03-10 10:00:00 wallpaper \"/home/ann/sea.png\"",
      "2026-03-10 10:00:00 sound \"/home/ann/ring.ogg\"",
      "2026-03-10 10:00:00 program \"gedit notes.txt\"",
      "2026-03-10 10:00:00 osd-show \"Call \\\"Ann\\\"\\r\\nnow\"",
  };
  const auto lines = linesOf(out.str());
  ASSERT_GE(lines.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 6), expected);
  // The OSD window keeps the text without its carriage return, so it is shown again every tick.
  EXPECT_EQ(lines[6], "2026-03-10 10:00:01 osd-show \"Call \\\"Ann\\\"\\r\\nnow\"");
  const std::vector<std::string> ending{
      "2026-03-10 10:00:59 state 0 2",   "2026-03-10 10:00:59 osd-hide",      "2026-03-10 10:00:59 player-restore",
      "2026-03-10 10:00:59 day-refresh", "2026-03-10 10:00:59 exit-action 4",
  };
  const auto all = linesOf(out.str(), true);
  EXPECT_EQ(std::vector<std::string>(all.end() - 5, all.end()), ending);
}

TEST(AlarmSimulation, AnswersAndTimeAnnouncement) {
  CAlarmDoc doc = sampleDocument();
  doc.GetAlarmAt(0)->text = "Tea";
  doc.GetAlarmAt(0)->sound_file.clear();
  SimulationOptions options;
  options.from = at(9, 59, 58);
  options.to = at(10, 12, 0);
  options.sayTimeRange = 10;
  options.answers.push_back(parseSimulationAnswer("2026-03-10 10:00:10 postpone 300").value());
  options.answers.push_back(parseSimulationAnswer("2026-03-10 10:05:05 off").value());
  std::ostringstream out;
  runAlarmSimulation(doc, options, out);
  std::vector<std::string> interesting;
  for (const auto& line : linesOf(out.str())) {
    if (line.find("notifier") == std::string::npos && line.find("wallpaper") == std::string::npos) {
      interesting.push_back(line);
    }
  }
  const std::vector<std::string> expected{
      "2026-03-10 10:00:00 osd-show \"Tea\"",
      "2026-03-10 10:00:00 program \"gedit notes.txt\"",
      "2026-03-10 10:00:00 osd-show \"Tea\"",
      "2026-03-10 10:00:00 say-time",
      "2026-03-10 10:00:10 osd-hide",
      "2026-03-10 10:05:00 osd-show \"Tea\"",
      "2026-03-10 10:05:00 program \"gedit notes.txt\"",
      "2026-03-10 10:05:05 state 0 2",
      "2026-03-10 10:05:05 osd-hide",
      "2026-03-10 10:06:02 state 0 1",
      "2026-03-10 10:10:00 say-time",
  };
  EXPECT_EQ(interesting, expected);
}

TEST(AlarmSimulation, ParsingAndQuoting) {
  const auto postpone = parseSimulationAnswer("2026-03-10 10:00:10 postpone -60");
  ASSERT_TRUE(postpone.ok()) << postpone.error();
  EXPECT_EQ(postpone.value().kind, SimulationAnswer::Kind::Postpone);
  EXPECT_EQ(postpone.value().seconds, -60);
  EXPECT_EQ(parseSimulationAnswer("2026-03-10 10:00:10 off exit").value().kind, SimulationAnswer::Kind::OffExit);
  for (const char* bad : {"2026-03-10 10:00:10 snooze", "2026-03-10 10:00:10 postpone", "10:00:10 off",
                          "2026-02-30 10:00:10 off", "2026-03-10 10:00:10 postpone 99999999999", ""}) {
    const auto refused = parseSimulationAnswer(bad);
    EXPECT_FALSE(refused.ok()) << bad;
    EXPECT_FALSE(refused.error().empty());
  }
  EXPECT_EQ(secondsBetween(at(10, 0, 0), at(9, 59, 0)), -60);
}

}  // namespace
}  // namespace kalvory
