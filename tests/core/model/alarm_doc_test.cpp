#include "core/model/alarm_doc.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "byte_builder.h"
#include "core/model/archive.h"
#include "core/model/document_file.h"

namespace kalvory {
namespace {

using test::Bytes;
using test::defaultSettingsTail;

COleDateTime at(int day, int hour, int minute, int second = 0) {
  return COleDateTime(2026, 5, day, hour, minute, second);
}
const COleDateTime kNow = at(13, 10, 0);  // Wednesday

CAlarmLine reminder(const std::string& text, const COleDateTime& time, int showSeconds = 60) {
  CAlarmLine line(time, showSeconds);
  line.text = text;
  return line;
}

CDayInfo dayNote(const std::string& text, const COleDateTime& date, CDayInfo::Repeat repeat = CDayInfo::Once) {
  CDayInfo info(date);
  info.text = text;
  info.repeat = repeat;
  return info;
}

// ---------------------------------------------------------------- the stored layout

TEST(AlarmDocFormat, AnEmptyDocumentWithTheDefaultsIs43Bytes) {
  const CAlarmDoc doc;
  const std::string bytes = storeDocumentBytes(doc);
  EXPECT_EQ(bytes, Bytes().word(0).word(0).append(defaultSettingsTail()).str());
  EXPECT_EQ(bytes.size(), 43u);

  CAlarmDoc loaded;
  loaded.copy_date_format = "x";
  loaded.paste_formats.clear();
  loaded.countdown_target = COleDateTime::makeNull();
  loadDocumentBytes(loaded, bytes);
  EXPECT_EQ(loaded.copy_date_format, "%m/%d/%Y");
  EXPECT_EQ(loaded.paste_formats, (std::vector<std::string>{"%Y%d%m", "%x %X", "%V"}));
  EXPECT_EQ(loaded.countdown_target, COleDateTime());
}

TEST(AlarmDocFormat, RecordsAreWrittenFieldByFieldWithClassAndObjectNumbers) {
  CAlarmDoc doc;
  CAlarmLine line = reminder("Hi", COleDateTime::fromDays(46155.5));
  line.timer_mode = 1;
  line.daily = 0;
  line.state = ReminderState::TurnedOff;
  line.sound_file = "a.mp3";
  line.timer_minutes = 90;
  line.program = "xterm";
  line.exit_action = 4;
  line.week_days = 0x3E;
  line.show_seconds = 30;
  line.osd = 0;
  line.notifier = "N";
  line.wallpaper = "W";
  line.sticker = "S";
  doc.AddAlarm(line);
  CDayInfo note = dayNote("Day", COleDateTime::fromDays(46156.0), CDayInfo::Interval);
  note.week_day = 3;
  note.interval_days = 14;
  note.event_type = CDayInfo::ToDo;
  note.block_changer = true;
  note.sticker = "K";
  note.wallpaper = "P";
  doc.AddDayInfo(note);

  const Bytes alarmFields = Bytes()
                                .dateTime(0, 46155.5)
                                .i32(1)  // timer_mode
                                .i32(0)  // daily
                                .i32(2)  // state
                                .shortString("Hi")
                                .shortString("a.mp3")
                                .i32(90)  // timer_minutes
                                .shortString("xterm")
                                .i32(4)     // exit_action
                                .i32(0x3E)  // week_days
                                .i32(30)    // show_seconds
                                .i32(0)     // osd
                                .shortString("N")
                                .shortString("W")
                                .shortString("S");
  const Bytes noteFields = Bytes()
                               .shortString("Day")
                               .dateTime(0, 46156.0)
                               .i32(3)   // week_day
                               .i32(14)  // interval_days
                               .i32(CDayInfo::Interval)
                               .i32(CDayInfo::ToDo)
                               .byte(1)  // block_changer
                               .shortString("K")
                               .shortString("P");
  EXPECT_EQ(storeDocumentBytes(doc), Bytes()
                                         .word(1)
                                         .newClass(12, "CAlarmLine")
                                         .append(alarmFields)
                                         .word(1)
                                         .newClass(12, "CDayInfo")
                                         .append(noteFields)
                                         .append(defaultSettingsTail())
                                         .str());

  // A second note refers to class 3 ("CAlarmLine" 1, the reminder 2); a second reminder to class 1.
  doc.AddDayInfo(note);
  EXPECT_EQ(storeDocumentBytes(doc), Bytes()
                                         .word(1)
                                         .newClass(12, "CAlarmLine")
                                         .append(alarmFields)
                                         .word(2)
                                         .newClass(12, "CDayInfo")
                                         .append(noteFields)
                                         .word(0x8003)
                                         .append(noteFields)
                                         .append(defaultSettingsTail())
                                         .str());
  doc.AddAlarm(line);
  const std::string twoEach = storeDocumentBytes(doc);
  const std::size_t secondAlarm = 2 + 16 + alarmFields.size();
  const std::size_t firstNote = secondAlarm + 2 + alarmFields.size() + 2;
  EXPECT_EQ(twoEach.substr(secondAlarm, 2), Bytes().word(0x8001).str());
  EXPECT_EQ(twoEach.substr(firstNote, 14), Bytes().newClass(12, "CDayInfo").str());
  EXPECT_EQ(twoEach.substr(firstNote + 14 + noteFields.size(), 2), Bytes().word(0x8004).str());

  // With no reminders the note class is number 1.
  CAlarmDoc notesOnly;
  notesOnly.AddDayInfo(note);
  notesOnly.AddDayInfo(note);
  const std::string notes = storeDocumentBytes(notesOnly);
  EXPECT_EQ(notes.substr(2 + 2 + 14 + noteFields.size(), 2), Bytes().word(0x8001).str());

  // Older schemas write fewer fields.
  CAlarmDoc::StoreOptions old;
  old.alarmSchema = 9;
  old.dayInfoSchema = 11;
  CAlarmDoc oneEach;
  oneEach.AddAlarm(line);
  oneEach.AddDayInfo(note);
  // Schema 9 stops after week_days (51 bytes here), schema 11 of a note after event_type (32 bytes).
  EXPECT_EQ(storeDocumentBytes(oneEach, old), Bytes()
                                                  .word(1)
                                                  .newClass(9, "CAlarmLine")
                                                  .raw(alarmFields.str().substr(0, 51))
                                                  .word(1)
                                                  .newClass(11, "CDayInfo")
                                                  .raw(noteFields.str().substr(0, 32))
                                                  .append(defaultSettingsTail())
                                                  .str());
}

TEST(AlarmDocFormat, EveryFieldSurvivesAStoreAndLoadAndAResaveIsByteIdentical) {
  CAlarmDoc doc;
  CAlarmLine line = reminder(
      "Привет \xC2\x80J \xC2\x81"
      "2\xC2\x82 日本 \xD0\x82",
      at(20, 7, 45, 12), 90061);
  line.timer_mode = 7;  // kept as stored, not squeezed to 0/1
  line.daily = 1;
  line.state = ReminderState::Inactive;
  line.sound_file = std::string(300, 's');
  line.timer_minutes = -5;
  line.program = "/usr/bin/xmessage «ok»";
  line.exit_action = 2;
  line.week_days = 0x55;
  line.osd = 0;
  line.notifier = "Синий";
  line.wallpaper = std::string(70000, 'w');
  line.sticker = "\xF0\x9F\x98\x80";
  doc.AddAlarm(line);
  CAlarmLine odd = reminder("", COleDateTime::makeNull());
  odd.state = static_cast<ReminderState>(-3);  // a number outside the three states is kept as it is
  doc.AddAlarm(odd);
  CDayInfo note = dayNote("День рождения\r\nБабушки", COleDateTime(-1.25, COleDateTime::invalid), CDayInfo::Weekly);
  note.week_day = 6;
  note.interval_days = 0;
  note.event_type = CDayInfo::Anniversary;
  note.block_changer = true;
  note.sticker = "Ёлка";
  note.wallpaper = "/home/me/Картинки/ель.png";
  doc.AddDayInfo(note);
  doc.copy_date_format = "%d.%m.%Y ☺";
  doc.paste_formats = {"a", "", "Ünïcödé", std::string(256, 'p')};
  doc.countdown_target = COleDateTime(2030, 1, 1, 0, 0, 0);

  const std::string bytes = storeDocumentBytes(doc);
  CAlarmDoc loaded;
  loadDocumentBytes(loaded, bytes);
  ASSERT_EQ(loaded.alarmCount(), 2u);
  const CAlarmLine& back = *loaded.GetAlarmAt(0);
  EXPECT_EQ(back.time, line.time);
  EXPECT_EQ(back.timer_mode, 7);
  EXPECT_EQ(back.daily, 1);
  EXPECT_EQ(back.state, ReminderState::Inactive);
  EXPECT_EQ(back.text, line.text);
  EXPECT_EQ(back.sound_file, line.sound_file);
  EXPECT_EQ(back.timer_minutes, -5);
  EXPECT_EQ(back.program, line.program);
  EXPECT_EQ(back.exit_action, 2);
  EXPECT_EQ(back.week_days, 0x55);
  EXPECT_EQ(back.show_seconds, 90061);
  EXPECT_EQ(back.osd, 0);
  EXPECT_EQ(back.notifier, line.notifier);
  EXPECT_EQ(back.wallpaper, line.wallpaper);
  EXPECT_EQ(back.sticker, line.sticker);
  EXPECT_EQ(loaded.GetAlarmAt(1)->time.GetStatus(), COleDateTime::null);
  EXPECT_EQ(static_cast<int>(loaded.GetAlarmAt(1)->state), -3);
  ASSERT_EQ(loaded.dayInfoCount(), 1u);
  const CDayInfo& backNote = *loaded.GetDayInfoAt(0);
  EXPECT_EQ(backNote.text, note.text);
  EXPECT_EQ(backNote.date.days(), -1.25);
  EXPECT_EQ(backNote.date.GetStatus(), COleDateTime::invalid);
  EXPECT_EQ(backNote.week_day, 6);
  EXPECT_EQ(backNote.interval_days, 0);
  EXPECT_EQ(backNote.repeat, CDayInfo::Weekly);
  EXPECT_EQ(backNote.event_type, CDayInfo::Anniversary);
  EXPECT_TRUE(backNote.block_changer);
  EXPECT_EQ(backNote.sticker, note.sticker);
  EXPECT_EQ(backNote.wallpaper, note.wallpaper);
  EXPECT_EQ(loaded.copy_date_format, doc.copy_date_format);
  EXPECT_EQ(loaded.paste_formats, doc.paste_formats);
  EXPECT_EQ(loaded.countdown_target, doc.countdown_target);
  EXPECT_EQ(storeDocumentBytes(loaded), bytes);
}

// ---------------------------------------------------------------- damaged input

Bytes documentWithEverything() {
  return Bytes()
      .word(2)
      .newClass(12, "CAlarmLine")
      .dateTime(0, 46155.5)
      .i32(0)
      .i32(1)
      .i32(1)
      .bytes({0xFF, 0xFE, 0xFF, 2})
      .word(0x263A)
      .word('x')
      .byte(0xFF)
      .word(300)
      .raw(std::string(300, 'q'))
      .i32(0)
      .byte(0)
      .i32(0)
      .i32(127)
      .i32(60)
      .i32(1)
      .byte(0)
      .byte(0)
      .byte(0)
      .word(0x0002)  // the same reminder again, as a copy
      .word(0xFFFF)
      .dword(3)
      .word(0)  // a null note
      .newClass(11, "CDayInfo")
      .shortString("\xC4\xE5\xED\xFC")
      .dateTime(0, 46156.0)
      .i32(0)
      .i32(1)
      .i32(4)
      .i32(0)
      .word(0x7FFF)
      .dword(0x80000003)
      .shortString("b")
      .dateTime(2, 0.0)
      .i32(0)
      .i32(1)
      .i32(0)
      .i32(0)
      .shortString("%d")
      .word(1)
      .shortString("%H")
      .dateTime(0, 1.5);
}

TEST(AlarmDocLoad, AHandBuiltDocumentWithNullsCopiesAndOldSchemas) {
  CAlarmDoc doc;
  doc.newReminderShowSeconds = 33;
  loadDocumentBytes(doc, documentWithEverything().str());
  ASSERT_EQ(doc.alarmCount(), 2u);
  EXPECT_EQ(doc.GetAlarmAt(0)->text, "\xE2\x98\xBAx");
  EXPECT_EQ(doc.GetAlarmAt(1)->sound_file, std::string(300, 'q'));
  EXPECT_NE(doc.GetAlarmAt(0), doc.GetAlarmAt(1));
  ASSERT_EQ(doc.dayInfoCount(), 2u) << "the null element is skipped";
  EXPECT_EQ(doc.GetDayInfoAt(0)->text, "День");
  EXPECT_EQ(doc.GetDayInfoAt(1)->date.GetStatus(), COleDateTime::null);
  EXPECT_EQ(doc.copy_date_format, "%d");
  EXPECT_EQ(doc.paste_formats, std::vector<std::string>{"%H"});
  EXPECT_EQ(doc.countdown_target.days(), 1.5);
  EXPECT_FALSE(doc.IsModified());
}

TEST(AlarmDocLoad, EveryTruncationIsAnErrorAndLeavesTheOpenDocumentAsItWas) {
  const std::string whole = documentWithEverything().str();
  CAlarmDoc doc;
  doc.AddAlarm(reminder("keep me", kNow));
  doc.AddDayInfo(dayNote("and me", kNow));
  doc.copy_date_format = "%Y";
  doc.SetModifiedFlag(true);
  const std::string before = storeDocumentBytes(doc);
  for (std::size_t length = 0; length < whole.size(); ++length) {
    try {
      loadDocumentBytes(doc, std::string_view(whole).substr(0, length));
      ADD_FAILURE() << "a file cut at " << length << " bytes loaded";
    } catch (const ArchiveError& error) {
      EXPECT_LE(error.offset(), length);
      EXPECT_FALSE(error.reason().empty());
    }
    ASSERT_EQ(storeDocumentBytes(doc), before) << length;
  }
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.GetFirstAlarm()->text, "keep me");
}

TEST(AlarmDocLoad, AbsurdListCountsAndTrailingBytes) {
  CAlarmDoc doc;
  try {
    loadDocumentBytes(doc, Bytes().word(0xFFFF).dword(0x7FFFFFFF).word(0));
    FAIL();
  } catch (const ArchiveError& error) {
    EXPECT_EQ(error.offset(), 0u);
    EXPECT_NE(error.reason().find("2147483647 reminders"), std::string::npos) << error.reason();
  }
  try {
    loadDocumentBytes(doc, Bytes().word(0).word(40).append(defaultSettingsTail()));
    FAIL();
  } catch (const ArchiveError& error) {
    EXPECT_EQ(error.offset(), 2u);
  }
  // Bytes after the document are left alone, as the framework's reader did.
  loadDocumentBytes(doc, Bytes().word(0).word(0).append(defaultSettingsTail()).raw("extra"));
}

// ---------------------------------------------------------------- list operations

TEST(AlarmDocLists, CursorWalksIndexesAndModifiedFlag) {
  CAlarmDoc doc;
  EXPECT_EQ(doc.GetFirstAlarm(), nullptr);
  EXPECT_EQ(doc.GetNextAlarm(), nullptr);
  EXPECT_FALSE(doc.IsModified());
  for (const char* text : {"a", "b", "c", "d"}) doc.AddAlarm(reminder(text, kNow));
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.GetFirstAlarm()->text, "a");
  EXPECT_EQ(doc.GetNextAlarm()->text, "b");
  // Removing the record just walked past keeps the walk in step.
  doc.RemoveAlarm(1);
  EXPECT_EQ(doc.GetNextAlarm()->text, "c");
  EXPECT_EQ(doc.GetNextAlarm()->text, "d");
  EXPECT_EQ(doc.GetNextAlarm(), nullptr);
  EXPECT_EQ(doc.GetAlarmAt(0)->text, "a");
  EXPECT_EQ(doc.GetAlarmAt(2)->text, "d");
  EXPECT_EQ(doc.GetAlarmAt(3), nullptr);
  EXPECT_EQ(doc.GetAlarmAt(-1), nullptr);

