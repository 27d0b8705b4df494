// A stand-in media player on the session bus for the media player tests. It owns the MPRIS2
// name of a player (with or without TrackList) and, as Audacious, also org.atheme.audacious
// with the requests the program uses. Every request, property reads included, is written as one
// line to the log file in the order it arrived; the interface org.kalvory.FakePlayer reports
// the state without being logged.
//
// fake_media_player --log FILE [--audacious] [--name ID] [--tracklist] [--no-mpris]
//                   [--state playing|paused|stopped] [--tracks N] [--position N] [--time MS]
#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <cstdio>

namespace {

struct Track {
  QString url;
  QString title;
  QString artist;
  int lengthSeconds;
  int id;
};

class Player : public QObject {
  Q_OBJECT

 public:
  mutable QFile log;
  QList<Track> tracks;
  int position = 0;
  QString status = QStringLiteral("stopped");
  uint timeMs = 0;
  int nextId = 0;

  void note(const QString& line) const {
    log.write(line.toUtf8() + '\n');
    log.flush();
  }
  Track track(const QString& url, const QString& title, const QString& artist, int length) {
    return {url, title, artist, length, nextId++};
  }
  bool stopped() const { return status == QLatin1String("stopped"); }
  static QString trackPath(int id) { return QStringLiteral("/org/mpris/MediaPlayer2/Track/%1").arg(id); }
  int indexOf(const QString& path) const {
    for (int i = 0; i < tracks.size(); ++i)
      if (trackPath(tracks[i].id) == path) return i;
    return -1;
  }
  // Reaching another track while playing starts it from the beginning.
  void moveTo(int index) {
    position = index;
    timeMs = 0;
  }
  void play() {
    status = QStringLiteral("playing");  // also while playing: the track starts again
    timeMs = 0;
  }
  void stop() {
    status = QStringLiteral("stopped");
    timeMs = 0;
  }
  void quitSoon() {
    // A real player takes its time to go.
    QTimer::singleShot(300, qApp, &QCoreApplication::quit);
  }
  // The entries after a removed one move up, the one playing with them.
  void removeAt(int index) {
    if (index < 0 || index >= tracks.size()) return;
    tracks.removeAt(index);
    if (index < position) --position;
    if (position >= tracks.size()) position = std::max(0, int(tracks.size()) - 1);
  }
  // Adding happens in the background, as in Audacious.
  void addLater(const QString& url, int after) {
    QTimer::singleShot(50, this, [this, url, after] {
      const QString name = QUrl(url).fileName();
      tracks.insert(after + 1, track(url, name.section(u'.', 0, 0), QString(), 3));
      if (after + 1 <= position && tracks.size() > 1) ++position;
    });
  }
  QVariantMap metadata() const {
    if (stopped() || position >= tracks.size()) return {};  // as Audacious: nothing while stopped
    const Track& t = tracks[position];
    return {{QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackPath(t.id)))},
            {QStringLiteral("xesam:url"), t.url},
            {QStringLiteral("xesam:title"), t.title},
            {QStringLiteral("xesam:artist"), QStringList{t.artist}},
            {QStringLiteral("mpris:length"), qlonglong(t.lengthSeconds) * 1000000}};
  }
};

class AudaciousAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.atheme.audacious")
 public:
  AudaciousAdaptor(QObject* object, Player& p) : QDBusAbstractAdaptor(object), p_(p) {}
 public slots:
  uint Position() { return p_.note(QStringLiteral("aud.Position")), uint(p_.position); }
  QString Status() { return p_.note(QStringLiteral("aud.Status")), p_.status; }
  uint Time() { return p_.note(QStringLiteral("aud.Time")), p_.timeMs; }
  int Length() { return p_.note(QStringLiteral("aud.Length")), int(p_.tracks.size()); }
  int SongLength(uint pos) {
    p_.note(QStringLiteral("aud.SongLength %1").arg(pos));
    return int(pos) < p_.tracks.size() ? p_.tracks[int(pos)].lengthSeconds : -1;
  }
  QDBusVariant SongTuple(uint pos, const QString& field) {
    p_.note(QStringLiteral("aud.SongTuple %1 %2").arg(pos).arg(field));
    if (int(pos) >= p_.tracks.size()) return QDBusVariant(QString());
    const Track& t = p_.tracks[int(pos)];
    return QDBusVariant(field == QLatin1String("artist")  ? t.artist
                        : field == QLatin1String("title") ? t.title
                                                          : QString());
  }
  void AddUrl(const QString& url) {
    p_.note(QStringLiteral("aud.AddUrl ") + url);
    if (url.startsWith(QLatin1String("file:///"))) p_.addLater(url, int(p_.tracks.size()) - 1);
  }
  QString SongFilename(uint pos) {
    p_.note(QStringLiteral("aud.SongFilename %1").arg(pos));
    return int(pos) < p_.tracks.size() ? p_.tracks[int(pos)].url : QString();
  }
  void Delete(uint pos) {
    p_.note(QStringLiteral("aud.Delete %1").arg(pos));
    p_.removeAt(int(pos));
  }
  void Jump(uint pos) {
    p_.note(QStringLiteral("aud.Jump %1").arg(pos));
    if (int(pos) < p_.tracks.size()) p_.moveTo(int(pos));
  }
  void Seek(uint ms) {
    p_.note(QStringLiteral("aud.Seek %1").arg(ms));
    if (!p_.stopped()) p_.timeMs = ms;
  }
  void Play() { p_.note(QStringLiteral("aud.Play")), p_.play(); }
  void Stop() { p_.note(QStringLiteral("aud.Stop")), p_.stop(); }
  void Quit() { p_.note(QStringLiteral("aud.Quit")), p_.quitSoon(); }

 private:
  Player& p_;
};

class RootAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool HasTrackList READ hasTrackList)
  Q_PROPERTY(bool CanQuit READ canQuit)
  Q_PROPERTY(QString Identity READ identity)
 public:
  RootAdaptor(QObject* object, Player& p, bool trackList)
      : QDBusAbstractAdaptor(object), p_(p), trackList_(trackList) {}
  bool hasTrackList() const { return p_.note(QStringLiteral("mpris.Get HasTrackList")), trackList_; }
  bool canQuit() const { return true; }
  QString identity() const { return QStringLiteral("Fake"); }
 public slots:
  void Quit() { p_.note(QStringLiteral("mpris.Quit")), p_.quitSoon(); }

 private:
  Player& p_;
  bool trackList_;
};

class PlayerAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
  Q_PROPERTY(QVariantMap Metadata READ metadata)
  Q_PROPERTY(qlonglong Position READ position)
 public:
  PlayerAdaptor(QObject* object, Player& p) : QDBusAbstractAdaptor(object), p_(p) {}
  QString playbackStatus() const {
    p_.note(QStringLiteral("mpris.Get PlaybackStatus"));
    QString status = p_.status;
    status[0] = status[0].toUpper();
    return status;
  }
  QVariantMap metadata() const { return p_.note(QStringLiteral("mpris.Get Metadata")), p_.metadata(); }
  qlonglong position() const { return p_.note(QStringLiteral("mpris.Get Position")), qlonglong(p_.timeMs) * 1000; }
 public slots:
  void Play() { p_.note(QStringLiteral("mpris.Play")), p_.play(); }
  void Stop() { p_.note(QStringLiteral("mpris.Stop")), p_.stop(); }
  void Pause() {
    p_.note(QStringLiteral("mpris.Pause"));
    if (!p_.stopped()) p_.status = QStringLiteral("paused");
  }
  void OpenUri(const QString& uri) {
    p_.note(QStringLiteral("mpris.OpenUri ") + uri);
    p_.tracks.append(p_.track(uri, QUrl(uri).fileName(), QString(), 3));
    p_.moveTo(int(p_.tracks.size()) - 1);
    p_.play();
  }
  void SetPosition(const QDBusObjectPath& track, qlonglong microseconds) {
    p_.note(QStringLiteral("mpris.SetPosition %1 %2").arg(track.path()).arg(microseconds));
    if (!p_.stopped() && p_.indexOf(track.path()) == p_.position) p_.timeMs = uint(microseconds / 1000);
  }

 private:
  Player& p_;
};

class TrackListAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.TrackList")
  Q_PROPERTY(QList<QDBusObjectPath> Tracks READ tracks)
  Q_PROPERTY(bool CanEditTracks READ canEditTracks)
 public:
  TrackListAdaptor(QObject* object, Player& p) : QDBusAbstractAdaptor(object), p_(p) {}
  QList<QDBusObjectPath> tracks() const {
    p_.note(QStringLiteral("mpris.Get Tracks"));
    QList<QDBusObjectPath> paths;
    for (const Track& t : p_.tracks) paths.push_back(QDBusObjectPath(Player::trackPath(t.id)));
    return paths;
  }
  bool canEditTracks() const { return true; }
 public slots:
  void AddTrack(const QString& uri, const QDBusObjectPath& after, bool setAsCurrent) {
    p_.note(QStringLiteral("mpris.AddTrack %1 %2 %3").arg(uri, after.path()).arg(setAsCurrent));
    p_.addLater(uri, p_.indexOf(after.path()));
  }
  QList<QVariantMap> GetTracksMetadata(const QList<QDBusObjectPath>& ids) {
    QStringList names;
    for (const QDBusObjectPath& id : ids) names << id.path();
    p_.note(QStringLiteral("mpris.GetTracksMetadata ") + names.join(u' '));
    QList<QVariantMap> answer;
    for (const QDBusObjectPath& id : ids) {
      const int index = p_.indexOf(id.path());
      if (index < 0) continue;
      answer.push_back({{QStringLiteral("mpris:trackid"), QVariant::fromValue(id)},
                        {QStringLiteral("xesam:url"), p_.tracks[index].url}});
    }
    return answer;
  }
  void RemoveTrack(const QDBusObjectPath& track) {
    p_.note(QStringLiteral("mpris.RemoveTrack ") + track.path());
    p_.removeAt(p_.indexOf(track.path()));
  }
  void GoTo(const QDBusObjectPath& track) {
    p_.note(QStringLiteral("mpris.GoTo ") + track.path());
    if (const int index = p_.indexOf(track.path()); index >= 0) p_.moveTo(index);
  }

 private:
  Player& p_;
};

