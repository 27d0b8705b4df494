#include "platform/media/player_song_cache.h"

#include <QElapsedTimer>
#include <memory>

#include "platform/media/desktop_media_player.h"
#include "platform/media/media_player_song_info.h"

namespace kalvory {

namespace {

constexpr qint64 kReadingLifetimeMs = 1000;
constexpr qint64 kSlowAnswerMs = 500;

// Reads the player on the reading thread; its player object belongs to that thread.
class PlayerReader final : public QObject {
  Q_OBJECT
 public:
  void read(const QString& program) {
    program_ = program.toStdString();
    if (!player_) player_ = std::make_unique<DesktopMediaPlayer>([this] { return program_; });
    MediaPlayerSongInfo player(*player_);
    PlayerReading reading;
    QElapsedTimer asked;
    asked.start();
    reading.status = player.playStatus();
    // A player that takes this long is not answering: the rest would only wait as long again.
    if (asked.elapsed() >= kSlowAnswerMs) reading.status.reset();
    if (reading.status && !QThread::currentThread()->isInterruptionRequested()) {
      reading.lengthSeconds = player.songLengthSeconds();
      reading.positionMs = player.outputPositionMs();
      reading.song = player.songTitle();
    }
    emit done(reading);
  }

 signals:
  void done(const kalvory::PlayerReading& reading);

 private:
  std::string program_;
  std::unique_ptr<DesktopMediaPlayer> player_;
};

}  // namespace

PlayerSongCache::PlayerSongCache(std::function<std::string()> program, MonotonicClock clock, QObject* parent)
    : QObject(parent), program_(std::move(program)), clock_(std::move(clock)) {
  if (!clock_) {
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    clock_ = [started] { return started->elapsed(); };
  }
  qRegisterMetaType<kalvory::PlayerReading>("kalvory::PlayerReading");
  auto* reader = new PlayerReader;
  reader->moveToThread(&thread_);
  reader_ = reader;
  connect(&thread_, &QThread::finished, reader, &QObject::deleteLater);
  connect(this, &PlayerSongCache::readRequested, reader, &PlayerReader::read);
  connect(reader, &PlayerReader::done, this, &PlayerSongCache::take);
  thread_.setObjectName(QStringLiteral("player song"));
  thread_.start(QThread::LowPriority);
}

PlayerSongCache::~PlayerSongCache() {
  // A reading under way ends with the request it is waiting for (at most a second).
  thread_.requestInterruption();
  thread_.quit();
  thread_.wait();
}

bool PlayerSongCache::readingIsFresh() const { return readAtMs_ && clock_() - *readAtMs_ < kReadingLifetimeMs; }

void PlayerSongCache::refreshIfOld() {
  if (!readingIsFresh()) ask();
}

void PlayerSongCache::ask() {
  if (asking_) return;
  asking_ = true;
  emit readRequested(QString::fromStdString(program_ ? program_() : std::string()));
}

void PlayerSongCache::whenCurrent(std::function<void()> then) {
  if (readingIsFresh()) {
    then();
    return;
  }
  waiting_.push_back(std::move(then));
  ask();
}

void PlayerSongCache::take(const PlayerReading& reading) {
  reading_ = reading;
  readAtMs_ = clock_();
  asking_ = false;
  // Taken out first: a caller may ask again from its callback.
  std::vector<std::function<void()>> waiting;
  waiting.swap(waiting_);
  for (auto& then : waiting) then();
  emit updated();
}

std::optional<int> PlayerSongCache::playStatus() {
  refreshIfOld();
  return reading_.status;
}

int PlayerSongCache::songLengthSeconds() { return reading_.lengthSeconds; }

int PlayerSongCache::outputPositionMs() {
  if (reading_.status != MediaPlayerInfo::kPlaying || !readAtMs_) return reading_.positionMs;
  const qint64 position = reading_.positionMs + (clock_() - *readAtMs_);
  const qint64 length = static_cast<qint64>(reading_.lengthSeconds) * 1000;
  return static_cast<int>(length > 0 && position > length ? length : position);
}

std::string PlayerSongCache::songTitle() { return reading_.song; }

}  // namespace kalvory

#include "player_song_cache.moc"