  doc.SetModifiedFlag(false);
  doc.RemoveAlarm(3);
  doc.RemoveAlarm(-1);
  EXPECT_FALSE(doc.IsModified()) << "out of range: nothing happens";
  EXPECT_EQ(doc.alarmCount(), 3u);
  doc.RemoveAllAlarms();
  EXPECT_EQ(doc.alarmCount(), 0u);
  EXPECT_FALSE(doc.IsModified()) << "remove all leaves the flag alone";

  for (const char* text : {"x", "y"}) doc.AddDayInfo(dayNote(text, kNow));
  EXPECT_EQ(doc.GetFirstDayInfo()->text, "x");
  EXPECT_EQ(doc.GetNextDayInfo()->text, "y");
  EXPECT_EQ(doc.GetNextDayInfo(), nullptr);
  doc.RemoveDayInfo(0);
  EXPECT_EQ(doc.GetDayInfoAt(0)->text, "y");
  doc.RemoveAllDayInfos();
  EXPECT_EQ(doc.GetFirstDayInfo(), nullptr);
}

TEST(AlarmDocLists, AddAndReplaceCopyAndNeverShare) {
  CAlarmDoc doc;
  CAlarmLine source = reminder("one", kNow);
  source.show_count = 5;
  source.fired = true;
  CAlarmLine* added = doc.AddAlarm(source);
  EXPECT_NE(added, &source);
  EXPECT_EQ(added->text, "one");
  EXPECT_EQ(added->show_count, 0) << "a new copy starts clear";
  EXPECT_FALSE(added->fired);

  added->show_count = 3;
  added->fired = true;
  doc.SetModifiedFlag(false);
  source.text = "two";
  EXPECT_EQ(doc.ReplaceAlarm(source, 0), added);
  EXPECT_EQ(added->text, "two");
  EXPECT_EQ(added->show_count, 3) << "replace keeps the target's run-time fields";
  EXPECT_TRUE(added->fired);
  EXPECT_TRUE(doc.IsModified());

  // Replacing a reminder that is no longer there appends it rather than losing the edit.
  source.text = "three";
  CAlarmLine* appended = doc.ReplaceAlarm(source, 7);
  EXPECT_EQ(doc.alarmCount(), 2u);
  EXPECT_EQ(appended, doc.GetAlarmAt(1));
  EXPECT_EQ(appended->text, "three");

  CDayInfo note = dayNote("n", kNow);
  doc.AddDayInfo(note);
  note.text = "m";
  doc.ReplaceDayInfo(note, 0);
  EXPECT_EQ(doc.GetDayInfoAt(0)->text, "m");
  doc.ReplaceDayInfo(note, 5);
  doc.ReplaceDayInfo(note, -1);
  EXPECT_EQ(doc.dayInfoCount(), 3u) << "a note replace out of range appends";
  EXPECT_NE(doc.GetDayInfoAt(1), doc.GetDayInfoAt(2));

  // Records keep their addresses while others come and go.
  CAlarmLine* first = doc.GetAlarmAt(0);
  for (int i = 0; i < 100; ++i) doc.AddAlarm(source);
  doc.RemoveAlarm(1);
  EXPECT_EQ(doc.GetAlarmAt(0), first);
}

