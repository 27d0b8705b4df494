#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "core/model/alarm_doc.h"
#include "core/model/document_file.h"
#include "core/model/moment.h"
#include "core/settings/profile.h"
#include "desktop/common/frame_fixture.h"
#include "desktop/lists/hover_button.h"
#include "desktop/lists/list_models.h"
#include "desktop/lists/list_row_delegate.h"
#include "desktop/lists/lists_dialog.h"
#include "desktop/lists/lists_feature.h"
#include "desktop/lists/lists_layout.h"
#include "desktop/lists/lists_render.h"

namespace kalvory::test {
namespace {

const COleDateTime kNow(2026, 5, 7, 9, 30, 0);

CAlarmLine reminder(const std::string& text, int state = 1) {
  CAlarmLine line(COleDateTime(2026, 5, 7, 10, 0, 0));
  line.text = text;
  line.state = static_cast<ReminderState>(state);
  return line;
}

// A lists window over its own document, with editors that answer as the test says.
struct ListsFixture {
  ListsFixture() {
    settings = defaultSettings(SettingsEnvironment{});
    CListsDlg::Services services;
    services.clock = [] { return kNow; };
    services.editReminder = [this](CAlarmLine& line) {
      ++reminderEdits;
      editedText = line.text;
      if (!acceptEdit) return false;
      line.text = nextText;
      return true;
    };
    services.editDayNote = [this](CDayInfo& note) {
      ++noteEdits;
      noteDates.push_back(note.date);
      if (!acceptEdit) return false;
      note.text = nextText;
      return true;
    };
    actions = std::make_unique<ActionRegistry>([this] { return settings.app.uiLanguage(); });
    window = std::make_unique<CListsDlg>(document, settings, *actions, services);
    changes = std::make_unique<QSignalSpy>(window.get(), &CListsDlg::documentChanged);
  }
  QStringList texts(int tab) const {
    QTableView* list = tab == CListsDlg::NotesTab ? window->noteList() : window->reminderList();
    QStringList result;
    for (int row = 0; row < list->model()->rowCount(); ++row) result << list->model()->index(row, 1).data().toString();
    return result;
  }
  // The context menu's action for a command.
  QAction* menuItem(QMenu& menu, int command) {
    for (QAction* action : menu.actions())
      if (action->data().toInt() == command) return action;
    return nullptr;
  }

