#include "desktop/alarms/alarm_controller.h"

#include <QLoggingCategory>

#include "core/alarms/action_services.h"
#include "core/alarms/alarm_actions.h"
#include "core/model/alarm_doc.h"
#include "desktop/common/now_from.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

Q_LOGGING_CATEGORY(lcAlarms, "kalvory.alarms", QtInfoMsg)

AlarmSettings alarmSettingsFrom(const ApplicationSettings& settings) {
  AlarmSettings alarm;
  alarm.IsMusic = settings.sound.is_music != 0;
  alarm.WinampPath = settings.sound.winamp_path;
  alarm.StopMusicOnCancelAlarm = settings.sound.stop_music_on_cancel_alarm != 0;
  alarm.IsSayTime = settings.sound.is_say_time != 0;
  alarm.SayTimeRange = settings.sound.say_time_range;
  alarm.ShowTime = settings.text.show_time;
  return alarm;
}

AlarmController::AlarmController(ApplicationSettings& settings, CAlarmDoc& document, Services services, QObject* parent)
    : QObject(parent),
      settings_(settings),
      document_(document),
      services_(std::move(services)),
      alarmSettings_(alarmSettingsFrom(settings)) {
  engine_ = std::make_unique<AlarmEngine>(document, AlarmPorts{}, alarmSettings_);
  setPorts({});
  createActions();
  connect(&timer_, &SecondTimer::timeout, this, &AlarmController::tick);
}

AlarmController::~AlarmController() { timer_.stop(); }

namespace {

// Without a session bus there is no power service: the requests are logged.
class LoggedPower final : public PowerManager {
 public:
  Result<void> powerOff() override { return log("power off"); }
  Result<void> reboot() override { return log("restart"); }
  Result<void> suspend() override { return log("suspend"); }

 private:
  static Result<void> log(const char* request) {
    qCInfo(lcAlarms) << "would" << request << "the computer";
    return Failure{"no power service"};
  }
};

class LoggedErrors final : public ErrorReporter {
 public:
  void reportError(std::string_view, std::string_view message) override {
    qCWarning(lcAlarms) << toQString(std::string(message));
  }
};

}  // namespace

void AlarmController::createActions() {
  const AlarmActionServices& backends = services_.actionServices;
  if (!backends.createPlayer || backends.launcher == nullptr || backends.speech == nullptr) return;
  player_ = backends.createPlayer(alarmSettings_);
  if (!player_) return;
  PowerManager* power = services_.power;
  if (power == nullptr) {
    noPower_ = std::make_unique<LoggedPower>();
    power = noPower_.get();
  }
  ErrorReporter* errors = services_.errors;
  if (errors == nullptr) {
    noErrors_ = std::make_unique<LoggedErrors>();
    errors = noErrors_.get();
  }
  actions_ = std::make_unique<AlarmActions>(alarmSettings_, *player_, *backends.launcher, *power, *backends.speech,
                                            *errors, [this] { return now(); });
}

void AlarmController::setPorts(AlarmPorts ports) {
  if (!ports.actions) ports.actions = this;
  engine_->setPorts(ports);
}

COleDateTime AlarmController::now() const { return nowFrom(services_.clock); }

void AlarmController::start() {
  if (!lastTick_.isValid()) lastTick_ = settings_.app.last_seen;
  timer_.start();
}

void AlarmController::stop() {
  timer_.stop();
  // Kept for the next run's catching up, stored with the settings at exit.
  if (lastTick_.isValid()) settings_.app.last_seen = lastTick_;
}

void AlarmController::syncSettings() {
  // A change made in the configuration dialog reaches the very next tick.
  alarmSettings_.IsMusic = settings_.sound.is_music != 0;
  if (alarmSettings_.WinampPath != settings_.sound.winamp_path) alarmSettings_.WinampPath = settings_.sound.winamp_path;
  alarmSettings_.StopMusicOnCancelAlarm = settings_.sound.stop_music_on_cancel_alarm != 0;
  alarmSettings_.IsSayTime = settings_.sound.is_say_time != 0;
  alarmSettings_.SayTimeRange = settings_.sound.say_time_range;
  alarmSettings_.ShowTime = settings_.text.show_time;
}