CTBNotifierContext notifierDefinition(const std::string& name, bool isDefault) {
  CTBNotifierContext definition;
  definition.name = name;
  definition.isDefault = isDefault;
  return definition;
}
CWPStickerContext stickerDefinition(const std::string& name, bool isDefault) {
  CWPStickerContext definition;
  definition.name = name;
  definition.isDefault = isDefault;
  return definition;
}

TEST(AlarmDocLists, DefinitionsSettingsAndDocumentLife) {
  CAlarmDoc doc;
  EXPECT_EQ(doc.defaultNotifierName(), "n/a");
  EXPECT_EQ(doc.defaultStickerName(), "n/a");
  doc.notifiers = {notifierDefinition("Plain", false), notifierDefinition("Blue", true),
                   notifierDefinition("Red", true)};
  doc.stickers = {stickerDefinition("Tree", false)};
  EXPECT_EQ(doc.defaultNotifierName(), "Blue");
  EXPECT_EQ(doc.defaultStickerName(), "n/a");

  EXPECT_EQ(doc.pasteFormatAt(0), "%Y%d%m");
  EXPECT_EQ(doc.pasteFormatAt(2), "%V");
  EXPECT_THROW(doc.pasteFormatAt(3), std::invalid_argument);
  EXPECT_THROW(doc.pasteFormatAt(-1), std::invalid_argument);

  int loads = 0;
  doc.definitionsLoader = [&loads](CAlarmDoc& d) {
    ++loads;
    d.stickers.push_back(stickerDefinition("Loaded", true));
  };
  doc.AddAlarm(reminder("r", kNow));
  doc.AddDayInfo(dayNote("d", kNow));
  doc.paste_formats = {"%H"};
  doc.OnNewDocument();
  EXPECT_EQ(doc.alarmCount() + doc.dayInfoCount(), 0u);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(doc.defaultStickerName(), "Loaded");
  EXPECT_TRUE(doc.notifiers.empty());
  EXPECT_EQ(doc.paste_formats, std::vector<std::string>{"%H"}) << "the stored settings outlive a new document";

  loadDocumentBytes(doc, storeDocumentBytes(CAlarmDoc()));
  EXPECT_EQ(loads, 2) << "a load reloads the definitions";
  try {
    loadDocumentBytes(doc, "\x01");
  } catch (const ArchiveError&) {
  }
  EXPECT_EQ(loads, 2) << "a failed load changes nothing";

  doc.OnCloseDocument();
  EXPECT_TRUE(doc.stickers.empty());
}

