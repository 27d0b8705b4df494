#include "desktop/lists/lists_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTableView>
#include <QWindow>
#include <algorithm>

#include "core/common/text.h"
#include "core/model/alarm_doc.h"
#include "core/resources/resource_menus.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
#include "desktop/common/date_icon.h"
#include "desktop/common/language_forms.h"
#include "desktop/common/now_from.h"
#include "desktop/common/qt_text.h"
#include "desktop/lists/hover_button.h"
#include "desktop/lists/list_models.h"
#include "desktop/lists/list_row_delegate.h"
#include "desktop/lists/lists_layout.h"

namespace kalvory {

namespace {

constexpr int kStateColumnWidth = 18;
constexpr int kReminderTimeColumnWidth = 100;
constexpr int kNoteDateColumnWidth = 70;
constexpr int kGripWidth = 5;  // the band along the right and bottom edges that resizes

}  // namespace

CListsDlg::CListsDlg(CAlarmDoc& document, ApplicationSettings& settings, ActionRegistry& actions, Services services,
                     QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint),
      document_(document),
      settings_(settings),
      actions_(actions),
      services_(std::move(services)) {
  setObjectName(QStringLiteral("CListsDlg"));
  setAttribute(Qt::WA_QuitOnClose, false);
  setMouseTracking(true);
  setMinimumHeight(kMinimumListHeight);

  // The models may be asked for texts while the window's QWidget part takes its children down,
  // after this object has stopped being a CListsDlg: they read the settings directly.
  const auto language = [&settings = settings_] { return settings.app.uiLanguage(); };
  reminders_ = new ReminderListModel(document_, language, this);
  if (services_.clock) reminders_->setClock(services_.clock);
  notes_ = new DayNoteListModel(document_, language, this);

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("tabs"));
  reminderList_ = createList(reminders_, kReminderTimeColumnWidth);
  reminderList_->setObjectName(QStringLiteral("reminderList"));
  noteList_ = createList(notes_, kNoteDateColumnWidth);
  noteList_->setObjectName(QStringLiteral("noteList"));
  tabs_->addTab(reminderList_, QString());
  tabs_->addTab(noteList_, QString());
  connect(tabs_, &QTabWidget::currentChanged, this, [this] {
    updateButtons();
    currentList()->setFocus();
  });

  add_ = new HoverButton(HoverButton::Picture::Add, this);
  add_->setObjectName(QStringLiteral("add"));
  modify_ = new HoverButton(HoverButton::Picture::Modify, this);
  modify_->setObjectName(QStringLiteral("modify"));
  delete_ = new HoverButton(HoverButton::Picture::Delete, this);
  delete_->setObjectName(QStringLiteral("delete"));
  close_ = new HoverButton(HoverButton::Picture::Close, this);
  close_->setObjectName(QStringLiteral("close"));
  connect(add_, &QAbstractButton::clicked, this, &CListsDlg::OnAdd);
  connect(modify_, &QAbstractButton::clicked, this, &CListsDlg::OnModify);
  connect(delete_, &QAbstractButton::clicked, this, &CListsDlg::OnDelete);
  connect(close_, &QAbstractButton::clicked, this, [this] { actions_.runCommand(ID_REMINDERS); });

  // After a delete, beside the buttons: what went, and the way to bring it back.
  undoOffer_ = new QWidget(this);
  undoOffer_->setObjectName(QStringLiteral("undoOffer"));
  auto* undoLayout = new QHBoxLayout(undoOffer_);
  undoLayout->setContentsMargins(0, 0, 0, 0);
  undoLayout->setSpacing(6);
  undoText_ = new QLabel(undoOffer_);
  undoText_->setObjectName(QStringLiteral("undoText"));
  undoText_->setTextFormat(Qt::PlainText);
  undoButton_ = new QPushButton(undoOffer_);
  undoButton_->setObjectName(QStringLiteral("undo"));
  undoButton_->setFlat(true);
  undoButton_->setCursor(Qt::PointingHandCursor);
  undoLayout->addWidget(undoText_, 1);
  undoLayout->addWidget(undoButton_);
  undoOffer_->hide();
  connect(undoButton_, &QAbstractButton::clicked, this, &CListsDlg::undoDelete);
  undoTimer_.setSingleShot(true);
  undoTimer_.setInterval(kUndoOfferMilliseconds);
  connect(&undoTimer_, &QTimer::timeout, this, &CListsDlg::hideUndoOffer);

