#include "desktop/editors/edit_day.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "core/model/alarm_doc.h"

namespace kalvory {
namespace {

COleDateTime noon(int year, int month, int dayOfMonth) { return COleDateTime(year, month, dayOfMonth, 12, 0, 0); }

// Which choosers the editor gets: the test's stand-ins, or the real windows.
enum class Choosers { StandIns, Real };

struct EditorFixture {
  explicit EditorFixture(const CDayInfo& note, UiLanguage language = UiLanguage::English,
                         Choosers choosers = Choosers::StandIns)
      : editor(document, language, services(choosers)) {
    editor.setDayInfo(note);
  }
  // The stand-ins answer what the test put in chooseSticker and chooseWallpaper at the time.
  CEditDay::Services services(Choosers choosers) {
    CEditDay::Services services;
    services.showMessage = [this](const QString& message) { messages << message; };
    if (choosers == Choosers::Real) return services;
    services.chooseSticker = [this](const QStringList& names) { return chooseSticker(names); };
    services.chooseWallpaper = [this](const QString& current) { return chooseWallpaper(current); };
    return services;
  }
  CAlarmDoc document;
  QStringList messages;
  std::function<std::optional<QString>(const QStringList&)> chooseSticker = [](const QStringList&) {
    return std::optional<QString>();
  };
  std::function<QString(const QString&)> chooseWallpaper = [](const QString&) { return QString(); };
  CEditDay editor;
};

CDayInfo noteOn(const COleDateTime& date, const std::string& text = "Note") {
  CDayInfo note(date);
  note.text = text;
  return note;
}

// Weekly takes the weekday from its list and holds the date still; the other repetitions show
// and store the weekday of the date.
TEST(EditDay, WeeklyUsesTheWeekdayListAndTheOthersTheDate) {
  EditorFixture fixture(noteOn(noon(2026, 5, 7)));  // a Thursday
  CEditDay& editor = fixture.editor;
  EXPECT_EQ(editor.pageIconName(), ":/icons/day-07.png");
  EXPECT_EQ(editor.weekdayList()->count(), 7);
  EXPECT_EQ(editor.weekdayList()->itemText(0), "Monday");
  EXPECT_EQ(editor.weekdayList()->currentIndex(), 3);
  EXPECT_TRUE(editor.datePicker()->isEnabled());
  EXPECT_FALSE(editor.weekdayList()->isEnabled());
  EXPECT_FALSE(editor.daysEdit()->isEnabled());

  editor.repeatList()->setCurrentIndex(CDayInfo::Weekly);
  EXPECT_FALSE(editor.datePicker()->isEnabled());
  EXPECT_TRUE(editor.weekdayList()->isEnabled());
  editor.weekdayList()->setCurrentIndex(5);
  editor.accept();
  ASSERT_EQ(editor.result(), QDialog::Accepted);
  EXPECT_EQ(editor.dayInfo().repeat, CDayInfo::Weekly);
  EXPECT_EQ(editor.dayInfo().week_day, 5);

  EditorFixture annual(noteOn(noon(2026, 5, 7)));
  annual.editor.datePicker()->setDate(QDate(2026, 5, 21));
  EXPECT_EQ(annual.editor.pageIconName(), ":/icons/day-21.png");
  annual.editor.accept();
  EXPECT_EQ(annual.editor.dayInfo().week_day, 3) << "the weekday shown, which is the opening date's";
  EXPECT_EQ(annual.editor.dayInfo().date, noon(2026, 5, 21)) << "the day picked, the time of day kept";

  // The type and repetition names come from the language's lists.
  EditorFixture russian(noteOn(noon(2026, 5, 7)), UiLanguage::Russian);
  EXPECT_EQ(russian.editor.typeList()->count(), 6);
  EXPECT_EQ(russian.editor.repeatList()->count(), 5);
  EXPECT_EQ(russian.editor.weekdayList()->itemText(6), "воскресенье");
}

// The text: 79 characters can be typed and no more; blanks around it stay; only blanks is
// refused. An interval of 0 days is refused for Interval notes.
TEST(EditDay, RefusesABlankTextAndAZeroIntervalAndKeepsTheTextAsTyped) {
  EditorFixture fixture(noteOn(noon(2026, 5, 7), ""));
  CEditDay& editor = fixture.editor;
  editor.noteEdit()->clear();
  QTest::keyClicks(editor.noteEdit(), QString(80, QLatin1Char('x')));
  EXPECT_EQ(editor.noteEdit()->text().size(), 79);

  editor.noteEdit()->setText("   \t ");
  editor.accept();
  EXPECT_NE(editor.result(), QDialog::Accepted);
  EXPECT_EQ(fixture.messages, QStringList({"Please enter note text."}));

  editor.noteEdit()->setText("  Call Anna  ");
  editor.repeatList()->setCurrentIndex(CDayInfo::Interval);
  EXPECT_TRUE(editor.daysEdit()->isEnabled());
  editor.daysEdit()->setText("0");
  editor.accept();
  EXPECT_NE(editor.result(), QDialog::Accepted);
  EXPECT_EQ(fixture.messages.last(), "Interval should be greater than 0.");
  editor.daysEdit()->clear();
  editor.accept();
  EXPECT_EQ(fixture.messages.size(), 3) << "an empty field is 0 days";

  QTest::keyClicks(editor.daysEdit(), "12a345");
  EXPECT_EQ(editor.daysEdit()->text(), "1234") << "digits only, four at most";
  editor.accept();
  ASSERT_EQ(editor.result(), QDialog::Accepted);
  EXPECT_EQ(editor.dayInfo().text, "  Call Anna  ");
  EXPECT_EQ(editor.dayInfo().interval_days, 1234);
  EXPECT_EQ(fixture.messages.size(), 3);

  // A longer text from a file is not cut by opening and confirming the dialog.
  const std::string longText(100, 'y');
  EditorFixture stored(noteOn(noon(2026, 5, 7), longText));
  stored.editor.accept();
  EXPECT_EQ(stored.editor.dayInfo().text, longText);
}

// The sticker box fills in the default sticker; a sticker picked stays picked whatever is
// changed after it (a change of type or repetition once dropped it, and the note was stored
// without its sticker); the wallpaper counts only when ticked.
TEST(EditDay, StickerAndWallpaperFollowTheirBoxes) {
  CDayInfo note = noteOn(noon(2026, 5, 7));
  EditorFixture plain(note);
  EXPECT_TRUE(plain.editor.stickerBox()->isEnabled());
  EXPECT_FALSE(plain.editor.stickerButton()->isEnabled());
  EXPECT_FALSE(plain.editor.stickerEdit()->isEnabled());
  plain.editor.stickerBox()->click();
  EXPECT_EQ(plain.editor.stickerEdit()->text(), "n/a");
  EXPECT_TRUE(plain.editor.stickerButton()->isEnabled());

  note.sticker = "Tag";
  note.wallpaper = "/pictures/sea.jpg";
  EditorFixture fixture(note);
  CEditDay& editor = fixture.editor;
  CWPStickerContext tag, pin;
  tag.name = "Tag";
  pin.name = "Pin";
  pin.isDefault = true;
  fixture.document.stickers = {tag, pin};
  EXPECT_TRUE(editor.stickerBox()->isChecked());
  EXPECT_EQ(editor.stickerEdit()->text(), "Tag");
  EXPECT_TRUE(editor.wallpaperBox()->isChecked());
  EXPECT_TRUE(editor.wallpaperButton()->isEnabled());

  QStringList offered;
  fixture.chooseSticker = [&](const QStringList& names) -> std::optional<QString> {
    offered = names;
    return QString("Pin");
  };
  editor.stickerButton()->click();
  EXPECT_EQ(offered, QStringList({"Tag", "Pin"}));
  EXPECT_EQ(editor.stickerEdit()->text(), "Pin");
  editor.repeatList()->setCurrentIndex(CDayInfo::Monthly);
  editor.typeList()->setCurrentIndex(CDayInfo::Holiday);
  EXPECT_EQ(editor.stickerEdit()->text(), "Pin");
  EXPECT_TRUE(editor.stickerBox()->isChecked());

  fixture.chooseSticker = [](const QStringList&) -> std::optional<QString> { return QString("N/A"); };
  editor.stickerButton()->click();
  EXPECT_EQ(editor.stickerEdit()->text(), "");
  editor.stickerBox()->click();  // untick
  editor.stickerBox()->click();  // tick again: the default definition's name
  EXPECT_EQ(editor.stickerEdit()->text(), "Pin");

  fixture.chooseWallpaper = [](const QString& current) { return current + ".png"; };
  editor.wallpaperButton()->click();
  EXPECT_EQ(editor.wallpaperEdit()->text(), "/pictures/sea.jpg.png");
  editor.blockBox()->click();
  editor.wallpaperBox()->click();
  EXPECT_FALSE(editor.wallpaperEdit()->isEnabled());
  editor.accept();
  ASSERT_EQ(editor.result(), QDialog::Accepted);
  EXPECT_EQ(editor.dayInfo().wallpaper, "") << "unticked: no wallpaper";
  EXPECT_TRUE(editor.dayInfo().block_changer);
  EXPECT_EQ(editor.dayInfo().sticker, "Pin") << "the wallpaper box must not put the opening sticker back";
  EXPECT_EQ(editor.dayInfo().repeat, CDayInfo::Monthly);

  EXPECT_EQ(CEditDay::wallpaperFilter(UiLanguage::English), "Image Files (*.bmp *.jpg *.jpeg *.tif *.tiff *.png)");
}

// A note whose date is not valid shows no page and no weekday, and is stored with the day
// picked and that day's weekday.
TEST(EditDay, ANoteWithAnInvalidDateGetsThePickedDay) {
  CDayInfo note = noteOn(COleDateTime::makeInvalid());
  note.repeat = CDayInfo::Annual;
  EditorFixture fixture(note);
  EXPECT_EQ(fixture.editor.pageIconName(), "");
  EXPECT_EQ(fixture.editor.weekdayList()->currentIndex(), -1);
  fixture.editor.datePicker()->setDate(QDate(2026, 5, 10));  // a Sunday
  fixture.editor.accept();
  EXPECT_EQ(fixture.editor.dayInfo().date, COleDateTime(2026, 5, 10, 0, 0, 0));
  EXPECT_EQ(fixture.editor.dayInfo().week_day, 6);
}

// edit() changes the caller's note only on OK.
TEST(EditDay, EditChangesTheNoteOnlyOnOk) {
  CAlarmDoc document;
  CDayInfo note = noteOn(noon(2026, 5, 7), "Before");
  QTimer::singleShot(0, [] {
    auto* editor = qobject_cast<CEditDay*>(QApplication::activeModalWidget());
    ASSERT_NE(editor, nullptr);
    editor->noteEdit()->setText("Changed");
    editor->reject();
  });
  EXPECT_FALSE(CEditDay::edit(note, document, UiLanguage::English));
  EXPECT_EQ(note.text, "Before");

  QTimer::singleShot(0, [] {
    auto* editor = qobject_cast<CEditDay*>(QApplication::activeModalWidget());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->windowTitle(), "Date Note");
    editor->noteEdit()->setText("After");
    editor->typeList()->setCurrentIndex(CDayInfo::Anniversary);
    editor->accept();
  });
  EXPECT_TRUE(CEditDay::edit(note, document, UiLanguage::English));
  EXPECT_EQ(note.text, "After");
  EXPECT_EQ(note.event_type, CDayInfo::Anniversary);
  EXPECT_EQ(note.date, noon(2026, 5, 7));
}

// The date shows in the language's one form, the word after the interval agrees with its
// number, and the sticker chooser asks for a sticker, not a skin.
TEST(EditDay, DateFormIntervalWordAndStickerChooserFollowTheLanguage) {
  struct Case {
    UiLanguage language;
    QString dateText, oneDay, twoDays, fiveDays, chooserTitle;
  };
  const Case cases[] = {{UiLanguage::English, "12/08/2026", "Day", "Days", "Days", "Select Sticker"},
                        {UiLanguage::Russian, "08.12.2026", "день", "дня", "дней", "Выбор наклейки"},
                        {UiLanguage::Ukrainian, "08.12.2026", "день", "дні", "днів", "Вибір наліпки"}};
  for (const Case& expected : cases) {
    CDayInfo note = noteOn(noon(2026, 12, 8));
    note.sticker = "Tag";
    EditorFixture fixture(note, expected.language, Choosers::Real);
    CEditDay& editor = fixture.editor;
    EXPECT_EQ(editor.datePicker()->text(), expected.dateText);
    auto* word = editor.findChild<QLabel*>(QStringLiteral("daysWord"));
    ASSERT_NE(word, nullptr);
    editor.daysEdit()->setText("1");
    EXPECT_EQ(word->text(), expected.oneDay);
    editor.daysEdit()->setText("2");
    EXPECT_EQ(word->text(), expected.twoDays);
    editor.daysEdit()->setText("5");
    EXPECT_EQ(word->text(), expected.fiveDays);

    QString title;
    QTimer::singleShot(0, [&title] {
      QWidget* chooser = QApplication::activeModalWidget();
      if (chooser == nullptr) return;
      title = chooser->windowTitle();
      chooser->close();
    });
    editor.stickerButton()->click();
    EXPECT_EQ(title, expected.chooserTitle);
    EXPECT_EQ(editor.stickerEdit()->text(), "Tag") << "a cancelled chooser changes nothing";
  }
}

}  // namespace
}  // namespace kalvory
