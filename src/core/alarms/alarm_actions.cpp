#include "core/alarms/alarm_actions.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "core/alarms/alarm_engine.h"
#include "core/common/text.h"

namespace kalvory {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Whole minutes of a span; the clock gives whole seconds, so the span is first taken to the
// nearest second (the half second guards against the rounding of the stored days).
std::int64_t wholeMinutes(const COleDateTimeSpan& span) {
  const auto seconds = static_cast<std::int64_t>(std::llround(span.days() * 86400.0));
  return seconds / 60;
}

}  // namespace

CommandLineParts splitCommandLine(std::string_view commandLine) {
  const std::size_t exe = asciiLower(commandLine).find(".exe");
  if (exe != std::string::npos) {
    return {std::string(commandLine.substr(0, exe + 4)), std::string(commandLine.substr(exe + 4))};
  }
  std::size_t pos = 0;
  while (pos < commandLine.size() && isBlank(commandLine[pos])) ++pos;
  CommandLineParts parts;
  bool quoted = false;
  for (; pos < commandLine.size(); ++pos) {
    const char c = commandLine[pos];
    if (c == '"') {
      quoted = !quoted;
    } else if (isBlank(c) && !quoted) {
      parts.parameters = std::string(commandLine.substr(pos + 1));
      break;
    } else {
      parts.file += c;
    }
  }
  return parts;
}

AlarmActions::AlarmActions(const AlarmSettings& settings, MediaPlayer& player, ProgramLauncher& launcher,
                           PowerManager& power, SpeechLibrary& speech, ErrorReporter& errors, Clock clock)
    : settings_(settings),
      player_(player),
      launcher_(launcher),
      power_(power),
      speech_(speech),
      errors_(errors),
      clock_(std::move(clock)) {}

AlarmActions::AlarmActions(const AlarmSettings& settings, MediaPlayer& player, ProgramLauncher& launcher,
                           PowerManager& power, SpeechLibrary& speech, ErrorReporter& errors, Clock clock,
                           const std::function<void(int)>&)
    : AlarmActions(settings, player, launcher, power, speech, errors, std::move(clock)) {}

std::string MediaPlayer::soundFileProblem(const std::string& path) {
  // An address (a stream, a network share) is the player's to judge.
  if (path.find("://") != std::string::npos) return {};
  const std::string quoted = "the alarm sound \"" + path + "\"";
  std::error_code code;
  const std::filesystem::file_status status = std::filesystem::status(path, code);
  if (!std::filesystem::exists(status)) return quoted + " does not exist";
  if (!std::filesystem::is_regular_file(status)) return quoted + " is not a file";
  std::ifstream file(path, std::ios::binary);
  if (!file) return quoted + " cannot be read";
  if (file.peek() == std::ifstream::traits_type::eof()) return quoted + " is empty";
  return {};
}

void AlarmActions::PlayAlarmSound(const std::string& path) {
  if (!settings_.IsMusic || path.empty()) return;
  if (std::string problem = player_.soundFileProblem(path); !problem.empty()) {
    // Never handed to the player: it would ring with whatever its playlist held before.
    lastSoundProblem_ = std::move(problem);
    if (player_.playFallbackSound(lastSoundProblem_)) builtInSoundPlaying_ = true;
    return;
  }
  lastSoundProblem_.clear();
  if (waitingForPlayer_) {  // the player is on its way; this sound follows the one that started it
    pendingSteps_.push_back({path});
    return;
  }

  const bool found = player_.findPlayer();
  // While alarm music plays, the player's state was saved by the first sound; a later sound
  // must not save the alarm track in its place, or the restore would go back to it.
  if (!alarmMusicPlaying_) playerWasRunning_ = found;
  if (found) {
    playThroughPlayer(path);
    return;
  }
  pendingSteps_.push_back({path});
  waitingForPlayer_ = true;
  // A player that could not be started will not appear, so there is nothing to wait for.
  if (!player_.startPlayerProgram(settings_.WinampPath)) {
    playerAnswered(false);
    return;
  }
  player_.waitForPlayer([this, alive = std::weak_ptr<bool>(alive_)](bool answered) {
    if (alive.lock()) playerAnswered(answered);
  });
}

