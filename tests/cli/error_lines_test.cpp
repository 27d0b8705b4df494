// Every command of kalvory-cli reports its errors the same way: one line on stderr,
// "kalvory-cli NAME: message", with whatever a file name holds kept from breaking the line.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli_runner.h"

namespace kalvory {
namespace {

using cli_test::CliResult;
using cli_test::runCli;

class ErrorLinesTest : public ::testing::Test {
 protected:
  cli_test::TemporaryFolder folder_{"kalvory-cli-errors"};
  // A name no file has, with a line break, a control character and the symbol mark in it.
  const std::string missing_ = (folder_ / "gone\nname\x01\u0080.x").string();
  // The same name as the error line shows it.
  const std::string shown_ = (folder_ / "gone name\\u0001\\u0080.x").string();
  const cli_test::Environment environment_{{"KALVORY_HOME", (folder_ / "data").string()},
                                           {"XDG_CONFIG_HOME", (folder_ / "config").string()},
                                           {"XDG_CURRENT_DESKTOP", ""}};
};

TEST_F(ErrorLinesTest, EveryCommandNamesItselfOnOneLine) {
  const std::string out = (folder_ / "out").string();
  const std::vector<std::vector<std::string>> runs{
      {"agenda", missing_},
      {"build", missing_, out},
      {"compose", "--picture", missing_, "--screen", "8x8", "--out", out},
      {"definitions", "--data", missing_},
      {"format", "%H", "--doc", missing_},
      {"image-info", missing_},
      {"info", missing_},
      {"new", missing_ + "/new.alr"},
      {"profile", missing_, "General", "Name"},
      {"resave", missing_, out},
      {"set-wallpaper", missing_},
      {"settings", "--config", missing_},
      {"simulate", missing_, "--from", "2026-03-10 10:00:00", "--to", "2026-03-10 10:00:01"},
  };
  for (const auto& args : runs) {
    const CliResult run = runCli(args, environment_);
    EXPECT_EQ(run.exitCode, 2) << args[0] << ": " << run.err;
    EXPECT_EQ(run.err.rfind("kalvory-cli " + args[0] + ": ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(shown_), std::string::npos) << run.err;
  }
}

TEST_F(ErrorLinesTest, UsageErrorsAndUnknownCommandsToo) {
  const CliResult usage = runCli({"info", "--frobnicate", missing_});
  EXPECT_EQ(usage.exitCode, 1);
  EXPECT_EQ(usage.err, "kalvory-cli info: unknown option --frobnicate\nUsage: kalvory-cli info FILE\n");

  const CliResult unknown = runCli({"frob\nnicate"});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_EQ(unknown.err, "kalvory-cli: unknown command \"frob nicate\" (see kalvory-cli --help)\n");
}

}  // namespace
}  // namespace kalvory
