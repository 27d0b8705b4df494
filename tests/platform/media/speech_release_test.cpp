// The spoken time through a real sound server (a PulseAudio null sink of the test's own): once
// the announcement ends, nothing of it stays in the program: no stream, thread or descriptor.
#include <dirent.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "support/missing_tool.h"

extern char** environ;

namespace {

int entries(const char* folder) {
  DIR* dir = opendir(folder);
  if (dir == nullptr) return -1;
  int count = 0;
  while (const dirent* entry = readdir(dir))
    if (entry->d_name[0] != '.') ++count;
  closedir(dir);
  return count;
}

// The playback streams on the test's sound server.
int soundStreams() {
  std::FILE* list = popen("pactl list short sink-inputs 2>/dev/null", "r");
  if (list == nullptr) return -1;
  int lines = 0;
  for (int c; (c = std::fgetc(list)) != EOF;)
    if (c == '\n') ++lines;
  pclose(list);
  return lines;
}

TEST(SpeechLibrary, TheAnnouncementLetsGoOfTheSoundDeviceWhenItEnds) {
  void* library = dlopen(RUSSI_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  auto speak = reinterpret_cast<void (*)()>(dlsym(library, "Speak"));
  ASSERT_NE(speak, nullptr);
  setenv("KALVORY_LANGUAGE", "1", 1);

  for (int announcement = 0; announcement < 2; ++announcement) {
    const int threads = entries("/proc/self/task");
    const int descriptors = entries("/proc/self/fd");
    speak();
    // Watched until the stream has been on the server and is gone again, and the threads and
    // descriptors are back where they were.
    bool heard = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      const int streams = soundStreams();
      heard = heard || streams > 0;
      if (heard && streams == 0 && entries("/proc/self/task") == threads && entries("/proc/self/fd") == descriptors)
        break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(heard) << "the announcement never reached the sound server";
    EXPECT_EQ(soundStreams(), 0) << "announcement " << announcement;
    EXPECT_EQ(entries("/proc/self/task"), threads) << "announcement " << announcement;
    EXPECT_EQ(entries("/proc/self/fd"), descriptors) << "announcement " << announcement;
  }
  dlclose(library);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  // A sound server of the test's own, in a runtime folder and home of the test's own.
  char folder[] = "/tmp/kalvory-speech-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  setenv("XDG_RUNTIME_DIR", folder, 1);
  setenv("HOME", folder, 1);
  unsetenv("PULSE_SERVER");
  setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/kalvory-test-session-bus", 1);
  const std::string log = std::string(folder) + "/pulseaudio.log";
  const char* server[] = {"pulseaudio",
                          "-n",
                          "--daemonize=no",
                          "--exit-idle-time=-1",
                          "-L",
                          "module-native-protocol-unix",
                          "-L",
                          "module-null-sink sink_name=nullsink",
                          "--log-target",
                          nullptr};
  std::string target = "--log-target=file:" + log;
  server[8] = target.c_str();
  pid_t pid = 0;
  if (posix_spawnp(&pid, "pulseaudio", nullptr, nullptr, const_cast<char**>(server), environ) != 0) {
    std::fprintf(stderr, "pulseaudio could not be started%s\n",
                 kalvory::test::missingToolIsFailure() ? " (required under CI)" : "; skipped");
    return kalvory::test::missingToolIsFailure() ? 1 : 0;
  }
  bool ready = false;
  for (int attempt = 0; attempt < 500 && !ready; ++attempt) {
    ready = std::system("pactl info >/dev/null 2>&1") == 0;
    if (!ready) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  int result = 1;
  if (ready)
    result = RUN_ALL_TESTS();
  else
    std::fprintf(stderr, "the PulseAudio server for the test did not start\n");
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  std::system((std::string("rm -rf '") + folder + "'").c_str());
  return result;
}
