#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/alarms/action_services.h"
#include "core/alarms/alarm_settings.h"
#include "core/common/date_time.h"
#include "core/common/error_reporter.h"

namespace kalvory {

// A reminder's program line split into the file to open and its parameters.
struct CommandLineParts {
  std::string file;
  std::string parameters;
  friend bool operator==(const CommandLineParts&, const CommandLineParts&) = default;
};

// Splits a program line. With ".exe" in it (any case), the file ends after the first ".exe"
// and the parameters are the rest as written. Otherwise the first word, where blanks inside
// double quotes do not end it and the quotes themselves are dropped, is the program and what
// follows the blank after it are the parameters; blanks before the first word are skipped.
CommandLineParts splitCommandLine(std::string_view commandLine);

// The actions of a ringing reminder and of the time announcement, over the outside services.
// The main window owns one and forwards the alarm check's action calls to it.
//
// Starting the player is the one slow step: the player is asked to call back when it answers
// (or after 5 seconds), and the steps after the wait run then, in the same order as for a
// player that was running. Meanwhile the program goes on; sounds and restores asked for during
// the wait are kept in order and carried out when the wait ends.
class AlarmActions {
 public:
  AlarmActions(const AlarmSettings& settings, MediaPlayer& player, ProgramLauncher& launcher, PowerManager& power,
               SpeechLibrary& speech, ErrorReporter& errors, Clock clock);
  // For callers that still hand over a sleeper: nothing sleeps any more, so it is not used.
  AlarmActions(const AlarmSettings& settings, MediaPlayer& player, ProgramLauncher& launcher, PowerManager& power,
               SpeechLibrary& speech, ErrorReporter& errors, Clock clock,
               const std::function<void(int)>& unusedSleeper);

  // Plays `path` through the media player, starting the player when none runs and remembering
  // its playlist position, play state and output time. When no player answers, the program
  // plays the sound itself where it can, so a reminder is never silent for want of a player.
  void PlayAlarmSound(const std::string& path);
  // Puts the player back the way PlayAlarmSound found it and ends the program's own sound;
  // returns whether alarm music was playing (and so anything was done about it).
  bool RestoreWinampState();
  // Starts a reminder's program; a failure is reported with the whole line.
  void ExecuteApplication(const std::string& commandLine);
  // Announces the time at each whole multiple of "SayTimeRange" minutes after midnight, at most
  // once a minute and never at the midnight at which the program first asked.
  void SayTime();
  // The "Sleep" exit action.
  void SuspendComputer();
  // Called after the program has closed for an exit action: powers off or restarts as the
  // flags of AlarmEngine::exitWindowsFlags() say. Returns false when nothing was asked or the
  // request failed.
  bool ExitWindows(unsigned flags);

  bool alarmMusicPlaying() const { return alarmMusicPlaying_; }
  bool playerWasRunning() const { return playerWasRunning_; }
  bool builtInSoundPlaying() const { return builtInSoundPlaying_; }
  bool waitingForPlayer() const { return waitingForPlayer_; }
  // Why the last alarm sound could not be played and the chime rang instead; empty when it could.
  const std::string& lastSoundProblem() const { return lastSoundProblem_; }

 private:
  // A request made while the player was starting: a sound to play, or (no path) a restore.
  struct PendingStep {
    std::optional<std::string> soundPath;
  };

  void playerAnswered(bool found);
  void playThroughPlayer(const std::string& path);
  void playBuiltIn(const std::string& path);

  const AlarmSettings& settings_;
  MediaPlayer& player_;
  ProgramLauncher& launcher_;
  PowerManager& power_;
  SpeechLibrary& speech_;
  ErrorReporter& errors_;
  Clock clock_;

  bool playerWasRunning_ = false;
  int savedListPosition_ = 0;
  int savedPlayState_ = MediaPlayer::kStopped;
  int savedOutputTime_ = 0;
  bool alarmMusicPlaying_ = false;
  // The entries the alarm sounds added to the player's playlist, taken out again on restore.
  struct AddedEntry {
    int position = 0;
    std::string path;
  };
  std::vector<AddedEntry> addedEntries_;
  std::string lastSoundProblem_;
  bool builtInSoundPlaying_ = false;
  bool waitingForPlayer_ = false;
  std::vector<PendingStep> pendingSteps_;
  // The player's callback may come after this object is gone; it checks this first.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::optional<COleDateTime> lastAnnouncement_;
};

}  // namespace kalvory