  // The window's own keys, working wherever the focus is inside it.
  addShortcut(QKeySequence(Qt::CTRL | Qt::Key_N), [this] { actions_.runCommand(ID_FILE_NEW); });
  addShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), [this] { actions_.runCommand(ID_FILE_OPEN); });
  addShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), [this] { actions_.runCommand(ID_FILE_SAVE); });
  addShortcut(QKeySequence(Qt::SHIFT | Qt::Key_R), [this] { actions_.runCommand(ID_REMINDERS); });
  addShortcut(QKeySequence(Qt::Key_Delete), [this] { OnDelete(); });
  addShortcut(QKeySequence(Qt::Key_Return), [this] { OnModify(); });
  addShortcut(QKeySequence(Qt::Key_Enter), [this] { OnModify(); });
  addShortcut(QKeySequence(Qt::Key_Insert), [this] { OnAdd(); });
  addShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), [this] { OnNextTab(); });
  addShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { undoDelete(); });

  SetLanguage();
  resize(410, settings_.app.list_height);
  layoutChildren();
  updateButtons();
}

CListsDlg::~CListsDlg() = default;

UiLanguage CListsDlg::language() const { return settings_.app.uiLanguage(); }

COleDateTime CListsDlg::now() const { return nowFrom(services_.clock); }

QTableView* CListsDlg::createList(QAbstractItemModel* model, int timeColumnWidth) {
  auto* list = new QTableView(tabs_);
  list->setModel(model);
  list->setItemDelegate(new ListRowDelegate(list));
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setShowGrid(false);
  list->setWordWrap(false);
  list->setTabKeyNavigation(false);
  list->setCornerButtonEnabled(false);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);

  // Every row is one line high, so that the view never measures rows: a long list opens at once.
  const QFontMetrics metrics(list->font());
  QHeaderView* rows = list->verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setMinimumSectionSize(1);
  rows->setDefaultSectionSize(std::max(18, metrics.height() + 4));

  QHeaderView* columns = list->horizontalHeader();
  columns->setMinimumSectionSize(kStateColumnWidth);
  columns->setHighlightSections(false);
  columns->setSectionsClickable(false);
  columns->setSectionsMovable(false);
  columns->setSectionResizeMode(0, QHeaderView::Fixed);
  columns->setSectionResizeMode(1, QHeaderView::Stretch);
  columns->setSectionResizeMode(2, QHeaderView::Fixed);
  columns->resizeSection(0, kStateColumnWidth);
  // The time and date columns are as wide as the sizes given for them, or as their longest
  // usual text needs with this font in any language, whichever is more, so that neither
  // "12/31/2026 23:59" nor "Ежедневно: 07:30" is cut.
  const QStringList samples =
      timeColumnWidth == kReminderTimeColumnWidth ? scheduleTextSamples() : QStringList{QStringLiteral("00.00.0000")};
  int widest = 0;
  for (const QString& sample : samples) widest = std::max(widest, metrics.horizontalAdvance(sample));
  columns->resizeSection(2, std::max(timeColumnWidth, widest + 12));
  if (model == reminders_) reminderTimeWidth_ = columns->sectionSize(2);

  list->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list, &QWidget::customContextMenuRequested, this,
          [this, list](const QPoint& position) { showContextMenu(list->viewport()->mapToGlobal(position)); });
  list->viewport()->installEventFilter(this);
  connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CListsDlg::updateButtons);
  const int tab = model == notes_ ? NotesTab : RemindersTab;
  connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this, tab] { rememberSelection(tab); });
  connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this, [this, tab] { rememberSelection(tab); });
  return list;
}