  ApplicationSettings settings;
  CAlarmDoc document;
  std::unique_ptr<ActionRegistry> actions;
  std::unique_ptr<CListsDlg> window;
  std::unique_ptr<QSignalSpy> changes;
  bool acceptEdit = true;
  std::string nextText = "edited";
  std::string editedText;
  int reminderEdits = 0;
  int noteEdits = 0;
  std::vector<COleDateTime> noteDates;
};

// Each language writes its words and its one date form: no "Daily:" in a Russian list, no
// "0:5" for a five-minute timer, and the same date form on both tabs.
TEST(ListsWindow, ScheduleAndDateColumnsInEachLanguage) {
  ListsFixture lists;
  lists.document.AddAlarm(reminder("once"));
  CAlarmLine daily = reminder("daily");
  daily.time = COleDateTime(2026, 5, 7, 7, 30, 0);
  daily.daily = 1;
  lists.document.AddAlarm(daily);
  CAlarmLine timer = reminder("timer");
  timer.timer_mode = 1;
  timer.timer_minutes = 5;
  lists.document.AddAlarm(timer);
  CAlarmLine longTimer = reminder("long timer");
  longTimer.timer_mode = 1;
  longTimer.timer_minutes = 125;
  lists.document.AddAlarm(longTimer);
  CDayInfo note(COleDateTime(2026, 12, 8, 0, 0, 0));
  note.text = "dentist";
  note.repeat = CDayInfo::Once;
  lists.document.AddDayInfo(note);
  lists.window->refill();

  const auto column = [&](int tab) {
    QTableView* list = tab == CListsDlg::NotesTab ? lists.window->noteList() : lists.window->reminderList();
    QStringList result;
    for (int row = 0; row < list->model()->rowCount(); ++row) result << list->model()->index(row, 2).data().toString();
    return result;
  };
  lists.settings.app.language = 1;
  EXPECT_EQ(column(CListsDlg::RemindersTab),
            (QStringList{"05/07/2026 10:00", "Daily: 07:30", "Timer: 0:05", "Timer: 2:05"}));
  EXPECT_EQ(column(CListsDlg::NotesTab), QStringList{"12/08/2026"});
  lists.settings.app.language = 0;
  EXPECT_EQ(column(CListsDlg::RemindersTab),
            (QStringList{"07.05.2026 10:00", "Ежедневно: 07:30", "Таймер: 0:05", "Таймер: 2:05"}));
  EXPECT_EQ(column(CListsDlg::NotesTab), QStringList{"08.12.2026"});
  lists.settings.app.language = 2;
  EXPECT_EQ(column(CListsDlg::RemindersTab),
            (QStringList{"07.05.2026 10:00", "Щодня: 07:30", "Таймер: 0:05", "Таймер: 2:05"}));
  EXPECT_EQ(column(CListsDlg::NotesTab), QStringList{"08.12.2026"});
}

TEST(ListsWindow, DeleteRemovesExactlyTheSelectedRows) {
  ListsFixture lists;
  for (const char* text : {"one", "two", "three", "four", "five", "six"}) lists.document.AddAlarm(reminder(text));
  lists.document.SetModifiedFlag(false);
  lists.window->refill();
  QTableView* list = lists.window->reminderList();
  EXPECT_FALSE(lists.window->deleteButton()->isEnabled());

  // Rows 2 and 5, as a Ctrl+click selection.
  lists.window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(lists.window.get()));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(1, 1)).center());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    list->visualRect(list->model()->index(4, 1)).center());
  EXPECT_EQ(lists.window->selectedRows(CListsDlg::RemindersTab), (QList<int>{1, 4}));
  EXPECT_TRUE(lists.window->deleteButton()->isEnabled());
  EXPECT_FALSE(lists.window->modifyButton()->isEnabled());  // two rows: nothing to modify

  lists.window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(lists.window.get()));
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(lists.texts(CListsDlg::RemindersTab), (QStringList{"one", "three", "four", "six"}));
  EXPECT_TRUE(lists.document.IsModified());
  EXPECT_EQ(lists.changes->count(), 1);
  EXPECT_FALSE(lists.window->deleteButton()->isEnabled());
}

TEST(ListsWindow, DeleteIsUndoneByTheOfferOrCtrlZ) {
  ListsFixture lists;
  for (const char* text : {"one", "two", "three", "four"}) lists.document.AddAlarm(reminder(text));
  CDayInfo note(kNow);
  note.text = "Birthday";
  lists.document.AddDayInfo(note);
  lists.window->refill();
  lists.window->show();
  lists.window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(lists.window.get()));
  QTableView* list = lists.window->reminderList();
  EXPECT_FALSE(lists.window->undoOffer()->isVisible());

  // Rows 2 and 4 go at once; the offer says which and brings them back where they stood.
  lists.window->selectRow(CListsDlg::RemindersTab, 1);
  list->selectionModel()->select(list->model()->index(3, 1), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(lists.texts(CListsDlg::RemindersTab), (QStringList{"one", "three"}));
  ASSERT_TRUE(lists.window->undoOffer()->isVisible());
  EXPECT_EQ(lists.window->undoText()->toolTip(), QStringLiteral("Deleted: two, four"));
  EXPECT_EQ(lists.window->undoButton()->text(), QStringLiteral("&Undo"));
  QTest::mouseClick(lists.window->undoButton(), Qt::LeftButton);
  EXPECT_EQ(lists.texts(CListsDlg::RemindersTab), (QStringList{"one", "two", "three", "four"}));
  EXPECT_EQ(lists.window->selectedRows(CListsDlg::RemindersTab), (QList<int>{1, 3}));
  EXPECT_FALSE(lists.window->undoOffer()->isVisible());
  EXPECT_EQ(lists.changes->count(), 2);

  // A day note; the offer goes after its time, Ctrl+Z still brings the note back.
  lists.window->setUndoOfferMilliseconds(20);
  lists.window->setCurrentTab(CListsDlg::NotesTab);
  lists.window->selectRow(CListsDlg::NotesTab, 0);
  QTest::keyClick(lists.window->noteList(), Qt::Key_Delete);
  EXPECT_EQ(lists.document.dayInfoCount(), 0u);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !lists.window->undoOffer()->isVisible(); }, 5000));
  lists.window->setCurrentTab(CListsDlg::RemindersTab);
  QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(lists.window->currentTab(), CListsDlg::NotesTab);
  ASSERT_EQ(lists.document.dayInfoCount(), 1u);
  EXPECT_EQ(lists.document.GetDayInfoAt(0)->text, "Birthday");
  EXPECT_FALSE(lists.window->canUndoDelete());

  // Nothing of an earlier document comes into another one.
  lists.window->setCurrentTab(CListsDlg::RemindersTab);
  lists.window->selectRow(CListsDlg::RemindersTab, 0);
  QTest::keyClick(list, Qt::Key_Delete);
  lists.window->forgetDeletes();
  EXPECT_FALSE(lists.window->undoOffer()->isVisible());
  QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(lists.texts(CListsDlg::RemindersTab), (QStringList{"two", "three", "four"}));
}

