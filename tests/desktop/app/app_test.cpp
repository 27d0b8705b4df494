#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/model/document_file.h"
#include "core/settings/settings_store.h"
#include "core/wallpaper/desktop_wallpaper.h"
#include "desktop/alarms/alarm_controller.h"
#include "desktop/app/alarm_app.h"
#include "desktop/app/command_line.h"
#include "desktop/app/desktop_integration.h"
#include "desktop/app/desktop_program.h"
#include "desktop/common/action_registry.h"
#include "desktop/shell/main_frame.h"
#include "platform/x11/hotkey_service.h"

namespace kalvory::test {
namespace {

struct AppFixture {
  AppFixture() {
    environment.store = &store;
    environment.hotkeys = &hotkeys;
    environment.errors = &errors;
    environment.wallpaper = &wallpaper;
    environment.singleInstance = false;
    environment.dataFolder = folder.path() + "/data";
    environment.prompts.saveChanges = [](const std::string&) { return SaveChangesAnswer::No; };
  }
  QTemporaryDir folder;
  MemorySettingsStore store;
  FakeHotkeyService hotkeys;
  RecordingErrorReporter errors;
  RecordingDesktopWallpaper wallpaper;
  CAlarmApp::Environment environment;
};

TEST(Application, StartUpFromTheSettingsAndTheCommandLine) {
  {
    // An unreadable document on the command line is reported and the program runs on with a
    // new document, its reminder check going.
    AppFixture fixture;
    CAlarmApp app(fixture.environment);
    EXPECT_TRUE(app.InitInstance({fixture.folder.path() + "/missing.alr"}));
    EXPECT_FALSE(app.secondInstance());
    ASSERT_EQ(fixture.errors.entries.size(), 1u);
    EXPECT_NE(fixture.errors.entries[0].message.find("missing.alr"), std::string::npos);
    EXPECT_TRUE(app.documents().path().empty());
    EXPECT_TRUE(app.program()->alarms().isRunning());
  }
  {
    // A damaged one gives way to the last document, which a settings file without the key
    // "LoadLastDocument" reopens.
    AppFixture fixture;
    const QString last = fixture.folder.path() + "/daily.alr";
    CAlarmDoc stored;
    CAlarmLine line(COleDateTime(2026, 5, 7, 7, 30, 0));
    line.text = "Every morning";
    stored.AddAlarm(line);
    EXPECT_TRUE(saveDocumentFile(stored, last.toStdString()).ok());
    fixture.store.writeString("Recent File List", "File1", last.toStdString());
    const QString damaged = fixture.folder.path() + "/damaged.alr";
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x05\x00\x00\x00not a document");
    file.close();
    CAlarmApp app(fixture.environment);
    EXPECT_TRUE(app.InitInstance({damaged}));
    ASSERT_EQ(fixture.errors.entries.size(), 1u);
    EXPECT_NE(fixture.errors.entries[0].message.find("damaged.alr"), std::string::npos);
    ASSERT_EQ(app.document().alarmCount(), 1u);
    EXPECT_EQ(app.document().GetAlarmAt(0)->text, "Every morning");
    EXPECT_EQ(QString::fromStdString(app.documents().path()), last);
  }
  {
    // The session's start reopens the last document even where the user turned the key off.
    AppFixture fixture;
    const QString last = fixture.folder.path() + "/daily.alr";
    CAlarmDoc stored;
    stored.AddAlarm(CAlarmLine(COleDateTime(2026, 5, 7, 7, 30, 0)));
    EXPECT_TRUE(saveDocumentFile(stored, last.toStdString()).ok());
    fixture.store.writeString("Recent File List", "File1", last.toStdString());
    fixture.store.writeInt("AppSettings", "LoadLastDocument", 0);
    CAlarmApp app(fixture.environment);
    EXPECT_TRUE(app.InitInstance({"--autostart"}));
    EXPECT_EQ(app.document().alarmCount(), 1u);
    EXPECT_TRUE(fixture.errors.entries.empty());
  }
  {
    // Hidden at start, language from the settings, "LoadLastDocument" with an empty "File1".
    AppFixture fixture;
    fixture.store.writeInt("AppSettings", "MainFrameVisible", 0);
    fixture.store.writeInt("AppSettings", "LoadLastDocument", 1);
    fixture.store.writeInt("AppSettings", "Language", 2);
    CAlarmApp app(fixture.environment);
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_FALSE(app.frame()->isVisible());
    EXPECT_EQ(app.program()->actions().uiLanguage(), UiLanguage::Ukrainian);
    EXPECT_TRUE(app.documents().path().empty());
    EXPECT_TRUE(fixture.errors.entries.empty());
    EXPECT_EQ(fixture.hotkeys.registered.size(), 7u);
    EXPECT_TRUE(app.program()->alarms().isRunning());

    // Exit: the hidden window keeps its stored place, the settings are written, keys given back.
    fixture.store.writeInt("AppSettings", "MainPositionX", 123);
    app.settings().app.main_position_x = 123;
    EXPECT_TRUE(app.exitCommand());
    EXPECT_TRUE(app.exited());
    EXPECT_EQ(fixture.store.readInt("AppSettings", "MainPositionX"), 123);
    EXPECT_EQ(fixture.store.readInt("AppSettings", "Language"), 2);
    EXPECT_TRUE(fixture.hotkeys.registered.empty());
  }
  {
    // "LoadLastDocument" reopens "File1"; the window shows and its place is stored at exit.
    AppFixture fixture;
    const QString path = fixture.folder.path() + "/last.alr";
    CAlarmDoc stored;
    CAlarmLine line(COleDateTime(2026, 5, 7, 10, 0, 0));
    line.text = "From last time";
    stored.AddAlarm(line);
    EXPECT_TRUE(saveDocumentFile(stored, path.toStdString()).ok());
    fixture.store.writeInt("AppSettings", "LoadLastDocument", 1);
    fixture.store.writeString("Recent File List", "File1", path.toStdString());
    CAlarmApp app(fixture.environment);
    ASSERT_TRUE(app.InitInstance({}));
    ASSERT_EQ(app.document().alarmCount(), 1u);
    EXPECT_EQ(app.document().GetAlarmAt(0)->text, "From last time");
    EXPECT_TRUE(app.frame()->isVisible());
    app.frame()->move(210, 220);
    EXPECT_TRUE(app.exitCommand());
    EXPECT_EQ(fixture.store.readInt("AppSettings", "MainPositionX"), app.frame()->frameGeometry().x());
  }
}

// A session manager restarts the program with Qt's "-session ID"; Qt's options are neither
// unknown options nor documents, and a document after them is still one.
TEST(Application, ToolkitOptionsAreLeftToQt) {
  EXPECT_EQ(withoutToolkitOptions({"-session", "10d2ab_1", "notes.alr"}), QStringList{"notes.alr"});
  EXPECT_EQ(withoutToolkitOptions({"--platform", "xcb", "-style=Fusion", "-reverse", "--add", "Tea"}),
            (QStringList{"--add", "Tea"}));
  EXPECT_EQ(withoutToolkitOptions({"--help", "-x"}), (QStringList{"--help", "-x"}));
}

TEST(Application, RegistersTheDesktopEntryAndFileType) {
  QTemporaryDir folder;
  EXPECT_TRUE(DesktopIntegration::install(folder.path(), "/opt/My Apps/kalvory").isEmpty());
  QFile entry(folder.path() + "/applications/kalvory.desktop");
  ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
  const QByteArray text = entry.readAll();
  EXPECT_TRUE(text.contains("Exec=\"/opt/My Apps/kalvory\" %f\n"));
  EXPECT_TRUE(text.contains("MimeType=application/x-kalvory-document;"));
  QFile mime(folder.path() + "/mime/packages/kalvory.xml");
  ASSERT_TRUE(mime.open(QIODevice::ReadOnly));
  EXPECT_TRUE(mime.readAll().contains("<glob pattern=\"*.alr\"/>"));
  EXPECT_TRUE(QFile::exists(folder.path() + "/icons/hicolor/48x48/apps/kalvory.png"));
  EXPECT_TRUE(DesktopIntegration::desktopEntry("/usr/bin/kalvory").contains("Exec=/usr/bin/kalvory %f"));
}

}  // namespace
}  // namespace kalvory::test
