// The reminder document as iCalendar: what other calendar programs write comes in as reminders and
// day notes, and what the document cannot hold is named, never bent into something else.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

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

std::string calendar(const std::string& body) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Hand//Written//EN\r\n" + body + "END:VCALENDAR\r\n";
}

std::string event(const std::string& lines) {
  return "BEGIN:VEVENT\r\nUID:x@example.org\r\nDTSTAMP:20260501T000000Z\r\n" + lines + "END:VEVENT\r\n";
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
  Result<IcsImport> result = icsToDocument(ics, doc);
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

  const std::vector<std::string> expected{
      "event \"Standup\": EXDATE is not supported",
      "event \"Course\": the repetition FREQ=WEEKLY;COUNT=5 is not supported for a reminder",
      "event \"Holiday trip\": it lasts 10 days; a day note holds one day",
      "event \"First Monday\": the repetition FREQ=MONTHLY;BYDAY=1MO is not supported for a day note",
      "event \"Mars\": the time zone \"Mars/Olympus\" is not known",
  };
  EXPECT_EQ(result.value().skipped, expected);
}

TEST_F(IcalDocument, OwnFileReadsBackToTheSameBytesAndBrokenInputIsRefused) {
  CAlarmDoc sample;
  loadDocumentFile(sample, KALVORY_SOURCE_DIR "/examples/sample.alr");
  const std::string ics = documentToIcs(sample, COleDateTime(2026, 5, 13, 10, 0, 0));
  CAlarmDoc back;
  Result<IcsImport> result = icsToDocument(ics, back);
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

}  // namespace
}  // namespace kalvory
