#include "desktop/editors/alarm_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/model/alarm_doc.h"
#include "desktop/editors/open_file_filter.h"
#include "desktop/editors/select_skin_dialog.h"

namespace kalvory::test {
namespace {

const COleDateTime kNow(2026, 5, 7, 9, 30, 15);  // a Thursday

// An editor over a document, answering its questions as the test says.
struct EditorFixture {
  explicit EditorFixture(UiLanguage language = UiLanguage::English) {
    services.clock = [] { return kNow; };
    services.showMessage = [this](const QString& message) { messages << message; };
    services.openFile = [this](const OpenFileRequest& request) {
      fileRequests.push_back(request);
      return chosenFile;
    };
    services.chooseDefinition = [this](const std::vector<std::string>& names, const std::string&) {
      offeredNames = names;
      return chosenDefinition;
    };
    dialog = std::make_unique<CAlarmDlg>(&document, language, services);
  }
  void open(CAlarmLine& record) { dialog->setRecord(&record); }
  void setText(const QString& text) { dialog->messageEdit()->setPlainText(text); }
  bool ok() {
    dialog->setResult(QDialog::Rejected);
    dialog->okButton()->click();
    return dialog->result() == QDialog::Accepted;
  }

  CAlarmDoc document;
  CAlarmDlg::Services services;
  std::unique_ptr<CAlarmDlg> dialog;
  QStringList messages;
  std::vector<OpenFileRequest> fileRequests;
  QString chosenFile;
  std::vector<std::string> offeredNames;
  std::optional<std::string> chosenDefinition;
};

TEST(ReminderEditor, LoadsTheRecordIntoItsControls) {
  EditorFixture editor;
  CAlarmLine line(COleDateTime(2026, 6, 1, 7, 5, 0));
  line.text = "Stand up";
  line.state = ReminderState::TurnedOff;  // turned off for this showing still reads as active
  line.show_seconds = 45;
  line.daily = 1;
  line.week_days = 0b0100010;  // Monday and Friday
  line.sound_file = "/music/bell.ogg";
  line.exit_action = 3;
  line.wallpaper = "/pictures/sea.png";
  line.notifier = "Ocean";
  line.osd = 0;
  editor.open(line);
  CAlarmDlg& dialog = *editor.dialog;

  EXPECT_EQ(dialog.messageEdit()->toPlainText(), "Stand up");
  EXPECT_TRUE(dialog.activeBox()->isChecked());
  EXPECT_EQ(dialog.displaySeconds()->value(), 45);
  EXPECT_EQ(dialog.datePicker()->date(), QDate(2026, 6, 1));
  // A time of day reads "07:05".
  EXPECT_EQ(dialog.hoursEdit()->text(), "07");
  EXPECT_EQ(dialog.minutesEdit()->text(), "05");
  EXPECT_TRUE(dialog.dailyBox()->isChecked());
  EXPECT_FALSE(dialog.datePicker()->isEnabled());
  for (int day = 0; day < 7; ++day) {
    EXPECT_TRUE(dialog.weekdayButton(day)->isEnabled());
    EXPECT_EQ(dialog.weekdayButton(day)->isChecked(), day == 1 || day == 5) << day;
  }
  EXPECT_EQ(dialog.weekdayButton(0)->text(), "Su");
  EXPECT_EQ(dialog.exitActionBox()->currentText(), "Restart");
  EXPECT_EQ(dialog.exitActionBox()->count(), 5);
  EXPECT_FALSE(dialog.osdBox()->isChecked());
  EXPECT_TRUE(dialog.wallpaperBox()->isChecked());
  EXPECT_TRUE(dialog.wallpaperEdit()->isEnabled());
  EXPECT_TRUE(dialog.notifierBox()->isChecked());
  EXPECT_EQ(dialog.notifierEdit()->text(), "Ocean");
  EXPECT_FALSE(dialog.stickerBox()->isChecked());
  EXPECT_FALSE(dialog.stickerButton()->isEnabled());
  // No symbol chooser was given: its button is off.
  EXPECT_FALSE(dialog.symbolButton()->isEnabled());

  // A timer shows its length from timer_minutes, without leading zeros.
  CAlarmLine timer(kNow);
  timer.timer_mode = 1;
  timer.timer_minutes = 65;
  editor.open(timer);
  EXPECT_EQ(dialog.hoursEdit()->text(), "1");
  EXPECT_EQ(dialog.minutesEdit()->text(), "5");
  EXPECT_FALSE(dialog.timerLengthLabel()->isHidden());
  EXPECT_EQ(dialog.hoursUnitLabel()->text(), "h");
  EXPECT_FALSE(dialog.datePicker()->isEnabled());
  EXPECT_FALSE(dialog.weekdayButton(3)->isEnabled());

  // Cancel leaves the record as it was.
  dialog.messageEdit()->setPlainText("changed");
  dialog.reject();
  EXPECT_EQ(timer.text, "");
}

TEST(ReminderEditor, RefusesABlankMessageAndTrimsPaths) {
  EditorFixture editor;
  CAlarmLine line(kNow);
  line.text = "old";
  editor.open(line);
  editor.setText("  \n\t ");
  EXPECT_FALSE(editor.ok());
  ASSERT_EQ(editor.messages.size(), 1);
  EXPECT_EQ(editor.messages[0], "Please enter reminder text.");
  EXPECT_EQ(line.text, "old");

  editor.setText("  Call home ");
  editor.dialog->soundEdit()->setText("\"/home/me/Music/wake up.mp3\"  ");
  editor.dialog->programEdit()->setText("\"/usr/bin/xmessage\" \"hello\" ");
  EXPECT_TRUE(editor.ok());
  EXPECT_EQ(line.text, "  Call home ");  // kept as typed; only a blank message is refused
  EXPECT_EQ(line.sound_file, "/home/me/Music/wake up.mp3");
  EXPECT_EQ(line.program, "/usr/bin/xmessage hello");
  EXPECT_EQ(cleanPathField("  \"a\"b\" \t"), "  ab");
}

TEST(ReminderEditor, TimerCarriesMinutesIntoHoursAndHoursIntoDays) {
  EditorFixture editor;
  CAlarmLine line(kNow);
  editor.open(line);
  editor.setText("Tea");
  CAlarmDlg& dialog = *editor.dialog;
  dialog.timerBox()->click();
  dialog.hoursEdit()->setValue(0);
  dialog.minutesEdit()->setValue(90);
  ASSERT_TRUE(editor.ok());
  EXPECT_EQ(line.timer_mode, 1);
  EXPECT_EQ(line.daily, 0);
  EXPECT_EQ(line.timer_minutes, 90);
  EXPECT_EQ(line.time, COleDateTime(2026, 5, 7, 11, 0, 15));
  EXPECT_EQ(line.scheduleText(), "Timer:  1:30");

  // 30 hours: the whole day is in `time` but not in timer_minutes.
  const TimerStart long_ = timerStart(kNow, 30, 0);
  EXPECT_EQ(long_.timerMinutes, 360);
  EXPECT_EQ(long_.time, COleDateTime(2026, 5, 8, 15, 30, 15));
  // Across the end of a month and a year.
  EXPECT_EQ(timerStart(COleDateTime(2026, 12, 31, 23, 55, 0), 0, 10).time, COleDateTime(2027, 1, 1, 0, 5, 0));
  EXPECT_EQ(timerStart(COleDateTime(2026, 12, 31, 23, 55, 0), 99, 99).timerMinutes, 4 * 60 + 39);
}

TEST(ReminderEditor, ScheduleChoicesAndTheTimeTheyStore) {
  EditorFixture editor;
  CAlarmDlg& dialog = *editor.dialog;
  CAlarmLine line(kNow);
  editor.open(line);
  editor.setText("Standup");

  // Ticking Daily after Timer clears Timer and greys the date; the weekdays follow Daily.
  dialog.timerBox()->click();
  EXPECT_FALSE(dialog.datePicker()->isEnabled());
  dialog.dailyBox()->click();
  EXPECT_FALSE(dialog.timerBox()->isChecked());
  EXPECT_TRUE(dialog.dailyBox()->isChecked());
  EXPECT_FALSE(dialog.datePicker()->isEnabled());
  EXPECT_TRUE(dialog.weekdayButton(1)->isEnabled());
  // ... and Timer after Daily clears Daily.
  dialog.timerBox()->click();
  EXPECT_FALSE(dialog.dailyBox()->isChecked());
  EXPECT_FALSE(dialog.weekdayButton(1)->isEnabled());
  dialog.dailyBox()->click();

  // Daily on the working days at 08:45.
  for (int day = 0; day < 7; ++day) dialog.weekdayButton(day)->setChecked(day >= 1 && day <= 5);
  dialog.hoursEdit()->setValue(8);
  dialog.minutesEdit()->setValue(45);
  ASSERT_TRUE(editor.ok());
  EXPECT_EQ(line.daily, 1);
  EXPECT_EQ(line.timer_mode, 0);
  EXPECT_EQ(line.week_days, 0b0111110);
  EXPECT_EQ(line.scheduleText(), "Daily: 08:45");

  // One date: the picker's day at the typed time; an impossible time stores an invalid one.
  CAlarmLine once(kNow);
  editor.open(once);
  editor.setText("Dentist");
  dialog.datePicker()->setDate(QDate(2026, 5, 20));
  dialog.hoursEdit()->setValue(14);
  dialog.minutesEdit()->setValue(0);
  ASSERT_TRUE(editor.ok());
  EXPECT_EQ(once.time, COleDateTime(2026, 5, 20, 14, 0, 0));
  EXPECT_EQ(once.scheduleText(), "20/05/2026-14:00");
  EXPECT_EQ(once.week_days, 127);  // untouched buttons keep every day
  // The rule behind the fields: impossible parts give no moment (the fields never offer them).
  EXPECT_FALSE(reminderMoment(COleDateTime(2026, 5, 20, 0, 0, 0), 24, 0).isValid());
  EXPECT_FALSE(reminderMoment(COleDateTime(2026, 5, 20, 0, 0, 0), 23, 60).isValid());

  // The active box and its picture.
  editor.open(once);
  const QImage on = dialog.stateIcon()->pixmap().toImage();
  dialog.activeBox()->click();
  EXPECT_NE(dialog.stateIcon()->pixmap().toImage(), on);
  dialog.hoursEdit()->setValue(10);
  ASSERT_TRUE(editor.ok());
  EXPECT_EQ(once.state, ReminderState::Inactive);
}

TEST(ReminderEditor, EffectsDefaultsChoosersAndUntickedNames) {
  EditorFixture editor;
  CAlarmDlg& dialog = *editor.dialog;
  CAlarmLine line(kNow);
  editor.open(line);
  editor.setText("Look");

  // No default notifier in the document: ticking the box fills "n/a".
  EXPECT_FALSE(dialog.notifierButton()->isEnabled());
  dialog.notifierBox()->click();
  EXPECT_EQ(dialog.notifierEdit()->text(), "n/a");
  EXPECT_TRUE(dialog.notifierButton()->isEnabled());

  // With a default sticker, its name.
  CWPStickerContext plain;
  plain.name = "Plain";
  CWPStickerContext tag;
  tag.name = "Tag";
  tag.isDefault = true;
  editor.document.stickers = {plain, tag};
  dialog.stickerBox()->click();
  EXPECT_EQ(dialog.stickerEdit()->text(), "Tag");

  // The chooser offers the definitions in list order; its "N/A" clears the name.
  dialog.stickerButton()->click();
  EXPECT_EQ(editor.offeredNames, (std::vector<std::string>{"Plain", "Tag"}));
  editor.chosenDefinition = std::string();
  dialog.stickerButton()->click();
  EXPECT_EQ(dialog.stickerEdit()->text(), "");
  editor.chosenDefinition = std::nullopt;  // cancelled: unchanged
  dialog.notifierButton()->click();
  EXPECT_EQ(dialog.notifierEdit()->text(), "n/a");

  // Files: the filter of the string table, the chosen path into the field.
  dialog.wallpaperBox()->click();
  editor.chosenFile = "/pictures/Sea.JPG";
  dialog.wallpaperButton()->click();
  EXPECT_EQ(dialog.wallpaperEdit()->text(), "/pictures/Sea.JPG");
  ASSERT_EQ(editor.fileRequests.size(), 1u);
  EXPECT_EQ(editor.fileRequests[0].filters.size(), 1);
  EXPECT_TRUE(editor.fileRequests[0].filters[0].contains("*.JPG"));
  editor.chosenFile = "/usr/bin/xcalc";
  dialog.programButton()->click();
  EXPECT_EQ(dialog.programEdit()->text(), "/usr/bin/xcalc");
  // Programs start on "All Files".
  EXPECT_EQ(editor.fileRequests[1].selectedFilter, editor.fileRequests[1].filters.back());
  editor.chosenFile.clear();  // cancelled
  dialog.soundButton()->click();
  EXPECT_EQ(dialog.soundEdit()->text(), "");
  EXPECT_TRUE(editor.fileRequests[2].filters[0].startsWith("Music Files (*.mp3;*.wav;*.ogg;*.wma) ("));

  // An unticked effect is stored without its name, so that it cannot fire.
  dialog.notifierBox()->click();
  ASSERT_TRUE(editor.ok());
  EXPECT_EQ(line.notifier, "");
  EXPECT_EQ(line.wallpaper, "/pictures/Sea.JPG");
  EXPECT_EQ(line.sticker, "");
  EXPECT_EQ(line.program, "/usr/bin/xcalc");
}

TEST(ReminderEditor, MessageLimitSymbolsAndNoDocument) {
  EditorFixture editor;
  CAlarmLine line(kNow);
  editor.open(line);
  editor.setText(QString(100, QLatin1Char('x')));
  EXPECT_EQ(editor.dialog->messageEdit()->toPlainText().size(), CAlarmDlg::kMaxMessageLength);

  // The symbol chooser's text goes in at the caret.
  CAlarmDlg::Services services = editor.services;
  services.chooseSymbol = [] { return std::optional<QString>(QStringLiteral("\u0080J")); };
  CAlarmDlg withSymbols(&editor.document, UiLanguage::English, services);
  withSymbols.setRecord(&line);
  withSymbols.messageEdit()->setPlainText("ab");
  QTextCursor caret = withSymbols.messageEdit()->textCursor();
  caret.setPosition(1);
  withSymbols.messageEdit()->setTextCursor(caret);
  ASSERT_TRUE(withSymbols.symbolButton()->isEnabled());
  withSymbols.symbolButton()->click();
  EXPECT_EQ(withSymbols.messageEdit()->toPlainText(), QStringLiteral("a\u0080Jb"));

  // Without a document the dialog says so and writes nothing.
  QStringList messages;
  CAlarmDlg::Services bare;
  bare.showMessage = [&](const QString& message) { messages << message; };
  CAlarmDlg orphan(nullptr, UiLanguage::English, bare);
  CAlarmLine untouched(kNow);
  orphan.setRecord(&untouched);
  EXPECT_EQ(messages, QStringList{"Incorrect usage: AlarmDocument is null"});
  EXPECT_TRUE(orphan.messageEdit()->toPlainText().isEmpty());
  orphan.messageEdit()->setPlainText("text");
  orphan.okButton()->click();
  EXPECT_EQ(orphan.result(), QDialog::Rejected);
  EXPECT_EQ(untouched.text, "");
}

TEST(ReminderEditor, TextsFollowTheLanguage) {
  EditorFixture editor(UiLanguage::Russian);
  CAlarmDlg& dialog = *editor.dialog;
  EXPECT_EQ(dialog.windowTitle(), "Напоминание");
  EXPECT_EQ(dialog.activeBox()->text(), "&Включено");
  EXPECT_EQ(dialog.weekdayButton(1)->text(), "Пн");
  EXPECT_EQ(dialog.exitActionBox()->itemText(0), "Ничего не делать");
  EXPECT_EQ(dialog.datePicker()->displayFormat(), "dd.MM.yyyy");
  CAlarmLine line(kNow);
  editor.open(line);
  EXPECT_FALSE(editor.ok());
  EXPECT_EQ(editor.messages.value(0), "Введите текст напоминания.");
}

// The weekday buttons run from Monday, as the calendar's weeks do, and the word after the
// display time agrees with the number in each language.
TEST(ReminderEditor, WeekdaysFromMondayAndSecondsThatAgreeWithTheirNumber) {
  const std::vector<std::pair<UiLanguage, std::vector<QString>>> words = {
      {UiLanguage::English, {"second", "seconds", "seconds", "seconds", "seconds"}},
      {UiLanguage::Russian, {"секунду", "секунды", "секунд", "секунд", "секунду"}},
      {UiLanguage::Ukrainian, {"секунду", "секунди", "секунд", "секунд", "секунду"}}};
  for (const auto& [language, expected] : words) {
    EditorFixture editor(language);
    CAlarmDlg& dialog = *editor.dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    for (int day = 1; day < 6; ++day) EXPECT_LT(dialog.weekdayButton(day)->x(), dialog.weekdayButton(day + 1)->x());
    EXPECT_LT(dialog.weekdayButton(6)->x(), dialog.weekdayButton(0)->x()) << "Sunday comes last";
    auto* word = dialog.findChild<QLabel*>(QStringLiteral("secondsWord"));
    ASSERT_NE(word, nullptr);
    const int counts[] = {1, 2, 5, 12, 21};
    for (std::size_t i = 0; i < std::size(counts); ++i) {
      dialog.displaySeconds()->setValue(counts[i]);
      EXPECT_EQ(word->text(), expected[i]) << counts[i];
    }
  }
}

TEST(DefinitionChooser, TitleNamesWhatIsChosen) {
  EXPECT_EQ(CSelectSkinDlg({}, UiLanguage::English, nullptr, CSelectSkinDlg::Kind::Sticker).windowTitle(),
            "Select Sticker");
  EXPECT_EQ(CSelectSkinDlg({}, UiLanguage::Russian, nullptr, CSelectSkinDlg::Kind::Sticker).windowTitle(),
            "Выбор наклейки");
  EXPECT_EQ(CSelectSkinDlg({}, UiLanguage::Ukrainian, nullptr, CSelectSkinDlg::Kind::Notifier).windowTitle(),
            "Вибір спливного сповіщення");
  EXPECT_EQ(CSelectSkinDlg({}, UiLanguage::English, nullptr, CSelectSkinDlg::Kind::Notifier).windowTitle(),
            "Select Notifier Popup");
}

// Shows the dialog as the user has it, active, so that typed keys reach its fields.
void showActive(CAlarmDlg& dialog) {
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

void typeInto(QSpinBox* field, const QString& keys) {
  field->setFocus();
  field->selectAll();
  QTest::keyClicks(field, keys);
}

// Hour 25, minute 99 and the 31st of February were taken (and stored as an invalid moment or
// another date without a word): they are refused as they are typed, the dialog says why, and
// OK never stores what was not a date.
TEST(ReminderEditor, ImpossibleTimesAndDatesAreRefusedWhereTheyAreTyped) {
  EditorFixture editor;
  CAlarmLine line(COleDateTime(2026, 12, 8, 10, 49, 0));
  line.text = "Dentist";
  editor.open(line);
  CAlarmDlg& dialog = *editor.dialog;
  showActive(dialog);
  EXPECT_TRUE(dialog.timeHint()->isHidden());

  typeInto(dialog.hoursEdit(), "25");
  EXPECT_EQ(dialog.hoursEdit()->text(), "2");
  EXPECT_FALSE(dialog.timeHint()->isHidden());
  EXPECT_EQ(dialog.timeHint()->text(), "Hours go from 0 to 23 and minutes from 0 to 59.");
  typeInto(dialog.minutesEdit(), "99");
  EXPECT_EQ(dialog.minutesEdit()->text(), "9");

  // "0231": February is taken, the 3 becomes the 3rd as a date edit does, and the 1 that would
  // make it the 31st is refused instead of landing in the year.
  QDateEdit* date = dialog.datePicker();
  date->setFocus();
  date->setSelectedSection(QDateTimeEdit::MonthSection);
  QTest::keyClicks(date, "0231");
  EXPECT_EQ(date->date(), QDate(2026, 2, 3));
  EXPECT_EQ(date->text(), "02/03/2026");
  EXPECT_EQ(dialog.timeHint()->text(), "This month has no day 31.");
  EXPECT_FALSE(dialog.timeHint()->isHidden());
  // The day is selected again for the right one.
  QTest::keyClicks(date, "28");
  EXPECT_EQ(date->date(), QDate(2026, 2, 28));
  EXPECT_TRUE(dialog.timeHint()->isHidden());
  // A single-digit day followed by the year is no two-digit day.
  date->setSelectedSection(QDateTimeEdit::DaySection);
  QTest::keyClicks(date, "4");
  EXPECT_EQ(date->date(), QDate(2026, 2, 4));
  QTest::keyClicks(date, "2027");
  EXPECT_EQ(date->date(), QDate(2027, 2, 4));

  // The month typed after the day: the 31st of December becomes February, and the picker's
  // quiet change of the day to the 28th is said.
  date->setDate(QDate(2026, 12, 31));
  date->setSelectedSection(QDateTimeEdit::MonthSection);
  QTest::keyClicks(date, "02");
  EXPECT_EQ(date->date(), QDate(2026, 2, 28));
  EXPECT_FALSE(dialog.timeHint()->isHidden());
  EXPECT_EQ(dialog.timeHint()->text(), "This month has no day 31.");
  date->setSelectedSection(QDateTimeEdit::DaySection);
  QTest::keyClicks(date, "04");
  QTest::keyClicks(date, "2027");
  EXPECT_EQ(date->date(), QDate(2027, 2, 4));

  // A year left unfinished is put back by the picker when the mouse goes to OK: OK says so
  // instead of storing the date put back.
  date->setFocus();
  date->setSelectedSection(QDateTimeEdit::YearSection);
  QTest::keyClicks(date, "2");
  EXPECT_EQ(date->text(), "02/04/2");
  QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  ASSERT_EQ(editor.messages.size(), 1);
  EXPECT_EQ(editor.messages[0], "\"02/04/2\" is not a date.");
  EXPECT_EQ(line.time, COleDateTime(2026, 12, 8, 10, 49, 0)) << "nothing was written";
  // Said once: the date now shown is what a second OK stores.
  EXPECT_EQ(date->text(), "02/04/2027");
  QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(line.time, COleDateTime(2027, 2, 4, 2, 9, 0));
  EXPECT_TRUE(line.time.isValid());
}

// Ticking "Timer Mode" turned 10:49 into a timer of 10 h 49 min: the fields now read as a
// length, labelled so, and start at 5 minutes; the time of day comes back when it is unticked.
TEST(ReminderEditor, TimerModeShowsALengthThatStartsAtFiveMinutes) {
  EditorFixture editor;
  CAlarmLine line(COleDateTime(2026, 12, 8, 10, 49, 0));
  line.text = "Tea";
  editor.open(line);
  CAlarmDlg& dialog = *editor.dialog;
  EXPECT_TRUE(dialog.timerLengthLabel()->isHidden());
  EXPECT_TRUE(dialog.minutesUnitLabel()->isHidden());
  EXPECT_EQ(dialog.hoursUnitLabel()->text(), ":");

  dialog.timerBox()->click();
  EXPECT_EQ(dialog.hoursEdit()->value(), 0);
  EXPECT_EQ(dialog.minutesEdit()->value(), 5);
  EXPECT_FALSE(dialog.timerLengthLabel()->isHidden());
  EXPECT_EQ(dialog.timerLengthLabel()->text(), "Timer length:");
  EXPECT_EQ(dialog.hoursUnitLabel()->text(), "h");
  EXPECT_FALSE(dialog.minutesUnitLabel()->isHidden());
  EXPECT_EQ(dialog.minutesUnitLabel()->text(), "min");
  // A length may run past an hour's minutes: they carry into the hours.
  showActive(dialog);
  typeInto(dialog.minutesEdit(), "90");
  EXPECT_EQ(dialog.minutesEdit()->value(), 90);

  dialog.dailyBox()->click();  // unticks the timer: the time of day is back
  EXPECT_FALSE(dialog.timerBox()->isChecked());
  EXPECT_EQ(dialog.hoursEdit()->text(), "10");
  EXPECT_EQ(dialog.minutesEdit()->text(), "49");
  EXPECT_TRUE(dialog.timerLengthLabel()->isHidden());
  dialog.timerBox()->click();  // and the length typed before
  EXPECT_EQ(dialog.minutesEdit()->value(), 90);
  dialog.minutesEdit()->setValue(5);
  ASSERT_TRUE(editor.ok());
  EXPECT_EQ(line.timer_mode, 1);
  EXPECT_EQ(line.timer_minutes, 5);
  EXPECT_EQ(line.time, COleDateTime(2026, 5, 7, 9, 35, 15));

  // In Russian and Ukrainian too.
  EditorFixture russian(UiLanguage::Russian);
  CAlarmLine other(kNow);
  russian.open(other);
  russian.dialog->timerBox()->click();
  EXPECT_EQ(russian.dialog->timerLengthLabel()->text(), "Длительность таймера:");
  EXPECT_EQ(russian.dialog->hoursUnitLabel()->text(), "ч");
  EditorFixture ukrainian(UiLanguage::Ukrainian);
  ukrainian.open(other);
  ukrainian.dialog->timerBox()->click();
  EXPECT_EQ(ukrainian.dialog->minutesUnitLabel()->text(), "хв");
}

// A sound file that is not there is accepted (the disk may be mounted by the time it rings),
// with a warning beside the field.
TEST(ReminderEditor, WarnsAboutAMissingSoundFileWithoutRefusingIt) {
  QTemporaryDir folder;
  const QString bell = folder.filePath("bell.ogg");
  QFile file(bell);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("OggS");
  file.close();
  const QString missing = folder.filePath("gone.ogg");

  EditorFixture editor;
  CAlarmLine line(kNow);
  line.text = "Wake";
  line.sound_file = missing.toStdString();
  editor.open(line);
  CAlarmDlg& dialog = *editor.dialog;
  EXPECT_FALSE(dialog.soundWarning()->isHidden());
  EXPECT_TRUE(dialog.soundWarning()->text().startsWith("This file does not exist now."));
  dialog.soundEdit()->setText("\"" + bell + "\" ");
  EXPECT_TRUE(dialog.soundWarning()->isHidden());
  dialog.soundEdit()->setText("http://radio.example/stream");
  EXPECT_TRUE(dialog.soundWarning()->isHidden());
  dialog.soundEdit()->clear();
  EXPECT_TRUE(dialog.soundWarning()->isHidden());
  dialog.soundEdit()->setText(folder.path());  // a folder is no sound either
  EXPECT_FALSE(dialog.soundWarning()->isHidden());

  dialog.soundEdit()->setText(missing);
  EXPECT_TRUE(editor.ok());
  EXPECT_EQ(line.sound_file, missing.toStdString());
  EXPECT_TRUE(editor.messages.isEmpty());
}

TEST(DefinitionChooser, NoneFirstAndOkNeedsASelection) {
  CSelectSkinDlg dialog({"Classic", "Ocean"}, UiLanguage::English);
  EXPECT_EQ(dialog.windowTitle(), "Select Skin");
  QListWidget* list = dialog.list();
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(0)->text(), "N/A");
  EXPECT_EQ(list->item(2)->text(), "Ocean");

  dialog.accept();  // nothing selected: stays open
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(dialog.chosenRow(), -1);

  dialog.selectName("Ocean");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.chosenName(), "Ocean");

