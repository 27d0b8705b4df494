#include "desktop/alarms/alarm_controller.h"

#include <QLoggingCategory>

#include "core/alarms/action_services.h"
#include "core/alarms/alarm_actions.h"
#include "core/model/alarm_doc.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
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

AlarmController::AlarmController(ApplicationSettings& settings, CAlarmDoc& document, ActionRegistry& actions,
                                 Services services, QObject* parent)
    : QObject(parent),
      settings_(settings),
      services_(std::move(services)),
      alarmSettings_(alarmSettingsFrom(settings)) {
  engine_ = std::make_unique<AlarmEngine>(document, AlarmPorts{}, alarmSettings_);
  setPorts({});
  timer_.setInterval(1000);
  connect(&timer_, &QTimer::timeout, this, &AlarmController::tick);

  // The tray's and the menu's "Turn off" is there while a reminder rings; its hotkey works always.
  actions.add(
      ID_TURN_OFF, [this] { turnOff(); },
      [this] {
        CommandState state;
        state.enabled = ringing_;
        return state;
      });
}

AlarmController::~AlarmController() { timer_.stop(); }

void AlarmController::setPorts(AlarmPorts ports) {
  if (!ports.actions) ports.actions = this;
  engine_->setPorts(ports);
}

COleDateTime AlarmController::now() const { return services_.clock ? services_.clock() : systemNow(); }

void AlarmController::start() { timer_.start(); }

void AlarmController::stop() { timer_.stop(); }

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
  engine_->tick(now());
  const bool ringing = engine_->trayAlarmMark();
  if (ringing != ringing_) {
    ringing_ = ringing;
    emit ringingChanged(ringing_);
  }
}

void AlarmController::refreshDay() { engine_->refreshDay(now()); }

void AlarmController::turnOff() {
  // The turn-off dialog will ask how; until it is there the command turns the alarms off.
  engine_->StopAlarms(false, 0);
  ringing_ = engine_->trayAlarmMark();
  emit ringingChanged(ringing_);
}

void AlarmController::PlayAlarmSound(const std::string& path) {
  if (actions_)
    actions_->PlayAlarmSound(path);
  else
    qCInfo(lcAlarms) << "would play" << toQString(path);
}

void AlarmController::ExecuteApplication(const std::string& commandLine) {
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
    services_.power->suspend();
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
