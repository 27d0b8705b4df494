#include "desktop/view/alarm_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include "core/model/alarm_doc.h"
#include "core/settings/profile.h"
#include "desktop/app/desktop_program.h"
#include "desktop/calendar/cal_wnd.h"
#include "desktop/common/frame_fixture.h"
#include "desktop/editors/edit_day.h"
#include "desktop/shell/main_frame.h"

namespace kalvory {
namespace {

COleDateTime at(int month, int dayOfMonth, int hour, int minute, int second) {
  return COleDateTime(2026, month, dayOfMonth, hour, minute, second);
}

struct ViewFixture {
  CAlarmDoc document;
  COleDateTime now = at(5, 7, 9, 30, 20);
  CAlarmView view{document, [] { return UiLanguage::English; }, [this] { return now; }};
};

// A skin whose next-event colours can be told apart.
void loadSkin(CProfile& skin, const QTemporaryDir& folder) {
  const QString path = folder.filePath("skin.xml");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(
      "<xml><UI><DarkBackground1>#203040</DarkBackground1><LightBackground1>#E0E0F0</LightBackground1></UI>"
      "<Calendar><clNextEvent>#112233</clNextEvent><clNextDayEvent>#0000AA</clNextDayEvent>"
      "<clNextDayEventIndicatorBirthday>#00AA00</clNextDayEventIndicatorBirthday>"
      "<clNextDayEventIndicatorHoliday>#AA0000</clNextDayEventIndicatorHoliday>"
      "<clBackground>#445566</clBackground></Calendar></xml>");
  file.close();
  skin.SetSaveOnClose(false);
  ASSERT_TRUE(skin.Load(path.toStdString()));
}

TEST(AlarmView, ShowsNothingWithoutRecords) {
  ViewFixture fixture;
  EXPECT_EQ(fixture.view.nextReminderText(), "");
  EXPECT_EQ(fixture.view.dayEventText(), "");
  EXPECT_FALSE(fixture.view.reminderIconShown());
  EXPECT_FALSE(fixture.view.dayEventIconShown());
  EXPECT_EQ(fixture.view.dayEventIconName(), "");
}

// The day event's colour and icon follow its type: a holiday looks like a plain note, an
// anniversary and a weekend have colours of their own.
TEST(AlarmView, ColoursAndIconsTheNextDayEventByItsType) {
  ViewFixture fixture;
  QTemporaryDir folder;
  CProfile skin;
  loadSkin(skin, folder);
  fixture.view.applySkin(skin);
  EXPECT_EQ(fixture.view.backgroundColor(), QColor("#203040"));

  CDayInfo holiday(at(5, 8, 0, 0, 0));
  holiday.repeat = CDayInfo::Once;
  holiday.event_type = CDayInfo::Holiday;
  holiday.text = "Spring\r\nholiday";
  CDayInfo* note = fixture.document.AddDayInfo(holiday);
  fixture.view.documentChanged();
  EXPECT_EQ(fixture.view.dayEventText(), "Tomorrow: Spring  holiday");
  EXPECT_TRUE(fixture.view.dayEventIconShown());
  EXPECT_EQ(fixture.view.dayEventIconName(), ":/icons/type-note.png");
  EXPECT_EQ(fixture.view.dayEventColor(), QColor("#112233"));

  const struct {
    int type;
    const char* icon;
    const char* color;
  } cases[] = {{CDayInfo::Anniversary, ":/icons/type-anniversary.png", "#00AA00"},
               {CDayInfo::Weekend, ":/icons/type-weekend.png", "#AA0000"},
               {CDayInfo::DayOff, ":/icons/type-dayoff.png", "#112233"},
               {CDayInfo::ToDo, ":/icons/type-todo.png", "#112233"},
               {CDayInfo::Note, ":/icons/type-note.png", "#112233"}};
  for (const auto& c : cases) {
    note->event_type = c.type;
    fixture.view.refresh();
    EXPECT_EQ(fixture.view.dayEventIconName(), c.icon);
    EXPECT_EQ(fixture.view.dayEventColor(), QColor(c.color)) << c.icon;
  }
}

// The next-reminder line changes on the minute after a reminder's showing is over, with nothing
// else happening.
TEST(AlarmView, TheMinuteTimerDropsAReminderWhoseWindowHasPassed) {
  ViewFixture fixture;
  CAlarmLine dentist(at(5, 7, 9, 31, 0), 60);
  dentist.text = "Dentist";
  fixture.document.AddAlarm(dentist);
  fixture.view.refresh();
  EXPECT_EQ(fixture.view.nextReminderText(), "09:31: Dentist");
  EXPECT_TRUE(fixture.view.reminderIconShown());

  // The timer is due at the coming minute, not in a minute from now.
  const QTimer& timer = fixture.view.minuteTimer();
  EXPECT_TRUE(timer.isActive());
  EXPECT_TRUE(timer.isSingleShot());
  EXPECT_GT(timer.remainingTime(), 35000);
  EXPECT_LE(timer.remainingTime(), 40000);

  fixture.now = at(5, 7, 9, 32, 0);
  QMetaObject::invokeMethod(const_cast<QTimer*>(&timer), "timeout");
  EXPECT_EQ(fixture.view.nextReminderText(), "");
  EXPECT_FALSE(fixture.view.reminderIconShown());
  EXPECT_GT(timer.remainingTime(), 55000) << "on the next minute again";

  EXPECT_EQ(millisecondsToNextMinute(at(5, 7, 9, 32, 59)), 1000);
  EXPECT_EQ(millisecondsToNextMinute(COleDateTime::makeInvalid()), 60000);
}

// In the running program: "Add day note" from the calendar opens the editor for that day, and
// the note is in the document, the calendar and the view at once.
TEST(AlarmView, AddDayNoteFromTheCalendarStoresTheNoteAndShowsIt) {
  test::FrameFixture fixture;
  CAlarmView& view = fixture.program->view();
  ASSERT_EQ(view.parentWidget(), fixture.frame->viewHost());
  CCalWnd* calendar = &fixture.program->calendar();
  EXPECT_EQ(view.calendarWidget(), calendar) << "the program puts the calendar in the view";
  EXPECT_EQ(view.dayEventText(), "");

  bool edited = false;
  QTimer::singleShot(0, [&] {
    auto* editor = qobject_cast<CEditDay*>(QApplication::activeModalWidget());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->dayInfo().date, COleDateTime(2026, 5, 8, 0, 0, 0));
    editor->noteEdit()->setText("Team lunch");
    editor->accept();
    edited = true;
  });
  emit calendar->addDayNoteRequested(COleDateTime(2026, 5, 8, 0, 0, 0));
  ASSERT_TRUE(edited);
  ASSERT_EQ(fixture.document.dayInfoCount(), 1u);
  EXPECT_EQ(fixture.document.GetDayInfoAt(0)->text, "Team lunch");
  EXPECT_TRUE(fixture.document.IsModified());
  EXPECT_EQ(view.dayEventText(), "Tomorrow: Team lunch");
  EXPECT_EQ(calendar->month().tooltipText(calendar->month().selectedCellIndex() + 1), "Team lunch");

  // Cancel stores nothing.
  QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
  emit calendar->addDayNoteRequested(COleDateTime(2026, 5, 9, 0, 0, 0));
  EXPECT_EQ(fixture.document.dayInfoCount(), 1u);

  // A new document empties the view at once.
  fixture.answer = SaveChangesAnswer::No;
  ASSERT_TRUE(fixture.documents->newDocument());
  EXPECT_EQ(view.dayEventText(), "");
  EXPECT_EQ(calendar->month().tooltipText(calendar->month().selectedCellIndex() + 1), "");

  fixture.settings.app.language = 0;
  fixture.program->languageChanged();
  EXPECT_EQ(calendar->month().language(), UiLanguage::Russian);

  // The skin's "Calendar" colours reach the calendar the program put in the view.
  QTemporaryDir skinFolder;
  CProfile skin;
  loadSkin(skin, skinFolder);
  fixture.settings.app.skin_path = skinFolder.filePath("skin.xml").toStdString();
  fixture.program->applySkin();
  EXPECT_EQ(calendar->backgroundColor(), QColor("#445566"));
  EXPECT_EQ(view.backgroundColor(), QColor("#203040"));
}

}  // namespace
}  // namespace kalvory
