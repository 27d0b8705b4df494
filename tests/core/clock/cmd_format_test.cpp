// The "format" command of kalvory-cli, run as a program.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/model/alarm_doc.h"
#include "core/model/document_file.h"

namespace kalvory {
namespace {

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string quoted(const std::string& text) {
  std::string result = "'";
  for (const char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return result + "'";
}

std::string readAll(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class FormatCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        std::filesystem::temp_directory_path() / ("kalvory_cmd_format_" + std::to_string(::getpid()) + "_" +
                                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  CliRun run(const std::vector<std::string>& args) {
    std::string command = quoted(KALVORY_CLI);
    for (const auto& arg : args) command += " " + quoted(arg);
    command += " >" + quoted((folder_ / "out").string()) + " 2>" + quoted((folder_ / "err").string());
    const int status = std::system(command.c_str());
    CliRun result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readAll(folder_ / "out");
    result.err = readAll(folder_ / "err");
    return result;
  }

  std::string writeFile(const std::string& name, const std::string& content) {
    const auto path = folder_ / name;
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }

  std::filesystem::path folder_;
};

TEST_F(FormatCommand, FormatsWithNowPlayerAndDocument) {
  CliRun result = run({"format", "%H:%M:%S %d.%m.%Y %д", "--now", "2024-03-14 12:41:29"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "12:41:29 14.03.2024 Четверг\n");

  const std::string player =
      writeFile("player.json",
                R"({"status": 1, "length_s": 245, "position_ms": 61500, "window_title": "7. Artist - Song - Winamp"})");
  result = run({"format", "%V %T %L %l", "--now", "2024-03-14 12:41:29", "--player", player});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "Artist - Song 04:05 01:01 03:04\n");

  // Without a player the song codes are empty.
  result = run({"format", "[%V%T]", "--now", "2024-03-14 12:41:29"});
  EXPECT_EQ(result.out, "[]\n");

  CAlarmDoc doc;
  CDayInfo first(COleDateTime(2024, 3, 14, 0, 0, 0));
  first.text = "A";
  first.repeat = CDayInfo::Once;
  doc.AddDayInfo(first);
  CDayInfo second(COleDateTime(2000, 3, 14, 0, 0, 0));
  second.text = "B";
  second.repeat = CDayInfo::Annual;
  doc.AddDayInfo(second);
  doc.countdown_target = COleDateTime(2024, 3, 15, 14, 44, 33);
  const std::string path = (folder_ / "notes.alr").string();
  EXPECT_TRUE(saveDocumentFile(doc, path).ok());
  result = run({"format", "%D|%e %f %g %k|%K", "--doc", path, "--now", "2024-03-14 12:41:29"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "A B |1 2 3 4|93784\n");
}

TEST_F(FormatCommand, BadInputExitsWithTwo) {
  CliRun result = run({"format", "%H %q", "--now", "2024-03-14 12:41:29"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("\"%q\""), std::string::npos) << result.err;
  EXPECT_EQ(result.out, "");

  EXPECT_EQ(run({"format", "%H%", "--now", "2024-03-14 12:41:29"}).exitCode, 2);
  EXPECT_EQ(run({"format", "%H", "--now", "2024-02-30 10:00:00"}).exitCode, 2);
  EXPECT_EQ(run({"format", "%H", "--now", "14.03.2024"}).exitCode, 2);
  EXPECT_EQ(run({"format", "%V", "--player", writeFile("bad.json", "{\"status\": ")}).exitCode, 2);
  EXPECT_EQ(run({"format", "%V", "--player", writeFile("nostatus.json", "{}")}).exitCode, 2);
  EXPECT_EQ(run({"format", "%V", "--player", writeFile("big.json", R"({"status": 1, "length_s": 1e99})")}).exitCode, 2);
  EXPECT_EQ(run({"format", "%V", "--player", (folder_ / "missing.json").string()}).exitCode, 2);
  EXPECT_EQ(run({"format", "%D", "--doc", writeFile("broken.alr", "\x05")}).exitCode, 2);
  EXPECT_EQ(run({"format"}).exitCode, 1);
}

}  // namespace
}  // namespace kalvory