void CListsDlg::addShortcut(const QKeySequence& keys, std::function<void()> handler) {
  auto* shortcut = new QShortcut(keys, this);
  shortcut->setContext(Qt::WindowShortcut);
  connect(shortcut, &QShortcut::activated, this, std::move(handler));
}

// ---------------------------------------------------------------- tabs and selection

int CListsDlg::currentTab() const { return tabs_->currentIndex() == NotesTab ? NotesTab : RemindersTab; }

void CListsDlg::setCurrentTab(int tab) { tabs_->setCurrentIndex(tab == NotesTab ? NotesTab : RemindersTab); }

QTableView* CListsDlg::currentList() const { return currentTab() == NotesTab ? noteList_ : reminderList_; }

QList<int> CListsDlg::selectedRows(int tab) const {
  const QTableView* list = tab == NotesTab ? noteList_ : reminderList_;
  QList<int> rows;
  for (const QModelIndex& index : list->selectionModel()->selectedRows()) rows << index.row();
  std::sort(rows.begin(), rows.end());
  return rows;
}

void CListsDlg::selectRow(int tab, int row) {
  QTableView* list = tab == NotesTab ? noteList_ : reminderList_;
  const QModelIndex index = list->model()->index(row, 1);
  if (!index.isValid()) return;
  list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  list->scrollTo(index);
}

COleDateTime CListsDlg::newNoteDate() const { return newNoteDate_ ? *newNoteDate_ : now(); }

bool CListsDlg::canAdd() const { return currentTab() == RemindersTab || static_cast<bool>(services_.editDayNote); }

bool CListsDlg::canDelete() const { return !selectedRows(currentTab()).isEmpty(); }

bool CListsDlg::canModify() const {
  if (currentTab() == NotesTab && !services_.editDayNote) return false;
  return selectedRows(currentTab()).size() == 1;
}

bool CListsDlg::canToggleActive() const {
  return currentTab() == RemindersTab && selectedRows(RemindersTab).size() == 1;
}

bool CListsDlg::selectedReminderActive() const {
  const QList<int> rows = selectedRows(RemindersTab);
  const CAlarmLine* line = rows.size() == 1 ? document_.GetAlarmAt(rows.front()) : nullptr;
  return line && line->state != ReminderState::Inactive;
}

void CListsDlg::updateButtons() {
  add_->setEnabled(canAdd());
  delete_->setEnabled(canDelete());
  modify_->setEnabled(canModify());
  const QString what =
      toQString(loadString(currentTab() == NotesTab ? StringId::DayNote : StringId::Reminder, language()));
  // "Add %s", "Delete Selected %s", "Modify Selected %s"
  const auto tip = [&](StringId id) {
    return toQString(loadString(id, language())).replace(QStringLiteral("%s"), what);
  };
  add_->setToolTip(tip(StringId::AddItem));
  delete_->setToolTip(tip(StringId::DeleteSelectedItems));
  modify_->setToolTip(tip(StringId::ModifySelectedItem));
  close_->setToolTip(toQString(loadString(StringId::Hide, language())));
}

// ---------------------------------------------------------------- commands

bool CListsDlg::editReminder(CAlarmLine& line) { return services_.editReminder && services_.editReminder(line); }

void CListsDlg::OnAdd() {
  if (!canAdd()) return;
  if (currentTab() == NotesTab) {
    CDayInfo note(newNoteDate());
    if (!services_.editDayNote(note)) return;
    document_.AddDayInfo(note);
    notes_->refill();
    selectRow(NotesTab, static_cast<int>(document_.dayInfoCount()) - 1);
  } else {
    CAlarmLine line(now(), settings_.text.show_time);
    if (!editReminder(line)) return;
    document_.AddAlarm(line);
    reminders_->refill();
    fitTimeColumn();
    selectRow(RemindersTab, static_cast<int>(document_.alarmCount()) - 1);
  }
  updateButtons();
  emit documentChanged();
}

