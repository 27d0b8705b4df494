#include "core/alarms/alarm_actions.h"

#include <cmath>
#include <cstdint>
#include <utility>

#include "core/alarms/alarm_engine.h"
#include "core/common/text.h"

namespace kalvory {

namespace {

constexpr int kPlayerStartLooks = 50;    // looks for a freshly started player ...
constexpr int kPlayerStartStepMs = 100;  // ... this far apart: 5 seconds in all

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
                           PowerManager& power, SpeechLibrary& speech, ErrorReporter& errors, Clock clock,
                           Sleeper sleep)
    : settings_(settings),
      player_(player),
      launcher_(launcher),
      power_(power),
      speech_(speech),
      errors_(errors),
      clock_(std::move(clock)),
      sleep_(std::move(sleep)) {}

void AlarmActions::PlayAlarmSound(const std::string& path) {
  if (!settings_.IsMusic || path.empty()) return;

  bool found = player_.findPlayer();
  playerWasRunning_ = found;
  // A player that could not be started will not appear, so the wait is skipped then.
  if (!found && player_.startPlayerProgram(settings_.WinampPath)) {
    for (int look = 0; look < kPlayerStartLooks && !found; ++look) {
      sleep_(kPlayerStartStepMs);
      found = player_.findPlayer();
    }
  }
  if (!found) return;

  savedListPosition_ = player_.playlistPosition();
  savedPlayState_ = player_.playState();
  savedOutputTime_ = player_.outputTime();

  player_.addFile(path);
  player_.setPlaylistPosition(player_.playlistLength());
  player_.stop();
  player_.play();
  alarmMusicPlaying_ = true;
}

bool AlarmActions::RestoreWinampState() {
  if (!settings_.IsMusic || !alarmMusicPlaying_) return false;
  alarmMusicPlaying_ = false;
  if (!settings_.StopMusicOnCancelAlarm) return true;  // the alarm music goes on
  if (!player_.findPlayer()) return true;

  player_.stop();
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

void AlarmActions::SuspendComputer() { power_.suspend(); }

bool AlarmActions::ExitWindows(unsigned flags) {
  if (flags == kExitWindowsPowerOff) return power_.powerOff();
  if (flags == kExitWindowsReboot) return power_.reboot();
  return false;
}

}  // namespace kalvory