// Not logged: the tests read the final state through it.
class StateAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kalvory.FakePlayer")
 public:
  StateAdaptor(QObject* object, Player& p) : QDBusAbstractAdaptor(object), p_(p) {}
 public slots:
  // "<position> <status> <time ms> <playlist length> <url at position>"
  QString State() {
    const QString url = p_.position < p_.tracks.size() ? p_.tracks[p_.position].url : QString();
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(p_.position)
        .arg(p_.status)
        .arg(p_.timeMs)
        .arg(p_.tracks.size())
        .arg(url);
  }

 private:
  Player& p_;
};

QString option(const QStringList& arguments, const QString& name, const QString& fallback = {}) {
  const qsizetype at = arguments.indexOf(name);
  return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1] : fallback;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  qDBusRegisterMetaType<QList<QDBusObjectPath>>();
  const QStringList arguments = application.arguments();
  const bool audacious = arguments.contains(QStringLiteral("--audacious"));
  const QString identity = option(arguments, QStringLiteral("--name"),
                                  audacious ? QStringLiteral("audacious") : QStringLiteral("fakeplayer"));

  Player player;
  player.log.setFileName(option(arguments, QStringLiteral("--log"), QStringLiteral("/dev/null")));
  if (!player.log.open(QIODevice::Append)) return 2;
  const int trackCount = option(arguments, QStringLiteral("--tracks"), QStringLiteral("4")).toInt();
  for (int i = 0; i < trackCount; ++i) {
    player.tracks.append(player.track(QStringLiteral("file:///music/track%1.ogg").arg(i),
                                      QStringLiteral("Song %1").arg(i), QStringLiteral("Band %1").arg(i), 245));
  }
  player.position = option(arguments, QStringLiteral("--position"), QStringLiteral("0")).toInt();
  player.status = option(arguments, QStringLiteral("--state"), QStringLiteral("stopped"));
  player.timeMs = option(arguments, QStringLiteral("--time"), QStringLiteral("0")).toUInt();

  qDBusRegisterMetaType<QList<QVariantMap>>();
  QDBusConnection bus = QDBusConnection::sessionBus();
  QObject mprisObject;
  QObject audaciousObject;
  new StateAdaptor(&mprisObject, player);
  if (!arguments.contains(QStringLiteral("--no-mpris"))) {
    const bool trackList = arguments.contains(QStringLiteral("--tracklist"));
    new RootAdaptor(&mprisObject, player, trackList);
    new PlayerAdaptor(&mprisObject, player);
    if (trackList) new TrackListAdaptor(&mprisObject, player);
  }
  if (!bus.registerObject(QStringLiteral("/org/mpris/MediaPlayer2"), &mprisObject, QDBusConnection::ExportAdaptors))
    return 3;
  if (audacious) {
    new AudaciousAdaptor(&audaciousObject, player);
    if (!bus.registerObject(QStringLiteral("/org/atheme/audacious"), &audaciousObject, QDBusConnection::ExportAdaptors))
      return 3;
  }
  // The MPRIS2 name first, the player's own last: a client waiting for the own name finds both.
  if (!arguments.contains(QStringLiteral("--no-mpris")) &&
      !bus.registerService(QStringLiteral("org.mpris.MediaPlayer2.") + identity))
    return 4;
  if (audacious && !bus.registerService(QStringLiteral("org.atheme.audacious"))) return 4;
  if (arguments.contains(QStringLiteral("--no-mpris")))
    bus.registerService(QStringLiteral("org.kalvory.FakePlayer.") + identity);
  // A stand-in started through a script is nobody's child: it goes with its bus.
  QTimer busCheck;
  QObject::connect(&busCheck, &QTimer::timeout, [&bus] {
    if (!bus.isConnected()) QCoreApplication::quit();
  });
  busCheck.start(200);
  return application.exec();
}

#include "fake_media_player.moc"
