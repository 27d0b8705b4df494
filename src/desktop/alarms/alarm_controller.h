#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "core/alarms/alarm_engine.h"
#include "core/alarms/alarm_ports.h"
#include "core/alarms/alarm_settings.h"
#include "core/alarms/missed_reminders.h"
#include "core/settings/app_settings.h"
#include "desktop/common/second_timer.h"

namespace kalvory {

class AlarmActions;
class CAlarmDoc;
class ErrorReporter;
class MediaPlayer;
class PowerManager;
class ProgramLauncher;
class SpeechLibrary;

// The services behind a ringing reminder's sound, program and spoken time. Without them the
// actions are only logged (tests, and a program started without a session bus).
struct AlarmActionServices {
  // Makes the media player; it reads the alarm settings it is given at every use.
  std::function<std::unique_ptr<MediaPlayer>(const AlarmSettings&)> createPlayer;
  ProgramLauncher* launcher = nullptr;
  SpeechLibrary* speech = nullptr;
};

// The one-second alarm check: owns the engine and its timer, keeps the engine's settings in step
// with the program's, and carries out the actions port over the real backends.
class AlarmController final : public QObject, private ActionsPort {
  Q_OBJECT
 public:
  struct Services {
    PowerManager* power = nullptr;  // null: a suspend request is only logged
    Clock clock;                    // local time now; the system clock when empty
    // An exit action closes the program: save the document the way File Save does.
    std::function<void()> saveDocument;
    // ... and then run the exit command.
    std::function<void()> exitProgram;
    AlarmActionServices actionServices;
    ErrorReporter* errors = nullptr;  // where a program that would not start is reported
    // Whether the open document may start this program; empty: every program may start.
    std::function<bool(const std::string& commandLine)> programAllowed;
  };

  AlarmController(ApplicationSettings& settings, CAlarmDoc& document, Services services, QObject* parent = nullptr);
  ~AlarmController() override;

  // Hands the engine the ports of the other features; the actions port stays this controller's
  // unless `ports.actions` names another.
  void setPorts(AlarmPorts ports);

  void start();
  void stop();
  bool isRunning() const { return timer_.isActive(); }
  void tick();
  void refreshDay();
  // The reminders may have changed outside the check: the next tick looks at all of them again
  // rather than passing over the ones it had found quiet.
  void documentChanged();
  // Turns every ringing reminder off (the turn-off answer "off, no exit action").
  void turnOff();
  // Postpones every ringing reminder by `seconds` (the turn-off answer "remind in").
  void postpone(std::int64_t seconds);
  // Settles every ringing reminder: postponed by `postponeSeconds`, or with 0 turned off, its
  // exit action kept only when asked to.
  void stopAlarms(bool keepExitAction, std::int64_t postponeSeconds);
  bool isRinging() const { return ringing_; }
  // The computer is going to sleep: the moment of the last tick is kept for catchUp().
  void goingToSleep();
  // The computer woke: asks for the reminders missed since it went to sleep (or since the last
  // tick), however short the gap, and then ticks. Ticks that ran after the wake-up and before
  // this call do not hide a short window that passed during the sleep.
  void catchUp();

  // Whether the reminder reminderFired() named is in the open document and still showing.
  bool isShowing(quintptr reminder) const;

  AlarmEngine& engine() { return *engine_; }
  const AlarmEngine& engine() const { return *engine_; }
  COleDateTime now() const;

 signals:
  // After every tick and every turn-off: whether a reminder is ringing.
  void ringingChanged(bool ringing);
  // Ringing reminders were postponed or turned off: their times and states changed.
  void alarmsSettled();
  // A reminder started ringing in this tick; `text` is its plain text (symbol marks removed).
  // `reminder` names it for isShowing().
  void reminderFired(quintptr reminder, const QString& text);
  // After every tick and every turn-off or postponement: a showing may have ended.
  void showingsChecked();
  // Reminders whose whole window passed unseen: at start (since the last run), after the clock
  // jumped, and when the computer woke. Sent only while the "MissedReminders" setting is on.
  void remindersMissed(const std::vector<kalvory::MissedReminder>& missed);

 private:
  // --- ActionsPort
  void PlayAlarmSound(const std::string& path) override;
  void ExecuteApplication(const std::string& commandLine) override;
  void RestoreWinampState() override;
  void SayTime() override;
  void SuspendComputer() override;
  void BeginExit(int exitAction) override;

  // The real actions over the backends the program was given, when it was given them all.
  void createActions();
  void syncSettings();
  void reportMissed(const COleDateTime& from, const COleDateTime& to);
  void reportFired();

  ApplicationSettings& settings_;
  CAlarmDoc& document_;
  Services services_;
  AlarmSettings alarmSettings_;
  std::unique_ptr<MediaPlayer> player_;
  std::unique_ptr<PowerManager> noPower_;
  std::unique_ptr<ErrorReporter> noErrors_;
  std::unique_ptr<AlarmActions> actions_;  // null: the actions are only logged
  std::unique_ptr<AlarmEngine> engine_;
  SecondTimer timer_;  // on the whole second, waking the program with the on-screen clock
  bool ringing_ = false;
  // The moment of the last tick; the next one compares against it to notice a jump. At start it
  // is the last moment the previous run saw, so that its first tick catches up.
  COleDateTime lastTick_ = COleDateTime::makeInvalid();
  COleDateTime sleptAt_ = COleDateTime::makeInvalid();  // the last tick before the computer slept
};

// The alarm settings as the engine reads them, from the program's settings.
AlarmSettings alarmSettingsFrom(const ApplicationSettings& settings);

}  // namespace kalvory