void AlarmController::tick() {
  syncSettings();
  const COleDateTime time = now();
  // One comparison on an ordinary tick; the walk over the reminders only after a jump.
  if (clockJumped(lastTick_, time)) reportMissed(lastTick_, time);
  lastTick_ = time;
  engine_->tick(time);
  if (engine_->trayAlarmMark()) reportFired();
  const bool ringing = engine_->trayAlarmMark();
  if (ringing != ringing_) {
    ringing_ = ringing;
    emit ringingChanged(ringing_);
  }
  emit showingsChecked();
}

bool AlarmController::isShowing(quintptr reminder) const {
  for (const auto& line : document_.alarms())
    if (reinterpret_cast<quintptr>(line.get()) == reminder)
      return line->state == ReminderState::Armed && line->show_count > 0;
  return false;  // gone with its document, or deleted
}

void AlarmController::goingToSleep() { sleptAt_ = lastTick_; }

void AlarmController::catchUp() {
  const COleDateTime from = sleptAt_.isValid() ? sleptAt_ : lastTick_;
  sleptAt_ = COleDateTime::makeInvalid();
  reportMissed(from, now());
  tick();
}

void AlarmController::reportMissed(const COleDateTime& from, const COleDateTime& to) {
  if (settings_.app.missed_reminders == 0 || !from.isValid()) return;
  // The window passed before this tick, so the engine never finds it due and runs none of its
  // actions late: only the text is shown, in the list of missed reminders.
  std::vector<MissedReminder> missed = findMissedReminders(document_, from, to);
  if (!missed.empty()) emit remindersMissed(missed);
}

void AlarmController::reportFired() {
  // The tick that fires a reminder leaves its count at 2 (set to 1, then counted); a reminder
  // that was turned off for this window counts on without being armed.
  if (receivers(SIGNAL(reminderFired(quintptr, QString))) == 0) return;
  for (const auto& line : document_.alarms()) {
    if (line->state == ReminderState::Armed && line->fired && line->show_count == 2) {
      emit reminderFired(reinterpret_cast<quintptr>(line.get()), toQString(line->plainText()));
    }
  }
}

void AlarmController::refreshDay() { engine_->refreshDay(now()); }

void AlarmController::documentChanged() { engine_->documentChanged(); }

void AlarmController::turnOff() { stopAlarms(false, 0); }

void AlarmController::postpone(std::int64_t seconds) { stopAlarms(false, seconds); }

void AlarmController::stopAlarms(bool keepExitAction, std::int64_t postponeSeconds) {
  engine_->StopAlarms(keepExitAction, postponeSeconds);
  ringing_ = engine_->trayAlarmMark();
  emit ringingChanged(ringing_);
  emit alarmsSettled();
  emit showingsChecked();
}

void AlarmController::PlayAlarmSound(const std::string& path) {
  if (actions_)
    actions_->PlayAlarmSound(path);
  else
    qCInfo(lcAlarms) << "would play" << toQString(path);
}

void AlarmController::ExecuteApplication(const std::string& commandLine) {
  if (services_.programAllowed && !services_.programAllowed(commandLine)) {
    // The reminder rings as usual; only the program the user did not allow stays unstarted.
    qCInfo(lcAlarms) << "not starting" << toQString(commandLine) << "- not allowed for this document";
    return;
  }
  if (actions_)
    actions_->ExecuteApplication(commandLine);
  else
    qCInfo(lcAlarms) << "would start" << toQString(commandLine);
}

void AlarmController::RestoreWinampState() {
  if (actions_) actions_->RestoreWinampState();
}

void AlarmController::SayTime() {
  if (actions_) actions_->SayTime();
}

void AlarmController::SuspendComputer() {
  if (actions_)
    actions_->SuspendComputer();
  else if (services_.power)
    static_cast<void>(services_.power->suspend());  // a refusal is logged by the service
  else
    qCInfo(lcAlarms) << "would suspend the computer";
}

void AlarmController::BeginExit(int exitAction) {
  timer_.stop();
  qCInfo(lcAlarms) << "exit action" << exitAction << "begins: saving and closing";
  if (services_.saveDocument) services_.saveDocument();
  // Leave the tick first: the exit tears down what the alarm check is still using.
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (services_.exitProgram) services_.exitProgram();
      },
      Qt::QueuedConnection);
}

}  // namespace kalvory
