#pragma once

#include <QObject>
#include <QThread>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/clock/media_player_info.h"

namespace kalvory {

// What one reading of the player found.
struct PlayerReading {
  std::optional<int> status;  // nullopt: no player runs
  int lengthSeconds = 0;
  int positionMs = 0;
  std::string song;
};

// The clock's song codes without waiting for the player. The clock redraws twice a second on the
// main thread, and each answer of a player on the bus is a round trip that a busy or hung player
// can stretch to a second. So the answers come from the last reading, and a reading older than a
// second asks for the next one, which a thread of its own takes from the player. Nothing is
// asked while no format shows the song; the first answers after a pause are those of the last
// reading (none at first), and the following redraw shows the new one. While the player plays,
// the output time runs on from the reading.
class PlayerSongCache final : public QObject, public MediaPlayerInfo {
  Q_OBJECT
 public:
  // Milliseconds on a clock that only moves forward; tests pass one they move themselves.
  using MonotonicClock = std::function<qint64()>;

  // `program` is the "WinampPath" program line naming the player, read on this thread.
  explicit PlayerSongCache(std::function<std::string()> program, MonotonicClock clock = {}, QObject* parent = nullptr);
  ~PlayerSongCache() override;

  // --- MediaPlayerInfo
  std::optional<int> playStatus() override;
  int songLengthSeconds() override;
  int outputPositionMs() override;
  std::string songTitle() override;
  void whenCurrent(std::function<void()> then) override;

 signals:
  // A new reading arrived.
  void updated();
  // To the reading thread.
  void readRequested(const QString& program);

 private:
  void refreshIfOld();
  void ask();
  void take(const kalvory::PlayerReading& reading);
  // Whether a reading was taken less than a second ago.
  bool readingIsFresh() const;

  std::function<std::string()> program_;
  QThread thread_;
  QObject* reader_ = nullptr;  // lives on thread_
  PlayerReading reading_;
  MonotonicClock clock_;
  std::optional<qint64> readAtMs_;  // when reading_ was taken; none before the first
  bool asking_ = false;
  std::vector<std::function<void()>> waiting_;  // for the reading under way
};

}  // namespace kalvory
