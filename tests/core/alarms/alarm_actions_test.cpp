#include "core/alarms/alarm_actions.h"

#include <gtest/gtest.h>

#include "core/alarms/alarm_engine.h"

namespace kalvory {
namespace {

// A player that records every request; `appearsAfterLooks` looks after a start it shows up.
class RecordingPlayer : public MediaPlayer {
 public:
  std::vector<std::string> calls;
  bool running = true;
  int appearsAfterLooks = -1;  // -1: a started player never appears
  bool startWorks = true;
  int position = 3, state = kPlaying, time = 61500, length = 7;

  bool findPlayer() override {
    calls.push_back("find");
    if (!running && appearsAfterLooks >= 0 && looksSinceStart_++ >= appearsAfterLooks) running = true;
    return running;
  }
  bool startPlayerProgram(const std::string& program) override {
    calls.push_back("start " + program);
    looksSinceStart_ = 0;
    return startWorks;
  }
  int playlistPosition() override { return log("position", position); }
  int playState() override { return log("state", state); }
  int outputTime() override { return log("time", time); }
  int trackLength() override { return log("track-length", 200); }
  void addFile(const std::string& path) override { calls.push_back("add " + path); }
  int playlistLength() override { return log("length", length); }
  void setPlaylistPosition(int p) override { calls.push_back("set-position " + std::to_string(p)); }
  void stop() override { calls.push_back("stop"); }
  void play() override { calls.push_back("play"); }
  void seek(int ms) override { calls.push_back("seek " + std::to_string(ms)); }
  void close() override { calls.push_back("close"); }

 private:
  int log(const char* name, int value) {
    calls.push_back(name);
    return value;
  }
  int looksSinceStart_ = 0;
};

class RecordingLauncher : public ProgramLauncher {
 public:
  std::vector<CommandLineParts> opened;
  bool works = true;
  bool open(const std::string& file, const std::string& parameters) override {
    opened.push_back({file, parameters});
    return works;
  }
};

class RecordingPower : public PowerManager {
 public:
  std::vector<std::string> calls;
  bool powerOff() override { return record("power-off"); }
  bool reboot() override { return record("reboot"); }
  bool suspend() override { return record("suspend"); }

