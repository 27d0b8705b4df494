#include "core/model/archive.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "byte_builder.h"
#include "core/model/alarm_line.h"
#include "core/model/day_info.h"

namespace kalvory {
namespace {

using test::Bytes;

std::string written(void (*write)(ArchiveWriter&)) {
  ArchiveWriter writer;
  write(writer);
  return writer.bytes();
}

std::string writtenString(std::string_view utf8) {
  ArchiveWriter writer;
  writer.writeString(utf8);
  return writer.bytes();
}

std::string readBackString(std::string_view bytes) {
  ArchiveReader reader(bytes);
  std::string value = reader.readString();
  EXPECT_EQ(reader.remaining(), 0u);
  return value;
}

std::size_t errorOffset(std::string_view bytes, void (*read)(ArchiveReader&)) {
  ArchiveReader reader(bytes);
  try {
    read(reader);
  } catch (const ArchiveError& error) {
    return error.offset();
  }
  ADD_FAILURE() << "no ArchiveError";
  return std::string::npos;
}

TEST(ArchivePrimitives, NumbersBooleansAndDateTimesAreLittleEndianWithTheStatusFirst) {
  EXPECT_EQ(written([](ArchiveWriter& w) { w.writeInt(-2); }), Bytes().bytes({0xFE, 0xFF, 0xFF, 0xFF}).str());
  EXPECT_EQ(written([](ArchiveWriter& w) { w.writeBool(true); }), Bytes().byte(1).str());
  EXPECT_EQ(written([](ArchiveWriter& w) { w.writeDateTime(COleDateTime(46155.5, COleDateTime::null)); }),
            Bytes().i32(2).f64(46155.5).str());

  const Bytes stream = Bytes().i32(0x12345678).byte(0).byte(7).dateTime(1, -1.25);
  ArchiveReader reader(stream);
  EXPECT_EQ(reader.readInt(), 0x12345678);
  EXPECT_FALSE(reader.readBool());
  EXPECT_TRUE(reader.readBool());  // any non-zero byte
  const COleDateTime value = reader.readDateTime();
  EXPECT_EQ(value.GetStatus(), COleDateTime::invalid);
  EXPECT_EQ(value.days(), -1.25);
}

TEST(ArchivePrimitives, CountsUseTwoBytesBelow0xFFFFAndAnEscapeAbove) {
  EXPECT_EQ(written([](ArchiveWriter& w) { w.writeCount(0xFFFE); }), Bytes().word(0xFFFE).str());
  EXPECT_EQ(written([](ArchiveWriter& w) { w.writeCount(0xFFFF); }), Bytes().word(0xFFFF).dword(0xFFFF).str());
  const Bytes stream = Bytes().word(3).word(0xFFFF).dword(70000);
  ArchiveReader reader(stream);
  EXPECT_EQ(reader.readCount(), 3u);
  EXPECT_EQ(reader.readCount(), 70000u);
}

TEST(ArchivePrimitives, BadDateTimesAreErrors) {
  auto read = [](ArchiveReader& r) { r.readDateTime(); };
  EXPECT_EQ(errorOffset(Bytes().word(0).i32(3).f64(1.0),
                        [](ArchiveReader& r) {
                          r.readCount();
                          r.readDateTime();
                        }),
            2u);
  EXPECT_EQ(errorOffset(Bytes().i32(-1).f64(1.0), read), 0u);
  EXPECT_EQ(errorOffset(Bytes().i32(0).f64(std::numeric_limits<double>::quiet_NaN()), read), 0u);
  EXPECT_EQ(errorOffset(Bytes().i32(2).f64(std::numeric_limits<double>::infinity()), read), 0u);
  EXPECT_EQ(errorOffset(Bytes().i32(0).bytes({1, 2, 3}), read), 4u);  // the double breaks off
}

TEST(ArchiveStrings, LengthPrefixesOfEveryForm) {
  struct Case {
    std::size_t length;
    Bytes prefix;
  };
  const Case cases[] = {
      {0, Bytes().byte(0)},
      {254, Bytes().byte(254)},
      {255, Bytes().byte(0xFF).word(255)},
      {300, Bytes().bytes({0xFF, 0x2C, 0x01})},
      {0xFFFD, Bytes().byte(0xFF).word(0xFFFD)},
      {0xFFFE, Bytes().byte(0xFF).word(0xFFFF).dword(0xFFFE)},
      {70000, Bytes().byte(0xFF).word(0xFFFF).dword(70000)},
  };
  for (const auto& c : cases) {
    const std::string text(c.length, 'a');
    const std::string bytes = writtenString(text);
    EXPECT_EQ(bytes, c.prefix.str() + text) << c.length;
    EXPECT_EQ(readBackString(bytes), text) << c.length;
  }
}

TEST(ArchiveStrings, TextIsWindows1251WithTheMarksAsSingleBytes) {
  // "Дом", symbol mark, "x", raised start, "2", raised end
  const std::string text =
      "\xD0\x94\xD0\xBE\xD0\xBC\xC2\x80x\xC2\x81"
      "2\xC2\x82";
  const Bytes expected = Bytes().byte(8).bytes({0xC4, 0xEE, 0xEC, 0x80, 'x', 0x81, '2', 0x82});
  EXPECT_EQ(writtenString(text), expected.str());
  EXPECT_EQ(readBackString(expected), text);
  // Every byte means something: the undefined 0x98 survives a round trip.
  const Bytes odd = Bytes().byte(1).byte(0x98);
  EXPECT_EQ(writtenString(readBackString(odd)), odd.str());
}

TEST(ArchiveStrings, CharactersOutsideWindows1251GoInTheSixteenBitForm) {
  // "ñ☺": neither fits one byte, so the whole string is written in 16-bit characters.
  EXPECT_EQ(writtenString("\xC3\xB1\xE2\x98\xBA"), Bytes().bytes({0xFF, 0xFE, 0xFF, 2}).word(0xF1).word(0x263A).str());
  // Ђ is the letter, not the mark that holds its byte; the mark goes as the code point 0x80.
  EXPECT_EQ(writtenString("\xD0\x82\xC2\x80"), Bytes().bytes({0xFF, 0xFE, 0xFF, 2}).word(0x0402).word(0x80).str());
  // A character beyond 16 bits takes a surrogate pair.
  const std::string emoji = "A\xF0\x9F\x98\x80";
  EXPECT_EQ(writtenString(emoji), Bytes().bytes({0xFF, 0xFE, 0xFF, 3}).word('A').word(0xD83D).word(0xDE00).str());
  for (const char* text : {"\xC3\xB1\xE2\x98\xBA", "\xD0\x82\xC2\x80", "A\xF0\x9F\x98\x80"}) {
    EXPECT_EQ(readBackString(writtenString(text)), text);
  }

  // A long 16-bit string uses the ordinary long prefixes after the mark.
  std::u16string units(300, u'\x263A');
  Bytes longForm = Bytes().bytes({0xFF, 0xFE, 0xFF}).byte(0xFF).word(300);
  for (auto unit : units) longForm.word(unit);
  std::string expected;
  for (int i = 0; i < 300; ++i) expected += "\xE2\x98\xBA";
  EXPECT_EQ(readBackString(longForm), expected);
  EXPECT_EQ(writtenString(expected), longForm.str());
  EXPECT_EQ(readBackString(Bytes().bytes({0xFF, 0xFE, 0xFF}).byte(0xFF).word(0xFFFF).dword(1).word('z')), "z");
  EXPECT_EQ(readBackString(Bytes().bytes({0xFF, 0xFE, 0xFF, 0})), "");
}

TEST(ArchiveStrings, LengthsBeyondTheBytesLeftAreErrorsAtTheStringsStart) {
  auto read = [](ArchiveReader& r) {
    r.readInt();
    r.readString();
  };
  EXPECT_EQ(errorOffset(Bytes().i32(0).byte(10).raw("abc"), read), 4u);
  EXPECT_EQ(errorOffset(Bytes().i32(0).byte(0xFF).word(0xFFFF).dword(0xFFFFFFFE).raw("abc"), read), 4u);
  EXPECT_EQ(errorOffset(Bytes().i32(0).bytes({0xFF, 0xFE, 0xFF, 2}).word('a'), read), 4u);
  EXPECT_EQ(errorOffset(Bytes().i32(0).bytes({0xFF, 0xFE, 0xFF, 0xFF}).word(0xFFFF).dword(0x80000000), read), 4u);
  EXPECT_EQ(errorOffset(Bytes().i32(0).bytes({0xFF, 0xFE}), read), 5u);  // the prefix itself breaks off

  const Bytes endless = Bytes().byte(0xFF).word(0xFFFF).dword(0xFFFFFFFF);
  ArchiveReader reader(endless);
  try {
    reader.readString();
    FAIL();
  } catch (const ArchiveError& error) {
    EXPECT_NE(error.reason().find("longer than"), std::string::npos) << error.reason();
  }
}

TEST(ArchiveStrings, AbsurdArrayCountsAreRefusedBeforeAnythingIsReserved) {
  const Bytes absurd = Bytes().word(0xFFFF).dword(0xFFFFFFFF).byte(0);
  ArchiveReader reader(absurd);
  try {
    reader.readStringArray();
    FAIL();
  } catch (const ArchiveError& error) {
    EXPECT_EQ(error.offset(), 0u);
    EXPECT_NE(error.reason().find("4294967295 strings"), std::string::npos) << error.reason();
  }
  const Bytes two = Bytes().word(2).shortString("a").shortString("bc");
  ArchiveReader fine(two);
  EXPECT_EQ(fine.readStringArray(), (std::vector<std::string>{"a", "bc"}));
}

// ---------------------------------------------------------------- object records

Bytes noteFields(std::string_view text, double date, std::int32_t repeat = CDayInfo::Once) {
  Bytes b;
  b.shortString(text).dateTime(0, date).i32(0).i32(1).i32(repeat).i32(0).byte(0).shortString("").shortString("");
  return b;
}

std::unique_ptr<CDayInfo> readNote(ArchiveReader& reader) {
  return reader.readObject<CDayInfo>([] { return std::make_unique<CDayInfo>(COleDateTime()); });
}
std::unique_ptr<CAlarmLine> readAlarm(ArchiveReader& reader) {
  return reader.readObject<CAlarmLine>([] { return std::make_unique<CAlarmLine>(COleDateTime(), 45); });
}

TEST(ArchiveObjects, WriterAnnouncesAClassOnceAndNumbersClassesAndObjectsTogether) {
  ArchiveWriter writer;
  const CAlarmLine line(COleDateTime(), 60);
  const CDayInfo note(COleDateTime::fromDays(1.0));
  writer.writeObject(line);  // class 1, object 2
  const std::size_t second = writer.bytes().size();
  writer.writeObject(line);  // object 3
  const std::size_t third = writer.bytes().size();
  writer.writeObject(note);  // class 4, object 5
  const std::size_t fourth = writer.bytes().size();
  writer.writeObject(note);
  const std::string& bytes = writer.bytes();
  EXPECT_EQ(bytes.substr(0, 16), Bytes().newClass(12, "CAlarmLine").str());
  EXPECT_EQ(bytes.substr(second, 2), Bytes().word(0x8001).str());
  EXPECT_EQ(bytes.substr(third, 14), Bytes().newClass(12, "CDayInfo").str());
  EXPECT_EQ(bytes.substr(fourth, 2), Bytes().word(0x8004).str());

  ArchiveReader reader(bytes);
  EXPECT_NE(readAlarm(reader), nullptr);
  EXPECT_NE(readAlarm(reader), nullptr);
  EXPECT_NE(readNote(reader), nullptr);
  EXPECT_NE(readNote(reader), nullptr);
  EXPECT_EQ(reader.remaining(), 0u);

  EXPECT_THROW(writer.writeObject(note, 11), std::invalid_argument);  // one schema per class and stream
  EXPECT_THROW(ArchiveWriter().writeObject(note, 0x10000), std::invalid_argument);
}

TEST(ArchiveObjects, ClassNumbersFrom0x7FFFOnTakeTheLongTag) {
  ArchiveWriter writer;
  const CAlarmLine line(COleDateTime(), 60);
  for (int i = 0; i < 0x7FFD; ++i) writer.writeObject(line);  // class 1, objects 2..0x7FFE
  const CDayInfo note(COleDateTime::fromDays(2.0));
  writer.writeObject(note);  // class 0x7FFF
  const std::size_t second = writer.bytes().size();
  writer.writeObject(note);
  EXPECT_EQ(writer.bytes().substr(second, 6), Bytes().word(0x7FFF).dword(0x80007FFF).str());

  ArchiveReader reader(writer.bytes());
  for (int i = 0; i < 0x7FFD; ++i) ASSERT_NE(readAlarm(reader), nullptr);
  EXPECT_NE(readNote(reader), nullptr);
  const auto last = readNote(reader);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->date.days(), 2.0);
  EXPECT_EQ(reader.remaining(), 0u);
}

TEST(ArchiveObjects, NullElementsAreEmptyAndRepeatedReferencesAreCopies) {
  const Bytes stream = Bytes()
                           .word(0x0000)
                           .newClass(12, "CDayInfo")  // class 1, object 2
                           .append(noteFields("first", 10.0))
                           .word(0x0002)  // object 2 again
                           .word(0x7FFF)
                           .dword(0x00000002)  // object 2 again, long form
                           .word(0x7FFF)
                           .dword(0x80000001)  // class 1, long form: object 3
                           .append(noteFields("second", 11.0))
                           .word(0x0003);
  ArchiveReader reader(stream);
  EXPECT_EQ(readNote(reader), nullptr);
  const auto first = readNote(reader);
  const auto copy = readNote(reader);
  const auto longCopy = readNote(reader);
  const auto second = readNote(reader);
  const auto secondCopy = readNote(reader);
  EXPECT_EQ(reader.remaining(), 0u);
  ASSERT_TRUE(first && copy && longCopy && second && secondCopy);
  EXPECT_NE(first.get(), copy.get());
  EXPECT_EQ(copy->text, "first");
  EXPECT_EQ(longCopy->date.days(), 10.0);
  EXPECT_EQ(secondCopy->text, "second");
  first->text = "changed";
  EXPECT_EQ(copy->text, "first");
}

TEST(ArchiveObjects, BadTagsUnknownClassesAndWrongClassesAreErrorsAtTheTag) {
  const Bytes note = Bytes().newClass(12, "CDayInfo").append(noteFields("n", 1.0));  // class 1, object 2
  struct Case {
    Bytes stream;
    std::size_t offset;
    const char* reason;
  };
  const Case cases[] = {
      {Bytes().append(note).word(0x0001), note.size(), "object number 1"},               // a class is not an object
      {Bytes().append(note).word(0x0009), note.size(), "object number 9"},               // never numbered
      {Bytes().append(note).word(0x8002), note.size(), "class number 2"},                // an object is not a class
      {Bytes().append(note).word(0x8000), note.size(), "class number 0"},                //
      {Bytes().word(0x8001), 0, "class number 1"},                                       // before any class
      {Bytes().word(0x7FFF).dword(0x80000005), 0, "class number 5"},                     //
      {Bytes().newClass(1, "CFoo").i32(0), 0, "unknown class \"CFoo\""},                 //
      {Bytes().newClass(1, "CDayInfo\n").i32(0), 0, "unknown class \"CDayInfo\\x0a\""},  //
  };
  for (const auto& c : cases) {
    ArchiveReader reader(c.stream);
    try {
      while (reader.remaining() > 0) readNote(reader);
      ADD_FAILURE() << c.reason;
    } catch (const ArchiveError& error) {
      EXPECT_EQ(error.offset(), c.offset) << c.reason;
      EXPECT_NE(error.reason().find(c.reason), std::string::npos) << error.reason();
    }
  }

  // A note where a reminder belongs, announced or referenced, is refused.
  ArchiveReader wrongClass(note);
  EXPECT_THROW(readAlarm(wrongClass), ArchiveError);
  const Bytes referenced = Bytes().append(note).word(0x0002);
  ArchiveReader wrongReference(referenced);
  readNote(wrongReference);
  try {
    readAlarm(wrongReference);
    FAIL();
  } catch (const ArchiveError& error) {
    EXPECT_EQ(error.offset(), note.size());
    EXPECT_NE(error.reason().find("CDayInfo"), std::string::npos);
  }
}

TEST(ArchiveObjects, TheStoredSchemaDecidesWhichFieldsAreRead) {
  auto alarmFields = [](int schema) {
    Bytes b;
    b.dateTime(0, 46155.25)
        .i32(1)
        .i32(0)
        .i32(1)
        .shortString("t")
        .shortString("s")
        .i32(5)
        .shortString("p")
        .i32(2)
        .i32(0x41);
    if (schema >= 10) b.i32(90);
    if (schema >= 11) b.i32(0).shortString("N").shortString("W").shortString("S");
    return b;
  };
  for (int schema : {9, 10, 11, 12, 40}) {
    const Bytes stream = Bytes().newClass(static_cast<std::uint16_t>(schema), "CAlarmLine").append(alarmFields(schema));
    ArchiveReader reader(stream);
    const auto line = readAlarm(reader);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(reader.remaining(), 0u) << schema;
    EXPECT_EQ(line->time.days(), 46155.25);
    EXPECT_EQ(line->week_days, 0x41);
    EXPECT_EQ(line->exit_action, 2);
    EXPECT_EQ(line->program, "p");
    EXPECT_EQ(line->show_seconds, schema >= 10 ? 90 : 45) << "the new record's ShowTime default stays";
    EXPECT_EQ(line->osd, schema >= 11 ? 0 : 1);
    EXPECT_EQ(line->notifier, schema >= 11 ? "N" : "");
    EXPECT_EQ(line->wallpaper, schema >= 11 ? "W" : "");
    EXPECT_EQ(line->sticker, schema >= 11 ? "S" : "");
  }

  const Bytes oldNote = Bytes()
                            .newClass(11, "CDayInfo")
                            .shortString("old")
                            .dateTime(0, 3.0)
                            .i32(4)
                            .i32(7)
                            .i32(CDayInfo::Weekly)
                            .i32(CDayInfo::Holiday);
  ArchiveReader old(oldNote);
  const auto note = readNote(old);
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(old.remaining(), 0u);
  EXPECT_EQ(note->week_day, 4);
  EXPECT_EQ(note->interval_days, 7);
  EXPECT_EQ(note->event_type, CDayInfo::Holiday);
  EXPECT_FALSE(note->block_changer);
  EXPECT_EQ(note->sticker, "");
  EXPECT_EQ(note->wallpaper, "");

  // Written with an old schema, only that schema's fields go out.
  ArchiveWriter writer;
  writer.writeObject(CAlarmLine(COleDateTime(), 60), 9);
  EXPECT_EQ(writer.bytes().size(), 16u + 12 + 4 * 3 + 1 + 1 + 4 + 1 + 4 + 4);
}

TEST(ArchiveObjects, LoadingAReminderResetsWhatOlderSchemasLack) {
  CAlarmLine line(COleDateTime(), 60);
  line.text = "old";
  line.show_count = 9;
  line.osd = 0;
  line.notifier = "n";
  line.wallpaper = "w";
  line.sticker = "s";
  const Bytes fields = Bytes()
                           .dateTime(0, 1.0)
                           .i32(0)
                           .i32(0)
                           .i32(1)
                           .shortString("new")
                           .shortString("")
                           .i32(0)
                           .shortString("")
                           .i32(0)
                           .i32(127);
  ArchiveReader reader(fields);
  line.Serialize(reader, 9);
  EXPECT_EQ(line.text, "new");
  EXPECT_EQ(line.show_count, 0);
  EXPECT_EQ(line.osd, 1);
  EXPECT_EQ(line.notifier, "");
  EXPECT_EQ(line.wallpaper, "");
  EXPECT_EQ(line.sticker, "");
}

TEST(ArchiveObjects, RepeatedReferencesCannotMultiplyTheFileInMemory) {
  const std::string bigText(60000, 'x');
  auto stream = [&](int references) {
    Bytes b;
    b.newClass(12, "CDayInfo")
        .byte(0xFF)
        .word(60000)
        .raw(bigText)
        .dateTime(0, 1.0)
        .i32(0)
        .i32(1)
        .i32(4)
        .i32(0)
        .byte(0)
        .byte(0)
        .byte(0);
    for (int i = 0; i < references; ++i) b.word(0x0002);
    return b;
  };
  const Bytes few = stream(2);
  ArchiveReader reader(few);
  for (int i = 0; i < 3; ++i) ASSERT_NE(readNote(reader), nullptr);

  const Bytes many = stream(1000);
  ArchiveReader greedy(many);
  try {
    for (int i = 0; i < 1001; ++i) readNote(greedy);
    FAIL();
  } catch (const ArchiveError& error) {
    EXPECT_NE(error.reason().find("repeated references"), std::string::npos) << error.reason();
  }
}

}  // namespace
}  // namespace kalvory