// ---------------------------------------------------------------- derived texts

TEST(AlarmDocTexts, NextReminder) {
  CAlarmDoc doc;
  EXPECT_EQ(doc.nextReminderText(kNow, UiLanguage::English), "");

  CAlarmLine off = reminder("off", at(13, 10, 30));
  off.state = ReminderState::Inactive;
  off.show_seconds = 200000;  // a long window never makes a switched-off reminder the next one
  doc.AddAlarm(off);
  doc.AddAlarm(reminder("past", at(13, 9, 0)));
  EXPECT_EQ(doc.nextReminderText(kNow, UiLanguage::English), "");

  doc.AddAlarm(reminder("Call\r\nhome", at(14, 9, 5)));
  EXPECT_EQ(doc.nextReminderText(kNow, UiLanguage::English), "Tomorrow, 09:05: Call  home");
  // An earlier one that is over before the best begins takes over.
  doc.AddAlarm(reminder("sooner", at(13, 18, 0)));
  EXPECT_EQ(doc.nextReminderText(kNow, UiLanguage::English), "18:00: sooner");
  // A tie does not replace the earlier best.
  doc.AddAlarm(reminder("same", at(13, 18, 0)));
  EXPECT_EQ(doc.nextReminderText(kNow, UiLanguage::English), "18:00: sooner");
  // A reminder still showing counts with its start: it is the next one until its window closes.
  doc.AddAlarm(reminder("\xC2\x80Zringing", at(13, 9, 59, 30)));
  const auto next = doc.nextReminder(kNow);
  ASSERT_TRUE(next.has_value());
  EXPECT_EQ(next->line->text, "\xC2\x80Zringing");
  EXPECT_EQ(next->fireTime, at(13, 9, 59, 30));
  EXPECT_EQ(doc.nextReminderText(kNow, UiLanguage::English), "09:59: ringing");

  CAlarmDoc later;
  later.AddAlarm(reminder("far", COleDateTime(2026, 7, 1, 8, 0, 0)));
  EXPECT_EQ(later.nextReminderText(kNow, UiLanguage::English), "07/01 - 08:00: far");
}

