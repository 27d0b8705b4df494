#include "core/alarms/alarm_actions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <utility>

#include "core/alarms/alarm_engine.h"

namespace kalvory {
namespace {

// A player that records every request. A started player answers when the test says so
// (answer()), the way the real one answers from the event loop.
class RecordingPlayer : public MediaPlayer {
 public:
  std::vector<std::string> calls;
  bool running = true;
  bool startWorks = true;
  bool builtInWorks = false;
  int position = 3, state = kPlaying, time = 61500, length = 7;
  std::function<void(bool)> whenReady;

  bool findPlayer() override {
    calls.push_back("find");
    return running;
  }
  bool startPlayerProgram(const std::string& program) override {
    calls.push_back("start " + program);
    return startWorks;
  }
  void waitForPlayer(std::function<void(bool)> callback) override {
    calls.push_back("wait");
    whenReady = std::move(callback);
  }
  // The started player shows up (true) or the wait runs out (false).
  void answer(bool found) {
    running = found;
    auto callback = std::exchange(whenReady, nullptr);
    ASSERT_TRUE(callback);
    callback(found);
  }
  bool playBuiltInSound(const std::string& path) override {
    calls.push_back("built-in " + path);
    return builtInWorks;
  }
  void stopBuiltInSound() override { calls.push_back("built-in stop"); }
  int playlistPosition() override { return log("position", position); }
  int playState() override { return log("state", state); }
  int outputTime() override { return log("time", time); }
  int trackLength() override { return log("track-length", 200); }
  // Like a real player's, the playlist grows by the file added and shrinks by the one removed.
  void addFile(const std::string& path) override {
    calls.push_back("add " + path);
    ++length;
  }
  void removeEntry(int at, const std::string& path) override {
    calls.push_back("remove " + std::to_string(at) + " " + path);
    --length;
  }
  // The files are as the test says: all there but the ones named missing.
  std::string soundFileProblem(const std::string& path) override {
    return missing.count(path) != 0 ? path + " is missing" : std::string();
  }
  bool playFallbackSound(const std::string& reason) override {
    calls.push_back("chime: " + reason);
    return true;
  }
  std::set<std::string> missing;
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
  Result<void> powerOff() override { return record("power-off"); }
  Result<void> reboot() override { return record("reboot"); }
  Result<void> suspend() override { return record("suspend"); }

