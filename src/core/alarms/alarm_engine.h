#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/alarms/alarm_frame.h"
#include "core/alarms/alarm_settings.h"
#include "core/alarms/quiet_reminders.h"
#include "core/common/date_time.h"
#include "core/model/alarm_line.h"

namespace kalvory {

class CAlarmDoc;
class CDayInfo;

// Exit action codes of a reminder.
enum ExitAction : int { DoNothing = 0, Shutdown = 1, Sleep = 2, Restart = 3, CloseProgram = 4 };

// What the program asks of the computer once it has closed for an exit action.
inline constexpr unsigned kExitWindowsPowerOff = 0x0C;  // power off, forced
inline constexpr unsigned kExitWindowsReboot = 0x02;

// The one-second alarm check and the main window's state around it: which reminders are due,
// firing them, counting their showing, settling them, and the exit action that follows.
class AlarmEngine {
 public:
  // `settings` is read on every tick, so a change to it reaches the next one.
  AlarmEngine(CAlarmDoc& document, const AlarmPorts& ports, const AlarmSettings& settings);
  AlarmEngine(CAlarmDoc& document, AlarmFrame& frame, const AlarmSettings& settings);

  // Replaces the ports; a null one does nothing.
  void setPorts(const AlarmPorts& ports);

  // One tick of the one-second timer, with the local time in whole seconds. The timer's owner
  // drops ticks that queued up while a tick was busy, so that a slow tick never causes a burst.
  void tick(const COleDateTime& now);

  // Settles every showing reminder: postponed by `postponeSeconds`, or with 0 turned off until
  // its window has passed. A postponed one-time reminder or timer moves its time; a postponed
  // daily reminder keeps its time and days and rings once more at the start of the showing plus
  // `postponeSeconds` (CAlarmLine::postponed). With `keepExitAction` the showing reminders' exit action stays
  // pending and runs on the next tick on which nothing shows; without it, it is dropped.
  void StopAlarms(bool keepExitAction, std::int64_t postponeSeconds);

  // Carries out `action` when an exit action is pending; returns 1 when the program is closing
  // (the check then stops for good) and 0 otherwise.
  int DoExitAction(int action);

  // The main window's state that the check keeps.
  int pendingExitAction() const { return pendingExitAction_; }
  bool exitPending() const { return exitPending_; }
  bool trayAlarmMark() const { return trayAlarmMark_; }
  bool exitInProgress() const { return exitInProgress_; }
  int lastRefreshDay() const { return lastRefreshDay_; }
  // Set by an exit action that shuts the computer down or restarts it once the program has closed.
  bool exitWindowsPending() const { return exitWindowsPending_; }
  unsigned exitWindowsFlags() const { return exitWindowsFlags_; }

  // The document changed outside the check (edited, switched, replaced): the next tick looks at
  // every reminder again.
  void documentChanged() { quiet_.invalidate(); }

  // Runs the day refresh now (the tray's calendar command uses it after a settings change).
  void refreshDay(const COleDateTime& now);

 private:
  void setState(CAlarmLine& reminder, std::size_t index, ReminderState state);
  void postponeShowing(CAlarmLine& reminder, std::int64_t seconds) const;

  CAlarmDoc& document_;
  AlarmTextPort* text_ = nullptr;
  NotifierPort* notifier_ = nullptr;
  WallpaperPort* wallpaper_ = nullptr;
  ActionsPort* actions_ = nullptr;
  TrayPort* tray_ = nullptr;
  ReminderStatePort* states_ = nullptr;
  const AlarmSettings& settings_;
  QuietReminders quiet_;

  COleDateTime lastTick_ = COleDateTime::makeInvalid();  // what the showing reminders were checked at
  int lastRefreshDay_ = 0;                               // no day of the month is 0, so the first tick refreshes
  int pendingExitAction_ = 0;
  bool exitPending_ = false;
  bool trayAlarmMark_ = false;
  bool exitInProgress_ = false;
  bool exitWindowsPending_ = false;
  unsigned exitWindowsFlags_ = 0;
};

// The tray icon's colour for today's day note: grey for a note or to-do item, green for an
// anniversary, red for a weekend or day off, black for a holiday or no note.
std::uint32_t dayNoteIconColour(const CDayInfo* note);

// The tray tooltip: "date - notes", or the date alone when there are no notes.
std::string trayTooltipText(std::string_view dateText, std::string_view notesText);

}  // namespace kalvory
