#include "platform/media/media_player_song_info.h"

#include "platform/media/desktop_media_player.h"

namespace kalvory {

std::optional<int> MediaPlayerSongInfo::playStatus() {
  if (!player_.findPlayer()) return std::nullopt;
  return player_.playState();
}

int MediaPlayerSongInfo::songLengthSeconds() { return player_.trackLength(); }

int MediaPlayerSongInfo::outputPositionMs() { return player_.outputTime(); }

std::string MediaPlayerSongInfo::songTitle() { return player_.songText(); }

}  // namespace kalvory