void CListsDlg::OnDelete() {
  const int tab = currentTab();
  QList<int> rows = selectedRows(tab);
  if (rows.isEmpty()) return;
  // Nothing is asked: the records are kept aside, so that Ctrl+Z or "Undo" brings them back.
  // From the last to the first, so that each index still names the row the user selected.
  std::sort(rows.begin(), rows.end(), std::greater<>());
  DeletedRecords deleted;
  deleted.tab = tab;
  for (int row : rows) {
    if (tab == NotesTab) {
      if (auto note = document_.TakeDayInfo(row)) deleted.notes.emplace(deleted.notes.begin(), row, std::move(note));
    } else if (auto line = document_.TakeAlarm(row)) {
      deleted.reminders.emplace(deleted.reminders.begin(), row, std::move(line));
    }
  }
  QStringList texts;
  for (const auto& [row, line] : deleted.reminders) texts << toQString(lineBreaksToBlanks(line->plainText()));
  for (const auto& [row, note] : deleted.notes) texts << toQString(lineBreaksToBlanks(plainText(note->text)));
  deleted_.push_back(std::move(deleted));
  if (deleted_.size() > kKeptDeletes) deleted_.erase(deleted_.begin());
  if (tab == NotesTab)
    notes_->refill();
  else
    reminders_->refill();
  fitTimeColumn();
  updateButtons();
  offerUndo(texts.join(QStringLiteral(", ")));
  emit documentChanged();
}

bool CListsDlg::undoDelete() {
  if (deleted_.empty()) return false;
  DeletedRecords deleted = std::move(deleted_.back());
  deleted_.pop_back();
  hideUndoOffer();
  // In ascending order each record goes back to the row it stood at.
  QList<int> rows;
  for (auto& [row, line] : deleted.reminders) {
    document_.InsertAlarm(std::move(line), row);
    rows << std::min(row, static_cast<int>(document_.alarmCount()) - 1);
  }
  for (auto& [row, note] : deleted.notes) {
    document_.InsertDayInfo(std::move(note), row);
    rows << std::min(row, static_cast<int>(document_.dayInfoCount()) - 1);
  }
  setCurrentTab(deleted.tab);
  if (deleted.tab == NotesTab)
    notes_->refill();
  else
    reminders_->refill();
  fitTimeColumn();
  QTableView* list = currentList();
  list->clearSelection();
  for (int row : rows) {
    const QModelIndex index = list->model()->index(row, 1);
    list->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  }
  updateButtons();
  emit documentChanged();
  return true;
}

void CListsDlg::forgetDeletes() {
  deleted_.clear();
  hideUndoOffer();
}

void CListsDlg::offerUndo(const QString& deletedTexts) {
  undoFullText_ =
      toQString(loadString(StringId::DeletedRecords, language())).replace(QStringLiteral("%s"), deletedTexts);
  elideUndoText();
  undoOffer_->show();
  undoOffer_->raise();
  undoTimer_.start();
}

void CListsDlg::hideUndoOffer() {
  undoTimer_.stop();
  undoOffer_->hide();
}

void CListsDlg::elideUndoText() {
  // The room the button leaves, worked out from the offer's own width: the label's width lags
  // behind until the layout has run.
  const int room = std::max(0, undoOffer_->width() - undoButton_->sizeHint().width() - 6);
  undoText_->setText(undoText_->fontMetrics().elidedText(undoFullText_, Qt::ElideRight, room));
  undoText_->setToolTip(undoFullText_);
}

