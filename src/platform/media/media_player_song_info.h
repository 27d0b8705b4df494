#pragma once

#include "core/clock/media_player_info.h"

namespace kalvory {

class DesktopMediaPlayer;

// The clock's song codes ("%V", "%T", "%L", "%l") read from the alarm sounds' player: its play
// state, the current track's length and output time, and the song as "artist - title" from the
// track's tags (a player on the bus has no window title to take it from).
class MediaPlayerSongInfo final : public MediaPlayerInfo {
 public:
  explicit MediaPlayerSongInfo(DesktopMediaPlayer& player) : player_(player) {}

  std::optional<int> playStatus() override;
  int songLengthSeconds() override;
  int outputPositionMs() override;
  std::string songTitle() override;

 private:
  DesktopMediaPlayer& player_;
};

}  // namespace kalvory
