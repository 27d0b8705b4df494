#pragma once

// Runs the built kalvory-cli for the command-line tests, and the files and folders around it.

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kalvory::cli_test {

struct CliResult {
  // The tool's exit status; 128 + the signal number when a signal ended it, -1 when it never started.
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Variables set for the tool on top of the test's own environment; a later entry wins over an earlier one.
using Environment = std::vector<std::pair<std::string, std::string>>;

// Starts KALVORY_CLI with `args` directly (no shell), its input from /dev/null, and waits for it,
// collecting everything it writes on stdout and stderr.
CliResult runCli(const std::vector<std::string>& args, const Environment& extraEnv = {});

// The whole file, or "" when it cannot be read.
std::string readFile(const std::filesystem::path& path);

// Replaces the file with `bytes`, creating the folders above it first.
void writeFile(const std::filesystem::path& path, const std::string& bytes);

// A fresh, uniquely named folder under the temporary folder, removed with everything in it.
class TemporaryFolder {
 public:
  explicit TemporaryFolder(std::string_view prefix = "kalvory-cli");
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace kalvory::cli_test
