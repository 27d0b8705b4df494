// Reminders' programs through the desktop launcher, and the speech library loaded for a call.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/alarms/alarm_actions.h"
#include "platform/media/desktop_program_launcher.h"
#include "platform/media/shared_object_speech_library.h"
#include "test_support.h"

namespace kalvory {
namespace {

struct LauncherFixture {
  QTemporaryDir folder;
  std::vector<QUrl> opened;
  DesktopProgramLauncher launcher{[this](const QUrl& url) {
    opened.push_back(url);
    return true;
  }};
  AlarmSettings settings;
  test::InertPower power;
  test::InertSpeech speech;
  RecordingErrorReporter errors;

  QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }
  // A program that writes each of its arguments on a line of `<program>.args`.
  QString argumentRecorder(const QString& name) const {
    const QString program = path(name);
    test::writeScript(program, "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.args\"");
    return program;
  }
  static QStringList recordedArguments(const QString& program) {
    QFile file(program + QStringLiteral(".args"));
    if (!test::spinUntil([&] { return file.exists() && file.size() > 0; }, 5000)) return {};
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
  }
};

using test::NoPlayer;

TEST(ProgramLauncher, ExeLineStartsThePathWithTheRestAsParameters) {
  LauncherFixture f;
  const QString program = f.argumentRecorder(QStringLiteral("Report.EXE"));
  NoPlayer player;
  AlarmActions actions(f.settings, player, f.launcher, f.power, f.speech, f.errors, [] { return COleDateTime(); });
  actions.ExecuteApplication((program + QStringLiteral(" /quiet")).toStdString());
  EXPECT_TRUE(f.errors.entries.empty());
  EXPECT_EQ(LauncherFixture::recordedArguments(program), QStringList{QStringLiteral("/quiet")});
}

TEST(ProgramLauncher, LineWithoutExeThatCannotRunIsReportedWhole) {
  LauncherFixture f;
  NoPlayer player;
  AlarmActions actions(f.settings, player, f.launcher, f.power, f.speech, f.errors, [] { return COleDateTime(); });
  actions.ExecuteApplication("kalvory-no-such-program notes.txt");
  ASSERT_EQ(f.errors.entries.size(), 1u);
  EXPECT_EQ(f.errors.entries[0].message, "Unable to execute application: kalvory-no-such-program notes.txt");
  EXPECT_TRUE(f.opened.empty());
}

TEST(ProgramLauncher, QuotedBlanksStayTogether) {
  LauncherFixture f;
  ASSERT_TRUE(QDir(f.folder.path()).mkdir(QStringLiteral("My Tools")));
  const QString program = f.argumentRecorder(QStringLiteral("My Tools/run"));
  NoPlayer player;
  AlarmActions actions(f.settings, player, f.launcher, f.power, f.speech, f.errors, [] { return COleDateTime(); });
  actions.ExecuteApplication(("\"" + program + "\" --fast \"two words\" last").toStdString());
  EXPECT_TRUE(f.errors.entries.empty());
  EXPECT_EQ(LauncherFixture::recordedArguments(program),
            (QStringList{QStringLiteral("--fast"), QStringLiteral("two words"), QStringLiteral("last")}));
}

TEST(ProgramLauncher, DocumentsFoldersAndAddressesGoToTheOpener) {
  LauncherFixture f;
  ASSERT_TRUE(QDir(f.folder.path()).mkdir(QStringLiteral("Reports 2026")));
  QFile document(f.path(QStringLiteral("notes.txt")));
  ASSERT_TRUE(document.open(QIODevice::WriteOnly));
  document.close();
  EXPECT_TRUE(f.launcher.open(f.path(QStringLiteral("Reports 2026")).toStdString(), ""));
  EXPECT_TRUE(f.launcher.open(f.path(QStringLiteral("notes.txt")).toStdString(), ""));
  EXPECT_TRUE(f.launcher.open("https://example.org/agenda", ""));
  ASSERT_EQ(f.opened.size(), 3u);
  EXPECT_EQ(f.opened[0], QUrl::fromLocalFile(f.path(QStringLiteral("Reports 2026"))));
  EXPECT_EQ(f.opened[1], QUrl::fromLocalFile(f.path(QStringLiteral("notes.txt"))));
  EXPECT_EQ(f.opened[2], QUrl(QStringLiteral("https://example.org/agenda")));
  // A line from the original system names no file here and is not an address either.
  EXPECT_FALSE(f.launcher.open("C:\\Tools\\Report.EXE", " /quiet"));
  EXPECT_EQ(f.opened.size(), 3u);
}

TEST(SpeechLibraryLoader, CallsTheFunctionOfTheFirstFolderThatHasTheLibrary) {
  QTemporaryDir out;
  const QString log = QDir(out.path()).filePath(QStringLiteral("spoken"));
  qputenv("SPEECH_PROBE_OUT", log.toUtf8());
  SharedObjectSpeechLibrary speech({out.path(), QStringLiteral(SPEECH_PROBE_DIR)}, [] { return 2; });
  speech.callOnce("SpeechProbe", "Speak");
  speech.callOnce("SpeechProbe", "NoSuchFunction");  // missing function: nothing
  speech.callOnce("NoSuchLibrary", "Speak");         // missing library: nothing
  speech.callOnce("../SpeechProbe", "Speak");        // not a name
  speech.callOnce("SpeechProbe", "Speak");
  QFile file(log);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("spoken 2\nspoken 2\n"));
  qunsetenv("SPEECH_PROBE_OUT");
}

}  // namespace
}  // namespace kalvory
