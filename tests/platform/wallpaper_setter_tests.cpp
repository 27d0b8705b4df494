#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/wallpaper/wallpaper_setter.h"
#include "support/missing_tool.h"

namespace kalvory {
namespace {

struct Call {
  std::string program;
  std::vector<std::string> arguments;
};

class FakeRunner final : public CommandRunner {
 public:
  CommandResult Run(const std::string& program, const std::vector<std::string>& arguments) override {
    calls.push_back({program, arguments});
    if (answer) return answer(program, arguments);
    CommandResult result;
    result.started = true;
    result.exitCode = 0;
    return result;
  }
  std::vector<Call> calls;
  std::function<CommandResult(const std::string&, const std::vector<std::string>&)> answer;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// Whether a setter took the picture, with its refusal in the failure message.
::testing::AssertionResult Took(const Result<void>& result) {
  if (result.ok()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << result.error();
}

// A picture file and a folder for the desktop's copies.
class SetterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    picture = (folder.path() + "/Composed.BMP").toStdString();
    WriteAll(picture, "BM picture bytes");
    publish = (folder.path() + "/publish").toStdString();
    QDir().mkpath(QString::fromStdString(publish));
  }
  std::string published(int n) const { return publish + "/KalvoryDesktop-" + std::to_string(n) + ".bmp"; }
  std::string uri(int n) const {
    return "'" + QUrl::fromLocalFile(QString::fromStdString(published(n))).toString(QUrl::FullyEncoded).toStdString() +
           "'";
  }

  QTemporaryDir folder;
  std::string picture;
  std::string publish;
  FakeRunner runner;
};

TEST(WallpaperSetter, DesktopDetectionAndThePlasmaScript) {
  EXPECT_EQ(DetectDesktop("GNOME"), DesktopKind::Gnome);
  EXPECT_EQ(DetectDesktop("ubuntu:GNOME"), DesktopKind::Gnome);
  EXPECT_EQ(DetectDesktop("Budgie:GNOME"), DesktopKind::Gnome);
  EXPECT_EQ(DetectDesktop("KDE"), DesktopKind::Plasma);
  EXPECT_EQ(DetectDesktop("XFCE"), DesktopKind::Xfce);
  EXPECT_EQ(DetectDesktop("xfce"), DesktopKind::Xfce);
  EXPECT_EQ(DetectDesktop("X-Cinnamon"), DesktopKind::RootWindow);
  EXPECT_EQ(DetectDesktop("GNOMEISH"), DesktopKind::RootWindow);
  EXPECT_EQ(DetectDesktop(""), DesktopKind::RootWindow);

  const std::string script = PlasmaWallpaperScript("file:///a/\"b\\c\".bmp", 6);
  EXPECT_NE(script.find("d.wallpaperPlugin = \"org.kde.image\";"), std::string::npos);
  EXPECT_NE(script.find("Array(\"Wallpaper\", \"org.kde.image\", \"General\")"), std::string::npos);
  EXPECT_NE(script.find("d.writeConfig(\"Image\", \"file:///a/\\\"b\\\\c\\\".bmp\");"), std::string::npos);
  EXPECT_NE(script.find("d.writeConfig(\"FillMode\", 6);"), std::string::npos);
}

TEST_F(SetterTest, GnomeGetsAlternatingCopiesSoThatItReloads) {
  GnomeWallpaperSetter setter(runner, publish);
  ASSERT_TRUE(Took(setter.SetWallpaper(picture, 0)));
  const std::string schema = "org.gnome.desktop.background";
  ASSERT_EQ(runner.calls.size(), 3u);
  EXPECT_EQ(runner.calls[0].program, "gsettings");
  EXPECT_EQ(runner.calls[0].arguments, (std::vector<std::string>{"set", schema, "picture-options", "'centered'"}));
  EXPECT_EQ(runner.calls[1].arguments, (std::vector<std::string>{"set", schema, "picture-uri", uri(1)}));
  EXPECT_EQ(runner.calls[2].arguments, (std::vector<std::string>{"set", schema, "picture-uri-dark", uri(1)}));
  EXPECT_EQ(ReadAll(published(1)), "BM picture bytes");

  // The same composed file again: the other name, so the desktop sees a change.
  WriteAll(picture, "BM second picture");
  ASSERT_TRUE(Took(setter.SetWallpaper(picture, 1)));
  EXPECT_EQ(runner.calls[3].arguments.back(), "'wallpaper'");
  EXPECT_EQ(runner.calls[4].arguments.back(), uri(2));
  EXPECT_EQ(ReadAll(published(2)), "BM second picture");
  ASSERT_TRUE(Took(setter.SetWallpaper(picture, 2)));
  EXPECT_EQ(runner.calls[6].arguments.back(), "'stretched'");
  EXPECT_EQ(runner.calls[7].arguments.back(), uri(1));
  EXPECT_EQ(ReadAll(published(1)), "BM second picture");
  // A style number from a damaged settings file stretches, as the changer's default does.
  ASSERT_TRUE(Took(setter.SetWallpaper(picture, 9)));
  EXPECT_EQ(runner.calls[9].arguments.back(), "'stretched'");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(published(1) + ".part")));
}

