#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "core/clock/media_player_info.h"
#include "core/clock/time_format.h"
#include "core/model/alarm_doc.h"

namespace kalvory {
namespace {

const COleDateTime kNow(2024, 3, 14, 12, 41, 29);

CDayInfo note(const std::string& text, const COleDateTime& date, std::int32_t repeat) {
  CDayInfo info(date);
  info.text = text;
  info.repeat = repeat;
  return info;
}

TEST(DocumentTimeFormat, TodaysNotesInListOrder) {
  CAlarmDoc doc;
  doc.AddDayInfo(note("A", COleDateTime(2024, 3, 14, 0, 0, 0), CDayInfo::Once));
  doc.AddDayInfo(note("not today", COleDateTime(2024, 3, 15, 0, 0, 0), CDayInfo::Once));
  doc.AddDayInfo(note("B", COleDateTime(1990, 3, 14, 0, 0, 0), CDayInfo::Annual));
  const TimeFormatSources sources = timeFormatSources(doc, kNow, nullptr);
  EXPECT_EQ(expandTimeFormat("%H:%M %D%d", sources), "%H:%M A B %d");
  const Result<std::string> result = formatTimeText("%H:%M %D", sources);
  ASSERT_TRUE(result.ok()) << result.error();
  EXPECT_EQ(result.value(), "12:41 A B ");

  CAlarmDoc empty;
  EXPECT_EQ(expandTimeFormat("[%D]", timeFormatSources(empty, kNow, nullptr)), "[]");
}

TEST(DocumentTimeFormat, CountdownTargetOfTheDocument) {
  CAlarmDoc doc;
  doc.countdown_target = kNow + COleDateTimeSpan(1, 2, 3, 4);
  EXPECT_EQ(expandTimeFormat("%e %f %g %k %E %F %G %K", timeFormatSources(doc, kNow, nullptr)),
            "1 2 3 4 1 26 1563 93784");
  // A new document counts to 30 December 1899, long past.
  CAlarmDoc fresh;
  EXPECT_EQ(expandTimeFormat("%E", timeFormatSources(fresh, kNow, nullptr)), "-45365");
  fresh.countdown_target = COleDateTime::makeInvalid();
  EXPECT_EQ(expandTimeFormat("%E %K", timeFormatSources(fresh, kNow, nullptr)), "0 0");
}

TEST(DocumentTimeFormat, QuickPaste) {
  CAlarmDoc doc;
  FixedMediaPlayerInfo player;
  player.status = MediaPlayerInfo::kPlaying;
  player.lengthSeconds = 245;
  player.positionMs = 61500;
  player.title = songFromWindowTitle("7. Artist - Song - Winamp");

  EXPECT_EQ(quickPasteText(doc, 0, kNow, &player).valueOr("<error>"), "20241403");
  EXPECT_EQ(quickPasteText(doc, 1, kNow, &player).valueOr("<error>"), "03/14/24 12:41:29");
  EXPECT_EQ(quickPasteText(doc, 2, kNow, &player).valueOr("<error>"), "Artist - Song");
  EXPECT_EQ(quickPasteText(doc, 2, kNow, nullptr).valueOr("<error>"), "");
  EXPECT_THROW((void)quickPasteText(doc, 3, kNow, &player), std::invalid_argument);
  EXPECT_THROW((void)quickPasteText(doc, -1, kNow, &player), std::invalid_argument);

  doc.paste_formats[0] = "%д, %#d %м";
  EXPECT_EQ(quickPasteText(doc, 0, kNow, nullptr).valueOr("<error>"), "Четверг, 14 Март");
  doc.paste_formats[1] = "%H%~%M";
  EXPECT_FALSE(quickPasteText(doc, 1, kNow, nullptr).ok());
}

}  // namespace
}  // namespace kalvory
