#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/alarms/alarm_ports.h"
#include "core/common/date_time.h"
#include "core/settings/app_settings.h"

class QWidget;

namespace kalvory {

class ActionRegistry;
class CAlarmDoc;
class CClockStatic;
class CTextStatic;
class MediaPlayerInfo;

// Where "Reset position" puts the clock: centred at the top of the primary screen, as for a new
// installation; and the message: the top-left corner of the primary screen's work area.
QPoint defaultClockPosition();
QPoint defaultMessagePosition();

// The on-screen alarm message and the on-screen clock: creates both windows on first use, hands
// them their looks from the settings, shows the message for the alarm check and stores the
// windows' places when the program closes. Registers "Show clock" and "Special Symbols"; the
// two pages that edit these windows belong to the configuration dialog, which calls
// settingsChanged() after its OK.
class OnScreenDisplay final : public QObject, public AlarmTextPort {
  Q_OBJECT
 public:
  struct Services {
    Clock clock;                             // the local time now; the system clock when empty
    MediaPlayerInfo* player = nullptr;       // the clock's song codes; null: no player
    std::function<QWidget*()> dialogParent;  // the window dialogs open over; may give null
  };

  OnScreenDisplay(ApplicationSettings& settings, CAlarmDoc& document, ActionRegistry& actions, Services services,
                  QObject* parent = nullptr);
  ~OnScreenDisplay() override;

  // Creates the clock when it does not exist yet, then shows or hides it.
  void ShowClock(bool show);
  bool clockShown() const;

  // The settings changed (the configuration was confirmed): both windows take their looks and
  // the clock its format at once, and a window whose place the settings changed ("Reset
  // position") moves there.
  void settingsChanged();
  // The windows' top-left corners go to the settings, for those windows that exist. (The
  // settings follow the windows' moves anyway.)
  void storePositions();

  CClockStatic* clockWindow() const { return clock_.get(); }
  CTextStatic* textWindow() const { return text_.get(); }

  // --- AlarmTextPort
  void ShowAlarmText(const std::string& text, bool show) override;
  bool AlarmTextWindowExists() const override { return text_ != nullptr; }
  std::string GetAlarmText() const override;
  void HideAlarmText() override;

 signals:
  // The alarm message was shown for a ringing reminder.
  void alarmTextShown();

 private:
  void registerCommands(ActionRegistry& actions);
  void applyClockSettings();
  QWidget* dialogParent() const;
  QSize screenSize() const;
  // The window is kept on screen and (x, y) in the settings follow its moves.
  void follow(CTextStatic& window, std::int32_t& x, std::int32_t& y);
  void keepOnScreen(CTextStatic& window);
  // Whether the window's place is the one the user sees (X11, or an overlay surface on Wayland).
  static bool placeKnown(const CTextStatic& window);
  void placeAsSettingsSay(CTextStatic& window, const QPoint& wanted);

  ApplicationSettings& settings_;
  CAlarmDoc& document_;
  Services services_;
  std::unique_ptr<CClockStatic> clock_;
  std::unique_ptr<CTextStatic> text_;
};

}  // namespace kalvory
