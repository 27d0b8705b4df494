#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "core/common/date_time.h"
#include "core/model/alarm_line.h"
#include "core/model/day_info.h"
#include "core/resources/resource_strings.h"
#include "core/settings/app_settings.h"
#include "core/skins/definitions.h"

class QAbstractItemModel;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QTableView;

namespace kalvory {

class ActionRegistry;
class CAlarmDoc;
class DayNoteListModel;
class HoverButton;
class ReminderListModel;

// The reminder and note lists window (CListsDlg): the document's reminders and day notes in
// two tabbed lists, where the user adds, deletes, changes and switches reminders on and off.
// Every change goes through the document and ends with documentChanged(), on which the rest of
// the program (the main view, the tray's notes) refreshes.
class CListsDlg : public QWidget {
  Q_OBJECT
 public:
  enum Tab : int { RemindersTab = 0, NotesTab = 1 };

  struct Services {
    Clock clock;  // now: a new reminder's time and a new note's date; the system clock when empty
    // Edits a reminder in place; true on OK. Empty: reminders cannot be added or changed here.
    std::function<bool(CAlarmLine&)> editReminder;
    // Edits a day note in place; true on OK. Empty: notes cannot be added or changed here.
    std::function<bool(CDayInfo&)> editDayNote;
  };

  CListsDlg(CAlarmDoc& document, ApplicationSettings& settings, ActionRegistry& actions, Services services,
            QWidget* parent = nullptr);
  ~CListsDlg() override;

  // --- commands (the buttons, the context menus, the keys and the registry all come here)
  void OnAdd();
  void OnDelete();
  void OnModify();
  void OnActive();
  void OnNextTab();
  bool canAdd() const;
  bool canDelete() const;
  bool canModify() const;
  bool canToggleActive() const;
  // The state of the one selected reminder ("Active" is checked when it is not 0).
  bool selectedReminderActive() const;

  // The calendar asked for a note on `date`: the notes tab, and Add with that date.
  void addDayNote(const COleDateTime& date);

  // --- undoing a delete (Ctrl+Z, or "Undo" offered for a few seconds after the delete)
  // Puts the records of the latest delete not yet undone back where they stood and selects
  // them; false when there is nothing to undo.
  bool undoDelete();
  bool canUndoDelete() const { return !deleted_.empty(); }
  // Another document took the place of the open one: what was deleted from the old one is
  // not put into the new one.
  void forgetDeletes();
  QWidget* undoOffer() const { return undoOffer_; }
  QLabel* undoText() const { return undoText_; }
  QPushButton* undoButton() const { return undoButton_; }
  // How long the offer shows after a delete.
  void setUndoOfferMilliseconds(int milliseconds) { undoTimer_.setInterval(milliseconds); }
  static constexpr int kUndoOfferMilliseconds = 10000;

  // The document changed as a whole (new, opened, or changed elsewhere): both lists refill.
  void refill();
  // The alarm check changed reminder `row`'s state.
  void refreshReminder(int row);
  // Texts of the tabs, the header pictures and the buttons' tips in the current language.
  void SetLanguage();
  void applySkin(const ListsSkin& skin);

  int currentTab() const;
  void setCurrentTab(int tab);
  QTabWidget* tabs() const { return tabs_; }
  QTableView* reminderList() const { return reminderList_; }
  QTableView* noteList() const { return noteList_; }
  QTableView* currentList() const;
  HoverButton* addButton() const { return add_; }
  HoverButton* modifyButton() const { return modify_; }
  HoverButton* deleteButton() const { return delete_; }
  HoverButton* closeButton() const { return close_; }
  // The selected rows of a tab's list, ascending.
  QList<int> selectedRows(int tab) const;
  void selectRow(int tab, int row);
  // The context menu of the current list (menu 158 or 159), its items enabled and checked by
  // the commands' rules; the caller owns it.
  QMenu* createContextMenu();
  // What the window takes the new note's date to be.
  COleDateTime newNoteDate() const;

 signals:
  // A reminder or note was added, deleted, changed or switched: the view refreshes.
  void documentChanged();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  UiLanguage language() const;
  COleDateTime now() const;
  QTableView* createList(QAbstractItemModel* model, int timeColumnWidth);
  void layoutChildren();
  void updateButtons();
  // The reminders' time column: as wide as its usual texts, or a postponed reminder's text.
  void fitTimeColumn();
  void rememberSelection(int tab);
  void listDoubleClicked(QTableView* list, const QPoint& position);
  void showContextMenu(const QPoint& globalPosition);
  void addShortcut(const QKeySequence& keys, std::function<void()> handler);
  bool editReminder(CAlarmLine& line);
  void offerUndo(const QString& deletedTexts);
  void hideUndoOffer();
  void elideUndoText();
  Qt::Edges edgesAt(const QPoint& position) const;

  CAlarmDoc& document_;
  ApplicationSettings& settings_;
  ActionRegistry& actions_;
  Services services_;
  std::optional<COleDateTime> newNoteDate_;  // set only while the calendar's note is added

  ReminderListModel* reminders_ = nullptr;
  DayNoteListModel* notes_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QTableView* reminderList_ = nullptr;
  QTableView* noteList_ = nullptr;
  HoverButton* add_ = nullptr;
  HoverButton* modify_ = nullptr;
  HoverButton* delete_ = nullptr;
  HoverButton* close_ = nullptr;
  int reminderTimeWidth_ = 0;
  // The records selected in each list, so that a refill keeps them selected.
  struct RememberedSelection {
    std::vector<const void*> selected;
    const void* current = nullptr;
  };
  RememberedSelection remembered_[2];

  // The records of each delete, newest last, with the rows they stood at (ascending).
  struct DeletedRecords {
    int tab = RemindersTab;
    std::vector<std::pair<int, std::unique_ptr<CAlarmLine>>> reminders;
    std::vector<std::pair<int, std::unique_ptr<CDayInfo>>> notes;
  };
  static constexpr std::size_t kKeptDeletes = 20;
  std::vector<DeletedRecords> deleted_;
  QWidget* undoOffer_ = nullptr;
  QLabel* undoText_ = nullptr;
  QPushButton* undoButton_ = nullptr;
  QString undoFullText_;
  QTimer undoTimer_;

  // Dragging by the window's surface and resizing by its edges where the window system does
  // not do it for us.
  enum class Drag { None, Move, Resize };
  Drag drag_ = Drag::None;
  Qt::Edges dragEdges_;
  QPoint dragStart_;
  QRect dragGeometry_;
};

}  // namespace kalvory
