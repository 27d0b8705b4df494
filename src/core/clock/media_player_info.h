#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kalvory {

// What the clock's song codes ask of the media player. Every call may cost a round trip to
// another process, so the format engine asks only when the format shows the song.
class MediaPlayerInfo {
 public:
  // Play status answers as the player gives them.
  static constexpr int kStopped = 0;
  static constexpr int kPlaying = 1;
  static constexpr int kPaused = 3;

  virtual ~MediaPlayerInfo() = default;
  // The player's play status, or nullopt when no player is running.
  virtual std::optional<int> playStatus() = 0;
  virtual int songLengthSeconds() = 0;
  virtual int outputPositionMs() = 0;
  // The current song as "artist - title", without the player's decorations. A player known
  // only by its window title passes that title through songFromWindowTitle.
  virtual std::string songTitle() = 0;
  // Runs `then` once the answers above are current: at once for a player that is asked
  // directly; a player read in the background runs it after its next reading.
  virtual void whenCurrent(std::function<void()> then) { then(); }
};

// A player whose answers are given in advance: a stand-in for tests and tools.
class FixedMediaPlayerInfo final : public MediaPlayerInfo {
 public:
  std::optional<int> status;  // nullopt: not running
  int lengthSeconds = 0;
  int positionMs = 0;
  std::string title;

  std::optional<int> playStatus() override { return status; }
  int songLengthSeconds() override { return lengthSeconds; }
  int outputPositionMs() override { return positionMs; }
  std::string songTitle() override { return title; }
};

// The song from a player window's title such as "7. Artist - Song - Winamp": the text before
// the last "- Winamp" (any letter case) without the blanks before it, and without a leading
// track number "N. " that starts within the first five characters. A title without
// "- Winamp" gives the empty string.
std::string songFromWindowTitle(std::string_view windowTitle);

}  // namespace kalvory
