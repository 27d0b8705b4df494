// The alarm sound's requests to a stand-in player on a private session bus: their exact order
// for a player that was playing, paused, stopped or not running, for Audacious and for other
// MPRIS2 players, and the clock's song codes read from it.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QUrl>
#include <csignal>

#include "core/alarms/alarm_actions.h"
#include "core/clock/time_format.h"
#include "platform/media/desktop_media_player.h"
#include "platform/media/media_player_song_info.h"
#include "platform/media/player_bus.h"
#include "platform/media/player_song_cache.h"
#include "test_support.h"

namespace kalvory {
namespace {

using test::FakePlayerProcess;
using test::fakeState;

const QString kAudacious = QStringLiteral("org.atheme.audacious");

struct Actions {
  AlarmSettings settings;
  std::unique_ptr<DesktopMediaPlayer> player = createMediaPlayer(settings);
  test::InertLauncher launcher;
  test::InertPower power;
  test::InertSpeech speech;
  RecordingErrorReporter errors;
  AlarmActions actions{settings, *player, launcher, power, speech, errors, [] { return COleDateTime(); }};
};

QString alarmUrl(const FakePlayerProcess& fake) {
  return QUrl::fromLocalFile(QDir(fake.folder()).filePath(QStringLiteral("alarm.wav"))).toString(QUrl::FullyEncoded);
}
// The alarm sound, there to be played (a file that is not there never reaches the player).
std::string alarmPath(const FakePlayerProcess& fake) {
  const QString path = QDir(fake.folder()).filePath(QStringLiteral("alarm.wav"));
  QFile file(path);
  if (!file.exists() && file.open(QIODevice::WriteOnly)) file.write("RIFF");
  return path.toStdString();
}

// A transport request to Audacious followed by the read-back of its state.
QStringList settled(const QString& request) {
  return {request, QStringLiteral("aud.Position"), QStringLiteral("aud.Status"), QStringLiteral("aud.Time")};
}

// What every Audacious alarm sound asks once the player is bound: save, add, select, restart.
QStringList audaciousPlayRequests(const QString& url, int newPosition) {
  return QStringList{QStringLiteral("aud.Position"),
                     QStringLiteral("mpris.Get PlaybackStatus"),
                     QStringLiteral("aud.Time"),
                     QStringLiteral("aud.Length"),
                     QStringLiteral("aud.AddUrl ") + url,
                     QStringLiteral("aud.Length"),
                     QStringLiteral("aud.Jump %1").arg(newPosition)} +
         settled(QStringLiteral("mpris.Stop")) + settled(QStringLiteral("mpris.Play"));
}

TEST(AudaciousAlarmSound, PlayingPausedAndStoppedPlayersAreSavedAndPutBack) {
  struct Case {
    const char* state;
    QString stateAfterRestore;
    QStringList restoreTail;  // after stop, jump and the first seek
  };
  const Case cases[] = {
      {"playing", QStringLiteral("2 playing 61500 4 file:///music/track2.ogg"),
       settled(QStringLiteral("mpris.Play")) + settled(QStringLiteral("aud.Seek 61500"))},
      {"paused", QStringLiteral("2 stopped 0 4 file:///music/track2.ogg"), {}},
      {"stopped", QStringLiteral("2 stopped 0 4 file:///music/track2.ogg"), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    FakePlayerProcess fake;
    ASSERT_TRUE(fake.start(
        {QStringLiteral("--audacious"), QStringLiteral("--state"), QString::fromLatin1(c.state),
         QStringLiteral("--position"), QStringLiteral("2"), QStringLiteral("--time"), QStringLiteral("61500")},
        kAudacious));
    Actions a;
    a.actions.PlayAlarmSound(alarmPath(fake));
    EXPECT_TRUE(a.actions.alarmMusicPlaying());
    EXPECT_TRUE(a.actions.playerWasRunning());
    EXPECT_EQ(fake.takeRequests(), audaciousPlayRequests(alarmUrl(fake), 4));
    EXPECT_EQ(fakeState(kAudacious), QStringLiteral("4 playing 0 5 ") + alarmUrl(fake));

    EXPECT_TRUE(a.actions.RestoreWinampState());
    // The alarm's entry leaves the playlist (checked to be the alarm's first) before the jump back.
    const QStringList paused =
        settled(QStringLiteral("mpris.Stop")) +
        QStringList{QStringLiteral("aud.Length"), QStringLiteral("aud.SongFilename 4"), QStringLiteral("aud.Delete 4"),
                    QStringLiteral("aud.Length"), QStringLiteral("aud.Jump 2")} +
        settled(QStringLiteral("aud.Seek 61500"));
    EXPECT_EQ(fake.takeRequests(), paused + c.restoreTail);
    EXPECT_EQ(fakeState(kAudacious), c.stateAfterRestore);
  }
}

TEST(AudaciousAlarmSound, AStartedPlayerIsWaitedForWithoutBlockingAndClosedAgain) {
  FakePlayerProcess fake;  // not started: the program line starts it
  // The program's name says which player it is.
  const QString script = QDir(fake.folder()).filePath(QStringLiteral("audacious"));
  ASSERT_TRUE(test::writeScript(
      script, "exec '" FAKE_MEDIA_PLAYER "' --audacious --tracks 0 --log '" + fake.logPath().toUtf8() + "'"));
  Actions a;
  a.settings.WinampPath = script.toStdString();

  // A player left over by a failure here must not spoil the tests after it.
  const auto quitLeftover = qScopeGuard([] {
    QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(kAudacious, QStringLiteral("/org/mpris/MediaPlayer2"),
                                       QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Quit")));
    test::spinUntil([] { return !test::nameOnBus(kAudacious); });
  });
  a.actions.PlayAlarmSound(alarmPath(fake));
  // Back at once: the player is still on its way.
  EXPECT_TRUE(a.actions.waitingForPlayer());
  EXPECT_FALSE(a.actions.alarmMusicPlaying());
  // A reminder that fires meanwhile is carried out at once.
  a.actions.ExecuteApplication("gedit notes.txt");
  EXPECT_EQ(a.launcher.opened, std::vector<std::string>{"gedit"});

  ASSERT_TRUE(test::spinUntil([&] { return !a.actions.waitingForPlayer(); }));
  EXPECT_TRUE(a.actions.alarmMusicPlaying());
  EXPECT_FALSE(a.actions.playerWasRunning());
  EXPECT_EQ(fake.takeRequests(), audaciousPlayRequests(alarmUrl(fake), 0));
  EXPECT_EQ(fakeState(kAudacious), QStringLiteral("0 playing 0 1 ") + alarmUrl(fake));

  a.actions.RestoreWinampState();
  // The player started for the alarm is left with the playlist it started with (empty).
  const QStringList restore = settled(QStringLiteral("mpris.Stop")) +
                              QStringList{QStringLiteral("aud.Length"), QStringLiteral("aud.SongFilename 0"),
                                          QStringLiteral("aud.Delete 0"), QStringLiteral("aud.Length")} +
                              settled(QStringLiteral("aud.Seek 0")) + QStringList{QStringLiteral("mpris.Quit")};
  EXPECT_EQ(fake.takeRequests(), restore);
  EXPECT_TRUE(test::spinUntil([] { return !test::nameOnBus(kAudacious); }));
}

TEST(AudaciousAlarmSound, WithoutRestoreTheAlarmTrackGoesOn) {
  FakePlayerProcess fake;
  ASSERT_TRUE(fake.start({QStringLiteral("--audacious"), QStringLiteral("--state"), QStringLiteral("playing"),
                          QStringLiteral("--position"), QStringLiteral("1")},
                         kAudacious));
  Actions a;
  a.settings.StopMusicOnCancelAlarm = false;
  a.actions.PlayAlarmSound(alarmPath(fake));
  fake.takeRequests();
  EXPECT_TRUE(a.actions.RestoreWinampState());
  EXPECT_TRUE(fake.takeRequests().isEmpty());
  EXPECT_EQ(fakeState(kAudacious), QStringLiteral("4 playing 0 5 ") + alarmUrl(fake));
}

TEST(AudaciousAlarmSound, PlayerWithoutMprisIsDrivenThroughItsOwnInterface) {
  FakePlayerProcess fake;
  ASSERT_TRUE(fake.start({QStringLiteral("--audacious"), QStringLiteral("--no-mpris"), QStringLiteral("--state"),
                          QStringLiteral("playing"), QStringLiteral("--position"), QStringLiteral("1"),
                          QStringLiteral("--time"), QStringLiteral("5000")},
                         kAudacious));
  Actions a;
  a.actions.PlayAlarmSound(alarmPath(fake));
  a.actions.RestoreWinampState();
  const QStringList requests = fake.takeRequests();
  EXPECT_EQ(requests.mid(0, 3),
            (QStringList{QStringLiteral("aud.Position"), QStringLiteral("aud.Status"), QStringLiteral("aud.Time")}));
  EXPECT_EQ(requests.mid(7, 1), QStringList{QStringLiteral("aud.Stop")});
  EXPECT_EQ(requests.mid(11, 1), QStringList{QStringLiteral("aud.Play")});
  EXPECT_EQ(fakeState(kAudacious), QStringLiteral("1 playing 5000 4 file:///music/track1.ogg"));
}

// An entry the alarm added but that the user has since replaced is not the alarm's any more:
// the restore leaves it.
TEST(AudaciousAlarmSound, OnlyTheAlarmsOwnEntryIsRemoved) {
  FakePlayerProcess fake;
  ASSERT_TRUE(fake.start({QStringLiteral("--audacious"), QStringLiteral("--state"), QStringLiteral("playing"),
                          QStringLiteral("--position"), QStringLiteral("1")},
                         kAudacious));
  Actions a;
  a.actions.PlayAlarmSound(alarmPath(fake));
  const auto call = [](const QString& method, const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(kAudacious, QStringLiteral("/org/atheme/audacious"),
                                                          QStringLiteral("org.atheme.audacious"), method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message);
  };
  call(QStringLiteral("Delete"), {QVariant::fromValue(4u)});
  call(QStringLiteral("AddUrl"), {QStringLiteral("file:///music/mine.ogg")});
  ASSERT_TRUE(test::spinUntil([] { return fakeState(kAudacious).contains(QStringLiteral(" 5 ")); }));
  fake.takeRequests();
  a.actions.RestoreWinampState();
  const QStringList requests = fake.takeRequests();
  EXPECT_TRUE(requests.contains(QStringLiteral("aud.SongFilename 4")));
  EXPECT_FALSE(requests.contains(QStringLiteral("aud.Delete 4")));
  EXPECT_TRUE(fakeState(kAudacious).startsWith(QStringLiteral("1 playing 0 5 ")));
}

TEST(MprisAlarmSound, TrackListPlayerGoesBackToItsTrack) {
  const QString service = QStringLiteral("org.mpris.MediaPlayer2.vlc");
  FakePlayerProcess fake;
  ASSERT_TRUE(fake.start({QStringLiteral("--name"), QStringLiteral("vlc"), QStringLiteral("--tracklist"),
                          QStringLiteral("--state"), QStringLiteral("playing"), QStringLiteral("--position"),
                          QStringLiteral("1"), QStringLiteral("--time"), QStringLiteral("30000")},
                         service));
  Actions a;
  a.settings.WinampPath = "/usr/bin/vlc --started-from-kalvory";
  a.actions.PlayAlarmSound(alarmPath(fake));
  const QString track = QStringLiteral("/org/mpris/MediaPlayer2/Track/");
  EXPECT_EQ(fake.takeRequests(),
            (QStringList{QStringLiteral("mpris.Get HasTrackList"), QStringLiteral("mpris.Get Metadata"),
                         QStringLiteral("mpris.Get Tracks"), QStringLiteral("mpris.Get PlaybackStatus"),
                         QStringLiteral("mpris.Get Position"), QStringLiteral("mpris.Get Tracks"),
                         QStringLiteral("mpris.AddTrack ") + alarmUrl(fake) + u' ' + track + QStringLiteral("3 0"),
                         QStringLiteral("mpris.Get Tracks"), QStringLiteral("mpris.GoTo ") + track + u'4',
                         QStringLiteral("mpris.Stop"), QStringLiteral("mpris.Play")}));
  EXPECT_EQ(fakeState(service), QStringLiteral("4 playing 0 5 ") + alarmUrl(fake));

  a.actions.RestoreWinampState();
  EXPECT_EQ(fake.takeRequests(),
            (QStringList{QStringLiteral("mpris.Get HasTrackList"), QStringLiteral("mpris.Stop"),
                         QStringLiteral("mpris.Get Tracks"), QStringLiteral("mpris.GetTracksMetadata ") + track + u'4',
                         QStringLiteral("mpris.RemoveTrack ") + track + u'4', QStringLiteral("mpris.Get Tracks"),
                         QStringLiteral("mpris.GoTo ") + track + u'1',
                         QStringLiteral("mpris.Get Metadata"),  // stopped: no track to seek in
                         QStringLiteral("mpris.Play"), QStringLiteral("mpris.Get Metadata"),
                         QStringLiteral("mpris.SetPosition ") + track + QStringLiteral("1 30000000")}));
  EXPECT_EQ(fakeState(service), QStringLiteral("1 playing 30000 4 file:///music/track1.ogg"));
}

TEST(MprisAlarmSound, PlayerWithoutTrackListReopensTheEarlierTrack) {
  // A second instance's name: the program's name followed by an instance part.
  const QString service = QStringLiteral("org.mpris.MediaPlayer2.vlc.instance4242");
  FakePlayerProcess fake;
  ASSERT_TRUE(fake.start({QStringLiteral("--name"), QStringLiteral("vlc.instance4242"), QStringLiteral("--state"),
                          QStringLiteral("playing"), QStringLiteral("--position"), QStringLiteral("2"),
                          QStringLiteral("--time"), QStringLiteral("12000")},
                         service));
  Actions a;
  a.settings.WinampPath = "vlc";
  a.actions.PlayAlarmSound(alarmPath(fake));
  EXPECT_TRUE(fakeState(service).endsWith(QStringLiteral(" playing 0 5 ") + alarmUrl(fake)))
      << fakeState(service).toStdString();
  a.actions.RestoreWinampState();
  EXPECT_TRUE(fakeState(service).endsWith(QStringLiteral(" playing 12000 6 file:///music/track2.ogg")))
      << fakeState(service).toStdString();
}

TEST(MediaPlayerSongInfo, SongCodesComeFromTheTags) {
  FakePlayerProcess fake;
  ASSERT_TRUE(
      fake.start({QStringLiteral("--audacious"), QStringLiteral("--state"), QStringLiteral("playing"),
                  QStringLiteral("--position"), QStringLiteral("2"), QStringLiteral("--time"), QStringLiteral("61500")},
                 kAudacious));
  auto player = createMediaPlayer("audacious");
  MediaPlayerSongInfo info(*player);
  TimeFormatSources sources;
  sources.player = &info;
  EXPECT_EQ(expandTimeFormat("%V|%T|%L|%l", sources), "Band 2 - Song 2|04:05|01:01|03:04");
  // Another program line names another player, which does not run: the codes are empty.
  auto other = createMediaPlayer("rhythmbox");
  MediaPlayerSongInfo none(*other);
  sources.player = &none;
  EXPECT_EQ(expandTimeFormat("%V|%T|%L|%l", sources), "|||");

  FakePlayerProcess mpris;
  ASSERT_TRUE(mpris.start(
      {QStringLiteral("--name"), QStringLiteral("strawberry"), QStringLiteral("--state"), QStringLiteral("paused"),
       QStringLiteral("--position"), QStringLiteral("3"), QStringLiteral("--time"), QStringLiteral("1000")},
      QStringLiteral("org.mpris.MediaPlayer2.strawberry")));
  auto strawberry = createMediaPlayer("strawberry");
  MediaPlayerSongInfo tags(*strawberry);
  sources.player = &tags;
  EXPECT_EQ(expandTimeFormat("%V %L", sources), "Band 3 - Song 3 00:01");
}

// The clock asks twice a second on the main thread: the answers come from a reading taken on
// another thread, so a player that hangs never holds the clock up.
TEST(PlayerSongCache, AnswersFromTheLastReadingAndNeverWaitsForThePlayer) {
  FakePlayerProcess fake;
  ASSERT_TRUE(
      fake.start({QStringLiteral("--audacious"), QStringLiteral("--state"), QStringLiteral("playing"),
                  QStringLiteral("--position"), QStringLiteral("2"), QStringLiteral("--time"), QStringLiteral("61500")},
                 kAudacious));
  qint64 now = 0;
  PlayerSongCache songs([] { return std::string("audacious"); }, [&] { return now; });
  TimeFormatSources sources;
  sources.player = &songs;
  int readings = 0;
  QObject::connect(&songs, &PlayerSongCache::updated, [&] { ++readings; });
  // Nothing read yet: no player, and the first reading is asked for.
  EXPECT_EQ(expandTimeFormat("%V|%L", sources), "|");
  ASSERT_TRUE(test::spinUntil([&] { return readings == 1; }));
  EXPECT_EQ(expandTimeFormat("%V|%L", sources), "Band 2 - Song 2|01:01");
  // Playing: the output time runs on from the reading, without a new one.
  const int first = songs.outputPositionMs();
  now += 400;
  EXPECT_EQ(songs.outputPositionMs(), first + 400);
  EXPECT_EQ(expandTimeFormat("%V", sources), "Band 2 - Song 2");
  EXPECT_EQ(readings, 1);

  // Stopped in its tracks, the player answers nothing; the clock still gets its answers at
  // once, and a paste waiting for current answers gets them once the reading gives up: a
  // player that does not answer counts as none.
  ASSERT_EQ(::kill(static_cast<pid_t>(fake.pid()), SIGSTOP), 0);
  auto resume = qScopeGuard([&] { ::kill(static_cast<pid_t>(fake.pid()), SIGCONT); });
  now += 1100;
  // Both return at once: an answer that waited for the stopped player would be empty, and a
  // paste that waited would already have run.
  EXPECT_EQ(expandTimeFormat("%V", sources), "Band 2 - Song 2");
  bool pasted = false;
  songs.whenCurrent([&] { pasted = true; });
  EXPECT_FALSE(pasted);
  ASSERT_TRUE(test::spinUntil([&] { return pasted; }, 10000));
  EXPECT_EQ(expandTimeFormat("%V", sources), "");
}

TEST(PlayerIdentity, FromTheProgramLine) {
  EXPECT_EQ(playerIdentity("audacious"), QStringLiteral("audacious"));
  EXPECT_EQ(playerIdentity("/usr/bin/vlc --one-instance"), QStringLiteral("vlc"));
  EXPECT_EQ(playerIdentity("\"/opt/My Player/Clementine\" -q"), QStringLiteral("clementine"));
  EXPECT_EQ(playerIdentity("c:\\Program Files\\Winamp\\winamp.exe"), QStringLiteral("winamp"));
  EXPECT_EQ(playerIdentity("/usr/bin/my.player"), QStringLiteral("my_player"));
  EXPECT_EQ(playerIdentity("   "), QString());
}

}  // namespace
}  // namespace kalvory