TEST_F(SetterTest, GnomeQuotesThePathAndReportsFailures) {
  const std::string odd = (folder.path() + "/it's a picture.png").toStdString();
  WriteAll(odd, "png");
  GnomeWallpaperSetter direct(runner, "");  // no copies: the file itself
  ASSERT_TRUE(Took(direct.SetWallpaper(odd, 2)));
  std::string value = runner.calls[1].arguments.back();
  ASSERT_GE(value.size(), 2u);
  EXPECT_EQ(value.front(), '\'');
  EXPECT_EQ(value.back(), '\'');
  std::string unquoted;
  for (std::size_t i = 1; i + 1 < value.size(); ++i) {
    if (value[i] == '\\') ++i;
    unquoted += value[i];
  }
  EXPECT_EQ(QUrl(QString::fromStdString(unquoted)).toLocalFile().toStdString(), odd);

  // Older GNOME has no dark picture: that alone is no failure.
  runner.calls.clear();
  runner.answer = [](const std::string&, const std::vector<std::string>& arguments) {
    CommandResult result;
    result.started = true;
    result.exitCode = arguments[2] == "picture-uri-dark" ? 1 : 0;
    return result;
  };
  EXPECT_TRUE(Took(direct.SetWallpaper(odd, 2)));

  runner.answer = [](const std::string&, const std::vector<std::string>&) {
    CommandResult result;
    result.started = true;
    result.exitCode = 1;
    result.error = "No such schema \xE2\x80\x9Corg.gnome.desktop.background\xE2\x80\x9D\n";
    return result;
  };
  EXPECT_THAT(direct.SetWallpaper(odd, 2).error(),
              ::testing::HasSubstr("gsettings failed (exit code 1): No such schema"));

  runner.calls.clear();
  EXPECT_THAT(direct.SetWallpaper((folder.path() + "/missing.bmp").toStdString(), 2).error(),
              ::testing::HasSubstr("does not exist"));
  EXPECT_TRUE(runner.calls.empty());
}

TEST_F(SetterTest, XfceSetsEveryMonitorAndWorkspace) {
  runner.answer = [](const std::string&, const std::vector<std::string>& arguments) {
    CommandResult result;
    result.started = true;
    result.exitCode = 0;
    if (arguments.size() == 3 && arguments[2] == "-l") {
      result.output =
          "/backdrop/screen0/monitorHDMI-1/workspace0/image-style\n"
          "/backdrop/screen0/monitorHDMI-1/workspace0/last-image\n"
          "/backdrop/screen0/monitoreDP-1/workspace1/last-image\n"
          "/backdrop/single-workspace-mode\n";
    }
    return result;
  };
  XfceWallpaperSetter setter(runner, publish);
  ASSERT_TRUE(Took(setter.SetWallpaper(picture, 0)));
  const std::string channel = "xfce4-desktop";
  ASSERT_EQ(runner.calls.size(), 5u);
  EXPECT_EQ(runner.calls[0].arguments, (std::vector<std::string>{"-c", channel, "-l"}));
  EXPECT_EQ(runner.calls[1].program, "xfconf-query");
  EXPECT_EQ(runner.calls[1].arguments,
            (std::vector<std::string>{"-c", channel, "-p", "/backdrop/screen0/monitorHDMI-1/workspace0/image-style",
                                      "-n", "-t", "int", "-s", "1"}));
  EXPECT_EQ(runner.calls[2].arguments,
            (std::vector<std::string>{"-c", channel, "-p", "/backdrop/screen0/monitorHDMI-1/workspace0/last-image",
                                      "-n", "-t", "string", "-s", published(1)}));
  EXPECT_EQ(runner.calls[3].arguments[3], "/backdrop/screen0/monitoreDP-1/workspace1/image-style");
  EXPECT_EQ(runner.calls[4].arguments[3], "/backdrop/screen0/monitoreDP-1/workspace1/last-image");

  // A desktop without any picture yet gets its first monitor and workspace.
  runner.calls.clear();
  runner.answer = nullptr;
  ASSERT_TRUE(Took(setter.SetWallpaper(picture, 1)));
  ASSERT_EQ(runner.calls.size(), 3u);
  EXPECT_EQ(runner.calls[1].arguments[3], "/backdrop/screen0/monitor0/workspace0/image-style");
  EXPECT_EQ(runner.calls[1].arguments.back(), "2");
  EXPECT_EQ(runner.calls[2].arguments.back(), published(2));

  runner.answer = [](const std::string&, const std::vector<std::string>&) { return CommandResult{}; };
  EXPECT_EQ(setter.SetWallpaper(picture, 2).error(), "xfconf-query could not be started");
}