  // A definition that is itself called "N/A" is still a definition.
  CSelectSkinDlg odd({"N/A"}, UiLanguage::English);
  odd.list()->setCurrentRow(1);
  odd.accept();
  EXPECT_EQ(odd.chosenRow(), 1);
  EXPECT_EQ(odd.chosenName(), "N/A");
  CSelectSkinDlg none({"N/A"}, UiLanguage::English);
  none.selectName("");
  none.accept();
  EXPECT_EQ(none.chosenRow(), 0);
  EXPECT_EQ(none.chosenName(), "");
}

TEST(FileFilters, ClassicFiltersBecomeQtFilters) {
  EXPECT_EQ(qtFileFilters("Music Files (*.mp3;*.wav)|*.mp3;*.wav| All Files (*.*)|*.*||"),
            (QStringList{"Music Files (*.mp3;*.wav) (*.mp3 *.MP3 *.wav *.WAV)", "All Files (*.*) (*)"}));
  EXPECT_EQ(qtFileFilters("Images|*.Png||"), QStringList{"Images (*.Png *.PNG)"});
  EXPECT_TRUE(qtFileFilters("").isEmpty());
  EXPECT_TRUE(qtFileFilters("No patterns||").isEmpty());
}

}  // namespace
}  // namespace kalvory::test
