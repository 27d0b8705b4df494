// File > "Import from iCalendar..." and "Export to iCalendar..." in the whole program.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>

#include "desktop/common/frame_fixture.h"
#include "desktop/lists/lists_dialog.h"
#include "desktop/lists/lists_feature.h"
#include "desktop/shell/calendar_files.h"
#include "platform/ical/ical_document.h"

namespace kalvory::test {
namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// One event with an alarm a quarter of an hour before it, one whose repetition ends after a
// count, which no reminder can hold.
const char kCalendar[] =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Kalvory tests//EN\r\n"
    "BEGIN:VEVENT\r\nUID:dentist@test\r\nDTSTAMP:20260501T000000Z\r\nDTSTART:20260512T150000\r\n"
    "DURATION:PT30M\r\nSUMMARY:Dentist\r\n"
    "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Dentist\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n"
    "END:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:standup@test\r\nDTSTAMP:20260501T000000Z\r\nDTSTART:20260511T093000\r\n"
    "RRULE:FREQ=DAILY;COUNT=5\r\nSUMMARY:Standup\r\nEND:VEVENT\r\n"
    "END:VCALENDAR\r\n";

TEST(CalendarCommands, ImportAddsWhatTheDocumentHoldsAndNamesTheRest) {
  QTemporaryDir folder;
  FrameFixture fixture;
  DesktopProgram& program = *fixture.program;
  program.activate();
  CAlarmLine existing(COleDateTime(2026, 5, 7, 10, 0, 0), 60);
  existing.text = "Existing";
  fixture.document.AddAlarm(existing);
  fixture.document.copy_date_format = "%d.%m.%Y";
  fixture.document.SetModifiedFlag(false);

  // The File menu has both commands, in every language.
  ASSERT_NE(fixture.frame->menuAction(ID_FILE_IMPORT_ICS), nullptr);
  EXPECT_EQ(fixture.frame->menuAction(ID_FILE_IMPORT_ICS)->text(), "&Import from iCalendar...");
  EXPECT_EQ(fixture.frame->menuAction(ID_FILE_EXPORT_ICS)->text(), "Ex&port to iCalendar...");

  // Nothing that is not a calendar, nor a missing file, changes the document.
  for (const QByteArray& bytes : {QByteArray("not a calendar\n"), QByteArray()}) {
    const QString bad = folder.filePath(QStringLiteral("bad.ics"));
    writeFile(bad, bytes);
    fixture.calendarPath = bad.toStdString();
    fixture.frame->menuAction(ID_FILE_IMPORT_ICS)->trigger();
    ASSERT_EQ(fixture.errors.entries.size(), 1u);
    EXPECT_EQ(fixture.errors.entries[0].title, "Import from iCalendar");
    EXPECT_EQ(fixture.errors.entries[0].message.rfind("Cannot import " + fixture.calendarPath + ".\n", 0), 0u)
        << fixture.errors.entries[0].message;
    fixture.errors.entries.clear();
  }
  for (const QString& unreadable : {folder.filePath(QStringLiteral("missing.ics")), folder.path()}) {
    fixture.calendarPath = unreadable.toStdString();
    program.actions().runCommand(ID_FILE_IMPORT_ICS);
    ASSERT_EQ(fixture.errors.entries.size(), 1u) << fixture.calendarPath;
    fixture.errors.entries.clear();
  }
  EXPECT_EQ(fixture.document.alarmCount(), 1u);
  EXPECT_FALSE(fixture.document.IsModified());
  fixture.calendarPath.clear();  // the file dialog cancelled
  program.actions().runCommand(ID_FILE_IMPORT_ICS);
  EXPECT_TRUE(fixture.errors.entries.empty());

  const QString calendar = folder.filePath(QStringLiteral("week.ics"));
  writeFile(calendar, kCalendar);
  fixture.calendarPath = calendar.toStdString();
  program.actions().runCommand(ID_FILE_IMPORT_ICS);
  ASSERT_EQ(fixture.document.alarmCount(), 2u);
  EXPECT_EQ(fixture.document.GetAlarmAt(0)->text, "Existing");
  EXPECT_EQ(fixture.document.GetAlarmAt(1)->text, "Dentist");
  EXPECT_EQ(fixture.document.GetAlarmAt(1)->time, COleDateTime(2026, 5, 12, 14, 45, 0));
  EXPECT_TRUE(fixture.document.IsModified());
  EXPECT_EQ(fixture.document.copy_date_format, "%d.%m.%Y");  // the open document's own
  EXPECT_EQ(program.lists().window()->reminderList()->model()->rowCount(), 2);
  ASSERT_EQ(fixture.errors.entries.size(), 1u);
  const std::string& report = fixture.errors.entries[0].message;
  EXPECT_EQ(report.rfind("Added from week.ics: reminders 1, day notes 0.\n", 0), 0u) << report;
  EXPECT_NE(report.find("\nevent \"Standup\" (line 16): "), std::string::npos) << report;
  EXPECT_EQ(report.find("Dentist"), std::string::npos) << report;
}

TEST(CalendarCommands, ExportThenImportGivesTheSameReminders) {
  QTemporaryDir folder;
  FrameFixture fixture;
  DesktopProgram& program = *fixture.program;
  CAlarmLine tea(COleDateTime(2026, 5, 7, 16, 30, 0), 45);
  tea.text = "Tea; \"green\", with\nmilk";
  tea.sound_file = "/home/u/kettle.ogg";
  tea.daily = 1;
  tea.week_days = 0x3E;
  fixture.document.AddAlarm(tea);
  CAlarmLine call(COleDateTime(2026, 5, 8, 9, 0, 0), 60);
  call.text = "Call";
  call.program = "backup.sh --full";
  call.state = ReminderState::Inactive;
  fixture.document.AddAlarm(call);
  CDayInfo birthday(COleDateTime(1990, 3, 14, 0, 0, 0));
  birthday.text = "Birthday";
  fixture.document.AddDayInfo(birthday);
  const COleDateTime stamp(2026, 5, 7, 9, 30, 0);
  const std::string original = documentToIcs(fixture.document, stamp);

  // A folder that does not exist cannot be written to; nothing is left there.
  fixture.calendarPath = folder.filePath(QStringLiteral("no/such/out.ics")).toStdString();
  program.actions().runCommand(ID_FILE_EXPORT_ICS);
  ASSERT_EQ(fixture.errors.entries.size(), 1u);
  EXPECT_EQ(fixture.errors.entries[0].message.rfind("Cannot export to " + fixture.calendarPath + ".\n", 0), 0u);
  fixture.errors.entries.clear();

  fixture.calendarPath = folder.filePath(QStringLiteral("out")).toStdString();  // ".ics" is added
  program.actions().runCommand(ID_FILE_EXPORT_ICS);
  EXPECT_TRUE(fixture.errors.entries.empty());
  ASSERT_TRUE(QFile::exists(folder.filePath(QStringLiteral("out.ics"))));

  fixture.answer = SaveChangesAnswer::No;
  ASSERT_TRUE(fixture.documents->newDocument());
  ASSERT_EQ(fixture.document.alarmCount(), 0u);
  fixture.calendarPath = folder.filePath(QStringLiteral("out.ics")).toStdString();
  // A calendar's program lines start nothing unless the user allows them.
  std::string question;
  fixture.allowPrograms = [&question](const std::string& asked) {
    question = asked;
    return false;
  };
  program.actions().runCommand(ID_FILE_IMPORT_ICS);
  EXPECT_TRUE(fixture.errors.entries.empty());
  ASSERT_EQ(fixture.document.alarmCount(), 2u);
  ASSERT_EQ(fixture.document.dayInfoCount(), 1u);
  EXPECT_EQ(documentToIcs(fixture.document, stamp), original);
  EXPECT_NE(question.find("\nbackup.sh --full\n"), std::string::npos) << question;
  EXPECT_FALSE(fixture.documents->programAllowed("backup.sh --full"));

  ASSERT_TRUE(fixture.documents->newDocument());
  fixture.allowPrograms = [](const std::string&) { return true; };
  program.actions().runCommand(ID_FILE_IMPORT_ICS);
  EXPECT_TRUE(fixture.documents->programAllowed("backup.sh --full"));
}

// The records of a saved document keep their UIDs from export to export, and the ones it took from
// a calendar keep that calendar's.
TEST(CalendarCommands, RecordsKeepTheirUidsFromExportToExport) {
  QTemporaryDir folder;
  const QString calendar = folder.filePath(QStringLiteral("week.ics"));
  writeFile(calendar, kCalendar);
  const std::string documentPath = folder.filePath(QStringLiteral("week.alr")).toStdString();
  CAlarmDoc document;
  CAlarmLine own(COleDateTime(2026, 5, 7, 10, 0, 0), 60);
  own.text = "Own";
  document.AddAlarm(own);
  ASSERT_TRUE(
      importCalendarFile(calendar.toStdString(), document, COleDateTime(2026, 5, 8, 10, 0, 0), documentPath).ok());
  ASSERT_EQ(document.alarmCount(), 2u);
  const auto exported = [&](const char* name) {
    const QString out = folder.filePath(QString::fromUtf8(name));
    EXPECT_TRUE(exportCalendarFile(document, out.toStdString(), COleDateTime(2026, 5, 8, 10, 0, 0), documentPath).ok());
    QFile file(out);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::string uids;
    for (const QByteArray& line : file.readAll().split('\n'))
      if (line.startsWith("UID:")) uids += line.trimmed().toStdString() + " ";
    return uids;
  };
  const std::string first = exported("first.ics");
  EXPECT_NE(first.find("UID:dentist@test "), std::string::npos) << first;
  EXPECT_EQ(first.find("reminder-"), std::string::npos) << first;
  document.RemoveAlarm(0);  // the own one: the other keeps its UID
  EXPECT_EQ(exported("second.ics"), "UID:dentist@test ");
}

}  // namespace
}  // namespace kalvory::test