TEST_F(SetterTest, ProcessRunnerRunsTheDesktopsOwnTool) {
  // A stand-in gsettings first on PATH records its arguments, one a line.
  const QString bin = folder.path() + "/bin";
  QDir().mkpath(bin);
  const std::string log = (folder.path() + "/gsettings.log").toStdString();
  WriteAll((bin + "/gsettings").toStdString(),
           "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '" + log + "'; done\n");
  QFile::setPermissions(bin + "/gsettings", QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::WriteOwner);
  WriteAll((bin + "/failing").toStdString(), "#!/bin/sh\necho 'went wrong' >&2\nexit 3\n");
  QFile::setPermissions(bin + "/failing", QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::WriteOwner);
  const QByteArray oldPath = qgetenv("PATH");
  qputenv("PATH", bin.toLocal8Bit() + ":" + oldPath);

  ProcessCommandRunner processes;
  GnomeWallpaperSetter setter(processes, publish);
  const Result<void> set = setter.SetWallpaper(picture, 0);
  const CommandResult failing = processes.Run("failing", {});
  const CommandResult missing = processes.Run("kalvory-no-such-program", {});
  qputenv("PATH", oldPath);

  ASSERT_TRUE(Took(set));
  EXPECT_EQ(ReadAll(log),
            "set\norg.gnome.desktop.background\npicture-options\n'centered'\n"
            "set\norg.gnome.desktop.background\npicture-uri\n" +
                uri(1) +
                "\n"
                "set\norg.gnome.desktop.background\npicture-uri-dark\n" +
                uri(1) + "\n");
  EXPECT_TRUE(failing.started);
  EXPECT_EQ(failing.exitCode, 3);
  EXPECT_EQ(failing.error, "went wrong\n");
  EXPECT_FALSE(missing.started);
}

TEST_F(SetterTest, PlasmaGetsAScriptOverItsOwnBus) {
  if (QStandardPaths::findExecutable("dbus-daemon").isEmpty()) KALVORY_SKIP_WITHOUT_TOOL("dbus-daemon missing");
  QProcess bus;
  bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
  ASSERT_TRUE(bus.waitForStarted());
  ASSERT_TRUE(bus.waitForReadyRead(10000));
  const QByteArray address = bus.readLine().trimmed();
  ASSERT_FALSE(address.isEmpty());
  // The process's session bus connection is made on first use, which is below.
  qputenv("DBUS_SESSION_BUS_ADDRESS", address);

  PlasmaWallpaperSetter setter(publish);
  // No plasmashell on this bus (copy 1 is made).
  EXPECT_THAT(setter.SetWallpaper(picture, 0).error(), ::testing::HasSubstr("plasmashell refused the wallpaper"));

  const QString log = folder.path() + "/scripts.log";
  QProcess shell;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromLatin1(address));
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.insert("ASAN_OPTIONS", "detect_leaks=0");
  shell.setProcessEnvironment(environment);
  shell.start(QStringLiteral(FAKE_PLASMASHELL), {log});
  ASSERT_TRUE(shell.waitForStarted());
  QElapsedTimer waited;
  waited.start();
  QDBusConnectionInterface* names = QDBusConnection::sessionBus().interface();
  ASSERT_NE(names, nullptr);
  while (!names->isServiceRegistered("org.kde.plasmashell").value() && waited.elapsed() < 10000) QThread::msleep(20);
  ASSERT_TRUE(names->isServiceRegistered("org.kde.plasmashell").value());

  ASSERT_TRUE(Took(setter.SetWallpaper(picture, 0)));
  ASSERT_TRUE(Took(setter.SetWallpaper(picture, 1)));
  shell.terminate();
  shell.waitForFinished(5000);
  bus.terminate();
  bus.waitForFinished(5000);

  const std::string scripts = ReadAll(log.toStdString());
  const std::string first = PlasmaWallpaperScript(
      QUrl::fromLocalFile(QString::fromStdString(published(2))).toString(QUrl::FullyEncoded).toStdString(), 6);
  const std::string second = PlasmaWallpaperScript(
      QUrl::fromLocalFile(QString::fromStdString(published(1))).toString(QUrl::FullyEncoded).toStdString(), 3);
  EXPECT_EQ(scripts, first + "\n--- end of script\n" + second + "\n--- end of script\n");
}

}  // namespace
}  // namespace kalvory
