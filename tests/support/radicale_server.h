#pragma once
// A real CalDAV server for tests: Debian's Radicale on 127.0.0.1 with its storage in the test's
// own folder and one calendar, alice/cal, open to the user "alice" without a password.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace kalvory::test {

inline int freeLocalPort() {
  const int probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  close(probe);
  return ntohs(address.sin_port);
}

inline bool localPortAnswers(int port) {
  const int client = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool connected = connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(client);
  return connected;
}

// Starts a program with its output thrown away; -1 when it cannot be started.
inline pid_t spawnQuietly(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

class Radicale {
 public:
  explicit Radicale(const std::filesystem::path& folder) : folder_(folder), port_(freeLocalPort()) {
    write(folder_ / "config", "[server]\nhosts = 127.0.0.1:" + std::to_string(port_) +
                                  "\n[auth]\ntype = none\n[rights]\ntype = owner_only\n[storage]\n"
                                  "filesystem_folder = " +
                                  (folder_ / "storage").string() +
                                  "\n[web]\ntype = none\n[logging]\nlevel = warning\n");
    write(folder_ / "storage/collection-root/alice/cal/.Radicale.props", "{\"tag\": \"VCALENDAR\"}");
  }
  ~Radicale() { stop(); }
  Radicale(const Radicale&) = delete;
  Radicale& operator=(const Radicale&) = delete;

  static bool installed() { return std::system("/usr/bin/python3 -c 'import radicale' 2>/dev/null") == 0; }

  // Started and answering; false when it never answers.
  bool start() {
    pid_ = spawnQuietly({"/usr/bin/python3", "-m", "radicale", "--config", (folder_ / "config").string()});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
      if (localPortAnswers(port_)) return true;
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) return pid_ = -1, false;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  void stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  std::string calendar() const { return "http://127.0.0.1:" + std::to_string(port_) + "/alice/cal/"; }
  std::string root() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
  // Where Radicale keeps the calendar's events, one file per resource.
  std::filesystem::path calendarFolder() const { return folder_ / "storage/collection-root/alice/cal"; }

 private:
  static void write(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }

  std::filesystem::path folder_;
  int port_;
  pid_t pid_ = -1;
};

}  // namespace kalvory::test
