#include "platform/media/audacious_backend.h"

#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>
#include <QUrl>

#include "core/alarms/action_services.h"

namespace kalvory {

namespace {

const QString kOwnPath = QStringLiteral("/org/atheme/audacious");
const QString kOwnInterface = QStringLiteral("org.atheme.audacious");
const QString kMprisPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kMprisRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kMprisPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");

// Audacious answers "no value" with all bits set (for example the time while a track opens).

int fromUnsigned(const QVariant& value) {
  bool ok = false;
  const uint number = value.toUInt(&ok);
  return ok && number <= static_cast<uint>(INT32_MAX) ? static_cast<int>(number) : 0;
}

}  // namespace

QStringList AudaciousBackend::watchedNames() const { return {QString::fromLatin1(kService)}; }

bool AudaciousBackend::find() { return bus_.hasOwner(QString::fromLatin1(kService)); }

int AudaciousBackend::playlistPosition() { return fromUnsigned(own(QStringLiteral("Position"))); }

int AudaciousBackend::playState() {
  if (mprisPresent()) {
    return playStateFromStatus(
        bus_.property(QString::fromLatin1(kMprisService), kMprisPath, kMprisPlayer, QStringLiteral("PlaybackStatus"))
            .toString());
  }
  return playStateFromStatus(own(QStringLiteral("Status")).toString());
}

int AudaciousBackend::outputTime() { return fromUnsigned(own(QStringLiteral("Time"))); }

int AudaciousBackend::trackLength() {
  const int seconds = own(QStringLiteral("SongLength"), {QVariant::fromValue(uint(playlistPosition()))}).toInt();
  return seconds > 0 ? seconds : 0;
}

void AudaciousBackend::addFile(const std::string& path) {
  // Audacious ignores plain paths and relative ones; it takes absolute file:// addresses.
  const QString absolute = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
  const int before = playlistLength();
  if (!own(QStringLiteral("AddUrl"), {QUrl::fromLocalFile(absolute).toString(QUrl::FullyEncoded)}).isValid()) return;
  // The entry appears once the player has looked at the file; the next requests need it.
  QDeadlineTimer deadline(kPlaylistGrowthWaitMs);
  while (playlistLength() <= before && !deadline.hasExpired()) QThread::msleep(kPlaylistGrowthStepMs);
}

int AudaciousBackend::playlistLength() { return std::max(0, own(QStringLiteral("Length")).toInt()); }

void AudaciousBackend::setPlaylistPosition(int position) {
  // Jump ignores a position past the end; the last entry is the nearest one there is.
  const int length = playlistLength();
  if (length <= 0) return;
  own(QStringLiteral("Jump"), {QVariant::fromValue(uint(std::clamp(position, 0, length - 1)))});
}

void AudaciousBackend::stop() {
  if (mprisPresent())
    mpris(kMprisPlayer, QStringLiteral("Stop"));
  else
    own(QStringLiteral("Stop"));
  settle();
}

void AudaciousBackend::play() {
  if (mprisPresent())
    mpris(kMprisPlayer, QStringLiteral("Play"));
  else
    own(QStringLiteral("Play"));
  settle();
}

void AudaciousBackend::seek(int milliseconds) {
  // Absolute and exact (MPRIS2 seeks relative to a position that lags behind); a stopped
  // Audacious ignores it.
  own(QStringLiteral("Seek"), {QVariant::fromValue(uint(std::max(0, milliseconds)))});
  settle();
}

void AudaciousBackend::close() {
  if (mprisPresent())
    mpris(kMprisRoot, QStringLiteral("Quit"));
  else
    own(QStringLiteral("Quit"));
}

void AudaciousBackend::removeEntry(int position, const std::string& path) {
  if (position < 0 || position >= playlistLength()) return;
  // Audacious names an entry by the address it was added with.
  const QString expected =
      QUrl::fromLocalFile(QFileInfo(QString::fromStdString(path)).absoluteFilePath()).toString(QUrl::FullyEncoded);
  const QString held = own(QStringLiteral("SongFilename"), {QVariant::fromValue(uint(position))}).toString();
  if (QUrl(held) != QUrl(expected)) return;
  own(QStringLiteral("Delete"), {QVariant::fromValue(uint(position))});
}

QString AudaciousBackend::songArtist() { return songTag(QStringLiteral("artist")); }

QString AudaciousBackend::songTitle() { return songTag(QStringLiteral("title")); }

QVariant AudaciousBackend::own(const QString& method, const QVariantList& arguments) {
  return bus_.call(QString::fromLatin1(kService), kOwnPath, kOwnInterface, method, arguments);
}

QVariant AudaciousBackend::mpris(const QString& interface, const QString& method) {
  return bus_.call(QString::fromLatin1(kMprisService), kMprisPath, interface, method);
}

bool AudaciousBackend::mprisPresent() { return bus_.hasOwner(QString::fromLatin1(kMprisService)); }

// Audacious carries out transport requests partly on its playback thread. Read straight after
// a stop, play or seek, its state comes back in order; sent straight on, the next requests
// now and then overtook the last one's effect: in about one restore in four, Audacious ended up
// playing the alarm entry instead of the entry jumped back to (seen with Audacious 4.2, and
// not with this read-back in place).
void AudaciousBackend::settle() {
  own(QStringLiteral("Position"));
  own(QStringLiteral("Status"));
  own(QStringLiteral("Time"));
}

QString AudaciousBackend::songTag(const QString& field) {
  const QVariant value = own(QStringLiteral("SongTuple"), {QVariant::fromValue(uint(playlistPosition())), field});
  const QVariant tag = value.canConvert<QDBusVariant>() ? value.value<QDBusVariant>().variant() : value;
  return tag.typeId() == QMetaType::QString ? tag.toString() : QString();
}

}  // namespace kalvory