TEST(ListsWindow, APostponedDailyReminderShowsItsNewMomentBesideItsTime) {
  ListsFixture lists;
  CAlarmLine daily = reminder("Stretch");
  daily.time = COleDateTime(2026, 1, 1, 10, 54, 0);
  daily.daily = 1;
  CAlarmLine* line = lists.document.AddAlarm(daily);
  lists.window->refill();
  QTableView* list = lists.window->reminderList();
  const int usualWidth = list->columnWidth(2);
  // Postponed to 10:59 today, then to tomorrow.
  line->postponed = CAlarmLine::Postponement{*moment::toSeconds(COleDateTime(2026, 5, 7, 10, 59, 0)), 0};
  lists.window->refreshReminder(0);
  const QString text = list->model()->index(0, 2).data().toString();
  EXPECT_EQ(text, QStringLiteral("Daily: 10:54, postponed to 10:59"));
  EXPECT_GE(list->columnWidth(2), list->fontMetrics().horizontalAdvance(text)) << "the text is not cut";
  line->postponed->ringsAt += 86400;
  lists.window->refill();
  EXPECT_EQ(list->model()->index(0, 2).data().toString(),
            QStringLiteral("Daily: 10:54, postponed to 05/08/2026 10:59"));
  lists.settings.app.language = 0;
  lists.window->refill();
  EXPECT_TRUE(list->model()->index(0, 2).data().toString().contains(QStringLiteral("отложено до")));
  // Done: the column is as it was.
  lists.settings.app.language = 1;
  line->postponed.reset();
  lists.window->refill();
  EXPECT_EQ(list->model()->index(0, 2).data().toString(), QStringLiteral("Daily: 10:54"));
  EXPECT_EQ(list->columnWidth(2), usualWidth);
}

TEST(ListsWindow, KeysOfTheWindow) {
  ListsFixture lists;
  int reminderCommands = 0;
  lists.actions->add(ID_REMINDERS, [&] { ++reminderCommands; });
  lists.document.AddAlarm(reminder("one"));
  lists.window->refill();
  lists.window->show();
  lists.window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(lists.window.get()));
  QTableView* list = lists.window->reminderList();

  lists.nextText = "two";
  QTest::keyClick(list, Qt::Key_Insert);
  EXPECT_EQ(lists.texts(CListsDlg::RemindersTab), (QStringList{"one", "two"}));
  lists.nextText = "two, changed";
  QTest::keyClick(list, Qt::Key_Return);  // the new row is the selected one
  EXPECT_EQ(lists.texts(CListsDlg::RemindersTab), (QStringList{"one", "two, changed"}));
  QTest::keyClick(list, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(lists.window->currentTab(), CListsDlg::NotesTab);
  QTest::keyClick(lists.window->noteList(), Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(lists.window->currentTab(), CListsDlg::RemindersTab);
  QTest::keyClick(list, Qt::Key_R, Qt::ShiftModifier);
  EXPECT_EQ(reminderCommands, 1);
}

TEST(ListsWindow, DraggedByItsSurfaceAndResizedByItsEdges) {
  ListsFixture lists;
  lists.window->setGeometry(100, 100, 420, 240);
  lists.window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(lists.window.get()));
  CListsDlg* window = lists.window.get();
  // The left margin beside the tabs is the window's own surface.
  QTest::mousePress(window, Qt::LeftButton, {}, QPoint(2, 120));
  QTest::mouseMove(window, QPoint(32, 160));
  QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(32, 160));
  EXPECT_EQ(window->pos(), QPoint(130, 140));

  // The bottom edge makes it taller, never below the smallest height.
  QTest::mousePress(window, Qt::LeftButton, {}, QPoint(200, 238));
  QTest::mouseMove(window, QPoint(200, 288));
  QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(200, 288));
  EXPECT_EQ(window->size(), QSize(420, 290));
  QTest::mousePress(window, Qt::LeftButton, {}, QPoint(200, 288));
  QTest::mouseMove(window, QPoint(200, 0));
  QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(200, 0));
  EXPECT_EQ(window->height(), kMinimumListHeight);
}

