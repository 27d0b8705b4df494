// The reminder document as iCalendar: what other calendar programs write comes in as reminders and
// day notes, and what the document cannot hold is named, never bent into something else.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "core/model/document_file.h"
#include "platform/ical/ical_document.h"

namespace kalvory {
namespace {

// Kyiv's rule, written out so that the test needs no zone files for its own local time.
class IcalDocument : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TZ");
    oldTz_ = old ? old : "";
    hadTz_ = old != nullptr;
    setenv("TZ", "EET-2EEST,M3.5.0/3,M10.5.0/4", 1);
    tzset();
  }
  void TearDown() override {
    if (hadTz_)
      setenv("TZ", oldTz_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  std::string oldTz_;
  bool hadTz_ = false;
};

// A Tuesday in winter, after every date of the calendars below that has begun.
const COleDateTime kNow(2026, 12, 8, 10, 0, 0);

std::string calendar(const std::string& body) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Hand//Written//EN\r\n" + body + "END:VCALENDAR\r\n";
}

std::string event(const std::string& lines) {
  return "BEGIN:VEVENT\r\nUID:x@example.org\r\nDTSTAMP:20260501T000000Z\r\n" + lines + "END:VEVENT\r\n";
}

// The logical lines of a calendar, folds undone.
std::vector<std::string> logicalLines(const std::string& ics) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < ics.size()) {
    std::size_t end = ics.find("\r\n", start);
    if (end == std::string::npos) end = ics.size();
    const std::string line = ics.substr(start, end - start);
    if (!line.empty() && line[0] == ' ' && !lines.empty())
      lines.back() += line.substr(1);
    else
      lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

// The lines of the component whose UID is `uid`, BEGIN and END included.
std::vector<std::string> componentOf(const std::string& ics, const std::string& uid) {
  std::vector<std::string> current, found;
  for (const std::string& line : logicalLines(ics)) {
    if (line == "BEGIN:VEVENT" || line == "BEGIN:VJOURNAL") current.clear();
    current.push_back(line);
    if (line == "UID:" + uid) found = {};
    if ((line == "END:VEVENT" || line == "END:VJOURNAL") &&
        std::find(current.begin(), current.end(), "UID:" + uid) != current.end())
      found = current;
  }
  return found;
}

bool hasLine(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// What a calendar program that keeps only the standard properties writes back.
std::string withoutOwnFields(const std::string& ics) {
  std::string out;
  for (const std::string& line : logicalLines(ics))
    if (!line.empty() && line.rfind("X-KALVORY-", 0) != 0) out += line + "\r\n";
  return out;
}

// The 1-based number of the first line that contains `needle`.
std::size_t lineOf(const std::string& text, const std::string& needle) {
  const std::size_t at = text.find(needle);
  return at == std::string::npos ? 0 : 1 + std::count(text.begin(), text.begin() + static_cast<long>(at), '\n');
}

const char* kNewYorkZone =
    "BEGIN:VTIMEZONE\r\nTZID:America/New_York\r\n"
    "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:-0500\r\nTZOFFSETTO:-0400\r\nTZNAME:EDT\r\nDTSTART:19700308T020000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=2SU\r\nEND:DAYLIGHT\r\n"
    "BEGIN:STANDARD\r\nTZOFFSETFROM:-0400\r\nTZOFFSETTO:-0500\r\nTZNAME:EST\r\nDTSTART:19701101T020000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";

TEST_F(IcalDocument, ImportsTheFormsCalendarProgramsWrite) {
  const std::string ics =
      calendar(std::string(kNewYorkZone) +
               // An all-day birthday, every year.
               event("SUMMARY:Mum's birthday\r\nDTSTART;VALUE=DATE:20260601\r\nDTEND;VALUE=DATE:20260602\r\n"
                     "RRULE:FREQ=YEARLY\r\n") +
               // A meeting in New York's time with an alarm 15 minutes before: 09:00 EDT is 16:00 in Kyiv.
               event("SUMMARY:Call\\, New York\r\nDTSTART;TZID=America/New_York:20260601T090000\r\n"
                     "DTEND;TZID=America/New_York:20260601T100000\r\n"
                     "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Reminder\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n") +
               // UTC, no alarm: rings at its start, 12:00Z is 15:00 in summer.
               event("SUMMARY:Lunch\r\nDTSTART:20260601T120000Z\r\nDURATION:PT1H\r\n") +
               // A zone named only by its TZID: 10:00 in Berlin in winter is 11:00 in Kyiv.
               event("SUMMARY:Berlin\r\nDTSTART;TZID=Europe/Berlin:20260115T100000\r\n") +
               // Weekly on three days.
               event("SUMMARY:Gym\r\nDTSTART:20260601T183000\r\nRRULE:FREQ=WEEKLY;BYDAY=MO,WE,FR\r\n") +
               // Every third day, all day.
               event("SUMMARY:Water the plants\r\nDTSTART;VALUE=DATE:20260602\r\nRRULE:FREQ=DAILY;INTERVAL=3\r\n") +
               // Every other week on its own weekday.
               event("SUMMARY:Bins\r\nDTSTART;VALUE=DATE:20260603\r\nRRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=WE\r\n") +
               // What the document cannot hold.
               event("SUMMARY:Standup\r\nDTSTART:20260601T090000\r\nRRULE:FREQ=DAILY\r\nEXDATE:20260603T090000\r\n") +
               event("SUMMARY:Course\r\nDTSTART:20260601T090000\r\nRRULE:FREQ=WEEKLY;COUNT=5\r\n") +
               event("SUMMARY:Holiday trip\r\nDTSTART;VALUE=DATE:20260701\r\nDTEND;VALUE=DATE:20260711\r\n") +
               event("SUMMARY:First Monday\r\nDTSTART;VALUE=DATE:20260601\r\nRRULE:FREQ=MONTHLY;BYDAY=1MO\r\n") +
               event("SUMMARY:Mars\r\nDTSTART;TZID=Mars/Olympus:20260601T090000\r\n"));

  CAlarmDoc doc;
  Result<IcsImport> result = icsToDocument(ics, doc, kNow);
  ASSERT_TRUE(result.ok()) << result.error();

  ASSERT_EQ(doc.alarmCount(), 4u);
  const CAlarmLine& call = *doc.GetAlarmAt(0);
  EXPECT_EQ(call.text, "Call, New York");
  EXPECT_EQ(formatLocalTime(call.time), "2026-06-01 15:45:00");
  EXPECT_EQ(call.daily, 0);
  EXPECT_EQ(formatLocalTime(doc.GetAlarmAt(1)->time), "2026-06-01 15:00:00");
  EXPECT_EQ(formatLocalTime(doc.GetAlarmAt(2)->time), "2026-01-15 11:00:00");
  const CAlarmLine& gym = *doc.GetAlarmAt(3);
  EXPECT_EQ(gym.daily, 1);
  EXPECT_EQ(gym.week_days, 2 | 8 | 32);
  EXPECT_EQ(formatLocalTime(gym.time), "2026-06-01 18:30:00");

  ASSERT_EQ(doc.dayInfoCount(), 3u);
  EXPECT_EQ(doc.GetDayInfoAt(0)->text, "Mum's birthday");
  EXPECT_EQ(doc.GetDayInfoAt(0)->repeat, CDayInfo::Annual);
  EXPECT_EQ(formatLocalTime(doc.GetDayInfoAt(0)->date), "2026-06-01 00:00:00");
  EXPECT_EQ(doc.GetDayInfoAt(1)->repeat, CDayInfo::Interval);
  EXPECT_EQ(doc.GetDayInfoAt(1)->interval_days, 3);
  EXPECT_EQ(doc.GetDayInfoAt(2)->repeat, CDayInfo::Interval);
  EXPECT_EQ(doc.GetDayInfoAt(2)->interval_days, 14);

  // An event without an alarm does not ring where it comes from, and does not ring here.
  EXPECT_EQ(call.state, ReminderState::Armed);
  EXPECT_EQ(doc.GetAlarmAt(1)->state, ReminderState::Inactive);
  const std::vector<std::string> expected{
      "event \"Standup\" (line 75): EXDATE (line 81) is not supported: a repeating reminder or day note has no "
      "exceptions or extra dates",
      "event \"Course\" (line 83): its repetition FREQ=WEEKLY;COUNT=5 ends, but a repeating reminder has no end",
      "event \"Holiday trip\" (line 90): it lasts 10 days; a day note holds one day",
      "event \"First Monday\" (line 97): the repetition FREQ=MONTHLY;BYDAY=1MO is not supported for a day note",
      "event \"Mars\" (line 104): the time zone \"Mars/Olympus\" of its DTSTART (line 108) is not known",
  };
  EXPECT_EQ(result.value().skipped, expected);
}

TEST_F(IcalDocument, OwnFileReadsBackToTheSameBytesAndBrokenInputIsRefused) {
  CAlarmDoc sample;
  EXPECT_TRUE(loadDocumentFile(sample, KALVORY_SOURCE_DIR "/examples/sample.alr").ok());
  const std::string ics = documentToIcs(sample, COleDateTime(2026, 5, 13, 10, 0, 0));
  CAlarmDoc back;
  Result<IcsImport> result = icsToDocument(ics, back, kNow);
  ASSERT_TRUE(result.ok()) << result.error();
  EXPECT_TRUE(result.value().skipped.empty());
  EXPECT_EQ(storeDocumentBytes(back), storeDocumentBytes(sample));

  // Empty texts are kept too (libical drops an empty property, so they must not be written as one).
  CAlarmDoc blank;
  blank.copy_date_format.clear();
  blank.paste_formats = {"", "%x", ""};
  blank.AddAlarm(CAlarmLine(COleDateTime(2026, 5, 13, 9, 0, 0)));
  blank.AddDayInfo(CDayInfo(COleDateTime::makeInvalid()));
  CAlarmDoc blankBack;
  result = icsToDocument(documentToIcs(blank, COleDateTime(2026, 5, 13, 10, 0, 0)), blankBack);
  ASSERT_TRUE(result.ok()) << result.error();
  EXPECT_TRUE(result.value().skipped.empty());
  EXPECT_EQ(storeDocumentBytes(blankBack), storeDocumentBytes(blank));

  // An event of this program cancelled in another one is not taken back.
  std::string cancelled = ics;
  const std::size_t eventEnd = cancelled.find("END:VEVENT\r\n");
  ASSERT_NE(eventEnd, std::string::npos);
  cancelled.insert(eventEnd, "STATUS:CANCELLED\r\n");
  CAlarmDoc withoutOne;
  result = icsToDocument(cancelled, withoutOne, kNow);
  ASSERT_TRUE(result.ok()) << result.error();
  ASSERT_EQ(result.value().skipped.size(), 1u);
  EXPECT_NE(result.value().skipped[0].find("it is cancelled (STATUS:CANCELLED, line "), std::string::npos);
  EXPECT_EQ(withoutOne.alarmCount(), sample.alarmCount() - 1);

  // A hand-edited field that no longer reads is named; the event is not half taken.
  std::string damaged = ics;
  const std::size_t at = damaged.find("X-KALVORY-WEEK-DAYS:");
  ASSERT_NE(at, std::string::npos);
  damaged.insert(at + 20, "many");
  CAlarmDoc partial;
  result = icsToDocument(damaged, partial);
  ASSERT_TRUE(result.ok());
  ASSERT_EQ(result.value().skipped.size(), 1u);
  EXPECT_NE(result.value().skipped[0].find("X-KALVORY-WEEK-DAYS is not readable"), std::string::npos);
  EXPECT_EQ(partial.alarmCount(), sample.alarmCount() - 1);

  for (const std::string& garbage : {std::string(), std::string("hello"), std::string("BEGIN:VCALENDAR\0x", 17),
                                     std::string("BEGIN:VEVENT\r\nEND:VEVENT\r\n")}) {
    CAlarmDoc doc;
    EXPECT_FALSE(icsToDocument(garbage, doc).ok());
    EXPECT_EQ(doc.alarmCount() + doc.dayInfoCount(), 0u);
  }
  // Truncated calendars read what is there without crashing.
  for (std::size_t cut = 0; cut < ics.size(); cut += 97) {
    CAlarmDoc doc;
    (void)icsToDocument(ics.substr(0, cut), doc);
  }
}

TEST_F(IcalDocument, NoSeriesRingsBeforeItStartsAndExportsStartOnARing) {
  const std::string ics = calendar(
      // A weekly course three months ahead: a repeating reminder would ring every Monday from now.
      event("SUMMARY:Course\r\nDTSTART:20270308T090000\r\nRRULE:FREQ=WEEKLY;BYDAY=MO\r\n"
            "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Course\r\nTRIGGER:-PT10M\r\nEND:VALARM\r\n") +
      event("SUMMARY:Evening class\r\nDTSTART;VALUE=DATE:20270308\r\nRRULE:FREQ=WEEKLY\r\n") +
      // Begun last week, and one that begins tonight: both ring from now on as the document rings.
      event("SUMMARY:Started\r\nDTSTART:20261130T090000\r\nRRULE:FREQ=WEEKLY;BYDAY=MO,WE\r\n"
            "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\nTRIGGER:PT0S\r\nEND:VALARM\r\n") +
      event("SUMMARY:Tonight\r\nDTSTART:20261208T180000\r\nRRULE:FREQ=DAILY\r\n"
            "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\nTRIGGER:PT0S\r\nEND:VALARM\r\n") +
      // A start that is not one of the weekdays is one more ring, still to come.
      event("SUMMARY:Odd start\r\nDTSTART:20261208T200000\r\nRRULE:FREQ=WEEKLY;BYDAY=MO\r\n"));
  CAlarmDoc doc;
  Result<IcsImport> result = icsToDocument(ics, doc, kNow);
  ASSERT_TRUE(result.ok()) << result.error();
  ASSERT_EQ(doc.alarmCount(), 2u);
  EXPECT_EQ(doc.GetAlarmAt(0)->text, "Started");
  EXPECT_EQ(doc.GetAlarmAt(0)->week_days, 2 | 8);
  EXPECT_EQ(formatLocalTime(doc.GetAlarmAt(0)->time), "2026-11-30 09:00:00");
  EXPECT_EQ(doc.GetAlarmAt(1)->week_days, 127);
  EXPECT_EQ(doc.dayInfoCount(), 0u);
  const std::vector<std::string> expected{
      "event \"Course\" (line " + std::to_string(lineOf(ics, "SUMMARY:Course") - 3) +
          "): it starts on 2027-03-08, but a repeating reminder rings from today on and would ring before then",
      "event \"Evening class\" (line " + std::to_string(lineOf(ics, "SUMMARY:Evening") - 3) +
          "): it starts on 2027-03-08, but a repeating day note shows on its days before its start as well",
      "event \"Odd start\" (line " + std::to_string(lineOf(ics, "SUMMARY:Odd") - 3) +
          "): its start, 2026-12-08, is not one of its weekdays (BYDAY=MO), so it would ring once more than a "
          "repeating reminder can",
  };
  EXPECT_EQ(result.value().skipped, expected);

  // A daily reminder set for a later date rings on its weekdays from today: the exported start is
  // its first ring after the export, on one of its weekdays, never the date it was set for.
  CAlarmDoc mine;
  CAlarmLine gym(COleDateTime(2027, 1, 15, 7, 45, 30));
  gym.daily = 1;
  gym.week_days = 2 | 8 | 32;  // Mon, Wed, Fri; the export is on a Tuesday
  mine.AddAlarm(gym);
  CAlarmLine everyDay(COleDateTime(2027, 1, 15, 6, 0, 0));
  everyDay.daily = 1;
  mine.AddAlarm(everyDay);
  CDayInfo wednesdays(COleDateTime(2026, 12, 8, 0, 0, 0));
  wednesdays.repeat = CDayInfo::Weekly;
  wednesdays.week_day = 2;
  mine.AddDayInfo(wednesdays);
  CDayInfo anniversary(COleDateTime(2028, 3, 5, 0, 0, 0));  // shows on 5 March 2027 already
  mine.AddDayInfo(anniversary);
  CDayInfo everyWeek(COleDateTime(2026, 12, 20, 0, 0, 0));
  everyWeek.repeat = CDayInfo::Interval;
  everyWeek.interval_days = 7;
  mine.AddDayInfo(everyWeek);
  const std::string out = documentToIcs(mine, kNow);
  const auto first = componentOf(out, "reminder-1@kalvory");
  EXPECT_TRUE(hasLine(first, "DTSTART:20261209T074500")) << out;
  EXPECT_TRUE(hasLine(first, "RRULE:FREQ=WEEKLY;BYDAY=MO,WE,FR")) << out;
  const auto second = componentOf(out, "reminder-2@kalvory");
  EXPECT_TRUE(hasLine(second, "DTSTART:20261208T060000")) << out;
  EXPECT_TRUE(hasLine(second, "RRULE:FREQ=DAILY")) << out;
  EXPECT_TRUE(hasLine(componentOf(out, "note-1@kalvory"), "DTSTART;VALUE=DATE:20261209")) << out;
  EXPECT_TRUE(hasLine(componentOf(out, "note-2@kalvory"), "DTSTART;VALUE=DATE:20270305")) << out;
  EXPECT_TRUE(hasLine(componentOf(out, "note-3@kalvory"), "DTSTART;VALUE=DATE:20261213")) << out;
  EXPECT_TRUE(everyWeek.matches(COleDateTime(2026, 12, 13, 0, 0, 0)));

  // Read back by a program that keeps only the standard properties, the rings are the same.
  CAlarmDoc back;
  result = icsToDocument(withoutOwnFields(out), back, kNow);
  ASSERT_TRUE(result.ok()) << result.error();
  EXPECT_TRUE(result.value().skipped.empty()) << result.value().skipped[0];
  ASSERT_EQ(back.alarmCount(), 2u);
  EXPECT_EQ(back.GetAlarmAt(0)->week_days, gym.week_days);
  EXPECT_EQ(back.GetAlarmAt(0)->time.GetHour() * 60 + back.GetAlarmAt(0)->time.GetMinute(), 7 * 60 + 45);
  EXPECT_EQ(back.GetAlarmAt(1)->week_days, 127);
}

TEST_F(IcalDocument, ZonesAreConvertedDateByDate) {
  const std::string ics = calendar(
      std::string(kNewYorkZone) +
      // Monday 23:30 in Berlin is Tuesday 00:30 here, winter and summer alike.
      event("SUMMARY:Berlin night\r\nDTSTART;TZID=Europe/Berlin:20261130T233000\r\nRRULE:FREQ=WEEKLY;BYDAY=MO\r\n"
            "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\nTRIGGER:PT0S\r\nEND:VALARM\r\n") +
      // Monday 23:30 UTC is Tuesday 01:30 here in winter and 02:30 in summer.
      event("SUMMARY:UTC night\r\nDTSTART:20261130T233000Z\r\nRRULE:FREQ=WEEKLY;BYDAY=MO\r\n") +
      // New York moves its clocks three weeks before Kyiv does.
      event("SUMMARY:New York\r\nDTSTART;TZID=America/New_York:20261201T090000\r\nRRULE:FREQ=DAILY\r\n") +
      // Once only: the date moves with the time.
      event("SUMMARY:Once\r\nDTSTART:20261130T233000Z\r\n"));
  CAlarmDoc doc;
  Result<IcsImport> result = icsToDocument(ics, doc, kNow);
  ASSERT_TRUE(result.ok()) << result.error();
  ASSERT_EQ(doc.alarmCount(), 2u);
  EXPECT_EQ(doc.GetAlarmAt(0)->week_days, 4);  // Tuesday
  EXPECT_EQ(formatLocalTime(doc.GetAlarmAt(0)->time), "2026-12-01 00:30:00");
  EXPECT_EQ(doc.GetAlarmAt(1)->daily, 0);
  EXPECT_EQ(formatLocalTime(doc.GetAlarmAt(1)->time), "2026-12-01 01:30:00");
  ASSERT_EQ(result.value().skipped.size(), 2u);
  EXPECT_EQ(result.value().skipped[0],
            "event \"UTC night\" (line " + std::to_string(lineOf(ics, "SUMMARY:UTC") - 3) +
                "): here it would ring at 01:30 on some dates and at 02:30 on others (its time zone changes the "
                "clock on other dates than this computer's), but a repeating reminder rings at one time of day");
  EXPECT_NE(result.value().skipped[1].find("\"New York\" (line " + std::to_string(lineOf(ics, "SUMMARY:New") - 3) +
                                           "): here it would ring at 16:00 on some dates and at 15:00 on others"),
            std::string::npos)
      << result.value().skipped[1];
}

TEST_F(IcalDocument, SwitchedOffRemindersStaySwitchedOffThroughOtherPrograms) {
  CAlarmDoc mine;
  CAlarmLine off(COleDateTime(2026, 12, 20, 9, 0, 0));
  off.text = "Off";
  off.state = ReminderState::Inactive;
  mine.AddAlarm(off);
  CAlarmLine on(COleDateTime(2026, 12, 21, 9, 0, 0));
  on.text = "On";
  mine.AddAlarm(on);
  CAlarmLine dailyOff(COleDateTime(2026, 12, 1, 7, 0, 0));
  dailyOff.daily = 1;
  dailyOff.state = ReminderState::Inactive;
  mine.AddAlarm(dailyOff);
  CAlarmDoc back;
  Result<IcsImport> result = icsToDocument(withoutOwnFields(documentToIcs(mine, kNow)), back, kNow);
  ASSERT_TRUE(result.ok()) << result.error();
  ASSERT_EQ(back.alarmCount(), 3u);
  EXPECT_EQ(back.GetAlarmAt(0)->state, ReminderState::Inactive);
  EXPECT_EQ(back.GetAlarmAt(0)->time, off.time);
  EXPECT_EQ(back.GetAlarmAt(1)->state, ReminderState::Armed);
  EXPECT_EQ(back.GetAlarmAt(1)->time, on.time);
  EXPECT_EQ(back.GetAlarmAt(2)->state, ReminderState::Inactive);
  EXPECT_EQ(back.GetAlarmAt(2)->daily, 1);
}

TEST_F(IcalDocument, EverythingNotImportedAsItStandsIsNamedWithItsLine) {
  const std::string alarm = "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\n";
  const std::string ics = calendar(
      "BEGIN:VTODO\r\nUID:t@example.org\r\nDTSTAMP:20260501T000000Z\r\nSUMMARY:Pay rent\r\nDUE:20261215T120000\r\n" +
      alarm + "TRIGGER:-PT1H\r\nEND:VALARM\r\nEND:VTODO\r\n" +
      "BEGIN:VJOURNAL\r\nUID:j@example.org\r\nDTSTAMP:20260501T000000Z\r\nSUMMARY:Diary\r\nEND:VJOURNAL\r\n" +
      "BEGIN:VFREEBUSY\r\nUID:f@example.org\r\nDTSTAMP:20260501T000000Z\r\nEND:VFREEBUSY\r\n" +
      event("SUMMARY:Fortnight\r\nDTSTART:20261201T090000\r\nRRULE:FREQ=FORTNIGHTLY\r\n") +
      event("SUMMARY:Soon\r\nDTSTART:20261210T090000\r\n" + alarm + "TRIGGER:soon\r\nEND:VALARM\r\n") +
      event("SUMMARY:Called off\r\nDTSTART:20261210T090000\r\nSTATUS:CANCELLED\r\n" + alarm +
            "TRIGGER:PT0S\r\nEND:VALARM\r\n") +
      event("SUMMARY:Mail me\r\nDTSTART:20261210T090000\r\nBEGIN:VALARM\r\nACTION:EMAIL\r\nSUMMARY:s\r\n"
            "DESCRIPTION:d\r\nATTENDEE:mailto:a@example.org\r\nTRIGGER:-P1D\r\nEND:VALARM\r\n") +
      event("SUMMARY:Caf\xE9\r\nDTSTART:20261210T090000\r\n") +
      event("SUMMARY:Long ago\r\nDTSTART:20261210T090000\r\n" + alarm + "TRIGGER:-P100000W\r\nEND:VALARM\r\n") +
      event("SUMMARY:Two alarms\r\nDTSTART:20261210T090000\r\n" + alarm + "TRIGGER:-PT5M\r\nEND:VALARM\r\n" + alarm +
            "TRIGGER:-PT1H\r\nEND:VALARM\r\n") +
      event("SUMMARY:Birthday\r\nDTSTART;VALUE=DATE:20261210\r\n" + alarm + "TRIGGER:-PT15H\r\nEND:VALARM\r\n") +
      event("SUMMARY:Extra dates\r\nDTSTART:20261201T090000\r\nRRULE:FREQ=WEEKLY\r\n"
            "RDATE:20261203T090000,20261205T090000\r\n") +
      // What is imported: an absolute alarm in UTC, one before the end, and a shown and sounded
      // alarm at the same moment (as some programs write one alarm).
      event("SUMMARY:Absolute\r\nDTSTART:20261210T120000Z\r\n"
            "BEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER;VALUE=DATE-TIME:20261210T080000Z\r\nEND:VALARM\r\n") +
      event("SUMMARY:Before the end\r\nDTSTART:20261211T100000\r\nDTEND:20261211T110000\r\n" + alarm +
            "TRIGGER;RELATED=END:-PT5M\r\nEND:VALARM\r\n") +
      event("SUMMARY:Both\r\nDTSTART:20261212T100000\r\n" + alarm +
            "TRIGGER:-PT10M\r\nEND:VALARM\r\nBEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER:-PT10M\r\nEND:VALARM\r\n"));
  CAlarmDoc doc;
  Result<IcsImport> result = icsToDocument(ics, doc, kNow);
  ASSERT_TRUE(result.ok()) << result.error();
  ASSERT_EQ(doc.alarmCount(), 3u);
  EXPECT_EQ(formatLocalTime(doc.GetAlarmAt(0)->time), "2026-12-10 10:00:00");
  EXPECT_EQ(formatLocalTime(doc.GetAlarmAt(1)->time), "2026-12-11 10:55:00");
  EXPECT_EQ(formatLocalTime(doc.GetAlarmAt(2)->time), "2026-12-12 09:50:00");
  EXPECT_EQ(doc.dayInfoCount(), 0u);
  const auto at = [&](const std::string& needle, int back) { return std::to_string(lineOf(ics, needle) - back); };
  const std::vector<std::string> expected{
      "to-do \"Pay rent\" (line " + at("BEGIN:VTODO", 0) +
          "): to-dos are not imported; the document holds reminders and day notes",
      "journal entry \"Diary\" (line " + at("BEGIN:VJOURNAL", 0) +
          "): journal entries are not imported; the document holds reminders and day notes",
      "VFREEBUSY (line " + at("BEGIN:VFREEBUSY", 0) + "): components of this kind are not imported",
      "event \"Fortnight\" (line " + at("SUMMARY:Fortnight", 3) + "): its RRULE \"FREQ=FORTNIGHTLY\" (line " +
          at("FREQ=FORTNIGHTLY", 0) + ") has FREQ=FORTNIGHTLY, which is no repetition iCalendar knows",
      "event \"Soon\" (line " + at("SUMMARY:Soon", 3) + "): its alarm's TRIGGER \"soon\" (line " +
          at("TRIGGER:soon", 0) + ") is not readable",
      "event \"Called off\" (line " + at("SUMMARY:Called", 3) + "): it is cancelled (STATUS:CANCELLED, line " +
          at("STATUS:CANCELLED", 0) + ")",
      "event \"Mail me\" (line " + at("SUMMARY:Mail", 3) + "): its EMAIL alarm (line " + at("ACTION:EMAIL", 1) +
          ") sends mail, which this program cannot do",
      "event \"x@example.org\" (line " + at("SUMMARY:Caf", 3) + "): line " + at("SUMMARY:Caf", 0) +
          " is not UTF-8 text",
      "event \"Long ago\" (line " + at("SUMMARY:Long", 3) + "): its alarm's TRIGGER \"-P100000W\" (line " +
          at("TRIGGER:-P100000W", 0) + ") is more than a year away from the event",
      "event \"Two alarms\" (line " + at("SUMMARY:Two", 3) + "): its alarms ring at different times (lines " +
          at("TRIGGER:-PT5M", 0) + " and " + at("TRIGGER:-PT1H\r\nEND:VALARM\r\nEND:VEVENT", 0) +
          "); a reminder rings once",
      "event \"Birthday\" (line " + at("SUMMARY:Birthday", 3) +
          "): it is all day and has an alarm, but a day note does not ring (line " + at("TRIGGER:-PT15H", 0) + ")",
      "event \"Extra dates\" (line " + at("SUMMARY:Extra", 3) + "): RDATE (line " + at("RDATE:", 0) +
          ") is not supported: a repeating reminder or day note has no exceptions or extra dates",
  };
  EXPECT_EQ(result.value().skipped, expected);
}

TEST_F(IcalDocument, ExportWritesOnlyWhatTheFormatAllows) {
  CAlarmDoc mine;
  CAlarmLine marked(COleDateTime(2026, 12, 20, 9, 0, 0));
  marked.text =
      "A\xC2\x81raised\xC2\x82 \x07"
      "bell\x1B esc\x7F, semi; back\\slash\r\nnext "
      "\xD0\xB4\xD0\xBE\xD0\xBB\xD0\xB3\xD0\xB8\xD0\xB9 \xD1\x82\xD0\xB5\xD0\xBA\xD1\x81\xD1\x82 "
      "\xD0\xB4\xD0\xBE\xD0\xBB\xD0\xB3\xD0\xB8\xD0\xB9 \xD1\x82\xD0\xB5\xD0\xBA\xD1\x81\xD1\x82";
  mine.AddAlarm(marked);
  CAlarmLine never(COleDateTime(2026, 12, 20, 9, 0, 0));
  never.daily = 1;
  never.week_days = 0;
  mine.AddAlarm(never);
  CDayInfo lines(COleDateTime(2026, 12, 24, 0, 0, 0));
  lines.text = "Line one\nLine two";
  lines.repeat = CDayInfo::Once;
  mine.AddDayInfo(lines);
  const std::string out = documentToIcs(mine, kNow);

  std::size_t start = 0;
  while (start < out.size()) {
    const std::size_t end = out.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    const std::string line = out.substr(start, end - start);
    EXPECT_LE(line.size(), 75u) << line;
    for (std::size_t i = 0; i < line.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(line[i]);
      EXPECT_TRUE(c >= 0x20 && c != 0x7F) << line;
      EXPECT_FALSE(c == 0xC2 && i + 1 < line.size() && static_cast<unsigned char>(line[i + 1]) < 0xA0) << line;
    }
    // A fold never splits a character.
    EXPECT_FALSE(line.size() > 1 && (static_cast<unsigned char>(line[1]) & 0xC0) == 0x80 && line[0] == ' ') << line;
    start = end + 2;
  }
  const auto first = componentOf(out, "reminder-1@kalvory");
  EXPECT_TRUE(hasLine(first,
                      "SUMMARY:Araised bell esc\\, semi\\; back\\\\slash next \xD0\xB4\xD0\xBE\xD0\xBB\xD0\xB3\xD0\xB8"
                      "\xD0\xB9 \xD1\x82\xD0\xB5\xD0\xBA\xD1\x81\xD1\x82 \xD0\xB4\xD0\xBE\xD0\xBB\xD0\xB3\xD0\xB8\xD0"
                      "\xB9 \xD1\x82\xD0\xB5\xD0\xBA\xD1\x81\xD1\x82"))
      << out;
  const auto note = componentOf(out, "note-1@kalvory");
  EXPECT_TRUE(hasLine(note, "SUMMARY:Line one Line two")) << out;
  EXPECT_TRUE(hasLine(note, "DESCRIPTION:Line one\\nLine two")) << out;
  // A daily reminder without weekdays never rings: no start, no repetition, no alarm.
  const auto silent = componentOf(out, "reminder-2@kalvory");
  ASSERT_FALSE(silent.empty());
  EXPECT_EQ(silent.front(), "BEGIN:VJOURNAL");
  for (const std::string& line : silent)
    EXPECT_TRUE(line.rfind("DTSTART", 0) != 0 && line.rfind("RRULE", 0) != 0 && line != "BEGIN:VALARM") << line;

  CAlarmDoc back;
  Result<IcsImport> result = icsToDocument(out, back, kNow);
  ASSERT_TRUE(result.ok()) << result.error();
  EXPECT_EQ(storeDocumentBytes(back), storeDocumentBytes(mine));
}

TEST_F(IcalDocument, BrokenStructureIsRefusedWithItsLine) {
  CAlarmDoc lower;
  Result<IcsImport> result = icsToDocument(
      "begin:vcalendar\nversion:2.0\nbegin:vevent\nuid:a\ndtstart:20261201T090000\nsummary:Lower\nend:vevent\n"
      "end:vcalendar\n",
      lower, kNow);
  ASSERT_TRUE(result.ok()) << result.error();
  ASSERT_EQ(lower.alarmCount(), 1u);
  EXPECT_EQ(lower.GetAlarmAt(0)->text, "Lower");

  const std::string head = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:a\r\n";
  const std::pair<std::string, std::string> cases[] = {
      {std::string("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nSUMMARY:a\0b\r\n", 41),
       "line 3: a NUL byte; an iCalendar file is text"},
      {head + "DTSTART:20261201T090000\r\nEND:VCALENDAR\r\n",
       "line 6: END:VCALENDAR does not close BEGIN:VEVENT of line 3"},
      {head + "DTSTART:20261201T090000\r\n", "line 3: BEGIN:VEVENT has no END:VEVENT (the file ends at line 5)"},
      {head + "END:VEVENT\r\n", "line 1: BEGIN:VCALENDAR has no END:VCALENDAR (the file ends at line 5)"},
      {head + "this line has no colon\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
       "line 5: there is no \":\" after THIS (\"this line has no colon\")"},
      {"hello\r\n", "not an iCalendar file: line 1 is \"hello\" where BEGIN:VCALENDAR should be"},
      {"", "not an iCalendar file: there is no BEGIN:VCALENDAR"},
  };
  for (const auto& [text, message] : cases) {
    CAlarmDoc doc;
    result = icsToDocument(text, doc, kNow);
    ASSERT_FALSE(result.ok()) << message;
    EXPECT_EQ(result.error(), message);
    EXPECT_EQ(doc.alarmCount() + doc.dayInfoCount(), 0u);
  }

  // A long text folded into many lines comes back whole.
  std::string folded = "SUMMARY:";
  std::string text;
  for (int i = 0; i < 200000; ++i) text += static_cast<char>('a' + i % 26);
  for (std::size_t i = 0; i < text.size(); i += 74) folded += text.substr(i, 74) + "\r\n ";
  folded.resize(folded.size() - 1);
  CAlarmDoc longDoc;
  result = icsToDocument(calendar(event("DTSTART:20261201T090000\r\n" + folded)), longDoc, kNow);
  ASSERT_TRUE(result.ok()) << result.error();
  ASSERT_EQ(longDoc.alarmCount(), 1u);
  EXPECT_EQ(longDoc.GetAlarmAt(0)->text, text);
}

// A folder of its own under the system's temporary folder, removed afterwards.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kalvory-ical-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TEST_F(IcalDocument, RecordsKeepTheirUidsForTheirWholeLife) {
  TemporaryFolder folder;
  ASSERT_FALSE(folder.path().empty());
  const std::string store = icsUidStoreFile(folder.path(), "/home/user/week.alr");
  CAlarmDoc doc;
  for (const char* text : {"First", "Second", "Third"}) {
    CAlarmLine line(COleDateTime(2026, 12, 20, 9, 0, 0));
    line.text = text;
    doc.AddAlarm(line);
  }
  CDayInfo note(COleDateTime(2026, 12, 24, 0, 0, 0));
  note.text = "Eve";
  doc.AddDayInfo(note);
  std::string problem;
  const IcsUids first = keepIcsUids(doc, store, problem);
  ASSERT_TRUE(problem.empty()) << problem;
  ASSERT_EQ(first.reminders.size(), 3u);
  EXPECT_NE(first.reminders[0], first.reminders[1]);
  EXPECT_EQ(first.reminders[0].find("reminder-"), std::string::npos);
  EXPECT_TRUE(hasLine(componentOf(documentToIcs(doc, kNow, first), first.reminders[2]), "SUMMARY:Third"));

  // Delete the first, edit the third, add one; then save and load the document.
  doc.RemoveAlarm(0);
  CAlarmLine edited = *doc.GetAlarmAt(1);
  edited.text = "Third, moved to ten";
  edited.time = COleDateTime(2026, 12, 20, 10, 0, 0);
  doc.ReplaceAlarm(edited, 1);
  CAlarmLine added(COleDateTime(2026, 12, 22, 9, 0, 0));
  added.text = "Fourth";
  doc.AddAlarm(added);
  CAlarmDoc reloaded;
  loadDocumentBytes(reloaded, storeDocumentBytes(doc));
  const IcsUids second = keepIcsUids(reloaded, store, problem);
  ASSERT_EQ(second.reminders.size(), 3u);
  EXPECT_EQ(second.reminders[0], first.reminders[1]);
  EXPECT_EQ(second.reminders[1], first.reminders[2]);
  EXPECT_NE(second.reminders[2], first.reminders[0]);
  EXPECT_EQ(second.notes, first.notes);
  EXPECT_EQ(keepIcsUids(reloaded, store, problem).reminders, second.reminders);

  // The same records in another document are other events.
  const IcsUids other = keepIcsUids(reloaded, icsUidStoreFile(folder.path(), "/home/user/other.alr"), problem);
  EXPECT_NE(other.reminders[0], second.reminders[0]);

  // Known 1 2 3 4, now 2 5 4: 5 is 3 edited in its place.
  const std::vector<std::string> matched = matchRecordUids({1, 2, 3, 4}, {"a", "b", "c", "d"}, {2, 5, 4});
  EXPECT_EQ(matched, (std::vector<std::string>{"b", "c", "d"}));

  // A calendar's own UIDs stay with the records made from it.
  const std::string ics = calendar(event("SUMMARY:Meeting\r\nDTSTART:20261210T090000\r\n"));
  CAlarmDoc imported;
  Result<IcsImport> result = icsToDocument(ics, imported, kNow);
  ASSERT_TRUE(result.ok());
  ASSERT_EQ(result.value().uids.reminders, std::vector<std::string>{"x@example.org"});
  const std::string importedStore = icsUidStoreFile(folder.path(), "/home/user/imported.alr");
  ASSERT_TRUE(rememberIcsUids(imported, result.value().uids, importedStore, problem)) << problem;
  EXPECT_EQ(keepIcsUids(imported, importedStore, problem).reminders, std::vector<std::string>{"x@example.org"});
}

}  // namespace
}  // namespace kalvory