void CListsDlg::OnModify() {
  if (!canModify()) return;
  const int tab = currentTab();
  const int row = selectedRows(tab).front();
  // The editor works on a copy: should the record leave the list while the dialog is open (a
  // document opened meanwhile), nothing is written through a stale pointer, and the edit is
  // stored where the record now is, or added when it is gone.
  if (tab == NotesTab) {
    const CDayInfo* original = document_.GetDayInfoAt(row);
    if (!original) return;
    CDayInfo copy = *original;
    if (!services_.editDayNote(copy)) return;
    const auto& notes = document_.dayInfos();
    const auto found =
        std::find_if(notes.begin(), notes.end(), [&](const auto& note) { return note.get() == original; });
    const std::ptrdiff_t index = found == notes.end() ? -1 : found - notes.begin();
    document_.ReplaceDayInfo(copy, index);
    notes_->refill();
    selectRow(NotesTab, index >= 0 ? static_cast<int>(index) : static_cast<int>(document_.dayInfoCount()) - 1);
  } else {
    const CAlarmLine* original = document_.GetAlarmAt(row);
    if (!original) return;
    CAlarmLine copy = *original;
    if (!editReminder(copy)) return;
    const auto& alarms = document_.alarms();
    const auto found =
        std::find_if(alarms.begin(), alarms.end(), [&](const auto& line) { return line.get() == original; });
    const std::ptrdiff_t index = found == alarms.end() ? -1 : found - alarms.begin();
    document_.ReplaceAlarm(copy, index);
    reminders_->refill();
    selectRow(RemindersTab, index >= 0 ? static_cast<int>(index) : static_cast<int>(document_.alarmCount()) - 1);
  }
  updateButtons();
  emit documentChanged();
}

void CListsDlg::OnActive() {
  if (!canToggleActive()) return;
  const int row = selectedRows(RemindersTab).front();
  CAlarmLine* line = document_.GetAlarmAt(row);
  if (!line) return;
  line->state = line->state == ReminderState::Inactive ? ReminderState::Armed : ReminderState::Inactive;
  // The switch is kept in the file like any other change, so it must not be lost on exit.
  document_.SetModifiedFlag();
  reminders_->refreshRow(row);
  selectRow(RemindersTab, row);
  updateButtons();
  emit documentChanged();
}

void CListsDlg::OnNextTab() { setCurrentTab(currentTab() == RemindersTab ? NotesTab : RemindersTab); }

void CListsDlg::addDayNote(const COleDateTime& date) {
  setCurrentTab(NotesTab);
  newNoteDate_ = date;
  OnAdd();
  newNoteDate_.reset();
}

