#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

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
class AlarmActions {
 public:
  using Sleeper = std::function<void(int milliseconds)>;

  AlarmActions(const AlarmSettings& settings, MediaPlayer& player, ProgramLauncher& launcher, PowerManager& power,
               SpeechLibrary& speech, ErrorReporter& errors, Clock clock, Sleeper sleep);

  // Plays `path` through the media player, starting the player when none runs (waiting up to
  // 5 seconds for it) and remembering its playlist position, play state and output time.
  void PlayAlarmSound(const std::string& path);
  // Puts the player back the way PlayAlarmSound found it; returns whether alarm music was
  // playing (and so anything was done about it).
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

 private:
  const AlarmSettings& settings_;
  MediaPlayer& player_;
  ProgramLauncher& launcher_;
  PowerManager& power_;
  SpeechLibrary& speech_;
  ErrorReporter& errors_;
  Clock clock_;
  Sleeper sleep_;

  bool playerWasRunning_ = false;
  int savedListPosition_ = 0;
  int savedPlayState_ = MediaPlayer::kStopped;
  int savedOutputTime_ = 0;
  bool alarmMusicPlaying_ = false;
  std::optional<COleDateTime> lastAnnouncement_;
};

}  // namespace kalvory