TEST(ListsWindow, SkinColoursAndRendering) {
  QTemporaryDir folder;
  const QString skinFile = folder.filePath("skin.xml");
  QFile file(skinFile);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(
      "<xml><Lists><DialogBackground>#202840</DialogBackground>"
      "<ListBackground> COLOR_WINDOW </ListBackground></Lists></xml>");
  file.close();
  CProfile profile;
  profile.SetSaveOnClose(false);
  ASSERT_TRUE(profile.Load(skinFile.toStdString()));
  QPalette palette;
  palette.setColor(QPalette::Base, QColor(1, 2, 3));
  palette.setColor(QPalette::Highlight, QColor(4, 5, 6));
  const ListsSkin skin = readListsSkin(profile, palette);
  EXPECT_EQ(skin.dialogBackground, makeColorRef(0x20, 0x28, 0x40));  // as written
  EXPECT_EQ(skin.listBackground, makeColorRef(1, 2, 3));             // a system colour: the palette's
  EXPECT_EQ(skin.highlightBackground, makeColorRef(4, 5, 6));        // missing: the palette's

  // "kalvory --render lists" draws the window over a document file; a damaged file is an error.
  CAlarmDoc document;
  document.AddAlarm(reminder("rendered"));
  const std::string documentFile = folder.filePath("doc.alr").toStdString();
  EXPECT_TRUE(saveDocumentFile(document, documentFile).ok());
  RenderRequest request;
  request.kind = "lists";
  request.documentFile = QString::fromStdString(documentFile);
  request.skinFile = skinFile;
  const RenderResult image = renderListsWindow(request);
  EXPECT_TRUE(image.error.isEmpty());
  EXPECT_EQ(image.image.size(), QSize(420, 200));
  EXPECT_EQ(QColor(image.image.pixel(2, 100)), QColor(0x20, 0x28, 0x40));
  request.documentFile = skinFile;
  EXPECT_FALSE(renderListsWindow(request).error.isEmpty());
}

TEST(ListsWindow, AddModifyAndCancelGoThroughTheDocument) {
  ListsFixture lists;
  lists.document.AddAlarm(reminder("first"));
  lists.window->refill();

  // Add: a new reminder with the defaults, stored when the editor says OK; the new row selected.
  lists.nextText = "second";
  QTest::mouseClick(lists.window->addButton(), Qt::LeftButton, {}, lists.window->addButton()->rect().center());
  EXPECT_EQ(lists.reminderEdits, 1);
  EXPECT_EQ(lists.editedText, "");
  EXPECT_EQ(lists.texts(CListsDlg::RemindersTab), (QStringList{"first", "second"}));
  EXPECT_EQ(lists.document.GetAlarmAt(1)->time, kNow);
  EXPECT_EQ(lists.document.GetAlarmAt(1)->show_seconds, lists.settings.text.show_time);
  EXPECT_EQ(lists.window->selectedRows(CListsDlg::RemindersTab), QList<int>{1});
  EXPECT_EQ(lists.changes->count(), 1);

  // Modify the selected one; the run-time fields of the stored record stay.
  lists.document.GetAlarmAt(1)->show_count = 7;
  lists.nextText = "second, changed";
  lists.window->OnModify();
  EXPECT_EQ(lists.editedText, "second");
  EXPECT_EQ(lists.texts(CListsDlg::RemindersTab), (QStringList{"first", "second, changed"}));
  EXPECT_EQ(lists.document.GetAlarmAt(1)->show_count, 7);
  EXPECT_EQ(lists.window->selectedRows(CListsDlg::RemindersTab), QList<int>{1});
  EXPECT_EQ(lists.changes->count(), 2);

  // Cancel in an editor changes nothing and tells nobody.
  lists.acceptEdit = false;
  lists.document.SetModifiedFlag(false);
  lists.window->OnModify();
  lists.window->OnAdd();
  EXPECT_EQ(lists.texts(CListsDlg::RemindersTab), (QStringList{"first", "second, changed"}));
  EXPECT_FALSE(lists.document.IsModified());
  EXPECT_EQ(lists.changes->count(), 2);
}