void CListsDlg::refill() {
  // Every change of the document comes back here, this window's own ones too: the records that
  // were selected (and the current one) stay selected wherever they now stand.
  const auto restore = [](QTableView* list, const auto& records, const RememberedSelection& remembered) {
    for (std::size_t row = 0; row < records.size(); ++row) {
      const void* record = records[row].get();
      const QModelIndex index = list->model()->index(static_cast<int>(row), 1);
      if (record == remembered.current) list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
      if (std::find(remembered.selected.begin(), remembered.selected.end(), record) != remembered.selected.end())
        list->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
  };
  const RememberedSelection reminders = remembered_[RemindersTab];
  const RememberedSelection notes = remembered_[NotesTab];
  reminders_->refill();
  notes_->refill();
  restore(reminderList_, document_.alarms(), reminders);
  restore(noteList_, document_.dayInfos(), notes);
  fitTimeColumn();
  updateButtons();
}

void CListsDlg::rememberSelection(int tab) {
  // Read while the list and the document agree, that is whenever the selection changes.
  const QTableView* list = tab == NotesTab ? noteList_ : reminderList_;
  RememberedSelection& remembered = remembered_[tab == NotesTab ? NotesTab : RemindersTab];
  const auto recordAt = [&](int row) -> const void* {
    if (tab == NotesTab) return document_.GetDayInfoAt(row);
    return document_.GetAlarmAt(row);
  };
  remembered.selected.clear();
  for (const QModelIndex& index : list->selectionModel()->selectedRows())
    if (const void* record = recordAt(index.row())) remembered.selected.push_back(record);
  const QModelIndex current = list->selectionModel()->currentIndex();
  remembered.current = current.isValid() ? recordAt(current.row()) : nullptr;
}

void CListsDlg::refreshReminder(int row) {
  reminders_->refreshRow(row);
  fitTimeColumn();
  updateButtons();
}

void CListsDlg::fitTimeColumn() {
  // Only postponed reminders have a longer time text, and they are few: the column is widened
  // for them, so that "postponed to 10:59" is never cut, and narrows again when they are done.
  int width = reminderTimeWidth_;
  const QFontMetrics metrics(reminderList_->font());
  for (int row = 0; row < static_cast<int>(document_.alarmCount()); ++row) {
    if (!document_.alarms()[static_cast<std::size_t>(row)]->postponed) continue;
    const QString text = reminders_->data(reminders_->index(row, 2), Qt::DisplayRole).toString();
    width = std::max(width, metrics.horizontalAdvance(text) + 12);
  }
  QHeaderView* columns = reminderList_->horizontalHeader();
  if (columns->sectionSize(2) != width) columns->resizeSection(2, width);
}

// ---------------------------------------------------------------- language and skin

void CListsDlg::SetLanguage() {
  tabs_->setTabText(RemindersTab, toQString(loadString(StringId::RemindersTab, language())));
  tabs_->setTabText(NotesTab, toQString(loadString(StringId::DatesTab, language())));
  undoButton_->setText(toQString(loadString(StringId::UndoDelete, language())));
  reminders_->refreshHeaders();
  notes_->refreshHeaders();
  updateButtons();
}

void CListsDlg::applySkin(const ListsSkin& skin) {
  QPalette window = palette();
  window.setColor(QPalette::Window, colorFromReference(skin.dialogBackground));
  window.setColor(QPalette::Button, colorFromReference(skin.dialogBackground));
  window.setColor(QPalette::Base, colorFromReference(skin.listBackground));
  window.setColor(QPalette::Highlight, colorFromReference(skin.highlightBackground));
  window.setColor(QPalette::Text, colorFromReference(skin.textColor));
  window.setColor(QPalette::HighlightedText, colorFromReference(skin.textHighlightColor));
  // Labels and buttons on the dialog background stay readable on a dark skin.
  const QColor background = colorFromReference(skin.dialogBackground);
  const QColor ink = background.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black);
  window.setColor(QPalette::WindowText, ink);
  window.setColor(QPalette::ButtonText, ink);
  setPalette(window);
  for (QTableView* list : {reminderList_, noteList_}) list->setPalette(window);
  update();
}

// ---------------------------------------------------------------- menus and mouse

void CListsDlg::showContextMenu(const QPoint& globalPosition) {
  QMenu* menu = createContextMenu();
  menu->exec(globalPosition);
  delete menu;
}

QMenu* CListsDlg::createContextMenu() {
  auto* menu = new QMenu(this);
  const int menuId = currentTab() == NotesTab ? kDayNoteListMenuId : kReminderListMenuId;
  for (const MenuItem& item : loadMenu(menuId, language())) {
    if (item.kind == MenuItem::Kind::Separator) {
      menu->addSeparator();
      continue;
    }
    if (item.kind != MenuItem::Kind::Command) continue;
    QAction* action = menu->addAction(toQString(item.text));
    action->setData(item.command);
    switch (item.command) {
      case ID_LIST_ADD:
        action->setEnabled(canAdd());
        connect(action, &QAction::triggered, this, &CListsDlg::OnAdd);
        break;
      case ID_LIST_DELETE:
        action->setEnabled(canDelete());
        connect(action, &QAction::triggered, this, &CListsDlg::OnDelete);
        break;
      case ID_LIST_MODIFY:
        action->setEnabled(canModify());
        connect(action, &QAction::triggered, this, &CListsDlg::OnModify);
        break;
      case ID_LIST_ACTIVE:
        action->setEnabled(canToggleActive());
        action->setCheckable(true);
        action->setChecked(canToggleActive() && selectedReminderActive());
        connect(action, &QAction::triggered, this, &CListsDlg::OnActive);
        break;
      default: {
        const int id = item.command;
        connect(action, &QAction::triggered, this, [this, id] { actions_.runCommand(id); });
        break;
      }
    }
  }
  return menu;
}