 private:
  Result<void> record(const char* what) {
    calls.push_back(what);
    return {};
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
  AlarmActions actions{settings, player, launcher, power, speech, errors, [this] { return now; }};
};

using Calls = std::vector<std::string>;

TEST(AlarmSound, SavesThePlayingPlayerAndPutsItBack) {
  Fixture f;
  f.actions.PlayAlarmSound("/music/alarm.ogg");
  EXPECT_EQ(f.player.calls, (Calls{"find", "position", "state", "time", "length", "add /music/alarm.ogg", "length",
                                   "set-position 8", "stop", "play"}));
  EXPECT_TRUE(f.actions.alarmMusicPlaying());
  EXPECT_FALSE(f.actions.waitingForPlayer());
  f.player.calls.clear();
  EXPECT_TRUE(f.actions.RestoreWinampState());
  // The alarm's entry leaves the playlist before the player goes back to the user's track.
  EXPECT_EQ(f.player.calls,
            (Calls{"find", "stop", "remove 7 /music/alarm.ogg", "set-position 3", "seek 61500", "play", "seek 61500"}));
  EXPECT_EQ(f.player.length, 7);
  EXPECT_FALSE(f.actions.alarmMusicPlaying());
  f.player.calls.clear();
  EXPECT_FALSE(f.actions.RestoreWinampState());  // only once per alarm
  EXPECT_TRUE(f.player.calls.empty());
}

TEST(AlarmSound, StartsThePlayerAndClosesItAgain) {
  Fixture f;
  f.player.running = false;
  f.player.state = MediaPlayer::kStopped;
  f.settings.WinampPath = "/usr/bin/audacious";
  f.actions.PlayAlarmSound("/a.ogg");
  // The call returns while the player starts; nothing is asked of it before it answers.
  EXPECT_EQ(f.player.calls, (Calls{"find", "start /usr/bin/audacious", "wait"}));
  EXPECT_TRUE(f.actions.waitingForPlayer());
  EXPECT_FALSE(f.actions.alarmMusicPlaying());
  f.player.answer(true);
  EXPECT_EQ(f.player.calls, (Calls{"find", "start /usr/bin/audacious", "wait", "position", "state", "time", "length",
                                   "add /a.ogg", "length", "set-position 8", "stop", "play"}));
  EXPECT_FALSE(f.actions.playerWasRunning());
  EXPECT_TRUE(f.actions.alarmMusicPlaying());
  f.player.calls.clear();
  f.actions.RestoreWinampState();
  EXPECT_EQ(f.player.calls, (Calls{"find", "stop", "remove 7 /a.ogg", "set-position 3", "seek 61500", "close"}));
}

TEST(AlarmSound, SkipsTheSoundWhenNoPlayerCanBeHad) {
  Fixture f;
  f.player.running = false;
  f.actions.PlayAlarmSound("/a.ogg");
  f.player.answer(false);
  EXPECT_EQ(f.player.calls, (Calls{"find", "start audacious", "wait", "built-in /a.ogg"}));
  EXPECT_FALSE(f.actions.alarmMusicPlaying());
  EXPECT_FALSE(f.actions.builtInSoundPlaying());  // this backend has no sound of its own
  EXPECT_FALSE(f.actions.RestoreWinampState());

  Fixture broken;  // a program that cannot be started is not waited for
  broken.player.running = false;
  broken.player.startWorks = false;
  broken.actions.PlayAlarmSound("/a.ogg");
  EXPECT_EQ(broken.player.calls, (Calls{"find", "start audacious", "built-in /a.ogg"}));
  EXPECT_FALSE(broken.actions.waitingForPlayer());

  Fixture off;
  off.settings.IsMusic = false;
  off.actions.PlayAlarmSound("/a.ogg");
  off.actions.PlayAlarmSound("");
  EXPECT_TRUE(off.player.calls.empty());
  Fixture empty;
  empty.actions.PlayAlarmSound("");
  EXPECT_TRUE(empty.player.calls.empty());
}

TEST(AlarmSound, BuiltInSoundStandsInForAMissingPlayerUntilTheRestore) {
  Fixture f;
  f.player.running = false;
  f.player.builtInWorks = true;
  f.actions.PlayAlarmSound("/a.ogg");
  f.player.answer(false);
  EXPECT_TRUE(f.actions.builtInSoundPlaying());
  EXPECT_FALSE(f.actions.alarmMusicPlaying());
  f.player.calls.clear();
  EXPECT_TRUE(f.actions.RestoreWinampState());
  EXPECT_EQ(f.player.calls, (Calls{"built-in stop"}));  // no player to put back
  EXPECT_FALSE(f.actions.builtInSoundPlaying());
  EXPECT_FALSE(f.actions.RestoreWinampState());
}

TEST(AlarmSound, RequestsDuringTheWaitFollowInOrder) {
  Fixture f;
  f.player.running = false;
  f.actions.PlayAlarmSound("/a.ogg");
  f.actions.PlayAlarmSound("/b.ogg");            // a second reminder in the same tick
  EXPECT_TRUE(f.actions.RestoreWinampState());   // both were turned off before the player came
  EXPECT_FALSE(f.actions.RestoreWinampState());  // the next idle tick asks again: once is enough
  EXPECT_EQ(f.player.calls, (Calls{"find", "start audacious", "wait"}));
  f.player.calls.clear();
  f.player.answer(true);
  EXPECT_EQ(f.player.calls,
            (Calls{"position", "state", "time", "length", "add /a.ogg", "length", "set-position 8", "stop", "play",
                   // the second sound keeps the state saved before the first one
                   "find", "length", "add /b.ogg", "length", "set-position 9", "stop", "play",
                   // and the restore takes both entries out, goes back to it and closes the
                   // player started for the alarm
                   "find", "stop", "remove 8 /b.ogg", "remove 7 /a.ogg", "set-position 3", "seek 61500", "close",
                   "play", "seek 61500"}));
  EXPECT_FALSE(f.actions.alarmMusicPlaying());
  EXPECT_FALSE(f.actions.waitingForPlayer());
}

TEST(AlarmSound, SecondSoundKeepsTheStateFromBeforeTheFirst) {
  Fixture f;
  f.actions.PlayAlarmSound("/a.ogg");
  f.player.position = 7;  // the alarm track
  f.player.time = 10;
  f.player.calls.clear();
  f.actions.PlayAlarmSound("/b.ogg");
  EXPECT_EQ(f.player.calls, (Calls{"find", "length", "add /b.ogg", "length", "set-position 9", "stop", "play"}));
  f.player.calls.clear();
  f.actions.RestoreWinampState();
  EXPECT_EQ(f.player.calls, (Calls{"find", "stop", "remove 8 /b.ogg", "remove 7 /a.ogg", "set-position 3", "seek 61500",
                                   "play", "seek 61500"}));
}

TEST(AlarmSound, AnswerAfterTheActionsAreGoneIsIgnored) {
  RecordingPlayer player;
  player.running = false;
  {
    Fixture f;
    AlarmActions actions(f.settings, player, f.launcher, f.power, f.speech, f.errors, [] { return COleDateTime(); });
    actions.PlayAlarmSound("/a.ogg");
  }
  player.calls.clear();
  player.answer(true);
  EXPECT_TRUE(player.calls.empty());
}

TEST(AlarmSound, RestoreRules) {
  Fixture keep;  // "Restore winamp state after play" off: the alarm track goes on
  keep.settings.StopMusicOnCancelAlarm = false;
  keep.actions.PlayAlarmSound("/a.ogg");
  keep.player.calls.clear();
  EXPECT_TRUE(keep.actions.RestoreWinampState());
  EXPECT_TRUE(keep.player.calls.empty());  // its entry stays: it is playing
  EXPECT_FALSE(keep.actions.alarmMusicPlaying());

  Fixture paused;  // a paused player stays stopped
  paused.player.state = MediaPlayer::kPaused;
  paused.actions.PlayAlarmSound("/a.ogg");
  paused.player.calls.clear();
  paused.actions.RestoreWinampState();
  EXPECT_EQ(paused.player.calls, (Calls{"find", "stop", "remove 7 /a.ogg", "set-position 3", "seek 61500"}));

  Fixture gone;  // the player went away before the restore
  gone.actions.PlayAlarmSound("/a.ogg");
  gone.player.running = false;
  gone.player.calls.clear();
  gone.actions.RestoreWinampState();
  EXPECT_EQ(gone.player.calls, (Calls{"find"}));
}

// A sound file that is not there never reaches the player, which would ring with whatever its
// playlist held before: the chime rings instead, the reason is kept for the log, and the restore
// ends the chime without touching the player.
TEST(AlarmSound, AMissingFileRingsTheChimeAndLeavesThePlayerAlone) {
  Fixture f;
  f.player.missing = {"/gone.ogg"};
  f.actions.PlayAlarmSound("/gone.ogg");
  EXPECT_EQ(f.player.calls, (Calls{"chime: /gone.ogg is missing"}));
  EXPECT_EQ(f.actions.lastSoundProblem(), "/gone.ogg is missing");
  EXPECT_TRUE(f.actions.builtInSoundPlaying());
  EXPECT_FALSE(f.actions.alarmMusicPlaying());
  f.player.calls.clear();
  EXPECT_TRUE(f.actions.RestoreWinampState());
  EXPECT_EQ(f.player.calls, (Calls{"built-in stop"}));

  // Also while the player is on its way: the chime does not wait for it.
  Fixture waiting;
  waiting.player.running = false;
  waiting.player.missing = {"/gone.ogg"};
  waiting.actions.PlayAlarmSound("/a.ogg");
  waiting.actions.PlayAlarmSound("/gone.ogg");
  EXPECT_EQ(waiting.player.calls, (Calls{"find", "start audacious", "wait", "chime: /gone.ogg is missing"}));
  // A sound that can be played again clears the reason.
  f.actions.PlayAlarmSound("/a.ogg");
  EXPECT_TRUE(f.actions.lastSoundProblem().empty());
}

// What the file itself says, by the default check of every player.
TEST(AlarmSound, SoundFileProblems) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kalvory-sound-check";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder / "folder.ogg");
  std::ofstream(folder / "empty.ogg").close();
  std::ofstream(folder / "bell.ogg") << "OggS";
  RecordingPlayer player;
  const auto problem = [&player](const std::filesystem::path& path) {
    return player.MediaPlayer::soundFileProblem(path.string());
  };
  EXPECT_EQ(problem(folder / "bell.ogg"), "");
  EXPECT_EQ(problem(folder / "none.ogg"), "the alarm sound \"" + (folder / "none.ogg").string() + "\" does not exist");
  EXPECT_NE(problem(folder / "folder.ogg").find("is not a file"), std::string::npos);
  EXPECT_NE(problem(folder / "empty.ogg").find("is empty"), std::string::npos);
  EXPECT_EQ(player.MediaPlayer::soundFileProblem("http://radio.example/stream"), "");
  std::filesystem::remove_all(folder);
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
