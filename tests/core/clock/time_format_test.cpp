#include "core/clock/time_format.h"

#include <gtest/gtest.h>

#include <string>

#include "core/clock/media_player_info.h"

namespace kalvory {
namespace {

// A player that counts what it is asked.
class CountingPlayer : public MediaPlayerInfo {
 public:
  std::optional<int> status = kPlaying;
  int lengthSeconds = 245;
  int positionMs = 61500;
  std::string title = "Artist - Song";
  int questions = 0;

  std::optional<int> playStatus() override {
    ++questions;
    return status;
  }
  int songLengthSeconds() override {
    ++questions;
    return lengthSeconds;
  }
  int outputPositionMs() override {
    ++questions;
    return positionMs;
  }
  std::string songTitle() override {
    ++questions;
    return title;
  }
};

const COleDateTime kNow(2024, 3, 14, 12, 41, 29);  // a Thursday in March

TimeFormatSources sourcesAt(const COleDateTime& now) {
  TimeFormatSources sources;
  sources.now = now;
  return sources;
}

TEST(TimeFormat, SongCodes) {
  CountingPlayer player;
  TimeFormatSources sources = sourcesAt(kNow);
  sources.player = &player;
  EXPECT_EQ(expandTimeFormat("%V [%T %L %l]", sources), "Artist - Song [04:05 01:01 03:04]");

  player.status = MediaPlayerInfo::kPaused;
  EXPECT_EQ(expandTimeFormat("%V|%T", sources), "Artist - Song|04:05");

  // Stopped or not running: all four codes are empty.
  player.status = MediaPlayerInfo::kStopped;
  EXPECT_EQ(expandTimeFormat("<%V|%T|%L|%l>", sources), "<|||>");
  player.status = std::nullopt;
  EXPECT_EQ(expandTimeFormat("<%V|%T|%L|%l>", sources), "<|||>");
  sources.player = nullptr;
  EXPECT_EQ(expandTimeFormat("<%V|%T|%L|%l>", sources), "<|||>");

  // Without "%V" the player is not asked and its other codes stay empty.
  sources.player = &player;
  player.status = MediaPlayerInfo::kPlaying;
  player.questions = 0;
  EXPECT_EQ(expandTimeFormat("<%T|%L|%l> %H:%M", sources), "<||> %H:%M");
  EXPECT_EQ(player.questions, 0);
  // Codes are matched with their letter case: "%v" is not the song.
  EXPECT_EQ(expandTimeFormat("%v %t", sources), "%v %t");
  EXPECT_EQ(player.questions, 0);

  // Times past an hour keep counting minutes; the time left goes negative past the end.
  player.lengthSeconds = 3725;
  player.positionMs = 3724999;
  EXPECT_EQ(expandTimeFormat("%V %T %L %l", sources), "Artist - Song 62:05 62:04 00:01");
  player.lengthSeconds = 60;
  player.positionMs = 75000;
  EXPECT_EQ(expandTimeFormat("%V %l", sources), "Artist - Song 00:-15");
}

TEST(TimeFormat, CountdownCodes) {
  TimeFormatSources sources = sourcesAt(kNow);
  const char* all = "%e %f %g %k %E %F %G %K";

  sources.countdown_target = kNow + COleDateTimeSpan(1, 2, 3, 4);
  EXPECT_EQ(expandTimeFormat(all, sources), "1 2 3 4 1 26 1563 93784");

  sources.countdown_target = kNow - COleDateTimeSpan::fromSeconds(90);
  EXPECT_EQ(expandTimeFormat(all, sources), "0 0 -1 -30 0 0 -1 -90");

  // The half second counts toward the rounded units only: 23:59:59.6 ahead is 0 days but 24 hours.
  sources.countdown_target = COleDateTime::fromDays(kNow.days() + (86400 - 0.4) / 86400.0);
  EXPECT_EQ(expandTimeFormat("%e %f %E %F %K", sources), "0 0 1 24 86400");

  // A target that is not valid prints zeros everywhere.
  sources.countdown_target = COleDateTime::makeInvalid();
  EXPECT_EQ(expandTimeFormat(all, sources), "0 0 0 0 0 0 0 0");
  sources.countdown_target = COleDateTime::makeNull();
  EXPECT_EQ(expandTimeFormat(all, sources), "0 0 0 0 0 0 0 0");

  // Totals beyond 32 bits stay at the limit; the parts are still right.
  sources.countdown_target = COleDateTime(9999, 3, 14, 12, 41, 30);
  const std::string far = expandTimeFormat("%K %k %G %g", sources);
  EXPECT_EQ(far, "2147483647 1 2147483647 0");
  sources.countdown_target = COleDateTime(100, 3, 14, 12, 41, 28);
  EXPECT_EQ(expandTimeFormat("%K %k", sources), "-2147483648 -1");
}

TEST(TimeFormat, TodaysNotes) {
  TimeFormatSources sources = sourcesAt(kNow);
  COleDateTime askedFor;
  int calls = 0;
  sources.dayNoteTexts = [&](const COleDateTime& date) {
    askedFor = date;
    ++calls;
    return std::string("A B ");
  };
  EXPECT_EQ(expandTimeFormat("%H:%M %D%d", sources), "%H:%M A B %d");
  EXPECT_EQ(askedFor, kNow);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(expandTimeFormat("%H:%M", sources), "%H:%M");
  EXPECT_EQ(calls, 1);  // no walk over the notes for a format without "%D"

  sources.dayNoteTexts = nullptr;
  EXPECT_EQ(expandTimeFormat("[%D]", sources), "[]");
}

TEST(TimeFormat, RussianNames) {
  EXPECT_EQ(replaceRussianNames("%д, %м", kNow), "Четверг, Март");
  EXPECT_EQ(replaceRussianNames("%м%м", COleDateTime(2024, 12, 1, 0, 0, 0)), "ДекабрьДекабрь");
  EXPECT_EQ(replaceRussianNames("%д", COleDateTime(2024, 3, 17, 0, 0, 0)), "Воскресенье");
  EXPECT_EQ(replaceRussianNames("%д", COleDateTime(2024, 3, 16, 0, 0, 0)), "Суббота");
  EXPECT_EQ(replaceRussianNames("%M %д", COleDateTime::makeInvalid()), "%M ");
  EXPECT_EQ(expandTimeFormat("%м", sourcesAt(COleDateTime(2023, 3, 1, 0, 0, 0))), "Март");
  // Now's names, whatever the caller formats afterwards.
  EXPECT_EQ(replaceRussianNames("%д", kNow), replaceRussianNames(replaceRussianNames("%д", kNow), kNow));
}

TEST(TimeFormat, InsertedTextsAreExpandedByLaterSteps) {
  CountingPlayer player;
  player.title = "Song %e %D %д";
  TimeFormatSources sources = sourcesAt(kNow);
  sources.player = &player;
  sources.countdown_target = kNow + COleDateTimeSpan(3.5);
  sources.dayNoteTexts = [](const COleDateTime&) { return std::string("note %м %T "); };
  // The note's "%T" stays: the song codes were replaced before the notes came in.
  EXPECT_EQ(expandTimeFormat("%V", sources), "Song 3 note Март %T  Четверг");
  // A "%" in an inserted text is read by the final formatting.
  player.title = "100%% %H";
  const Result<std::string> result = formatTimeText("%V", sources);
  ASSERT_TRUE(result.ok()) << result.error();
  EXPECT_EQ(result.value(), "100% 12");
  player.title = "50% off";
  EXPECT_FALSE(formatTimeText("%V", sources).ok());
}

TEST(TimeFormat, FormattedText) {
  TimeFormatSources sources = sourcesAt(kNow);
  sources.countdown_target = kNow + COleDateTimeSpan(0, 1, 30, 0);
  Result<std::string> result = formatTimeText("%H:%M:%S %d.%m.%Y \u0081%F:%g\u0082 \u0080J", sources);
  ASSERT_TRUE(result.ok()) << result.error();
  EXPECT_EQ(result.value(), "12:41:29 14.03.2024 \u00811:30\u0082 \u0080J");

  result = formatTimeText("%H %q", sources);
  EXPECT_FALSE(result.ok());
  EXPECT_NE(result.error().find("%q"), std::string::npos);
  // The raised-text codes are the on-screen windows' business; to the formatting they are unknown.
  EXPECT_FALSE(formatTimeText("%H%~%M", sources).ok());
  result = formatTimeText(insertRaisedTextMarks("%H%~%M%-"), sources);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.value(), "12\u008141\u0082");
}

TEST(TimeFormat, ClockFormatFallsBackWhenItCannotBeFormatted) {
  const TimeFormatSources sources = sourcesAt(kNow);
  EXPECT_EQ(acceptClockFormat("%H%~%M %e %V %D", sources), "%H\u0081%M %e %V %D");
  EXPECT_EQ(acceptClockFormat("%H:%M %Q", sources), "%H\u0081%M");
  EXPECT_EQ(acceptClockFormat("50%", sources), "%H\u0081%M");
  EXPECT_EQ(acceptClockFormat("", sources), "");
}

}  // namespace
}  // namespace kalvory