void CListsDlg::listDoubleClicked(QTableView* list, const QPoint& position) {
  // A double click beside the rows is a click on no row.
  if (!list->indexAt(position).isValid()) list->clearSelection();
  if (selectedRows(currentTab()).size() == 1) {
    OnModify();
  } else {
    newNoteDate_.reset();  // today
    OnAdd();
  }
}

bool CListsDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    for (QTableView* list : {reminderList_, noteList_}) {
      if (watched == list->viewport() && mouse->button() == Qt::LeftButton) {
        listDoubleClicked(list, mouse->position().toPoint());
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

Qt::Edges CListsDlg::edgesAt(const QPoint& position) const {
  Qt::Edges edges;
  if (position.x() >= width() - kGripWidth) edges |= Qt::RightEdge;
  if (position.y() >= height() - kGripWidth) edges |= Qt::BottomEdge;
  return edges;
}

void CListsDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  // A press on the window's own surface drags it, as a press on a caption would; the right
  // and bottom edges resize it. The window system does it where it can.
  const Qt::Edges edges = edgesAt(event->position().toPoint());
  QWindow* window = windowHandle();
  if (edges ? (window && window->startSystemResize(edges)) : (window && window->startSystemMove())) return;
  drag_ = edges ? Drag::Resize : Drag::Move;
  dragEdges_ = edges;
  dragStart_ = event->globalPosition().toPoint();
  dragGeometry_ = geometry();
}

void CListsDlg::mouseMoveEvent(QMouseEvent* event) {
  if (drag_ == Drag::None) {
    const Qt::Edges edges = edgesAt(event->position().toPoint());
    if (edges == (Qt::RightEdge | Qt::BottomEdge))
      setCursor(Qt::SizeFDiagCursor);
    else if (edges & Qt::RightEdge)
      setCursor(Qt::SizeHorCursor);
    else if (edges & Qt::BottomEdge)
      setCursor(Qt::SizeVerCursor);
    else
      unsetCursor();
    return;
  }
  const QPoint delta = event->globalPosition().toPoint() - dragStart_;
  if (drag_ == Drag::Move) {
    move(dragGeometry_.topLeft() + delta);
    return;
  }
  QSize size = dragGeometry_.size();
  if (dragEdges_ & Qt::RightEdge) size.setWidth(dragGeometry_.width() + delta.x());
  if (dragEdges_ & Qt::BottomEdge) size.setHeight(dragGeometry_.height() + delta.y());
  resize(size.expandedTo(minimumSize()));
}

void CListsDlg::mouseReleaseEvent(QMouseEvent* event) {
  drag_ = Drag::None;
  QWidget::mouseReleaseEvent(event);
}

// ---------------------------------------------------------------- look

void CListsDlg::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layoutChildren();
}

void CListsDlg::layoutChildren() {
  const ListsWindowLayout layout = listsWindowLayout(size(), logicalDpiX(), logicalDpiY());
  tabs_->setGeometry(layout.tabs);
  add_->setGeometry(layout.add);
  modify_->setGeometry(layout.modify);
  delete_->setGeometry(layout.remove);
  close_->setGeometry(layout.close);
  close_->raise();
  // The undo offer takes the free part of the button row, left of the buttons.
  const int offerHeight = std::max(layout.add.height() + 4, undoButton_->sizeHint().height());
  undoOffer_->setGeometry(kTabsTopLeft.x(), layout.add.center().y() - offerHeight / 2,
                          std::max(0, layout.add.left() - 8 - kTabsTopLeft.x()), offerHeight);
  if (undoOffer_->layout()) undoOffer_->layout()->activate();
  if (!undoFullText_.isEmpty()) elideUndoText();
}

void CListsDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace kalvory
