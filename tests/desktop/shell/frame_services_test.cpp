// The main window's wallpaper, power and skin services, offscreen over recording fakes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QScreen>
#include <QTemporaryDir>

#include "core/alarms/action_services.h"
#include "core/settings/settings_store.h"
#include "core/skins/definitions.h"
#include "desktop/app/alarm_app.h"
#include "desktop/common/frame_fixture.h"
#include "desktop/shell/caption_bar.h"

namespace kalvory::test {
namespace {

// A plain picture of one colour.
QString writePicture(const QString& path, QColor color, QSize size = QSize(64, 48)) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(color);
  EXPECT_TRUE(image.save(path, "BMP")) << path.toStdString();
  return path;
}

QString composedFile(const QString& dataFolder) { return dataFolder + "/KalvoryCurWP.bmp"; }

// The composed picture's colour at the middle of the screen.
QColor middleOf(const QString& file) {
  const QImage image(file);
  if (image.isNull()) return {};
  return image.pixelColor(image.width() / 2, image.height() / 2);
}

CAlarmLine dueReminder(const COleDateTime& time, const std::string& text) {
  CAlarmLine line(time);
  line.text = text;
  line.show_seconds = 2;
  line.osd = 0;
  return line;
}

TEST(FrameWallpaper, ReminderPictureAndStickerReachTheDesktopOnce) {
  FrameFixture fixture;
  const QString data = fixture.dataFolder.path();
  // Of the screen's shape, so that it covers the whole screen.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize screenPixels = screen->geometry().size() * screen->devicePixelRatio();
  const std::string picture = writePicture(data + "/red.bmp", Qt::red, screenPixels / 8).toStdString();
  CWPStickerContext sticker;
  sticker.name = "Note";
  sticker.skinPath = writePicture(data + "/blue.bmp", Qt::blue, QSize(40, 30)).toStdString();
  sticker.transparency = 100;
  fixture.document.stickers.push_back(sticker);

  CAlarmLine line = dueReminder(fixture.now, "Water the plants");
  line.wallpaper = picture;
  line.sticker = "Note";
  fixture.document.AddAlarm(line);
  fixture.program->activate();

  // The first tick fires it: the picture is composed and set, then composed again with the
  // sticker and set once more.
  fixture.tick();
  const std::string composed = composedFile(data).toStdString();
  const int style = fixture.settings.wallpaper.style;
  ASSERT_EQ(fixture.wallpaper.calls.size(), 2u);
  EXPECT_EQ(fixture.wallpaper.calls[0], (RecordingDesktopWallpaper::Call{composed, style}));
  EXPECT_EQ(fixture.wallpaper.calls[1], (RecordingDesktopWallpaper::Call{composed, style}));
  ASSERT_EQ(fixture.program->wallpaper().compositor().placedStickers().size(), 1u);
  EXPECT_EQ(fixture.program->wallpaper().compositor().placedStickers()[0].text, "Water the plants");
  // Screen-sized, the sticker drawn in the middle over the stretched picture.
  const QImage image(composedFile(data));
  EXPECT_EQ(image.size(), screenPixels);
  EXPECT_EQ(middleOf(composedFile(data)), QColor(Qt::blue));
  EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::red));

  // While it shows and after it has gone, nothing is composed or set again...
  QFile::remove(composedFile(data));
  for (int second = 1; second <= 2; ++second) {
    fixture.now = COleDateTime(2026, 5, 7, 9, 30, second);
    fixture.tick();
  }
  EXPECT_EQ(fixture.wallpaper.calls.size(), 2u);
  EXPECT_FALSE(QFile::exists(composedFile(data)));

  // ...until the sticker's time is over: it is taken off and the picture composed without it.
  fixture.now = COleDateTime(2026, 5, 7, 9, 30, 3);
  fixture.tick();
  EXPECT_TRUE(fixture.program->wallpaper().compositor().placedStickers().empty());
  EXPECT_EQ(fixture.wallpaper.calls.size(), 3u);
  EXPECT_EQ(middleOf(composedFile(data)), QColor(Qt::red));
  for (int second = 4; second <= 9; ++second) {
    fixture.now = COleDateTime(2026, 5, 7, 9, 30, second);
    fixture.tick();
  }
  EXPECT_EQ(fixture.wallpaper.calls.size(), 3u);

  // A sticker still on the wallpaper goes with the window.
  CAlarmLine later = dueReminder(COleDateTime(2026, 5, 7, 9, 30, 10), "Call back");
  later.sticker = "Note";
  fixture.document.AddAlarm(later);
  fixture.now = COleDateTime(2026, 5, 7, 9, 30, 10);
  fixture.tick();
  EXPECT_EQ(fixture.program->wallpaper().compositor().placedStickers().size(), 1u);
  fixture.document.SetModifiedFlag(false);
  ASSERT_TRUE(fixture.program->close());
  EXPECT_TRUE(fixture.program->wallpaper().compositor().placedStickers().empty());
}

