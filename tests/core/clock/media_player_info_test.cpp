#include "core/clock/media_player_info.h"

#include <gtest/gtest.h>

namespace kalvory {
namespace {

TEST(SongFromWindowTitle, CutsThePlayerNameAndTheTrackNumber) {
  EXPECT_EQ(songFromWindowTitle("7. Artist - Song - Winamp"), "Artist - Song");
  EXPECT_EQ(songFromWindowTitle("123. Artist - Song   - WINAMP"), "Artist - Song");
  EXPECT_EQ(songFromWindowTitle("Artist - Song - winamp [Paused]"), "Artist - Song");
  EXPECT_EQ(songFromWindowTitle("3. Кино - Группа крови - Winamp"), "Кино - Группа крови");
  // The last occurrence is the player's own.
  EXPECT_EQ(songFromWindowTitle("1. Fan - Winamp Song - Winamp"), "Fan - Winamp Song");
  // The number must end within the first five characters.
  EXPECT_EQ(songFromWindowTitle("1234. Song - Winamp"), "Song");
  EXPECT_EQ(songFromWindowTitle("12345. Song - Winamp"), "12345. Song");
  EXPECT_EQ(songFromWindowTitle("Mr. X - Song - Winamp"), "X - Song");
  EXPECT_EQ(songFromWindowTitle("Artist. Song - Winamp"), "Artist. Song");
  EXPECT_EQ(songFromWindowTitle("Жжжж. Song - Winamp"), "Song");  // five characters, not bytes
  EXPECT_EQ(songFromWindowTitle("- Winamp"), "");
}

TEST(SongFromWindowTitle, TitlesWithoutThePlayerNameGiveNoSong) {
  EXPECT_EQ(songFromWindowTitle("Artist - Song"), "");
  EXPECT_EQ(songFromWindowTitle("Winamp"), "");
  EXPECT_EQ(songFromWindowTitle("-Winamp"), "");
  EXPECT_EQ(songFromWindowTitle(""), "");
  // Only the first 2047 characters of the title are read.
  const std::string longName(2040, 'x');
  EXPECT_EQ(songFromWindowTitle(longName + "- Winamp"), "");
  EXPECT_EQ(songFromWindowTitle(std::string(2039, 'x') + "- Winamp"), std::string(2039, 'x'));
  EXPECT_EQ(songFromWindowTitle(std::string(2035, 'x') + "Ж - Winamp"), std::string(2035, 'x') + "Ж");
}

}  // namespace
}  // namespace kalvory
