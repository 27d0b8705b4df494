// The program's own sound when no media player answers, heard on a null sink of a PulseAudio
// server of the test's own: a stream appears while the reminder rings and goes when it is
// turned off.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "core/alarms/alarm_actions.h"
#include "platform/media/built_in_sound.h"
#include "platform/media/desktop_media_player.h"
#include "session_bus.h"
#include "test_support.h"
#include "wave_file.h"

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libQt6\nleak:libdbus\nleak:libgst\nleak:libglib\nleak:libgobject\nleak:libpulse\n";
}

namespace kalvory {
namespace {

QTemporaryDir* sandbox = nullptr;

// The streams playing into the null sink.
QString sinkInputs() {
  QProcess pactl;
  pactl.start(QStringLiteral("pactl"),
              {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")});
  pactl.waitForFinished(5000);
  return QString::fromUtf8(pactl.readAllStandardOutput()).trimmed();
}

struct Fixture {
  AlarmSettings settings;
  std::unique_ptr<DesktopMediaPlayer> player = createMediaPlayer(settings);
  test::InertLauncher launcher;
  test::InertPower power;
  test::InertSpeech speech;
  RecordingErrorReporter errors;
  AlarmActions actions{settings, *player, launcher, power, speech, errors, [] { return COleDateTime(); }};
  QString wav = QDir(sandbox->path()).filePath(QStringLiteral("alarm.wav"));
};

TEST(BuiltInSound, PlaysWhenTheProgramLineCannotBeStartedAndStopsWithTheRestore) {
  Fixture f;
  ASSERT_TRUE(test::writeToneWav(f.wav, 20, 660, 44100));
  EXPECT_EQ(f.player->builtInSound(), nullptr);  // nothing set up before it is needed
  f.settings.WinampPath = "/nonexistent/folder/audacious";
  f.actions.PlayAlarmSound(f.wav.toStdString());
  EXPECT_TRUE(f.actions.builtInSoundPlaying());
  EXPECT_FALSE(f.actions.alarmMusicPlaying());
  ASSERT_NE(f.player->builtInSound(), nullptr);
  EXPECT_TRUE(test::spinUntil([] { return !sinkInputs().isEmpty(); })) << "no stream reached the sound server";
  EXPECT_TRUE(f.player->builtInSound()->playing());

  EXPECT_TRUE(f.actions.RestoreWinampState());
  EXPECT_FALSE(f.actions.builtInSoundPlaying());
  EXPECT_FALSE(f.player->builtInSound()->playing());
  EXPECT_TRUE(test::spinUntil([] { return sinkInputs().isEmpty(); })) << sinkInputs().toStdString();
}

TEST(BuiltInSound, PlaysWhenAStartedPlayerNeverAnswers) {
  Fixture f;
  ASSERT_TRUE(test::writeToneWav(f.wav, 20, 440, 44100));
  f.settings.WinampPath = "true";  // starts, and is gone without ever joining the bus
  f.player->setStartWaitMs(300);
  f.actions.PlayAlarmSound(f.wav.toStdString());
  EXPECT_TRUE(f.actions.waitingForPlayer());
  EXPECT_FALSE(f.actions.builtInSoundPlaying());
  ASSERT_TRUE(test::spinUntil([&] { return !f.actions.waitingForPlayer(); }));
  EXPECT_TRUE(f.actions.builtInSoundPlaying());
  EXPECT_TRUE(test::spinUntil([] { return !sinkInputs().isEmpty(); })) << "no stream reached the sound server";
  f.actions.RestoreWinampState();
  EXPECT_TRUE(test::spinUntil([] { return sinkInputs().isEmpty(); }));
}

QStringList* logged = nullptr;
void recordLog(QtMsgType, const QMessageLogContext& context, const QString& message) {
  if (logged && context.category != nullptr) logged->push_back(QString::fromLatin1(context.category) + ": " + message);
}

// A sound file that is not there: the player is not asked at all (it played whatever its
// playlist held before), the program's chime rings, and the log says why.
TEST(BuiltInSound, AMissingSoundFileRingsTheChimeAndIsLogged) {
  Fixture f;
  f.settings.WinampPath = "audacious";  // none runs on this bus: it would be started
  QStringList messages;
  logged = &messages;
  const QtMessageHandler previous = qInstallMessageHandler(recordLog);
  f.actions.PlayAlarmSound("/nonexistent/alarm.wav");
  qInstallMessageHandler(previous);
  logged = nullptr;
  EXPECT_FALSE(f.actions.waitingForPlayer()) << "the player was looked for";
  EXPECT_TRUE(f.actions.builtInSoundPlaying());
  ASSERT_EQ(messages.size(), 1) << messages.join('\n').toStdString();
  EXPECT_EQ(messages[0],
            "kalvory.mediaplayer: the alarm sound \"/nonexistent/alarm.wav\" does not exist; the built-in chime "
            "rings instead");
  EXPECT_TRUE(test::spinUntil([] { return !sinkInputs().isEmpty(); })) << "no stream reached the sound server";
  EXPECT_TRUE(f.actions.RestoreWinampState());
  EXPECT_TRUE(test::spinUntil([] { return sinkInputs().isEmpty(); }));

  // The chime is a proper sound: a WAVE file of a couple of seconds.
  const QByteArray wave = chimeWave();
  EXPECT_TRUE(wave.startsWith("RIFF"));
  EXPECT_EQ(wave.mid(8, 4), "WAVE");
  EXPECT_GT(wave.size(), 44 + 22050 * 2);
}

}  // namespace
}  // namespace kalvory

int main(int argc, char** argv) {
  QTemporaryDir folder;
  kalvory::sandbox = &folder;
  const QString runtime = QDir(folder.path()).filePath(QStringLiteral("runtime"));
  QDir().mkpath(runtime);
  QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  // The sound server and its clients meet in this folder, and keep their cookie in this home.
  qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
  qputenv("HOME", folder.path().toUtf8());
  qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/kalvory-test-session-bus");
  qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/kalvory-test-system-bus");
  qunsetenv("PULSE_SERVER");
  QCoreApplication application(argc, argv);
  kalvory::test::PrivateSessionBus bus;
  if (bus.start().isEmpty()) {
    std::fprintf(stderr, "dbus-daemon could not be started\n");
    return 1;
  }
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();

  QProcess server;
  server.setStandardOutputFile(QProcess::nullDevice());
  server.setStandardErrorFile(QDir(folder.path()).filePath(QStringLiteral("pulseaudio.log")));
  server.start(QStringLiteral("pulseaudio"),
               {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                QStringLiteral("-L"), QStringLiteral("module-native-protocol-unix"), QStringLiteral("-L"),
                QStringLiteral("module-null-sink sink_name=nullsink")});
  const bool ready =
      server.waitForStarted(5000) && kalvory::test::spinUntil([] {
        QProcess info;
        info.start(QStringLiteral("pactl"), {QStringLiteral("info")});
        return info.waitForFinished(2000) && info.exitStatus() == QProcess::NormalExit && info.exitCode() == 0;
      });
  if (!ready) {
    std::fprintf(stderr, "the PulseAudio server for the test did not start\n");
    return 1;
  }
  const int result = RUN_ALL_TESTS();
  server.terminate();
  if (!server.waitForFinished(5000)) server.kill();
  return result;
}