TEST(ListsWindow, DoubleClickModifiesOneRowElseAddsANoteForToday) {
  ListsFixture lists;
  lists.window->resize(420, 240);
  lists.window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(lists.window.get()));
  lists.window->setCurrentTab(CListsDlg::NotesTab);
  QTableView* notes = lists.window->noteList();

  // The empty list: a new note for today.
  lists.nextText = "Birthday";
  QTest::mouseDClick(notes->viewport(), Qt::LeftButton, {}, QPoint(40, 10));
  ASSERT_EQ(lists.document.dayInfoCount(), 1u);
  ASSERT_EQ(lists.noteDates.size(), 1u);
  EXPECT_TRUE(lists.noteDates[0].sameDate(kNow));
  EXPECT_EQ(lists.texts(CListsDlg::NotesTab), QStringList{"Birthday"});

  // On the one selected row: modify it.
  lists.nextText = "Birthday party";
  const QPoint row = notes->visualRect(notes->model()->index(0, 1)).center();
  QTest::mouseClick(notes->viewport(), Qt::LeftButton, {}, row);
  QTest::mouseDClick(notes->viewport(), Qt::LeftButton, {}, row);
  EXPECT_EQ(lists.texts(CListsDlg::NotesTab), QStringList{"Birthday party"});

  // Below the rows, even with a row selected before: a click on no row, so a new note.
  lists.nextText = "Dentist";
  QTest::mouseDClick(notes->viewport(), Qt::LeftButton, {}, QPoint(40, notes->viewport()->height() - 5));
  EXPECT_EQ(lists.texts(CListsDlg::NotesTab), (QStringList{"Birthday party", "Dentist"}));

  // The calendar's "Add day note" for another day.
  lists.nextText = "Trip";
  lists.window->setCurrentTab(CListsDlg::RemindersTab);
  lists.window->addDayNote(COleDateTime(2026, 8, 1, 0, 0, 0));
  EXPECT_EQ(lists.window->currentTab(), CListsDlg::NotesTab);
  EXPECT_TRUE(lists.noteDates.back().sameDate(COleDateTime(2026, 8, 1, 0, 0, 0)));
  EXPECT_TRUE(lists.window->newNoteDate().sameDate(kNow));  // back to today afterwards
  EXPECT_EQ(lists.changes->count(), 4);
}

TEST(ListsWindow, ActiveSwitchesATurnedOffReminderOffThenOn) {
  ListsFixture lists;
  lists.document.AddAlarm(reminder("ringing", 2));
  lists.document.SetModifiedFlag(false);
  lists.window->refill();

  std::unique_ptr<QMenu> menu(lists.window->createContextMenu());
  EXPECT_FALSE(lists.menuItem(*menu, ID_LIST_ACTIVE)->isEnabled());  // no row selected
  EXPECT_TRUE(lists.menuItem(*menu, ID_LIST_ADD)->isEnabled());
  EXPECT_FALSE(lists.menuItem(*menu, ID_LIST_DELETE)->isEnabled());

  lists.window->selectRow(CListsDlg::RemindersTab, 0);
  menu.reset(lists.window->createContextMenu());
  QAction* active = lists.menuItem(*menu, ID_LIST_ACTIVE);
  ASSERT_TRUE(active->isEnabled());
  EXPECT_TRUE(active->isChecked());  // state 2 is still a switched-on reminder
  active->trigger();
  EXPECT_EQ(lists.document.GetAlarmAt(0)->state, ReminderState::Inactive);
  EXPECT_TRUE(lists.document.IsModified());
  EXPECT_EQ(lists.window->reminderList()->model()->index(0, 0).data(ReminderStateRole).toInt(), 0);
  EXPECT_EQ(lists.window->selectedRows(CListsDlg::RemindersTab), QList<int>{0});

  menu.reset(lists.window->createContextMenu());
  EXPECT_FALSE(lists.menuItem(*menu, ID_LIST_ACTIVE)->isChecked());
  lists.menuItem(*menu, ID_LIST_ACTIVE)->trigger();
  EXPECT_EQ(lists.document.GetAlarmAt(0)->state, ReminderState::Armed);

  // The notes' menu has no "Active".
  lists.window->setCurrentTab(CListsDlg::NotesTab);
  menu.reset(lists.window->createContextMenu());
  EXPECT_EQ(lists.menuItem(*menu, ID_LIST_ACTIVE), nullptr);
  EXPECT_EQ(menu->actions().size(), 3);
}

