#include "cli_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

extern char** environ;

namespace kalvory::cli_test {
namespace {

namespace fs = std::filesystem;

bool setsVariable(const Environment& extraEnv, std::string_view name) {
  return std::any_of(extraEnv.begin(), extraEnv.end(), [&](const auto& variable) { return variable.first == name; });
}

// "NAME=value" strings: the test's environment with the overridden names replaced.
std::vector<std::string> childEnvironment(const Environment& extraEnv) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    if (!setsVariable(extraEnv, text.substr(0, text.find('=')))) entries.emplace_back(text);
  }
  for (auto variable = extraEnv.begin(); variable != extraEnv.end(); ++variable) {
    const bool setAgainLater = std::any_of(std::next(variable), extraEnv.end(),
                                           [&](const auto& later) { return later.first == variable->first; });
    if (!setAgainLater) entries.push_back(variable->first + "=" + variable->second);
  }
  return entries;
}

std::vector<char*> pointersTo(std::vector<std::string>& words) {
  std::vector<char*> pointers;
  pointers.reserve(words.size() + 1);
  for (auto& word : words) pointers.push_back(word.data());
  pointers.push_back(nullptr);
  return pointers;
}

void closeIfOpen(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Reads both pipes together until the tool closes them, so a full stderr never stalls its stdout.
void collect(int outFd, int errFd, std::string& out, std::string& err) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* sinks[2] = {&out, &err};
  char buffer[65536];
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        closeIfOpen(fds[i].fd);
      }
    }
  }
  closeIfOpen(fds[0].fd);
  closeIfOpen(fds[1].fd);
}

}  // namespace

CliResult runCli(const std::vector<std::string>& args, const Environment& extraEnv) {
  CliResult result;
  std::vector<std::string> words{KALVORY_CLI};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<std::string> environment = childEnvironment(extraEnv);
  const std::vector<char*> argv = pointersTo(words);
  const std::vector<char*> envp = pointersTo(environment);

  int outPipe[2] = {-1, -1};
  int errPipe[2] = {-1, -1};
  if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0) {
    result.err = std::string("cannot make a pipe: ") + std::strerror(errno);
    for (int* fd : {&outPipe[0], &outPipe[1], &errPipe[0], &errPipe[1]}) closeIfOpen(*fd);
    return result;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
  pid_t child = 0;
  const int spawned = ::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  closeIfOpen(outPipe[1]);
  closeIfOpen(errPipe[1]);
  if (spawned != 0) {
    closeIfOpen(outPipe[0]);
    closeIfOpen(errPipe[0]);
    result.err = "cannot start " + words.front() + ": " + std::strerror(spawned);
    return result;
  }

  collect(outPipe[0], errPipe[0], result.out, result.err);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return result;
  }
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.exitCode = 128 + WTERMSIG(status);
  return result;
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::string& bytes) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

TemporaryFolder::TemporaryFolder(std::string_view prefix) {
  std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(), "cannot make a temporary folder " + pattern);
  }
  path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

}  // namespace kalvory::cli_test