TEST(FrameWallpaper, HotkeyChangesAtOnceAndTheTickOnlyWhenDue) {
  FrameFixture fixture;
  const QString data = fixture.dataFolder.path();
  QDir(data).mkdir("walls");
  writePicture(data + "/walls/a.bmp", Qt::red);
  writePicture(data + "/walls/b.bmp", Qt::green);
  fixture.settings.wallpaper.enabled = 1;
  fixture.settings.wallpaper.folders = (data + "/walls/*").toStdString();
  fixture.settings.wallpaper.interval = COleDateTimeSpan::fromSeconds(3600);
  fixture.settings.wallpaper.last_changed = fixture.now;
  fixture.program->activate();

  // Changed an instant ago: the ticks leave the desktop alone, the hotkey does not wait.
  fixture.tick();
  EXPECT_TRUE(fixture.wallpaper.calls.empty());
  ASSERT_TRUE(fixture.hotkeys.press(HOTKEY_WALLPAPER));
  fixture.settle();
  ASSERT_EQ(fixture.wallpaper.calls.size(), 1u);
  EXPECT_EQ(fixture.settings.wallpaper.position, 1);
  EXPECT_EQ(middleOf(composedFile(data)), QColor(Qt::red));
  ASSERT_TRUE(fixture.hotkeys.press(HOTKEY_WALLPAPER));
  fixture.settle();
  EXPECT_EQ(fixture.settings.wallpaper.position, 2);
  EXPECT_EQ(middleOf(composedFile(data)), QColor(Qt::green));
  EXPECT_TRUE(fixture.settings.wallpaper.last_changed == fixture.now);

  // The interval passes (strictly): the tick changes once, back to the first picture.
  fixture.now = COleDateTime(2026, 5, 7, 10, 30, 0);
  fixture.tick();
  EXPECT_EQ(fixture.wallpaper.calls.size(), 2u);
  fixture.now = COleDateTime(2026, 5, 7, 10, 30, 1);
  fixture.tick();
  ASSERT_EQ(fixture.wallpaper.calls.size(), 3u);
  EXPECT_EQ(fixture.settings.wallpaper.position, 1);
  for (int second = 2; second < 10; ++second) {
    fixture.now = COleDateTime(2026, 5, 7, 10, 30, second);
    fixture.tick();
  }
  EXPECT_EQ(fixture.wallpaper.calls.size(), 3u);
}

// Power requests, in order, each with the number of settings saves before it.
class RecordingPower final : public PowerManager {
 public:
  explicit RecordingPower(const int& saves) : saves_(saves) {}
  Result<void> powerOff() override { return record("powerOff"); }
  Result<void> reboot() override { return record("reboot"); }
  Result<void> suspend() override { return record("suspend"); }
  std::vector<std::pair<std::string, int>> calls;

 private:
  Result<void> record(const char* name) {
    calls.emplace_back(name, saves_);
    return {};
  }
  const int& saves_;
};

struct ServicesApp {
  ServicesApp() {
    environment.store = &store;
    environment.saveStore = [this] {
      ++saves;
      return true;
    };
    environment.hotkeys = &hotkeys;
    environment.errors = &errors;
    environment.power = &power;
    environment.wallpaper = &wallpaper;
    environment.clock = [this] { return now; };
    environment.singleInstance = false;
    environment.dataFolder = folder.path() + "/data";
    environment.prompts.saveChanges = [](const std::string&) { return SaveChangesAnswer::No; };
    environment.prompts.savePath = [this](const std::string&) { return (folder.path() + "/saved.alr").toStdString(); };
    QDir(folder.path()).mkdir("data");
  }
  void settle() {
    app->program()->wallpaper().waitUntilIdle();
    QCoreApplication::processEvents();
  }
  void tickUntil(int lastSecond) {
    for (int second = now.GetSecond(); second <= lastSecond; ++second) {
      now = COleDateTime(2026, 5, 7, 9, 30, second);
      app->program()->alarms().tick();
      settle();
    }
  }

