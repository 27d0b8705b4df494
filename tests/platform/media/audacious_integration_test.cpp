// The alarm sound with a real Audacious (headless, throw-away folders, the SDL output on its
// dummy driver so that time runs as on a sound card) on a session bus of the test's own: a
// firing reminder plays a generated WAV file, and turning it off returns Audacious to the
// earlier track and position.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include "core/alarms/alarm_actions.h"
#include "platform/media/desktop_media_player.h"
#include "session_bus.h"
#include "support/missing_tool.h"
#include "test_support.h"
#include "wave_file.h"

extern "C" const char* __lsan_default_suppressions() { return "leak:libQt6\nleak:libdbus\n"; }

namespace kalvory {
namespace {

QTemporaryDir* sandbox = nullptr;
const QString kService = QStringLiteral("org.atheme.audacious");

QVariant audacious(const QString& method, const QVariantList& arguments = {}) {
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, QStringLiteral("/org/atheme/audacious"), kService, method);
  call.setArguments(arguments);
  const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
  return reply.arguments().isEmpty() ? QVariant() : reply.arguments().first();
}
uint outputTime() { return audacious(QStringLiteral("Time")).toUInt(); }
uint position() { return audacious(QStringLiteral("Position")).toUInt(); }
QString status() { return audacious(QStringLiteral("Status")).toString(); }

class AudaciousProcess {
 public:
  bool start() {
    process_.setStandardOutputFile(QDir(sandbox->path()).filePath(QStringLiteral("audacious.log")));
    process_.setStandardErrorFile(QDir(sandbox->path()).filePath(QStringLiteral("audacious.log")), QIODevice::Append);
    process_.start(QStringLiteral("audacious"), {QStringLiteral("-H")});
    if (!process_.waitForStarted(5000)) return false;
    if (!test::spinUntil([] {
          return test::nameOnBus(kService) && test::nameOnBus(QStringLiteral("org.mpris.MediaPlayer2.audacious"));
        }))
      return false;
    // SDL's dummy driver plays in real time without a sound card; ALSA without one would not.
    audacious(QStringLiteral("PluginEnable"), {QStringLiteral("sdlout"), true});
    return true;
  }
  ~AudaciousProcess() {
    if (process_.state() == QProcess::NotRunning) return;
    audacious(QStringLiteral("Quit"));
    if (!process_.waitForFinished(10000)) {
      process_.kill();
      process_.waitForFinished(5000);
    }
  }

 private:
  QProcess process_;
};

TEST(AudaciousIntegration, AlarmSoundPlaysAndTheEarlierTrackComesBack) {
  if (QStandardPaths::findExecutable(QStringLiteral("audacious")).isEmpty())
    KALVORY_SKIP_WITHOUT_TOOL("audacious is not installed");
  const QString music = QDir(sandbox->path()).filePath(QStringLiteral("music.wav"));
  const QString alarm = QDir(sandbox->path()).filePath(QStringLiteral("alarm.wav"));
  ASSERT_TRUE(test::writeToneWav(music, 60, 440));
  ASSERT_TRUE(test::writeToneWav(alarm, 30, 880));
  AudaciousProcess player;
  ASSERT_TRUE(player.start());

  // The user's music: the first track, a few seconds in.
  audacious(QStringLiteral("AddUrl"), {QUrl::fromLocalFile(music).toString()});
  ASSERT_TRUE(test::spinUntil([] { return audacious(QStringLiteral("Length")).toInt() == 1; }));
  audacious(QStringLiteral("Jump"), {0u});
  audacious(QStringLiteral("Play"));
  ASSERT_TRUE(test::spinUntil([] { return status() == QLatin1String("playing") && outputTime() > 100; }));
  audacious(QStringLiteral("Seek"), {4000u});
  ASSERT_TRUE(test::spinUntil([] { return outputTime() >= 4200; }));

  AlarmSettings settings;
  auto media = createMediaPlayer(settings);
  test::InertLauncher launcher;
  test::InertPower power;
  test::InertSpeech speech;
  RecordingErrorReporter errors;
  AlarmActions actions(settings, *media, launcher, power, speech, errors, [] { return COleDateTime(); });

  const uint before = outputTime();
  actions.PlayAlarmSound(alarm.toStdString());
  ASSERT_TRUE(actions.alarmMusicPlaying());
  EXPECT_TRUE(actions.playerWasRunning());
  EXPECT_EQ(audacious(QStringLiteral("Length")).toInt(), 2);
  EXPECT_EQ(position(), 1u);
  // The alarm track really plays: its time runs.
  EXPECT_TRUE(test::spinUntil([] { return status() == QLatin1String("playing") && outputTime() >= 300; }));
  EXPECT_EQ(position(), 1u);

  ASSERT_TRUE(actions.RestoreWinampState());
  // The user's playlist is as it was: the alarm's entry is gone again.
  EXPECT_EQ(audacious(QStringLiteral("Length")).toInt(), 1);
  EXPECT_EQ(audacious(QStringLiteral("SongFilename"), {0u}).toString(), QUrl::fromLocalFile(music).toString());
  EXPECT_EQ(position(), 0u);
  EXPECT_EQ(status(), QStringLiteral("playing"));
  // Back where the music was; the time runs on from there, so compare at once.
  const uint after = outputTime();
  EXPECT_LE(std::abs(int(after) - int(before)), 300) << "before " << before << ", after " << after;
  EXPECT_TRUE(test::spinUntil([&] { return outputTime() > after + 100; }));  // and it plays on
  if (::testing::Test::HasFailure()) {
    QFile log(QDir(sandbox->path()).filePath(QStringLiteral("audacious.log")));
    log.open(QIODevice::ReadOnly);
    std::fprintf(stderr, "Audacious said:\n%s\n", log.readAll().constData());
  }
}

}  // namespace
}  // namespace kalvory

int main(int argc, char** argv) {
  QTemporaryDir folder;
  kalvory::sandbox = &folder;
  // Audacious's configuration, playlists and caches go to throw-away folders.
  for (const char* name : {"config", "data", "cache", "home", "runtime"})
    QDir(folder.path()).mkpath(QString::fromLatin1(name));
  const QString runtime = QDir(folder.path()).filePath(QStringLiteral("runtime"));
  QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  qputenv("XDG_CONFIG_HOME", QDir(folder.path()).filePath(QStringLiteral("config")).toUtf8());
  qputenv("XDG_DATA_HOME", QDir(folder.path()).filePath(QStringLiteral("data")).toUtf8());
  qputenv("XDG_CACHE_HOME", QDir(folder.path()).filePath(QStringLiteral("cache")).toUtf8());
  qputenv("HOME", QDir(folder.path()).filePath(QStringLiteral("home")).toUtf8());
  qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
  qputenv("SDL_AUDIODRIVER", "dummy");
  qunsetenv("DISPLAY");
  qunsetenv("WAYLAND_DISPLAY");
  qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/kalvory-test-session-bus");
  qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/kalvory-test-system-bus");
  QCoreApplication application(argc, argv);
  kalvory::test::PrivateSessionBus bus;
  if (bus.start().isEmpty()) {
    std::fprintf(stderr, "dbus-daemon could not be started\n");
    return 1;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
