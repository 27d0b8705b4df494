#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "core/common/date_time.h"
#include "core/common/error_reporter.h"
#include "core/settings/app_settings.h"
#include "desktop/alarms/alarm_controller.h"
#include "desktop/common/config_page.h"
#include "desktop/tray/close_to_tray.h"

namespace kalvory {

class ActionRegistry;
class AlarmController;
class CAlarmView;
class CCalWnd;
class CMainFrame;
class CRoundClockStatic;
class CSettingsDlg;
class CSystemTray;
class CloseToTray;
class ConfigurationFeature;
class DesktopWallpaper;
class DocumentController;
class DockingHelper;
class GlobalHotkeys;
class MissedFeature;
class ReminderNotifications;
class WakeTimer;
class NotifierFeature;
class HotkeyService;
class ListsFeature;
class MediaPlayerInfo;
class OnScreenDisplay;
class PasteInjector;
class PluginHost;
class PowerManager;
class StopwatchFeature;
class SettingsStore;
class SyncFeature;
class TrayFeature;
class TurnOffFeature;
class WallpaperFeature;

// The composition root of the running program: builds every feature, hands the alarm check the
// ports the features implement, and wires their signals. Nothing here draws or decides; a new
// window is one more feature built and wired here, and the main window does not change.
class DesktopProgram final : public QObject {
  Q_OBJECT
 public:
  struct Services {
    HotkeyService* hotkeys = nullptr;
    PasteInjector* paste = nullptr;
    ErrorReporter* errors = nullptr;
    PowerManager* power = nullptr;          // null: a suspend request is only logged
    AlarmActionServices actionServices;     // empty: sound, programs and speech only logged
    DesktopWallpaper* wallpaper = nullptr;  // null: the setter for this session's desktop
    MediaPlayerInfo* songs = nullptr;       // the song codes of the clock and QuickPaste; null: none
    Clock clock;                            // local time now; the system clock when empty
    QString dataFolder;                     // skins and the composed wallpaper; empty: the process's data folder
    // The session bus of the notifications and the wake timer: the name of a connection made with
    // QDBusConnection::connectToBus; empty: the user's session bus.
    QString sessionBus;
    // Whether a tray or a notification server is there when the window manager closes the main
    // window; empty members: the real answers.
    CloseToTrayServices closeToTray;
    // Whether the user manager's process holds CAP_WAKE_ALARM; empty: read from /proc.
    std::function<std::optional<bool>(uint pid)> wakeCapability;
    // Applies a language to the whole program; the features then reload their texts.
    std::function<void(int language)> setLanguage;
    std::function<void()> saveSettings;
    // The settings file, for the features that keep a section of their own there (the sync);
    // null: they keep nothing.
    SettingsStore* settingsStore = nullptr;
    // How the configuration dialog runs and what its pages ask; empty members: exec() and the
    // real dialogs (tests answer them).
    std::function<int(CSettingsDlg&)> runConfiguration;
    ConfigPageServices configPages;
  };

  DesktopProgram(ApplicationSettings& settings, DocumentController& documents, Services services,
                 QObject* parent = nullptr);
  ~DesktopProgram() override;

  // The first activation: the clock, hotkeys (once per process), the alarm timer, the tray
  // icon's day, the menu and the skin.
  void activate();
  // Reloads every text after the language setting changed.
  void languageChanged();
  // The exit command's first step: the main window stores its place and asks about unsaved
  // changes; on yes every feature lets go of what it holds (timer, tray icon, keys, stickers)
  // and the settings are saved. False when the user cancelled.
  bool close();
  void showInstance();
  // Applies the "SkinPath" skin to the main window and its view (the caption, the view's
  // backgrounds and lines, the calendar's colours).
  void applySkin();

  ActionRegistry& actions() { return *actions_; }
  CMainFrame& frame() { return *frame_; }
  AlarmController& alarms() { return *alarms_; }
  TurnOffFeature& turnOff() { return *turnOff_; }
  CSystemTray* tray() const;
  TrayFeature& trayFeature() { return *tray_; }
  WallpaperFeature& wallpaper() { return *wallpaper_; }
  OnScreenDisplay& onScreen() { return *osd_; }
  GlobalHotkeys& hotkeys() { return *hotkeys_; }
  NotifierFeature& notifiers() { return *notifiers_; }
  PluginHost& plugins() { return *plugins_; }
  ConfigurationFeature& configuration() { return *configuration_; }
  CRoundClockStatic& analogClock() { return *analogClock_; }
  StopwatchFeature& stopwatch() { return *stopwatch_; }
  CAlarmView& view() { return *view_; }
  CCalWnd& calendar() { return *calendar_; }
  ListsFeature& lists() { return *lists_; }
  MissedFeature& missed() { return *missed_; }
  ReminderNotifications& notifications() { return *notifications_; }
  WakeTimer& wakeTimer() { return *wakeTimer_; }
  CloseToTray& closeToTray() { return *closeToTray_; }
  SyncFeature& sync() { return *sync_; }

 signals:
  // The exit command: the application closes the program and ends.
  void exitRequested();

 private:
  void registerProgramCommands();
  void buildView();
  void addDayNote(const COleDateTime& date);
  // The document changed: every window that shows it and the wake timer follow.
  void followDocument();

  ApplicationSettings& settings_;
  DocumentController& documents_;
  Services services_;
  bool activated_ = false;
  bool closed_ = false;

  std::unique_ptr<ActionRegistry> actions_;
  std::unique_ptr<CMainFrame> frame_;
  std::unique_ptr<AlarmController> alarms_;
  std::unique_ptr<TurnOffFeature> turnOff_;
  std::unique_ptr<TrayFeature> tray_;
  std::unique_ptr<WallpaperFeature> wallpaper_;
  std::unique_ptr<OnScreenDisplay> osd_;
  std::unique_ptr<GlobalHotkeys> hotkeys_;
  std::unique_ptr<NotifierFeature> notifiers_;
  std::unique_ptr<PluginHost> plugins_;
  std::unique_ptr<ConfigurationFeature> configuration_;
  // The analog clock and the stopwatch.
  CRoundClockStatic* analogClock_ = nullptr;  // a child of the main window
  std::unique_ptr<StopwatchFeature> stopwatch_;
  // Missed reminders, notifications where no tray shows, waking the computer for a reminder.
  std::unique_ptr<MissedFeature> missed_;
  std::unique_ptr<ReminderNotifications> notifications_;
  std::unique_ptr<WakeTimer> wakeTimer_;
  std::unique_ptr<CloseToTray> closeToTray_;
  // The main view lives in the frame's view host, which owns it.
  CAlarmView* view_ = nullptr;
  CCalWnd* calendar_ = nullptr;  // a child of the view
  bool sawRinging_ = false;
  bool stateChangesPending_ = false;
  DockingHelper* docking_ = nullptr;  // a child of the frame
  std::unique_ptr<ListsFeature> lists_;
  // The document's sync with a CalDAV calendar.
  std::unique_ptr<SyncFeature> sync_;
};

}  // namespace kalvory
