// Shows the lists window docked below the main window, or the reminder editor, over a sample
// document on the current X display, for take_screenshots.sh:
//   lists_screenshot_driver en|ru|uk lists|editor|daynote|chooser|undo
// "undo" shows the lists window with a postponed daily reminder and the offer to undo a delete.
// Prints "ready X Y W H WINDOW" (the area to capture and the window id) once everything is drawn,
// then runs until it is terminated.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <cstdio>

#include "core/model/moment.h"
#include "desktop/common/frame_fixture.h"
#include "desktop/editors/alarm_dialog.h"
#include "desktop/editors/edit_day.h"
#include "desktop/editors/select_skin_dialog.h"
#include "desktop/lists/lists_dialog.h"
#include "desktop/lists/lists_feature.h"

namespace {

using namespace kalvory;

// The bundled skins, so that the windows wear the default skin as in the installed program.
void copySkins(const QString& dataFolder) {
  const QDir source(QStringLiteral(KALVORY_SOURCE_DIR "/res/Skins"));
  QDir(dataFolder).mkpath(QStringLiteral("Skins"));
  for (const QString& name : source.entryList(QDir::Files))
    QFile::copy(source.filePath(name), dataFolder + QStringLiteral("/Skins/") + name);
}

std::string symbol(char code) { return std::string("\xC2\x80") + code; }

void fill(CAlarmDoc& document, UiLanguage language) {
  const bool russian = language == UiLanguage::Russian;
  const auto add = [&](const std::string& text, COleDateTime time, int daily, int timer, int minutes, int state,
                       int weekDays = 127) {
    CAlarmLine line(time);
    line.text = text;
    line.daily = daily;
    line.timer_mode = timer;
    line.timer_minutes = minutes;
    line.state = static_cast<ReminderState>(state);
    line.week_days = weekDays;
    document.AddAlarm(line);
  };
  if (russian) {
    add("Полить цветы", COleDateTime(2026, 5, 7, 10, 0, 0), 0, 0, 0, 1);
    add("Планёрка", COleDateTime(2026, 5, 7, 9, 45, 0), 1, 0, 0, 1, 0b0111110);
    add("Чай готов", COleDateTime(2026, 5, 7, 9, 40, 0), 0, 1, 10, 1);
    add("Позвонить маме " + symbol('Y'), COleDateTime(2026, 5, 9, 18, 30, 0), 0, 0, 0, 1);
    add("Оплатить интернет", COleDateTime(2026, 5, 15, 12, 0, 0), 0, 0, 0, 0);
    add("Зарядка", COleDateTime(2026, 5, 7, 7, 15, 0), 1, 0, 0, 1);
  } else if (language == UiLanguage::Ukrainian) {
    add("Полити квіти", COleDateTime(2026, 5, 7, 10, 0, 0), 0, 0, 0, 1);
    add("Планерка", COleDateTime(2026, 5, 7, 9, 45, 0), 1, 0, 0, 1, 0b0111110);
    add("Чай готовий", COleDateTime(2026, 5, 7, 9, 40, 0), 0, 1, 10, 1);
    add("Зателефонувати мамі " + symbol('Y'), COleDateTime(2026, 5, 9, 18, 30, 0), 0, 0, 0, 1);
    add("Сплатити за інтернет", COleDateTime(2026, 5, 15, 12, 0, 0), 0, 0, 0, 0);
    add("Зарядка", COleDateTime(2026, 5, 7, 7, 15, 0), 1, 0, 0, 1);
  } else {
    add("Water the plants", COleDateTime(2026, 5, 7, 10, 0, 0), 0, 0, 0, 1);
    add("Stand-up meeting", COleDateTime(2026, 5, 7, 9, 45, 0), 1, 0, 0, 1, 0b0111110);
    add("Tea is ready", COleDateTime(2026, 5, 7, 9, 40, 0), 0, 1, 10, 1);
    add("Call Mum " + symbol('Y'), COleDateTime(2026, 5, 9, 18, 30, 0), 0, 0, 0, 1);
    add("Pay the internet bill", COleDateTime(2026, 5, 15, 12, 0, 0), 0, 0, 0, 0);
    add("Morning exercises", COleDateTime(2026, 5, 7, 7, 15, 0), 1, 0, 0, 1);
  }
  CDayInfo birthday(COleDateTime(2026, 5, 9, 0, 0, 0));
  birthday.text = russian                             ? "День рождения мамы"
                  : language == UiLanguage::Ukrainian ? "День народження мами"
                                                      : "Mum's birthday";
  birthday.event_type = CDayInfo::Anniversary;
  document.AddDayInfo(birthday);
  document.SetModifiedFlag(false);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Q_INIT_RESOURCE(kalvory_icons);
  QApplication::setQuitOnLastWindowClosed(false);
  const QStringList arguments = app.arguments();
  const UiLanguage language = arguments.value(1) == QLatin1String("ru")   ? UiLanguage::Russian
                              : arguments.value(1) == QLatin1String("uk") ? UiLanguage::Ukrainian
                                                                          : UiLanguage::English;
  const bool editor = arguments.value(2) == QLatin1String("editor");
  const bool dayNote = arguments.value(2) == QLatin1String("daynote");
  const bool chooser = arguments.value(2) == QLatin1String("chooser");
  const bool undo = arguments.value(2) == QLatin1String("undo");

  test::FrameFixture fixture(static_cast<int>(language));
  copySkins(fixture.dataFolder.path());
  fill(fixture.document, language);
  if (undo) {
    // The daily meeting rang at 9:45 and was put off by five minutes.
    fixture.document.GetAlarmAt(1)->postponed = CAlarmLine::Postponement{
        *moment::toSeconds(COleDateTime(2026, 5, 7, 9, 50, 0)), *moment::toSeconds(COleDateTime(2026, 5, 7, 9, 45, 0))};
  }
  DesktopProgram& program = *fixture.program;
  program.activate();
  fixture.frame->move(300, 60);
  CListsDlg* lists = nullptr;
  if (!chooser) {  // the chooser is shown alone, so that no window covers its title
    fixture.frame->showFromTray();
    program.actions().runCommand(ID_REMINDERS);
    lists = program.lists().window();
    lists->selectRow(CListsDlg::RemindersTab, 1);
  }
  if (undo) {
    // "Pay the internet bill" was just deleted: the offer to bring it back stays for the picture.
    lists->setUndoOfferMilliseconds(600000);
    lists->selectRow(CListsDlg::RemindersTab, 4);
    lists->OnDelete();
    lists->selectRow(CListsDlg::RemindersTab, 1);
  }

  std::unique_ptr<CAlarmDlg> dialog;
  CAlarmLine record(fixture.now);
  if (editor) {
    record = *fixture.document.GetAlarmAt(1);
    record.sound_file = "/home/user/Music/morning.ogg";
    record.sticker = "Note";
    record.exit_action = 0;
    CAlarmDlg::Services services;
    services.clock = [&] { return fixture.now; };
    services.chooseSymbol = [] { return std::optional<QString>(); };
    dialog = std::make_unique<CAlarmDlg>(&fixture.document, language, services);
    dialog->setRecord(&record);
    dialog->move(120, 80);
    dialog->show();
  }
  // The sticker chooser of the editors, titled for what it chooses.
  std::unique_ptr<CSelectSkinDlg> stickerChooser;
  if (chooser) {
    stickerChooser = std::make_unique<CSelectSkinDlg>(std::vector<std::string>{"Note", "Heart", "Star"}, language,
                                                      nullptr, CSelectSkinDlg::Kind::Sticker);
    stickerChooser->selectName("Note");
    stickerChooser->move(120, 80);
    stickerChooser->show();
  }
  std::unique_ptr<CEditDay> noteEditor;
  if (dayNote) {
    CDayInfo note = *fixture.document.GetDayInfoAt(0);
    note.repeat = CDayInfo::Interval;
    note.interval_days = 2;
    noteEditor = std::make_unique<CEditDay>(fixture.document, language);
    noteEditor->setDayInfo(note);
    noteEditor->move(120, 80);
    noteEditor->show();
  }

  QTimer::singleShot(1500, [&] {
    QRect area = lists ? fixture.frame->frameGeometry().united(lists->frameGeometry()) : QRect();
    QWidget* window = lists;
    if (dialog) {
      area = dialog->frameGeometry();
      window = dialog.get();
    }
    if (noteEditor) {
      area = noteEditor->frameGeometry();
      window = noteEditor.get();
    }
    if (stickerChooser) {
      area = stickerChooser->frameGeometry();
      window = stickerChooser.get();
    }
    std::printf("ready %d %d %d %d %llu\n", area.x(), area.y(), area.width(), area.height(),
                static_cast<unsigned long long>(window->winId()));
    std::fflush(stdout);
  });
  return app.exec();
}
