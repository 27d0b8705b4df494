#pragma once

#include <QString>
#include <QStringList>
#include <string>

#include "platform/media/player_bus.h"

namespace kalvory {

// One kind of player on the session bus, with the media player's requests mapped onto its
// interfaces. DesktopMediaPlayer picks the kind from the "WinampPath" program.
class BusPlayerBackend {
 public:
  virtual ~BusPlayerBackend() = default;

  // The bus names whose arrival may mean the player has come up (for the start-up wait).
  virtual QStringList watchedNames() const = 0;
  // Whether the player is on the bus; binds the backend to it.
  virtual bool find() = 0;

  virtual int playlistPosition() = 0;
  virtual int playState() = 0;  // MediaPlayer::kStopped, kPlaying or kPaused
  virtual int outputTime() = 0;
  virtual int trackLength() = 0;
  virtual void addFile(const std::string& path) = 0;
  virtual int playlistLength() = 0;
  virtual void setPlaylistPosition(int position) = 0;
  virtual void stop() = 0;
  virtual void play() = 0;
  virtual void seek(int milliseconds) = 0;
  virtual void close() = 0;
  // Removes the playlist entry at `position` when it holds the file at `path`.
  virtual void removeEntry(int position, const std::string& path) = 0;
  // The current song's "artist" and "title" tags (either may be empty).
  virtual QString songArtist() = 0;
  virtual QString songTitle() = 0;
};

// How long addFile waits for the player to show the new entry in its playlist: the file is
// added in the background on the player's side, and the requests after it need the entry.
inline constexpr int kPlaylistGrowthWaitMs = 1000;
inline constexpr int kPlaylistGrowthStepMs = 5;

// The play state of an MPRIS2 "PlaybackStatus" ("Playing", "Paused", "Stopped"), or of the same
// words in lower case.
int playStateFromStatus(const QString& status);

}  // namespace kalvory
