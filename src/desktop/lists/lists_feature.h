#pragma once

#include <QObject>
#include <QPointer>
#include <string>

#include "core/alarms/alarm_ports.h"
#include "core/settings/app_settings.h"
#include "desktop/lists/lists_dialog.h"

namespace kalvory {

class ActionRegistry;
class CAlarmDoc;
class CProfile;
class DockingHelper;

// The "Lists" colours of a skin. A colour given as a system colour name, or not given, is
// taken from the desktop's palette (the list, highlight and text colours of the user's theme),
// so that the bundled skin, which names system colours, looks native; a colour given as RRGGBB
// is used as it stands.
ListsSkin readListsSkin(CProfile& skin, const QPalette& palette);

// The lists window as a feature of the program: it registers "Reminders" (show or hide, checked
// while shown) and the list commands "Add", "Delete", "Modify" and "Active", creates the window
// docked below the main window on the first activation, shows and hides it with the main window,
// and tells the window when the alarm check switched a reminder's state.
class ListsFeature final : public QObject, public ReminderStatePort {
  Q_OBJECT
 public:
  ListsFeature(ApplicationSettings& settings, CAlarmDoc& document, ActionRegistry& actions, QWidget* frame,
               DockingHelper* docking, CListsDlg::Services services, QObject* parent = nullptr);
  ~ListsFeature() override;

  // The frame's first activation: the window is made, hidden, docked at the bottom.
  void createWindow();
  CListsDlg* window() const { return window_.data(); }
  bool shown() const;

  // "Reminders": shows the window (creating it if needed) or hides it.
  void toggle();
  void show();
  void hide();

  // The main window was shown or hidden: the lists window goes along if the user had it shown.
  void frameVisibilityChanged();
  // The document was replaced or changed elsewhere: both lists refill.
  void documentReplaced();
  // Another document took the open one's place: its deletes can no longer be undone.
  void forgetDeletes();
  void languageChanged();
  // Reads the "Lists" colours of the skin file the setting names.
  void ApplySkin(const std::string& skinPath, const std::string& dataFolder);
  // The calendar asked for a note on `date`.
  void addDayNote(const COleDateTime& date);
  // The program closes: the height the user gave the window is kept as "ListHeight" (never a
  // height the screen squeezed it to, never less than a usable one).
  void storeHeight();

  // --- ReminderStatePort
  void ReminderStateChanged(std::size_t index, int newState) override;

 signals:
  // The user changed the document here: the main view and the tray refresh.
  void documentChanged();
  // The alarm check changed a reminder's state (sent while it walks the reminders).
  void reminderStateChanged();

 private:
  void registerCommands();
  void place(int height);
  // The height the user wants: the one the window was placed with, unless the user has
  // resized it since.
  int wantedHeight() const;

  ApplicationSettings& settings_;
  CAlarmDoc& document_;
  ActionRegistry& actions_;
  QPointer<QWidget> frame_;
  DockingHelper* docking_;
  CListsDlg::Services services_;
  QPointer<CListsDlg> window_;  // a child of the frame, deleted with it at the latest
  bool userShown_ = false;      // the user has the window shown (it hides with the frame)
  bool hasSkin_ = false;
  ListsSkin skin_;
  int wantedHeight_ = 0;  // asked of the last placement
  int placedHeight_ = 0;  // given by it, perhaps less for a short screen
};

}  // namespace kalvory
