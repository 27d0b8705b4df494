#include "platform/media/desktop_media_player.h"

#include <QDBusServiceWatcher>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>

#include "core/alarms/alarm_actions.h"
#include "platform/media/audacious_backend.h"
#include "platform/media/built_in_sound.h"
#include "platform/media/mpris_backend.h"
#include "platform/media/player_bus.h"

Q_LOGGING_CATEGORY(lcMediaPlayer, "kalvory.mediaplayer", QtInfoMsg)

namespace kalvory {

namespace {

const QString kAudaciousIdentity = QStringLiteral("audacious");

}  // namespace

DesktopMediaPlayer::DesktopMediaPlayer(ProgramSource program, QDBusConnection connection, QObject* parent)
    : QObject(parent), program_(std::move(program)), bus_(std::make_unique<PlayerBus>(std::move(connection))) {
  waitTimer_.setSingleShot(true);
  waitTimer_.setTimerType(Qt::PreciseTimer);
  connect(&waitTimer_, &QTimer::timeout, this, [this] {
    // The last look decides, as when the name arrived just as the time ran out.
    finishWait(findPlayer());
  });
}

DesktopMediaPlayer::~DesktopMediaPlayer() = default;

BusPlayerBackend* DesktopMediaPlayer::currentBackend() {
  const QString identity = playerIdentity(program_ ? program_() : std::string());
  if (!backend_ || identity != backendIdentity_) {
    backendIdentity_ = identity;
    bound_ = false;
    if (identity == kAudaciousIdentity)
      backend_ = std::make_unique<AudaciousBackend>(*bus_);
    else
      backend_ = std::make_unique<MprisBackend>(*bus_, identity);
  }
  return backend_.get();
}

bool DesktopMediaPlayer::findPlayer() {
  bound_ = bus_->connection().isConnected() && currentBackend()->find();
  return bound_;
}

bool DesktopMediaPlayer::startPlayerProgram(const std::string& program) {
  const CommandLineParts parts = splitCommandLine(program);
  if (parts.file.empty()) return false;
  QProcess process;
  process.setProgram(QString::fromStdString(parts.file));
  process.setArguments(QProcess::splitCommand(QString::fromStdString(parts.parameters)));
  // The player outlives the call; its output would only end up in ours.
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  const bool started = process.startDetached();
  if (!started) qCInfo(lcMediaPlayer) << "could not start the media player" << process.program();
  return started;
}

void DesktopMediaPlayer::waitForPlayer(std::function<void(bool found)> whenReady) {
  if (whenReady_) finishWait(false);  // one wait at a time; the older one gives up
  whenReady_ = std::move(whenReady);
  if (!bus_->connection().isConnected()) {
    finishWait(false);
    return;
  }
  // Watch first, then look: a name that arrives after the look is announced to the watcher.
  watcher_ = new QDBusServiceWatcher(this);
  watcher_->setConnection(bus_->connection());
  watcher_->setWatchMode(QDBusServiceWatcher::WatchForRegistration);
  watcher_->setWatchedServices(currentBackend()->watchedNames());
  connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this, &DesktopMediaPlayer::playerNameAppeared);
  waitTimer_.start(startWaitMs_);
  if (findPlayer()) finishWait(true);
}

void DesktopMediaPlayer::playerNameAppeared() {
  if (whenReady_ && findPlayer()) finishWait(true);
}

void DesktopMediaPlayer::finishWait(bool found) {
  waitTimer_.stop();
  if (watcher_) {
    watcher_->disconnect(this);
    watcher_->deleteLater();
    watcher_ = nullptr;
  }
  auto whenReady = std::exchange(whenReady_, nullptr);
  if (whenReady) whenReady(found);
}

int DesktopMediaPlayer::playlistPosition() { return bound_ ? backend_->playlistPosition() : 0; }
int DesktopMediaPlayer::playState() { return bound_ ? backend_->playState() : kStopped; }
int DesktopMediaPlayer::outputTime() { return bound_ ? backend_->outputTime() : 0; }
int DesktopMediaPlayer::trackLength() { return bound_ ? backend_->trackLength() : 0; }
int DesktopMediaPlayer::playlistLength() { return bound_ ? backend_->playlistLength() : 0; }

void DesktopMediaPlayer::addFile(const std::string& path) {
  if (bound_) backend_->addFile(path);
}
void DesktopMediaPlayer::setPlaylistPosition(int position) {
  if (bound_) backend_->setPlaylistPosition(position);
}
void DesktopMediaPlayer::stop() {
  if (bound_) backend_->stop();
}
void DesktopMediaPlayer::play() {
  if (bound_) backend_->play();
}
void DesktopMediaPlayer::seek(int milliseconds) {
  if (bound_) backend_->seek(milliseconds);
}
void DesktopMediaPlayer::close() {
  if (bound_) backend_->close();
}

bool DesktopMediaPlayer::playBuiltInSound(const std::string& path) {
  if (!QFileInfo(QString::fromStdString(path)).isFile()) return false;  // nothing to set up for
  // Made at the first sound that needs it: it costs memory and threads that most runs never use.
  if (!builtInSound_) builtInSound_ = std::make_unique<BuiltInSound>();
  return builtInSound_->play(QString::fromStdString(path));
}

bool DesktopMediaPlayer::playFallbackSound(const std::string& reason) {
  qCWarning(lcMediaPlayer).noquote() << QString::fromStdString(reason) +
                                            QStringLiteral("; the built-in chime rings instead");
  if (!builtInSound_) builtInSound_ = std::make_unique<BuiltInSound>();
  return builtInSound_->playChime();
}

void DesktopMediaPlayer::removeEntry(int position, const std::string& path) {
  if (bound_) backend_->removeEntry(position, path);
}

void DesktopMediaPlayer::stopBuiltInSound() {
  if (builtInSound_) builtInSound_->stop();
}

std::string DesktopMediaPlayer::songText() {
  if (!bound_) return {};
  const QString artist = backend_->songArtist().trimmed();
  const QString title = backend_->songTitle().trimmed();
  if (artist.isEmpty()) return title.toStdString();
  if (title.isEmpty()) return artist.toStdString();
  return (artist + QStringLiteral(" - ") + title).toStdString();
}

std::unique_ptr<DesktopMediaPlayer> createMediaPlayer(const std::string& winampPath) {
  return std::make_unique<DesktopMediaPlayer>([winampPath] { return winampPath; });
}

std::unique_ptr<DesktopMediaPlayer> createMediaPlayer(const AlarmSettings& settings) {
  return std::make_unique<DesktopMediaPlayer>([&settings] { return settings.WinampPath; });
}

}  // namespace kalvory