  QTemporaryDir folder;
  MemorySettingsStore store;
  int saves = 0;
  FakeHotkeyService hotkeys;
  RecordingErrorReporter errors;
  RecordingPower power{saves};
  RecordingDesktopWallpaper wallpaper;
  COleDateTime now{2026, 5, 7, 9, 30, 0};
  CAlarmApp::Environment environment;
  std::unique_ptr<CAlarmApp> app;
};

TEST(FramePower, ExitActionsReachThePowerManager) {
  for (const auto& [action, request] :
       std::vector<std::pair<int, std::string>>{{Shutdown, "powerOff"}, {Restart, "reboot"}}) {
    ServicesApp fixture;
    fixture.app = std::make_unique<CAlarmApp>(fixture.environment);
    ASSERT_TRUE(fixture.app->InitInstance({}));
    CAlarmLine line = dueReminder(COleDateTime(2026, 5, 7, 9, 30, 1), "Good night");
    line.exit_action = action;
    fixture.app->document().AddAlarm(line);
    fixture.tickUntil(2);
    EXPECT_TRUE(fixture.power.calls.empty());
    EXPECT_FALSE(fixture.app->exited());
    // Its time over, the program saves the document, closes, saves the settings, and only then
    // asks for the power request.
    fixture.tickUntil(4);
    EXPECT_TRUE(fixture.app->exited());
    EXPECT_TRUE(QFile::exists(fixture.folder.path() + "/saved.alr"));
    ASSERT_EQ(fixture.power.calls.size(), 1u) << action;
    EXPECT_EQ(fixture.power.calls[0].first, request);
    EXPECT_GE(fixture.power.calls[0].second, 1);
  }
  {
    // "Sleep" suspends once and the program goes on checking.
    ServicesApp fixture;
    fixture.app = std::make_unique<CAlarmApp>(fixture.environment);
    ASSERT_TRUE(fixture.app->InitInstance({}));
    CAlarmLine line = dueReminder(COleDateTime(2026, 5, 7, 9, 30, 1), "Nap");
    line.exit_action = Sleep;
    fixture.app->document().AddAlarm(line);
    fixture.tickUntil(10);
    ASSERT_EQ(fixture.power.calls.size(), 1u);
    EXPECT_EQ(fixture.power.calls[0].first, "suspend");
    EXPECT_FALSE(fixture.app->exited());
    EXPECT_TRUE(fixture.app->program()->alarms().isRunning());
    // "Close" ends the program without a power request.
    CAlarmLine close = dueReminder(COleDateTime(2026, 5, 7, 9, 30, 12), "Done");
    close.exit_action = CloseProgram;
    fixture.app->document().AddAlarm(close);
    fixture.tickUntil(16);
    EXPECT_TRUE(fixture.app->exited());
    EXPECT_EQ(fixture.power.calls.size(), 1u);
  }
}

TEST(FrameWallpaper, ChangerPlaceIsSavedWithTheSettings) {
  ServicesApp fixture;
  const QString walls = fixture.folder.path() + "/walls";
  QDir().mkpath(walls);
  writePicture(walls + "/a.bmp", Qt::red);
  writePicture(walls + "/b.bmp", Qt::green);
  fixture.store.writeInt("WallpaperSettings", "Enabled", 1);
  fixture.store.writeString("WallpaperSettings", "Path", (walls + "/*").toStdString());
  fixture.store.writeString("WallpaperSettings", "LastChanged", "05/07/2026 09:29:59");
  fixture.app = std::make_unique<CAlarmApp>(fixture.environment);
  ASSERT_TRUE(fixture.app->InitInstance({}));
  fixture.tickUntil(3);
  EXPECT_TRUE(fixture.wallpaper.calls.empty());

  // The hotkey moves the changer on, and its place reaches the settings file at once.
  const int savesBefore = fixture.saves;
  ASSERT_TRUE(fixture.hotkeys.press(HOTKEY_WALLPAPER));
  fixture.settle();
  EXPECT_EQ(fixture.wallpaper.calls.size(), 1u);
  EXPECT_EQ(fixture.saves, savesBefore + 1);
  EXPECT_EQ(fixture.store.readInt("WallpaperSettings", "ID"), 1);
  EXPECT_EQ(fixture.store.readString("WallpaperSettings", "LastChanged"), "05/07/2026 09:30:03");
  fixture.tickUntil(5);
  EXPECT_EQ(fixture.saves, savesBefore + 1);

  // A reminder's picture is set whether or not the changer is on, and does not move it on.
  CAlarmLine line = dueReminder(COleDateTime(2026, 5, 7, 9, 30, 6), "Look outside");
  line.wallpaper = writePicture(fixture.folder.path() + "/blue.bmp", Qt::blue).toStdString();
  fixture.app->document().AddAlarm(line);
  fixture.tickUntil(8);
  ASSERT_EQ(fixture.wallpaper.calls.size(), 2u);
  EXPECT_EQ(fixture.wallpaper.calls[1].path, composedFile(fixture.environment.dataFolder).toStdString());
  EXPECT_EQ(middleOf(composedFile(fixture.environment.dataFolder)), QColor(Qt::blue));
  EXPECT_EQ(fixture.saves, savesBefore + 1);
  EXPECT_EQ(fixture.app->settings().wallpaper.position, 1);

  ASSERT_TRUE(fixture.hotkeys.press(HOTKEY_WALLPAPER));
  EXPECT_TRUE(fixture.app->exitCommand());
  EXPECT_EQ(fixture.store.readInt("WallpaperSettings", "ID"), 2);
  EXPECT_EQ(fixture.store.readString("WallpaperSettings", "LastChanged"), "05/07/2026 09:30:08");
}

