#include "core/alarms/alarm_engine.h"

#include <optional>

#include "core/model/alarm_doc.h"
#include "core/model/alarm_line.h"
#include "core/model/day_info.h"
#include "core/model/record_times.h"

namespace kalvory {

namespace {

// A postponed time is kept on a whole second, so that adding seconds as a fraction of a day
// never leaves it a hair past the second at which it is meant to fire.
COleDateTime addWholeSeconds(const COleDateTime& time, std::int64_t seconds) {
  const COleDateTime moved = time + COleDateTimeSpan::fromSeconds(static_cast<double>(seconds));
  if (!moved.isValid()) return moved;
  const COleDateTime snapped(moved.GetYear(), moved.GetMonth(), moved.GetDay(), moved.GetHour(), moved.GetMinute(),
                             moved.GetSecond());
  return snapped.isValid() ? snapped : moved;
}

}  // namespace

namespace {

// Stands in for every port the program does not have: each call does nothing.
class NullPorts final : public AlarmFrame {
 public:
  void ShowAlarmText(const std::string&, bool) override {}
  bool AlarmTextWindowExists() const override { return false; }
  std::string GetAlarmText() const override { return {}; }
  void HideAlarmText() override {}
  void ShowNotifier(const std::string&, int, const std::string&) override {}
  void HideAllNotifiers() override {}
  void SetReminderWallpaper(const std::string&) override {}
  void UpdateReminderSticker(const CAlarmLine&, const COleDateTime&) override {}
  void UpdateDayNoteStickers(const CDayInfo*, const COleDateTime&) override {}
  void ApplyDayNoteWallpaper(const COleDateTime&) override {}
  void ChangeWallpaper(bool) override {}
  void PlayAlarmSound(const std::string&) override {}
  void ExecuteApplication(const std::string&) override {}
  void RestoreWinampState() override {}
  void SayTime() override {}
  void SuspendComputer() override {}
  void BeginExit(int) override {}
  void RecreateTrayIconIfGone() override {}
  void StopTrayAnimation() override {}
  void RefreshTrayDay(const TrayDayInfo&) override {}
};

NullPorts nullPorts;

// Stands for the reminders the tick passes over in the one sticker update they share.
const CAlarmLine& noReminder() {
  static const CAlarmLine blank(COleDateTime(), CAlarmLine::kDefaultShowSeconds);
  return blank;
}

template <class Port>
Port* orNull(Port* port) {
  return port ? port : static_cast<Port*>(&nullPorts);
}

}  // namespace

AlarmEngine::AlarmEngine(CAlarmDoc& document, const AlarmPorts& ports, const AlarmSettings& settings)
    : document_(document), settings_(settings) {
  setPorts(ports);
}

AlarmEngine::AlarmEngine(CAlarmDoc& document, AlarmFrame& frame, const AlarmSettings& settings)
    : AlarmEngine(document, frame.ports(), settings) {}

void AlarmEngine::setPorts(const AlarmPorts& ports) {
  text_ = orNull(ports.text);
  notifier_ = orNull(ports.notifier);
  wallpaper_ = orNull(ports.wallpaper);
  actions_ = orNull(ports.actions);
  tray_ = orNull(ports.tray);
  states_ = orNull(ports.states);
}

void AlarmEngine::setState(CAlarmLine& reminder, std::size_t index, ReminderState state) {
  if (reminder.state == state) return;
  reminder.state = state;
  states_->ReminderStateChanged(index, static_cast<int>(state));
}

void AlarmEngine::tick(const COleDateTime& now) {
  if (exitInProgress_) return;
  lastTick_ = now;

  if (now.GetDay() != lastRefreshDay_) refreshDay(now);
  tray_->RecreateTrayIconIfGone();

  const record_times::Now clock(now);  // taken apart once for the whole walk
  const std::int64_t longestShowing = settings_.ShowTime;
  std::int64_t showingTotal = 0;  // sum of show_count over the armed reminders
  // Walked by index, so that a list changed from a nested event loop (a message box an action
  // opened) is never walked past its end. Reminders whose next window is still to come are
  // passed over (see QuietReminders).
  const bool walk = quiet_.beginTick(clock.seconds, document_.alarmCount());
  for (std::size_t index = 0; walk && index < document_.alarmCount(); ++index) {
    if (quiet_.quiet(index, clock.seconds)) {
      quiet_.passOver(index);
      continue;
    }
    CAlarmLine& reminder = *document_.alarms()[index];
    // Due: eligible today and start <= now <= end, both ends included. The start is worked out
    // once for both the due test and the end of the window; a reminder without a valid time
    // has no window at all.
    const record_times::Window window = record_times::checkedWindow(reminder, clock);
    const std::optional<std::int64_t>& start = window.start;
    const std::int64_t end = start ? *start + reminder.show_seconds : 0;
    const bool windowPassed = !start || end < clock.seconds;
    const bool due = start && *start <= clock.seconds && clock.seconds <= end && window.eligible;
    // The OSD text matters only to the first reminder that shows in this tick, so it is read
    // (before this reminder may change it) only while no earlier reminder shows.
    std::string osdText;
    if (showingTotal == 0 && reminder.osd && reminder.state != ReminderState::Inactive &&
        (due || reminder.show_count > 0)) {
      osdText = text_->GetAlarmText();
    }

    if (due && reminder.state != ReminderState::Inactive) {
      if (!reminder.fired && reminder.state == ReminderState::Armed) {
        pendingExitAction_ = reminder.exit_action;
        exitPending_ = reminder.exit_action != 0;
        reminder.show_count = 1;
        if (reminder.osd) text_->ShowAlarmText(reminder.text, true);
        if (!reminder.notifier.empty()) {
          notifier_->ShowNotifier(reminder.plainText(), reminder.show_seconds, reminder.notifier);
        }
        if (!reminder.wallpaper.empty()) wallpaper_->SetReminderWallpaper(reminder.wallpaper);
        trayAlarmMark_ = true;
      }
      if (!reminder.fired) {
        if (!reminder.sound_file.empty() && reminder.state == ReminderState::Armed) {
          actions_->PlayAlarmSound(reminder.sound_file);
        }
        if (!reminder.program.empty() && reminder.state == ReminderState::Armed) {
          actions_->ExecuteApplication(reminder.program);
        }
      }
      reminder.fired = true;
      ++reminder.show_count;
    } else if (reminder.state > ReminderState::Armed && reminder.show_count == 0) {
      setState(reminder, index,
               ReminderState::Armed);  // armed again once the window of the turned-off showing has passed
    }

    // A switched-off reminder is reset while the OSD window exists and skips the end of showing.
    if (reminder.state == ReminderState::Inactive) {
      if (text_->AlarmTextWindowExists()) {
        reminder.show_count = 0;
        reminder.fired = false;
      }
    } else if (reminder.fired && (reminder.show_count > longestShowing || windowPassed)) {
      if (reminder.state > ReminderState::Inactive) setState(reminder, index, ReminderState::TurnedOff);
      reminder.show_count = 0;
      reminder.fired = false;
    }
    // A postponement is done once its showing and the occurrence it replaced are both over.
    if (reminder.postponed && !reminder.fired && record_times::postponementOver(reminder, clock)) {
      reminder.postponed.reset();
    }

    if (reminder.state == ReminderState::Armed) showingTotal += reminder.show_count;
    if (reminder.state == ReminderState::Armed && reminder.osd && showingTotal > 0 &&
        reminder.show_count == showingTotal && osdText != reminder.text) {
      text_->ShowAlarmText(reminder.text, true);  // the OSD settles on the earliest showing reminder
    }
    wallpaper_->UpdateReminderSticker(reminder, now);
    quiet_.settle(index, quietUntilSecond(reminder, clock));
  }
  // A reminder without a sticker only has expired stickers swept away, the same for each; one
  // call does it for the ones passed over.
  if (quiet_.passedOverAny()) wallpaper_->UpdateReminderSticker(noReminder(), now);

  if (showingTotal == 0) {
    text_->HideAlarmText();
    tray_->StopTrayAnimation();
    actions_->RestoreWinampState();
    refreshDay(now);
    // What StopAlarms(true, 0) does when no reminder shows, without walking them all again.
    notifier_->HideAllNotifiers();
    trayAlarmMark_ = false;
    if (DoExitAction(pendingExitAction_) != 0) return;
    pendingExitAction_ = 0;
    trayAlarmMark_ = false;
  }

  actions_->SayTime();
  wallpaper_->ChangeWallpaper(false);
}

void AlarmEngine::StopAlarms(bool keepExitAction, std::int64_t postponeSeconds) {
  notifier_->HideAllNotifiers();
  for (std::size_t index = 0; index < document_.alarmCount(); ++index) {
    CAlarmLine& reminder = *document_.alarms()[index];
    if (reminder.state == ReminderState::Armed && reminder.show_count > 0) {
      reminder.show_count = 0;
      // Every settled reminder loses its mark, so that it fires again at its postponed time,
      // and once armed again after a turn-off, at its next occurrence.
      reminder.fired = false;
      if (postponeSeconds != 0 && reminder.daily != 0) {
        postponeShowing(reminder, postponeSeconds);
      } else if (postponeSeconds != 0) {
        // A one-time reminder or a timer has one showing: its time is that showing's.
        reminder.time = addWholeSeconds(reminder.time, postponeSeconds);
      } else {
        setState(reminder, index, ReminderState::TurnedOff);
      }
      pendingExitAction_ = keepExitAction ? reminder.exit_action : 0;
      // Kept in step with the action, so that a kept exit action also runs.
      exitPending_ = pendingExitAction_ != 0;
    }
  }
  trayAlarmMark_ = false;
}

void AlarmEngine::postponeShowing(CAlarmLine& reminder, std::int64_t seconds) const {
  // The showing under way began at the start of the window the last tick looked at: the
  // reminder's own occurrence, or an earlier postponement's moment when that is what rings.
  const record_times::Now clock(lastTick_);
  const std::optional<std::int64_t> showingStart = record_times::checkedWindow(reminder, clock).start;
  if (!showingStart) return;
  const bool postponedAgain = reminder.postponed && clock.seconds >= reminder.postponed->ringsAt;
  const std::int64_t replaces = postponedAgain ? reminder.postponed->replaces : *showingStart;
  reminder.postponed = CAlarmLine::Postponement{*showingStart + seconds, replaces};
}

int AlarmEngine::DoExitAction(int action) {
  if (!exitPending_ || exitInProgress_ || action == DoNothing) return 0;
  switch (action) {
    case Shutdown:
    case Restart:
    case CloseProgram:
      exitPending_ = false;
      exitInProgress_ = true;
      exitWindowsPending_ = action != CloseProgram;
      exitWindowsFlags_ = action == Shutdown ? kExitWindowsPowerOff : action == Restart ? kExitWindowsReboot : 0;
      actions_->BeginExit(action);
      return 1;
    case Sleep:
      // The program keeps running: the request is made once and checking goes on.
      exitPending_ = false;
      actions_->SuspendComputer();
      return 0;
    default:
      // Codes the editor never writes (a damaged or foreign file) do nothing.
      return 0;
  }
}

void AlarmEngine::refreshDay(const COleDateTime& now) {
  wallpaper_->ApplyDayNoteWallpaper(now);
  TrayDayInfo day;
  day.today = now;
  day.notesText = document_.joinedDayTexts(now);
  const CDayInfo* note = document_.lastMatchingDayInfo(now);
  wallpaper_->UpdateDayNoteStickers(note, now);
  day.iconColour = dayNoteIconColour(note);
  lastRefreshDay_ = now.GetDay();
  day.dayOfMonth = lastRefreshDay_;
  tray_->RefreshTrayDay(day);
}

std::uint32_t dayNoteIconColour(const CDayInfo* note) {
  if (note == nullptr) return 0;
  switch (note->event_type) {
    case CDayInfo::Note:
    case CDayInfo::ToDo:
      return 0x5C5C5C;
    case CDayInfo::Anniversary:
      return 0x008000;
    case CDayInfo::Weekend:
    case CDayInfo::DayOff:
      return 0x0000FF;
    default:
      return 0;
  }
}

std::string trayTooltipText(std::string_view dateText, std::string_view notesText) {
  std::string tooltip(dateText);
  if (!notesText.empty()) {
    tooltip += " - ";
    tooltip += notesText;
  }
  return tooltip;
}

}  // namespace kalvory