TEST(ListsWindow, NotesNeedTheirEditor) {
  ApplicationSettings settings = defaultSettings(SettingsEnvironment{});
  CAlarmDoc document;
  document.AddDayInfo(CDayInfo(kNow));
  ActionRegistry actions([] { return UiLanguage::English; });
  CListsDlg window(document, settings, actions, {});
  window.setCurrentTab(CListsDlg::NotesTab);
  window.selectRow(CListsDlg::NotesTab, 0);
  EXPECT_FALSE(window.canAdd());
  EXPECT_FALSE(window.canModify());
  EXPECT_FALSE(window.addButton()->isEnabled());
  EXPECT_TRUE(window.canDelete());  // deleting needs no editor
  window.OnAdd();
  EXPECT_EQ(document.dayInfoCount(), 1u);
}

TEST(ListsWindow, PlacementAndLayoutArithmetic) {
  const QRect frame(100, 100, 380, 270);  // bottom edge at 370
  EXPECT_EQ(listsPlacement(frame, 200, QRect(0, 0, 1024, 768)), QRect(100, 370, 380, 200));
  // A screen too short for the height: the window ends at the bottom of the usable screen.
  EXPECT_EQ(listsPlacement(frame, 200, QRect(0, 0, 1024, 540)), QRect(100, 370, 380, 170));
  EXPECT_EQ(listsPlacement(frame, 200, QRect(0, 20, 1024, 500)), QRect(100, 370, 380, 150));
  // With no room at all it keeps a usable height.
  EXPECT_EQ(listsPlacement(frame, 200, QRect(0, 0, 1024, 380)).height(), kMinimumPlacedListHeight);

  const ListsWindowLayout at96 = listsWindowLayout(QSize(410, 410), 96, 96);
  EXPECT_EQ(at96.tabs, QRect(QPoint(6, 6), QPoint(400, 376)));
  EXPECT_EQ(at96.add, QRect(284, 382, 36, 19));
  EXPECT_EQ(at96.modify, QRect(324, 382, 36, 19));
  EXPECT_EQ(at96.remove, QRect(364, 382, 36, 19));
  EXPECT_EQ(at96.close, QRect(384, 382, 26, 26));
  // At 120 dots per inch the reference size is 513 pixels.
  const ListsWindowLayout at120 = listsWindowLayout(QSize(513, 613), 120, 120);
  EXPECT_EQ(at120.add.topLeft(), QPoint(284, 482));

  // The window applies it on every resize.
  ListsFixture lists;
  lists.window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(lists.window.get()));
  lists.window->resize(500, 300);
  const ListsWindowLayout expected =
      listsWindowLayout(QSize(500, 300), lists.window->logicalDpiX(), lists.window->logicalDpiY());
  EXPECT_EQ(lists.window->tabs()->geometry(), expected.tabs);
  EXPECT_EQ(lists.window->addButton()->geometry(), expected.add);
  EXPECT_EQ(lists.window->deleteButton()->geometry(), expected.remove);
  EXPECT_EQ(lists.window->closeButton()->geometry(), expected.close);
  // Only the oval takes clicks.
  HoverButton* add = lists.window->addButton();
  EXPECT_TRUE(add->mask().contains(QPoint(18, 9)));
  EXPECT_FALSE(add->mask().contains(QPoint(0, 0)));
}

