#include "core/alarms/alarm_simulation.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <ostream>

#include "core/alarms/action_services.h"
#include "core/alarms/alarm_actions.h"
#include "core/alarms/alarm_engine.h"
#include "core/alarms/turn_off_answer.h"
#include "core/common/text.h"
#include "core/model/alarm_doc.h"
#include "core/model/alarm_line.h"

namespace kalvory {

namespace {

bool parseNumber(std::string_view text, int& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// The OSD message window keeps its text with carriage returns removed and the raised-text
// codes turned into their marks, so a text holding either never reads back unchanged.
std::string osdStoredText(std::string_view text) {
  std::string stored;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') continue;
    if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '~' || text[i + 1] == '-')) {
      appendUtf8(stored, text[i + 1] == '~' ? kRaisedStartMark : kRaisedEndMark);
      ++i;
      continue;
    }
    stored += text[i];
  }
  return stored;
}

// A player that runs and is stopped at the start of its playlist.
class IdlePlayer final : public MediaPlayer {
 public:
  bool findPlayer() override { return true; }
  bool startPlayerProgram(const std::string&) override { return true; }
  int playlistPosition() override { return position_; }
  int playState() override { return state_; }
  int outputTime() override { return 0; }
  int trackLength() override { return 0; }
  void addFile(const std::string&) override { ++length_; }
  int playlistLength() override { return length_; }
  void setPlaylistPosition(int position) override { position_ = position; }
  void stop() override { state_ = kStopped; }
  void play() override { state_ = kPlaying; }
  void seek(int) override {}
  void close() override {}
  // A dry run plays nothing, so it has no reason to look at the sound files.
  std::string soundFileProblem(const std::string&) override { return {}; }
  void removeEntry(int, const std::string&) override { --length_; }

 private:
  int position_ = 0;
  int length_ = 0;
  int state_ = kStopped;
};

// Programs and power requests are only reported in a dry run, never carried out.
class InertLauncher final : public ProgramLauncher {
 public:
  bool open(const std::string&, const std::string&) override { return true; }
};
class InertPower final : public PowerManager {
 public:
  Result<void> powerOff() override { return {}; }
  Result<void> reboot() override { return {}; }
  Result<void> suspend() override { return {}; }
};

class SimulatedFrame;

class ReportingSpeech final : public SpeechLibrary {
 public:
  explicit ReportingSpeech(SimulatedFrame& frame) : frame_(frame) {}
  void callOnce(std::string_view, std::string_view) override;

 private:
  SimulatedFrame& frame_;
};

class SimulatedFrame final : public AlarmFrame {
 public:
  SimulatedFrame(std::ostream& out, const AlarmSettings& settings)
      : out_(out),
        speech_(*this),
        actions_(
            settings, player_, launcher_, power_, speech_, errors_, [this] { return now_; }, [](int) {}) {}

  void setNow(const COleDateTime& now, std::string text) {
    now_ = now;
    nowText_ = std::move(text);
  }
  bool exited() const { return exited_; }

  void line(std::string_view op, std::string_view args = {}) {
    out_ << nowText_ << ' ' << op;
    if (!args.empty()) out_ << ' ' << args;
    out_ << '\n';
  }

  void ShowAlarmText(const std::string& text, bool show) override {
    osdExists_ = true;
    osdShowing_ = show;
    if (!text.empty()) osdText_ = osdStoredText(text);
    if (show) line("osd-show", jsonQuoted(text));
  }
  bool AlarmTextWindowExists() const override { return osdExists_; }
  std::string GetAlarmText() const override { return osdExists_ ? osdText_ : std::string(); }
  void HideAlarmText() override {
    if (osdExists_ && osdShowing_) line("osd-hide");
    osdShowing_ = false;
  }
  void ShowNotifier(const std::string& plainText, int seconds, const std::string& name) override {
    line("notifier", jsonQuoted(plainText) + ' ' + std::to_string(seconds) + ' ' + jsonQuoted(name));
  }
  void HideAllNotifiers() override {}
  void SetReminderWallpaper(const std::string& path) override { line("wallpaper", jsonQuoted(path)); }
  void UpdateReminderSticker(const CAlarmLine&, const COleDateTime&) override {}
  void UpdateDayNoteStickers(const CDayInfo*, const COleDateTime&) override {}
  void ApplyDayNoteWallpaper(const COleDateTime&) override {}
  void ChangeWallpaper(bool) override {}
  void PlayAlarmSound(const std::string& path) override {
    line("sound", jsonQuoted(path));
    actions_.PlayAlarmSound(path);
  }
  void ExecuteApplication(const std::string& commandLine) override { line("program", jsonQuoted(commandLine)); }
  void RestoreWinampState() override {
    if (actions_.RestoreWinampState()) line("player-restore");
  }
  void SayTime() override { actions_.SayTime(); }
  void SuspendComputer() override { line("suspend"); }
  void BeginExit(int exitAction) override {
    line("exit-action", std::to_string(exitAction));
    exited_ = true;
  }
  void RecreateTrayIconIfGone() override {}
  void StopTrayAnimation() override {}
  void RefreshTrayDay(const TrayDayInfo&) override { line("day-refresh"); }
  void ReminderStateChanged(std::size_t index, int newState) override {
    line("state", std::to_string(index) + ' ' + std::to_string(newState));
  }

