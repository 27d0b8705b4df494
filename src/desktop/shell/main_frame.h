#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/resources/resource_menus.h"
#include "core/settings/app_settings.h"

class QMenu;
class QMenuBar;
class QStatusBar;
class QScreen;

namespace kalvory {

class ActionRegistry;
class CCaptionBar;
class DocumentController;

// The program's main window (CMainFrame): its own caption, the menu bar built from the menu
// resource over the registered commands, the place of the main view, and where the window sits.
// Everything else (the tray, the alarm check, hotkeys, the wallpaper) is a feature of its own.
class CMainFrame : public QWidget {
  Q_OBJECT
 public:
  struct Services {
    // Asked when the window manager closes the window: true hides it and the program runs on;
    // empty or false runs the exit command.
    std::function<bool()> windowCloseKeepsRunning;
  };

  CMainFrame(ApplicationSettings& settings, ActionRegistry& actions, DocumentController& documents,
             Services services = {}, QWidget* parent = nullptr);
  ~CMainFrame() override;

  void ReloadMenu();
  void ApplySkin(const std::string& path, const std::string& dataFolder);
  // The window closes: its position is stored and the save question asked; false when the user
  // cancelled.
  bool closeFrame();
  bool isClosed() const { return closed_; }
  // Another copy of the program was started, or the tray asked for the window.
  void showFromTray();
  void hideToTray();
  // While the program starts, a close from the window manager waits for the start to end: until
  // then the tray may not be known and the exit command is not taken, so it would be lost.
  void setStarting(bool starting);

  CCaptionBar* caption() const { return caption_; }
  QMenuBar* menuBar() const { return menuBar_; }
  QWidget* viewHost() const { return viewHost_; }
  QAction* menuAction(int id) const;

  // The fixed size for a screen (device-independent pixels).
  QSize fixedSizeFor(const QScreen* screen) const;
  // Applies the size and position rules (creation).
  void placeOnScreen();
  // The window's title: the document's name, "*" while it is modified, and the program's name.
  void refreshTitle();

 signals:
  // Shown or hidden: the tray's "Show"/"Hide" follows.
  void visibilityChanged();

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void registerCommands();
  void buildMenu(QMenu* menu, const std::vector<MenuItem>& items);
  QAction* addCommandAction(QMenu* menu, int id, const QString& text);
  void updateMenu(QMenu* menu);
  void showWindowMenu(const QPoint& globalPosition);
  UiLanguage uiLanguage() const;

  ApplicationSettings& settings_;
  ActionRegistry& actions_;
  DocumentController& documents_;
  Services services_;

  CCaptionBar* caption_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
  QWidget* viewHost_ = nullptr;
  QStatusBar* statusBar_ = nullptr;
  std::map<int, QAction*> menuActions_;
  // The window manager's close: hidden to the tray where the program can be found again, else the
  // exit command.
  void windowManagerClosed();

  bool closed_ = false;
  bool starting_ = false;
  bool closeWaiting_ = false;
};

// "sample.alr* — Kalvory": the title of the main window for a document.
QString documentWindowTitle(const QString& documentName, bool modified, const QString& programName);

}  // namespace kalvory