TEST(ListsWindow, RowsDrawTheirStateAndSelection) {
  ListsFixture lists;
  lists.document.AddAlarm(reminder(std::string("Call \xC2\x80J home")));
  lists.document.AddAlarm(reminder("off", 0));
  ListsSkin skin;
  skin.dialogBackground = 0xC0C0C0;
  skin.listBackground = 0xFFFFFF;
  skin.highlightBackground = 0x800000;  // navy (red in the low byte)
  skin.textColor = 0;
  skin.textHighlightColor = 0xFFFFFF;
  lists.window->applySkin(skin);
  lists.window->refill();
  lists.window->resize(420, 240);
  lists.window->selectRow(CListsDlg::RemindersTab, 0);
  QTableView* list = lists.window->reminderList();
  const QImage image = list->viewport()->grab().toImage();
  const auto pixel = [&](int row, int column, int x) {
    const QRect cell = list->visualRect(list->model()->index(row, column));
    return QColor(image.pixel(cell.left() + x, cell.top() + 2));
  };
  EXPECT_EQ(pixel(0, 2, 90), QColor(0, 0, 0x80));  // selected: the highlight colour
  EXPECT_EQ(pixel(1, 2, 90), QColor(Qt::white));
  // The state pictures differ and draw on the row.
  const QRect on = list->visualRect(list->model()->index(0, 0));
  const QRect off = list->visualRect(list->model()->index(1, 0));
  EXPECT_NE(image.copy(on.adjusted(0, 1, 0, -1)), image.copy(off.adjusted(0, 1, 0, -1)));

  const char32_t island = 0x1F3DD;  // Webdings "J"
  EXPECT_EQ(markedTextRuns(QStringLiteral("Call \u0080J home\r\n\u0081x\u0082")),
            (std::vector<MarkedTextRun>{{"Call ", false}, {QString::fromUcs4(&island, 1), true}, {" home  x", false}}));
  EXPECT_EQ(markedTextRuns(QStringLiteral("end\u0080")), (std::vector<MarkedTextRun>{{"end", false}}));
}

TEST(ListsFeature, ShowHideWithTheFrameAndTheCommands) {
  FrameFixture fixture;
  ActionRegistry& actions = fixture.program->actions();
  ListsFeature& lists = fixture.program->lists();
  // Before the first activation there is no window: the list commands are greyed.
  EXPECT_FALSE(actions.commandState(ID_LIST_ADD).enabled);
  EXPECT_FALSE(actions.commandState(ID_REMINDERS).checked);

  fixture.program->activate();
  ASSERT_NE(lists.window(), nullptr);
  EXPECT_FALSE(lists.window()->isVisible());  // made hidden
  fixture.frame->showFromTray();
  actions.runCommand(ID_REMINDERS);
  CListsDlg* window = lists.window();
  ASSERT_TRUE(window->isVisible());
  EXPECT_TRUE(actions.commandState(ID_REMINDERS).checked);
  EXPECT_TRUE(actions.commandState(ID_LIST_ADD).enabled);

  // Docked directly below the frame, as wide as it, "ListHeight" high (or less on a short screen).
  const QRect frame = fixture.frame->frameGeometry();
  const QRect usable = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(QTest::qWaitFor([&] { return window->geometry().topLeft() == frame.bottomLeft() + QPoint(0, 1); }, 2000));
  EXPECT_EQ(window->width(), frame.width());
  EXPECT_EQ(window->height(), listsPlacement(frame, 200, usable).height());
  EXPECT_EQ(window->minimumWidth(), frame.width());

  // The frame goes to the tray and back: the lists go along.
  fixture.frame->hideToTray();
  EXPECT_FALSE(window->isVisible());
  fixture.frame->showFromTray();
  EXPECT_TRUE(window->isVisible());
  // Hidden by the user, it stays hidden when the frame comes back.
  actions.runCommand(ID_REMINDERS);
  EXPECT_FALSE(window->isVisible());
  fixture.frame->hideToTray();
  fixture.frame->showFromTray();
  EXPECT_FALSE(window->isVisible());

  // The list commands of the registry reach the window.
  fixture.document.AddAlarm(reminder("a"));
  lists.documentReplaced();
  window->selectRow(CListsDlg::RemindersTab, 0);
  EXPECT_TRUE(actions.commandState(ID_LIST_ACTIVE).checked);
  actions.runCommand(ID_LIST_ACTIVE);
  EXPECT_EQ(fixture.document.GetAlarmAt(0)->state, ReminderState::Inactive);
  actions.runCommand(ID_LIST_DELETE);
  EXPECT_EQ(fixture.document.alarmCount(), 0u);

  // The height is kept when the program closes.
  window->resize(window->width(), 260);
  fixture.answer = SaveChangesAnswer::No;
  ASSERT_TRUE(fixture.program->close());
  EXPECT_EQ(fixture.settings.app.list_height, 260);
}

