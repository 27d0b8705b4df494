#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/common/date_time.h"

namespace kalvory {

class CAlarmLine;
class CDayInfo;

// What the day refresh hands to the tray icon and its tooltip.
struct TrayDayInfo {
  COleDateTime today;
  int dayOfMonth = 0;
  std::uint32_t iconColour = 0;  // 0x00BBGGRR, for the day number drawn in the tray icon
  std::string notesText;         // today's day note texts, each followed by a blank
};

// The alarm check reaches the rest of the program through these small ports, each implemented
// by the feature that owns the windows or services behind it. A port the program does not have
// (yet) is left empty and its calls do nothing.
//
// A call may run a nested event loop (a message box), during which further ticks run; an
// implementation must not remove reminders from the document while the check is walking them.

// The on-screen alarm message (created by the first ShowAlarmText).
class AlarmTextPort {
 public:
  virtual ~AlarmTextPort() = default;
  // Sets the window's showing mark to `show`, hands it a non-empty text and shows or hides it.
  virtual void ShowAlarmText(const std::string& text, bool show) = 0;
  virtual bool AlarmTextWindowExists() const = 0;
  // The window's current text as the window keeps it; empty when there is no window.
  virtual std::string GetAlarmText() const = 0;
  // Clears the showing mark and hides the window if it exists.
  virtual void HideAlarmText() = 0;
};

// The taskbar notifier popups.
class NotifierPort {
 public:
  virtual ~NotifierPort() = default;
  virtual void ShowNotifier(const std::string& plainText, int seconds, const std::string& notifierName) = 0;
  // Hides every notifier window at once, stopping its animation.
  virtual void HideAllNotifiers() = 0;
};

// The desktop picture and its stickers.
class WallpaperPort {
 public:
  virtual ~WallpaperPort() = default;
  // Makes a wallpaper request from the wallpaper settings with this picture (origin 4, enabled),
  // composes it and applies it as the desktop picture.
  virtual void SetReminderWallpaper(const std::string& path) = 0;
  virtual void UpdateReminderSticker(const CAlarmLine& reminder, const COleDateTime& now) = 0;
  // `note` is today's last matching day note, or nullptr.
  virtual void UpdateDayNoteStickers(const CDayInfo* note, const COleDateTime& now) = 0;
  virtual void ApplyDayNoteWallpaper(const COleDateTime& now) = 0;
  virtual void ChangeWallpaper(bool force) = 0;
};

// Sound, programs, the spoken time and the exit actions.
class ActionsPort {
 public:
  virtual ~ActionsPort() = default;
  virtual void PlayAlarmSound(const std::string& path) = 0;
  virtual void ExecuteApplication(const std::string& commandLine) = 0;
  virtual void RestoreWinampState() = 0;
  virtual void SayTime() = 0;
  // The "Sleep" exit action; alarm checking goes on afterwards.
  virtual void SuspendComputer() = 0;
  // An exit action that ends the program has begun: stop the alarm timer, save the document the
  // way File Save does and close the program. The engine's exitWindowsFlags() say whether the
  // computer is then powered off or restarted.
  virtual void BeginExit(int exitAction) = 0;
};

// The tray icon.
class TrayPort {
 public:
  virtual ~TrayPort() = default;
  virtual void RecreateTrayIconIfGone() = 0;
  virtual void StopTrayAnimation() = 0;
  // The day changed or the idle tick refreshed it: icon with the day number and the tooltip.
  virtual void RefreshTrayDay(const TrayDayInfo& day) = 0;
};

// Told when a reminder changes its state, for the windows that list reminders.
class ReminderStatePort {
 public:
  virtual ~ReminderStatePort() = default;
  // Reminder `index` (zero-based, in list order) changed its state.
  virtual void ReminderStateChanged(std::size_t index, int newState) = 0;
};

// The ports one alarm check uses; any may be null.
struct AlarmPorts {
  AlarmTextPort* text = nullptr;
  NotifierPort* notifier = nullptr;
  WallpaperPort* wallpaper = nullptr;
  ActionsPort* actions = nullptr;
  TrayPort* tray = nullptr;
  ReminderStatePort* states = nullptr;
};

}  // namespace kalvory