TEST(AlarmDocTexts, DayNoteLookups) {
  CAlarmDoc doc;
  EXPECT_EQ(doc.nextDayEvent(kNow), nullptr);
  EXPECT_EQ(doc.nextDayEventText(kNow, UiLanguage::English), "");
  EXPECT_EQ(doc.lastMatchingDayInfo(kNow), nullptr);
  EXPECT_EQ(doc.joinedDayTexts(kNow), "");

  doc.AddDayInfo(dayNote("far", at(30, 0, 0)));
  doc.AddDayInfo(dayNote("first", at(13, 8, 0)));
  doc.AddDayInfo(dayNote("gone", at(1, 0, 0)));
  doc.AddDayInfo(dayNote("second", COleDateTime(2020, 5, 13, 0, 0, 0), CDayInfo::Annual));
  doc.AddDayInfo(dayNote("tomorrow", at(14, 0, 0)));
  EXPECT_EQ(doc.lastMatchingDayInfo(kNow)->text, "second");
  EXPECT_EQ(doc.joinedDayTexts(kNow), "first second ");
  EXPECT_EQ(doc.nextDayEvent(kNow)->text, "second") << "among equal dates the last in list order";
  EXPECT_EQ(doc.nextDayEventText(kNow, UiLanguage::English), "Today: second");
  EXPECT_EQ(doc.nextDayEventText(at(14, 12, 0), UiLanguage::English), "Today: tomorrow");
  EXPECT_EQ(doc.nextDayEventText(at(20, 12, 0), UiLanguage::English), "05/30: far");
  EXPECT_EQ(doc.nextDayEventText(at(29, 12, 0), UiLanguage::English), "Tomorrow: far");
}

}  // namespace
}  // namespace kalvory