void writeSkin(const QString& path, const char* captionColor) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QStringLiteral("<xml><UI><CaptionColor>%1</CaptionColor></UI></xml>").arg(captionColor).toUtf8());
}

TEST(FrameSkin, DefaultSkinNameIsFoundInTheSkinsFolder) {
  {
    // "skin.xml" with no such file in the data folder: the one in its "Skins" folder.
    ServicesApp fixture;
    const QString data = fixture.environment.dataFolder;
    writeSkin(data + "/Skins/skin.xml", "#123456");
    writeSkin(data + "/Skins/other.xml", "#0000FF");
    fixture.app = std::make_unique<CAlarmApp>(fixture.environment);
    ASSERT_TRUE(fixture.app->InitInstance({}));
    EXPECT_EQ(fixture.app->settings().app.skin_path, "skin.xml");
    EXPECT_EQ(fixture.app->frame()->caption()->captionColor(), QColor(0x12, 0x34, 0x56));
    // The skin list marks the same file as the current one.
    const CSkinContextList skins = ListSkins(data.toStdString(), "skin.xml", nullptr);
    ASSERT_EQ(skins.size(), 2u);
    EXPECT_FALSE(skins[0].isCurrent);  // other.xml
    EXPECT_TRUE(skins[1].isCurrent);   // skin.xml

    // A file of that name in the data folder itself comes first.
    writeSkin(data + "/skin.xml", "#654321");
    fixture.app->frame()->ApplySkin("skin.xml", data.toStdString());
    EXPECT_EQ(fixture.app->frame()->caption()->captionColor(), QColor(0x65, 0x43, 0x21));
    EXPECT_EQ(skinSettingFile(data.toStdString(), "skin.xml"), (data + "/skin.xml").toStdString());
    // Folder parts and absolute names are taken as they stand.
    fixture.app->frame()->ApplySkin("Skins/other.xml", data.toStdString());
    EXPECT_EQ(fixture.app->frame()->caption()->captionColor(), QColor(0, 0, 255));
    fixture.app->frame()->ApplySkin((data + "/Skins/skin.xml").toStdString(), data.toStdString());
    EXPECT_EQ(fixture.app->frame()->caption()->captionColor(), QColor(0x12, 0x34, 0x56));
    // A name found in neither place changes nothing.
    fixture.app->frame()->ApplySkin("missing.xml", data.toStdString());
    EXPECT_EQ(fixture.app->frame()->caption()->captionColor(), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(skinSettingFile(data.toStdString(), "missing.xml"), (data + "/missing.xml").toStdString());
  }
  {
    // With the data folder seeded from the bundle, the default settings give the bundled skin
    // with its caption logo.
    ServicesApp fixture;
    fixture.environment.dataFolder.clear();
    fixture.app = std::make_unique<CAlarmApp>(fixture.environment);
    ASSERT_TRUE(fixture.app->InitInstance({}));
    EXPECT_TRUE(fixture.errors.entries.empty());
    EXPECT_TRUE(fixture.app->frame()->caption()->hasCustomLogo());
  }
}

}  // namespace
}  // namespace kalvory::test