TEST(ListsFeature, ShortScreenLanguageSwitchAndStateChanges) {
  FrameFixture fixture;
  const QRect usable = QGuiApplication::primaryScreen()->availableGeometry();
  fixture.settings.app.list_height = usable.height();  // far too tall for any place of the frame
  fixture.program->activate();
  fixture.frame->showFromTray();
  fixture.program->actions().runCommand(ID_REMINDERS);
  CListsDlg* window = fixture.program->lists().window();
  EXPECT_EQ(window->geometry().bottom(), usable.bottom());

  // The language changes under an open window: new tab texts and header pictures.
  QTableView* reminders = window->reminderList();
  QTableView* notes = window->noteList();
  const auto picture = [](QTableView* list, int column) {
    return list->model()->headerData(column, Qt::Horizontal, HeaderPictureRole).toString();
  };
  EXPECT_EQ(window->tabs()->tabText(0), "Reminders");
  EXPECT_EQ(picture(reminders, 2), "IDB_LIST_TIME");
  EXPECT_EQ(reminders->model()->headerData(2, Qt::Horizontal).toString(), "Time");
  fixture.program->actions().runCommand(ID_LANGUAGE_RUSSIAN);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->tabs()->tabText(0), "Напоминания");
  EXPECT_EQ(window->tabs()->tabText(1), "Даты");
  EXPECT_EQ(picture(reminders, 1), "IDB_LIST_DESCRIPTION_RU");
  EXPECT_EQ(picture(reminders, 2), "IDB_LIST_TIME_RU");
  EXPECT_EQ(reminders->model()->headerData(2, Qt::Horizontal).toString(), "Время");
  EXPECT_EQ(notes->model()->headerData(2, Qt::Horizontal).toString(), "Дата");
  EXPECT_EQ(window->addButton()->toolTip(), "Добавить: Напоминание");
  fixture.program->actions().runCommand(ID_LANGUAGE_UKRAINIAN);
  EXPECT_EQ(window->tabs()->tabText(1), "Дати");
  EXPECT_EQ(picture(notes, 1), "IDB_LIST_DESCRIPTION_UA");
  EXPECT_EQ(picture(notes, 2), "IDB_LIST_DATE_RU");  // the Ukrainian table names the Russian one
  EXPECT_EQ(notes->model()->headerData(1, Qt::Horizontal).toString(), "Опис");

  // The alarm check turns a ringing reminder off for this showing: its row is redrawn.
  CAlarmLine due(fixture.now);
  due.text = "now";
  fixture.document.AddAlarm(due);
  fixture.program->lists().documentReplaced();
  QSignalSpy redrawn(reminders->model(), &QAbstractItemModel::dataChanged);
  fixture.program->alarms().tick();
  fixture.program->alarms().turnOff();
  EXPECT_EQ(fixture.document.GetAlarmAt(0)->state, ReminderState::TurnedOff);
  ASSERT_GE(redrawn.count(), 1);
  EXPECT_EQ(redrawn.last().at(0).toModelIndex().row(), 0);
}

TEST(ListsFeature, KeepsTheUsersHeightAndStaysOnAShortScreen) {
  const QRect usable = QGuiApplication::primaryScreen()->availableGeometry();
  const auto open = [](FrameFixture& fixture) {
    fixture.program->activate();
    fixture.frame->showFromTray();
    fixture.program->actions().runCommand(ID_REMINDERS);
    return fixture.program->lists().window();
  };
  {
    // Squeezed to end at the bottom of the screen, it keeps the height the user gave it.
    FrameFixture fixture;
    fixture.settings.app.list_height = usable.height();
    CListsDlg* window = open(fixture);
    EXPECT_LT(window->height(), usable.height());
    fixture.answer = SaveChangesAnswer::No;
    ASSERT_TRUE(fixture.program->close());
    EXPECT_EQ(fixture.settings.app.list_height, usable.height());
  }
  {
    // A stored height of two rows comes back usable, and is not kept either; a main window at
    // the bottom of the screen does not push the lists off it.
    FrameFixture fixture;
    fixture.settings.app.list_height = 40;
    fixture.frame->move(100, usable.bottom() - fixture.frame->height() - 20);
    CListsDlg* window = open(fixture);
    EXPECT_GE(window->height(), kMinimumPlacedListHeight);
    EXPECT_TRUE(usable.contains(window->geometry()));
    fixture.answer = SaveChangesAnswer::No;
    ASSERT_TRUE(fixture.program->close());
    EXPECT_EQ(fixture.settings.app.list_height, kMinimumListHeight);
  }
}

}  // namespace
}  // namespace kalvory::test