 private:
  bool record(const char* what) {
    calls.push_back(what);
    return true;
  }
};

class RecordingSpeech : public SpeechLibrary {
 public:
  std::vector<std::string> calls;
  void callOnce(std::string_view library, std::string_view function) override {
    calls.push_back(std::string(library) + "!" + std::string(function));
  }
};

struct Fixture {
  AlarmSettings settings;
  RecordingPlayer player;
  RecordingLauncher launcher;
  RecordingPower power;
  RecordingSpeech speech;
  RecordingErrorReporter errors;
  COleDateTime now = COleDateTime(2026, 3, 10, 10, 20, 0);
  std::vector<int> sleeps;
  AlarmActions actions{settings,
                       player,
                       launcher,
                       power,
                       speech,
                       errors,
                       [this] { return now; },
                       [this](int ms) { sleeps.push_back(ms); }};
};

using Calls = std::vector<std::string>;

TEST(AlarmSound, SavesThePlayingPlayerAndPutsItBack) {
  Fixture f;
  f.actions.PlayAlarmSound("/music/alarm.ogg");
  EXPECT_EQ(f.player.calls, (Calls{"find", "position", "state", "time", "add /music/alarm.ogg", "length",
                                   "set-position 7", "stop", "play"}));
  EXPECT_TRUE(f.actions.alarmMusicPlaying());
  EXPECT_TRUE(f.sleeps.empty());
  f.player.calls.clear();
  EXPECT_TRUE(f.actions.RestoreWinampState());
  EXPECT_EQ(f.player.calls, (Calls{"find", "stop", "set-position 3", "seek 61500", "play", "seek 61500"}));
  EXPECT_FALSE(f.actions.alarmMusicPlaying());
  f.player.calls.clear();
  EXPECT_FALSE(f.actions.RestoreWinampState());  // only once per alarm
  EXPECT_TRUE(f.player.calls.empty());
}

TEST(AlarmSound, StartsThePlayerAndClosesItAgain) {
  Fixture f;
  f.player.running = false;
  f.player.appearsAfterLooks = 2;
  f.player.state = MediaPlayer::kStopped;
  f.settings.WinampPath = "/usr/bin/audacious";
  f.actions.PlayAlarmSound("/a.ogg");
  EXPECT_EQ(f.sleeps, (std::vector<int>{100, 100, 100}));
  EXPECT_EQ(Calls(f.player.calls.begin(), f.player.calls.begin() + 5),
            (Calls{"find", "start /usr/bin/audacious", "find", "find", "find"}));
  EXPECT_FALSE(f.actions.playerWasRunning());
  f.player.calls.clear();
  f.actions.RestoreWinampState();
  EXPECT_EQ(f.player.calls, (Calls{"find", "stop", "set-position 3", "seek 61500", "close"}));
}

TEST(AlarmSound, SkipsTheSoundWhenNoPlayerCanBeHad) {
  Fixture f;
  f.player.running = false;
  f.actions.PlayAlarmSound("/a.ogg");
  EXPECT_EQ(f.sleeps.size(), 50u);  // 5 seconds in all
  EXPECT_EQ(f.player.calls.size(), 52u);
  EXPECT_FALSE(f.actions.alarmMusicPlaying());

  Fixture broken;
  broken.player.running = false;
  broken.player.startWorks = false;
  broken.actions.PlayAlarmSound("/a.ogg");
  EXPECT_TRUE(broken.sleeps.empty());
  EXPECT_EQ(broken.player.calls, (Calls{"find", "start audacious"}));

  Fixture off;
  off.settings.IsMusic = false;
  off.actions.PlayAlarmSound("/a.ogg");
  off.actions.PlayAlarmSound("");
  EXPECT_TRUE(off.player.calls.empty());
  Fixture empty;
  empty.actions.PlayAlarmSound("");
  EXPECT_TRUE(empty.player.calls.empty());
}

TEST(AlarmSound, RestoreRules) {
  Fixture keep;  // "Restore winamp state after play" off: the alarm track goes on
  keep.settings.StopMusicOnCancelAlarm = false;
  keep.actions.PlayAlarmSound("/a.ogg");
  keep.player.calls.clear();
  EXPECT_TRUE(keep.actions.RestoreWinampState());
  EXPECT_TRUE(keep.player.calls.empty());
  EXPECT_FALSE(keep.actions.alarmMusicPlaying());

  Fixture paused;  // a paused player stays stopped
  paused.player.state = MediaPlayer::kPaused;
  paused.actions.PlayAlarmSound("/a.ogg");
  paused.player.calls.clear();
  paused.actions.RestoreWinampState();
  EXPECT_EQ(paused.player.calls, (Calls{"find", "stop", "set-position 3", "seek 61500"}));

  Fixture gone;  // the player went away before the restore
  gone.actions.PlayAlarmSound("/a.ogg");
  gone.player.running = false;
  gone.player.calls.clear();
  gone.actions.RestoreWinampState();
  EXPECT_EQ(gone.player.calls, (Calls{"find"}));
}

TEST(ProgramLine, Split) {
  EXPECT_EQ(splitCommandLine("C:\\Tools\\Report.EXE /quiet"), (CommandLineParts{"C:\\Tools\\Report.EXE", " /quiet"}));
  EXPECT_EQ(splitCommandLine("notepad.exe"), (CommandLineParts{"notepad.exe", ""}));
  EXPECT_EQ(splitCommandLine("/opt/a.Exe.d/run x"), (CommandLineParts{"/opt/a.Exe", ".d/run x"}));
  EXPECT_EQ(splitCommandLine("gedit /home/ann/notes.txt"), (CommandLineParts{"gedit", "/home/ann/notes.txt"}));
  EXPECT_EQ(splitCommandLine("\"/opt/My Tools/run\" --fast \"a b\""),
            (CommandLineParts{"/opt/My Tools/run", "--fast \"a b\""}));
  EXPECT_EQ(splitCommandLine("  xdg-open  file"), (CommandLineParts{"xdg-open", " file"}));
  EXPECT_EQ(splitCommandLine("vlc"), (CommandLineParts{"vlc", ""}));
}

TEST(ProgramLine, FailureIsReportedWithTheWholeLine) {
  Fixture f;
  f.actions.ExecuteApplication("gedit notes.txt");
  ASSERT_EQ(f.launcher.opened.size(), 1u);
  EXPECT_TRUE(f.errors.entries.empty());
  f.launcher.works = false;
  f.actions.ExecuteApplication("no-such-program notes.txt");
  ASSERT_EQ(f.errors.entries.size(), 1u);
  EXPECT_EQ(f.errors.entries[0].message, "Unable to execute application: no-such-program notes.txt");
  f.actions.ExecuteApplication("");
  EXPECT_EQ(f.launcher.opened.size(), 2u);
}

TEST(SayTime, FirstCallAndRangeRules) {
  auto at = [](int h, int m, int s, int day = 10) { return COleDateTime(2026, 3, day, h, m, s); };
  {
    Fixture f;  // started at midnight: that midnight is not announced
    const COleDateTime ticks[] = {at(0, 0, 0), at(0, 0, 1),  at(0, 59, 59), at(1, 0, 0),
                                  at(1, 0, 1), at(1, 0, 59), at(1, 30, 0),  at(2, 0, 0)};
    std::vector<COleDateTime> spoken;
    for (const auto& t : ticks) {
      f.now = t;
      const std::size_t before = f.speech.calls.size();
      f.actions.SayTime();
      if (f.speech.calls.size() > before) spoken.push_back(t);
    }
    EXPECT_EQ(spoken, (std::vector<COleDateTime>{at(1, 0, 0), at(2, 0, 0)}));
    EXPECT_EQ(f.speech.calls.front(), "Russi!Speak");
  }
  {
    Fixture f;  // running over midnight: the new day's midnight is announced
    f.now = at(23, 59, 59);
    f.actions.SayTime();
    f.now = at(0, 0, 0, 11);
    f.actions.SayTime();
    EXPECT_EQ(f.speech.calls.size(), 1u);
  }
  {
    Fixture f;
    f.settings.SayTimeRange = 15;
    for (int minute : {14, 15, 16, 30}) {
      f.now = at(10, minute, 0);
      f.actions.SayTime();
    }
    EXPECT_EQ(f.speech.calls.size(), 2u);
  }
  for (int range : {0, -60}) {
    Fixture f;
    f.settings.SayTimeRange = range;
    f.now = at(11, 0, 0);
    f.actions.SayTime();
    EXPECT_TRUE(f.speech.calls.empty()) << range;
  }
  Fixture quiet;
  quiet.settings.IsSayTime = false;
  quiet.now = at(11, 0, 0);
  quiet.actions.SayTime();
  EXPECT_TRUE(quiet.speech.calls.empty());
}

TEST(PowerRequests, SuspendAndExitWindows) {
  Fixture f;
  f.actions.SuspendComputer();
  EXPECT_TRUE(f.actions.ExitWindows(kExitWindowsPowerOff));
  EXPECT_TRUE(f.actions.ExitWindows(kExitWindowsReboot));
  EXPECT_FALSE(f.actions.ExitWindows(0));
  EXPECT_EQ(f.power.calls, (Calls{"suspend", "power-off", "reboot"}));
}

}  // namespace
}  // namespace kalvory
