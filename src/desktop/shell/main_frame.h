#pragma once

#include <QImage>
#include <QLoggingCategory>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "core/alarms/alarm_engine.h"
#include "core/alarms/alarm_frame.h"
#include "core/alarms/alarm_settings.h"
#include "core/common/error_reporter.h"
#include "core/resources/resource_menus.h"
#include "core/settings/app_settings.h"
#include "core/wallpaper/desktop_wallpaper.h"
#include "core/wallpaper/wallpaper_changer.h"
#include "core/wallpaper/wallpaper_compositor.h"
#include "desktop/common/command_target.h"
#include "platform/wallpaper/sticker_text_renderer.h"

class QMenu;
class QMenuBar;
class QStatusBar;
class QScreen;

Q_DECLARE_LOGGING_CATEGORY(lcFrame)

namespace kalvory {

class CCaptionBar;
class CSystemTray;
class DockingHelper;
class DocumentController;
class HotkeyService;
class PasteInjector;
class PowerManager;

// The program's main window (CMainFrame): its own caption, the menu bar, the place of the main
// view, and everything that lives beside it: the tray icon, the global hotkeys and the
// one-second alarm check, whose frame operations it carries out.
class CMainFrame : public QWidget, public CommandTarget, public AlarmFrame {
  Q_OBJECT
 public:
  struct Services {
    HotkeyService* hotkeys = nullptr;
    PasteInjector* paste = nullptr;
    ErrorReporter* errors = nullptr;
    PowerManager* power = nullptr;          // null: a suspend request is only logged
    DesktopWallpaper* wallpaper = nullptr;  // null: the setter for this session's desktop
    Clock clock;                            // local time now; the system clock when empty
    QString dataFolder;                     // skins and the composed wallpaper; empty: the process's data folder
    // Applies a language to the whole program; the frame then reloads its own texts.
    std::function<void(int language)> setLanguage;
    std::function<void()> saveSettings;
  };

  CMainFrame(ApplicationSettings& settings, DocumentController& documents, Services services,
             QWidget* parent = nullptr);
  ~CMainFrame() override;

  // --- CommandTarget: menus, tray, hotkeys and the caption all end here
  void runCommand(int id) override;
  CommandState commandState(int id) const override;
  UiLanguage uiLanguage() const override;

  // The first activation: the clock, hotkeys (once per process), the alarm timer, the tray
  // icon's day, the menu and the skin.
  void ActivateFrame();
  void ReloadMenu();
  // Reloads every text after the language setting changed.
  void languageChanged();
  void ApplySkin(const std::string& path);
  // The window closes (positions stored, the save question asked); false when the user
  // cancelled. After true the frame has stopped its timer, tray icon and hotkeys.
  bool closeFrame();
  // Another copy of the program was started.
  void showInstance();
  void ShowClock(bool show);
  void QuickPaste(int index);
  void CopyDate();
  void alarmTick();

  AlarmEngine& engine() { return *engine_; }
  CSystemTray* tray() const { return tray_; }
  DockingHelper* docking() const { return docking_; }
  CCaptionBar* caption() const { return caption_; }
  QMenuBar* menuBar() const { return menuBar_; }
  QWidget* viewHost() const { return viewHost_; }
  QAction* menuAction(int id) const;
  bool alarmTimerActive() const { return alarmTimer_.isActive(); }
  bool clockShown() const { return clockShown_; }
  CWallpaperChanger& wallpaperChanger() { return *changer_; }
  const CWallpaperCompositor& wallpaperCompositor() const { return *compositor_; }

  // The fixed size for a screen (device-independent pixels).
  QSize fixedSizeFor(const QScreen* screen) const;
  // Applies the size and position rules (creation).
  void placeOnScreen();

  // --- AlarmFrame
  void ShowAlarmText(const std::string& text, bool show) override;
  bool AlarmTextWindowExists() const override { return alarmTextExists_; }
  std::string GetAlarmText() const override { return alarmText_; }
  void HideAlarmText() override;
  void ShowNotifier(const std::string& plainText, int seconds, const std::string& notifierName) override;
  void HideAllNotifiers() override;
  void SetReminderWallpaper(const std::string& path) override;
  void UpdateReminderSticker(const CAlarmLine& reminder, const COleDateTime& now) override;
  void UpdateDayNoteStickers(const CDayInfo* note, const COleDateTime& now) override;
  void ApplyDayNoteWallpaper(const COleDateTime& now) override;
  void ChangeWallpaper(bool force) override;
  void PlayAlarmSound(const std::string& path) override;
  void ExecuteApplication(const std::string& commandLine) override;
  void RestoreWinampState() override;
  void SayTime() override;
  void SuspendComputer() override;
  void BeginExit(int exitAction) override;
  void RecreateTrayIconIfGone() override;
  void StopTrayAnimation() override;
  void RefreshTrayDay(const TrayDayInfo& day) override;
  void ReminderStateChanged(std::size_t index, int newState) override;

 signals:
  // The exit command: the application closes the frame and ends.
  void exitRequested();

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildMenu(QMenu* menu, const std::vector<MenuItem>& items);
  QAction* addCommandAction(QMenu* menu, int id, const QString& text);
  void updateMenu(QMenu* menu);
  void registerHotkeys();
  void hotkeyPressed(int id);
  void showWindowMenu(const QPoint& globalPosition);
  void hideToTray();
  void showFromTray();
  void refreshTitle();
  void refreshTray();
  void setClipboardText(const QString& text);
  COleDateTime now() const;
  QString localeDateText(const COleDateTime& date) const;
  // Runs one wallpaper step and saves the settings when it moved the changer on.
  template <class Step>
  void runWallpaperStep(Step&& step);

  ApplicationSettings& settings_;
  DocumentController& documents_;
  Services services_;
  AlarmSettings alarmSettings_;
  std::unique_ptr<AlarmEngine> engine_;

  // The wallpaper: the stickers placed on it, the composition of the screen-sized picture and
  // the changer that hands it to the desktop.
  std::vector<CWPStickerContext> placedStickers_;
  QtStickerTextRenderer stickerText_;
  std::unique_ptr<DesktopWallpaper> ownDesktop_;
  std::unique_ptr<DesktopWallpaper> desktopLog_;  // the desktop's setter with its refusals logged
  std::unique_ptr<CWallpaperCompositor> compositor_;
  std::unique_ptr<CWallpaperChanger> changer_;

  CCaptionBar* caption_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
  QWidget* viewHost_ = nullptr;
  QStatusBar* statusBar_ = nullptr;
  CSystemTray* tray_ = nullptr;
  DockingHelper* docking_ = nullptr;
  std::map<int, QAction*> actions_;
  QTimer alarmTimer_;

  bool firstActivationDone_ = false;
  bool holdsHotkeys_ = false;
  bool closed_ = false;
  bool clockShown_ = false;
  bool listsWindowShown_ = false;
  bool alarmTextExists_ = false;
  bool alarmTextShowing_ = false;
  std::string alarmText_;
  int today_ = -1;
  // What the tray shows now; the day refresh runs on every idle tick and redraws only on a change.
  QString trayDayShown_;
};

}  // namespace kalvory