void AlarmActions::playerAnswered(bool found) {
  if (!waitingForPlayer_) return;  // a backend must answer once; a second answer changes nothing
  waitingForPlayer_ = false;
  std::vector<PendingStep> steps;
  steps.swap(pendingSteps_);
  bool first = true;
  for (const PendingStep& step : steps) {
    if (!step.soundPath) {
      RestoreWinampState();
    } else if (!found) {
      playBuiltIn(*step.soundPath);  // the player did not come; starting it again would only wait again
    } else if (first) {
      playThroughPlayer(*step.soundPath);  // the player that answered is bound already
    } else {
      PlayAlarmSound(*step.soundPath);
    }
    first = false;
  }
}

void AlarmActions::playThroughPlayer(const std::string& path) {
  if (!alarmMusicPlaying_) {
    savedListPosition_ = player_.playlistPosition();
    savedPlayState_ = player_.playState();
    savedOutputTime_ = player_.outputTime();
  }
  if (builtInSoundPlaying_) {  // the player has it from here
    player_.stopBuiltInSound();
    builtInSoundPlaying_ = false;
  }

  const int lengthBefore = player_.playlistLength();
  player_.addFile(path);
  const int lengthAfter = player_.playlistLength();
  if (lengthAfter > lengthBefore) addedEntries_.push_back({lengthAfter - 1, path});
  player_.setPlaylistPosition(lengthAfter);
  player_.stop();
  player_.play();
  alarmMusicPlaying_ = true;
}

void AlarmActions::playBuiltIn(const std::string& path) {
  if (player_.playBuiltInSound(path)) builtInSoundPlaying_ = true;
}

bool AlarmActions::RestoreWinampState() {
  if (!settings_.IsMusic) return false;
  if (waitingForPlayer_) {
    // The reminder stopped ringing before its player answered: restore right after the sound
    // has started, as if the wait had been spent before this call.
    if (!pendingSteps_.empty() && !pendingSteps_.back().soundPath) return false;  // asked for already
    pendingSteps_.push_back({});
    return true;
  }
  bool done = false;
  if (builtInSoundPlaying_) {
    player_.stopBuiltInSound();
    builtInSoundPlaying_ = false;
    done = true;
  }
  if (!alarmMusicPlaying_) return done;
  alarmMusicPlaying_ = false;
  // The entries stay where the alarm music goes on (it is one of them) or the player has gone.
  std::vector<AddedEntry> added;
  added.swap(addedEntries_);
  if (!settings_.StopMusicOnCancelAlarm) return true;  // the alarm music goes on
  if (!player_.findPlayer()) return true;

  player_.stop();
  // The user's playlist is left as it was found: the alarm's entries go, the last first, so
  // that each position still names the entry added there. They follow the saved position, so
  // it still names the same entry afterwards.
  for (auto entry = added.rbegin(); entry != added.rend(); ++entry) player_.removeEntry(entry->position, entry->path);
  player_.setPlaylistPosition(savedListPosition_);
  player_.seek(savedOutputTime_);
  if (!playerWasRunning_) player_.close();
  if (savedPlayState_ == MediaPlayer::kPlaying) {
    player_.play();
    player_.seek(savedOutputTime_);
  }
  return true;
}

void AlarmActions::ExecuteApplication(const std::string& commandLine) {
  if (commandLine.empty()) return;
  const CommandLineParts parts = splitCommandLine(commandLine);
  if (!launcher_.open(parts.file, parts.parameters)) {
    errors_.reportError({}, "Unable to execute application: " + commandLine);
  }
}

void AlarmActions::SayTime() {
  if (!settings_.IsSayTime) return;
  const COleDateTime now = clock_();
  const COleDateTime midnight = now.datePart();
  if (!lastAnnouncement_) lastAnnouncement_ = midnight;
  if (settings_.SayTimeRange <= 0) return;  // no range, no announcement

  if (wholeMinutes(now - midnight) % settings_.SayTimeRange != 0) return;
  if (wholeMinutes(now - *lastAnnouncement_) <= 0) return;
  lastAnnouncement_ = now;
  speech_.callOnce("Russi", "Speak");
}

// A refusal of the power service is not shown: the computer simply stays on (the service logs why).
void AlarmActions::SuspendComputer() { static_cast<void>(power_.suspend()); }

bool AlarmActions::ExitWindows(unsigned flags) {
  if (flags == kExitWindowsPowerOff) return power_.powerOff().ok();
  if (flags == kExitWindowsReboot) return power_.reboot().ok();
  return false;
}

}  // namespace kalvory
