#include "platform/media/mpris_backend.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>
#include <QUrl>

#include "core/alarms/action_services.h"

namespace kalvory {

namespace {

const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kTrackList = QStringLiteral("org.mpris.MediaPlayer2.TrackList");
const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

QVariantMap toMap(const QVariant& value) {
  if (value.canConvert<QDBusArgument>()) return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
  return value.toMap();
}

QString trackIdOf(const QVariantMap& metadata) {
  const QVariant id = metadata.value(QStringLiteral("mpris:trackid"));
  if (id.canConvert<QDBusObjectPath>()) return id.value<QDBusObjectPath>().path();
  return id.toString();
}

QString fileAddress(const std::string& path) {
  return QUrl::fromLocalFile(QFileInfo(QString::fromStdString(path)).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

}  // namespace

QStringList MprisBackend::watchedNames() const {
  // The name itself and every ".<instance>" below it.
  return {QString::fromLatin1(kMprisNamePrefix) + identity_ + QStringLiteral("*")};
}

bool MprisBackend::find() {
  service_.clear();
  if (identity_.isEmpty()) return false;
  const QString exact = QString::fromLatin1(kMprisNamePrefix) + identity_;
  if (bus_.hasOwner(exact)) {
    service_ = exact;
  } else {
    QStringList instances;
    for (const QString& name : bus_.names()) {
      if (name.startsWith(exact + u'.')) instances.push_back(name);
    }
    if (instances.isEmpty()) return false;
    instances.sort();  // the same instance every time when several run
    service_ = instances.first();
  }
  hasTrackList_ = bus_.property(service_, kPath, kRoot, QStringLiteral("HasTrackList")).toBool();
  return true;
}

int MprisBackend::playlistPosition() {
  if (hasTrackList()) {
    const QString current = trackIdOf(metadata());
    const QList<QDBusObjectPath> list = tracks();
    for (int i = 0; i < list.size(); ++i) {
      if (list[i].path() == current) return i;
    }
    return 0;
  }
  // The track playing now is the first of the backend's own list.
  const QString address = metadata().value(QStringLiteral("xesam:url")).toString();
  const qsizetype known = knownAddresses_.indexOf(address);
  if (!address.isEmpty() && known >= 0) return static_cast<int>(known);
  knownAddresses_ = {address};
  return 0;
}

int MprisBackend::playState() {
  return playStateFromStatus(playerProperty(QStringLiteral("PlaybackStatus")).toString());
}

int MprisBackend::outputTime() {
  const qlonglong microseconds = playerProperty(QStringLiteral("Position")).toLongLong();
  return static_cast<int>(std::clamp<qlonglong>(microseconds / 1000, 0, INT32_MAX));
}

int MprisBackend::trackLength() {
  const qlonglong microseconds = metadata().value(QStringLiteral("mpris:length")).toLongLong();
  return static_cast<int>(std::clamp<qlonglong>(microseconds / 1000000, 0, INT32_MAX));
}

void MprisBackend::addFile(const std::string& path) {
  const QString address = fileAddress(path);
  if (!hasTrackList()) {
    if (knownAddresses_.isEmpty()) knownAddresses_.push_back(QString());
    knownAddresses_.push_back(address);
    return;
  }
  const QList<QDBusObjectPath> before = tracks();
  const QDBusObjectPath after(before.isEmpty() ? kNoTrack : before.last().path());
  if (!bus_.call(service_, kPath, kTrackList, QStringLiteral("AddTrack"), {address, QVariant::fromValue(after), false})
           .isValid())
    return;
  // Players add in the background; the next requests need the new entry.
  QDeadlineTimer deadline(kPlaylistGrowthWaitMs);
  while (tracks().size() <= before.size() && !deadline.hasExpired()) QThread::msleep(kPlaylistGrowthStepMs);
}

int MprisBackend::playlistLength() {
  if (hasTrackList()) return static_cast<int>(tracks().size());
  return static_cast<int>(std::max<qsizetype>(1, knownAddresses_.size()));
}

void MprisBackend::setPlaylistPosition(int position) {
  if (hasTrackList()) {
    const QList<QDBusObjectPath> list = tracks();
    if (list.isEmpty()) return;
    bus_.call(service_, kPath, kTrackList, QStringLiteral("GoTo"),
              {QVariant::fromValue(list[std::clamp<qsizetype>(position, 0, list.size() - 1)])});
    return;
  }
  if (knownAddresses_.isEmpty()) return;
  const QString address = knownAddresses_[std::clamp<qsizetype>(position, 0, knownAddresses_.size() - 1)];
  if (address.isEmpty() || address == metadata().value(QStringLiteral("xesam:url")).toString()) return;
  // OpenUri also starts the track; choosing a position leaves a stopped player stopped.
  const bool wasStopped = playState() == MediaPlayer::kStopped;
  player(QStringLiteral("OpenUri"), {address});
  if (wasStopped) stop();
}

void MprisBackend::stop() { player(QStringLiteral("Stop")); }

void MprisBackend::play() { player(QStringLiteral("Play")); }

void MprisBackend::seek(int milliseconds) {
  // SetPosition needs the current track's id, which a stopped player does not give: it then
  // does nothing, as seeking a stopped player does.
  const QString track = trackIdOf(metadata());
  if (track.isEmpty()) return;
  player(QStringLiteral("SetPosition"), {QVariant::fromValue(QDBusObjectPath(track)),
                                         QVariant::fromValue(qlonglong(std::max(0, milliseconds)) * 1000)});
}

void MprisBackend::removeEntry(int position, const std::string& path) {
  const QString address = fileAddress(path);
  if (!hasTrackList()) {
    // The backend's own list: the player itself only ever held the track it was opened with.
    if (position > 0 && position < knownAddresses_.size() && knownAddresses_[position] == address)
      knownAddresses_.removeAt(position);
    return;
  }
  const QList<QDBusObjectPath> list = tracks();
  if (position < 0 || position >= list.size()) return;
  const QVariant answer = bus_.call(service_, kPath, kTrackList, QStringLiteral("GetTracksMetadata"),
                                    {QVariant::fromValue(QList<QDBusObjectPath>{list[position]})});
  QList<QVariantMap> metadata;
  if (answer.canConvert<QDBusArgument>()) metadata = qdbus_cast<QList<QVariantMap>>(answer.value<QDBusArgument>());
  if (metadata.isEmpty() || metadata.front().value(QStringLiteral("xesam:url")).toString() != address) return;
  bus_.call(service_, kPath, kTrackList, QStringLiteral("RemoveTrack"), {QVariant::fromValue(list[position])});
}

void MprisBackend::close() { bus_.call(service_, kPath, kRoot, QStringLiteral("Quit")); }

QString MprisBackend::songArtist() {
  // xesam:artist is a list of names.
  return metadata().value(QStringLiteral("xesam:artist")).toStringList().join(QStringLiteral(", "));
}

QString MprisBackend::songTitle() { return metadata().value(QStringLiteral("xesam:title")).toString(); }

QVariant MprisBackend::player(const QString& method, const QVariantList& arguments) {
  return bus_.call(service_, kPath, kPlayer, method, arguments);
}

QVariant MprisBackend::playerProperty(const QString& name) { return bus_.property(service_, kPath, kPlayer, name); }

QVariantMap MprisBackend::metadata() { return toMap(playerProperty(QStringLiteral("Metadata"))); }

bool MprisBackend::hasTrackList() { return hasTrackList_; }

QList<QDBusObjectPath> MprisBackend::tracks() {
  const QVariant value = bus_.property(service_, kPath, kTrackList, QStringLiteral("Tracks"));
  if (value.canConvert<QDBusArgument>()) return qdbus_cast<QList<QDBusObjectPath>>(value.value<QDBusArgument>());
  return value.value<QList<QDBusObjectPath>>();
}

}  // namespace kalvory