 private:
  std::ostream& out_;
  COleDateTime now_;
  std::string nowText_;
  bool exited_ = false;
  bool osdExists_ = false;
  bool osdShowing_ = false;
  std::string osdText_;

  IdlePlayer player_;
  InertLauncher launcher_;
  InertPower power_;
  RecordingErrorReporter errors_;
  ReportingSpeech speech_;
  AlarmActions actions_;
};

void ReportingSpeech::callOnce(std::string_view, std::string_view) { frame_.line("say-time"); }

}  // namespace

Result<SimulationAnswer> parseSimulationAnswer(std::string_view text) {
  const std::string_view when = text.substr(0, 19);
  const auto at = parseLocalTime(when);
  if (!at) return Failure{"an answer must start with a time YYYY-MM-DD HH:MM:SS: " + std::string(text)};
  SimulationAnswer answer;
  answer.at = formatLocalTime(*at);
  const std::string_view rest = text.substr(when.size());
  if (rest == " off") {
    answer.kind = SimulationAnswer::Kind::Off;
  } else if (rest == " off exit") {
    answer.kind = SimulationAnswer::Kind::OffExit;
  } else if (rest.starts_with(" postpone ")) {
    int seconds = 0;  // the dialog's postponement is a 32-bit number of seconds
    if (!parseNumber(rest.substr(10), seconds)) {
      return Failure{"postpone needs a whole number of seconds: " + std::string(text)};
    }
    answer.kind = SimulationAnswer::Kind::Postpone;
    answer.seconds = seconds;
  } else {
    return Failure{"an answer is \"T postpone SECONDS\", \"T off\" or \"T off exit\": " + std::string(text)};
  }
  return answer;
}

std::int64_t secondsBetween(const COleDateTime& from, const COleDateTime& to) {
  return static_cast<std::int64_t>(std::llround((to - from).days() * 86400.0));
}

std::int64_t runAlarmSimulation(CAlarmDoc& document, const SimulationOptions& options, std::ostream& out) {
  AlarmSettings settings;
  settings.ShowTime = options.showTime;
  settings.IsSayTime = options.sayTimeRange.has_value();
  settings.SayTimeRange = options.sayTimeRange.value_or(0);

  SimulatedFrame frame(out, settings);
  AlarmEngine engine(document, frame, settings);

  const std::int64_t total = secondsBetween(options.from, options.to);
  // Each tick's time is built from its calendar parts, the way the clock gives it, rather than
  // by adding fractions of a day that would drift off whole seconds.
  COleDateTime day = options.from.datePart();
  int secondOfDay = options.from.GetHour() * 3600 + options.from.GetMinute() * 60 + options.from.GetSecond();
  std::int64_t ticks = 0;
  for (std::int64_t i = 0; i <= total; ++i) {
    if (secondOfDay == 86400) {
      day = day + COleDateTimeSpan(1.0);
      secondOfDay = 0;
    }
    const COleDateTime now(day.GetYear(), day.GetMonth(), day.GetDay(), secondOfDay / 3600, secondOfDay / 60 % 60,
                           secondOfDay % 60);
    std::string nowText = formatLocalTime(now);
    for (const SimulationAnswer& answer : options.answers) {
      if (answer.at != nowText) continue;
      StopAlarmsArguments call;
      switch (answer.kind) {
        case SimulationAnswer::Kind::Postpone:
          call =
              turnOffDialogAnswer(static_cast<int>(TurnOffChoice::RemindOn), 0,
                                  now + COleDateTimeSpan::fromSeconds(static_cast<double>(answer.seconds)), now, false);
          break;
        case SimulationAnswer::Kind::Off:
          call = turnOffDialogAnswer(static_cast<int>(TurnOffChoice::TurnOff), 0, now, now, false);
          break;
        case SimulationAnswer::Kind::OffExit:
          call = turnOffDialogAnswer(static_cast<int>(TurnOffChoice::TurnOff), 0, now, now, true);
          break;
      }
      frame.setNow(now, nowText);
      engine.StopAlarms(call.keepExitAction, call.postponeSeconds);
    }
    frame.setNow(now, std::move(nowText));
    engine.tick(now);
    ++ticks;
    if (frame.exited()) break;
    ++secondOfDay;
  }
  return ticks;
}

}  // namespace kalvory
