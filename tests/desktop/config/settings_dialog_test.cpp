#include "desktop/config/settings_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>

#include "desktop/clock/round_clock_static.h"
#include "desktop/clock/skins_page.h"
#include "desktop/common/color_button.h"
#include "desktop/common/format_preview.h"
#include "desktop/common/frame_fixture.h"
#include "desktop/config/autostart.h"
#include "desktop/config/configuration_feature.h"
#include "desktop/config/definition_pages.h"
#include "desktop/config/general_pages.h"
#include "desktop/config/wallpaper_page.h"
#include "desktop/notifier/notifiers_page.h"
#include "desktop/osd/clock_static.h"
#include "desktop/osd/osd_font_page.h"
#include "desktop/osd/text_static.h"
#include "desktop/osd/time_format_page.h"
#include "desktop/sync/sync_feature.h"
#include "desktop/sync/sync_page.h"

namespace kalvory::test {
namespace {

// The program with its "Configuration" command answered by `answer`.
// The pages' questions go to `pages`, set before the dialog opens.
struct ConfigFixture : FrameFixture {
  ConfigFixture()
      : FrameFixture(1, {}, [this](DesktopProgram::Services& services) {
          services.runConfiguration = [this](CSettingsDlg& dialog) {
            ++openings;
            shownPage = dialog.currentPage();
            return answer ? answer(dialog) : static_cast<int>(QDialog::Rejected);
          };
          services.configPages.chooseFolder = [this](const QString& title, const QString& start, QWidget* parent) {
            return pages.chooseFolder(title, start, parent);
          };
          services.configPages.confirm = [this](const QString& question, QWidget* parent) {
            return pages.confirm(question, parent);
          };
          services.configPages.chooseFont = [this](const QFont& current, QWidget* parent) {
            return pages.chooseFont(current, parent);
          };
          services.configPages.chooseColor = [this](const QColor& current, QWidget* parent) {
            return pages.chooseColor(current, parent);
          };
        }) {
    CSettingsDlg::resetLastPage();
  }
  void open() { program->actions().runCommand(ID_CONFIGURATION); }
  std::function<int(CSettingsDlg&)> answer;
  ConfigPageServices pages;
  int openings = 0;
  int shownPage = -1;
};

int confirm(CSettingsDlg& dialog) {
  dialog.accept();
  return QDialog::Accepted;
}

// The words after a number agree with it, and the QuickPaste and plug-in pages speak the
// interface language: a preview under each paste format, no untranslated "N/A".
TEST(SettingsDialog, PagesCountInTheirLanguageAndPreviewPasteFormats) {
  CSetCommonDlgBar general(UiLanguage::Ukrainian);
  auto* word = general.findChild<QLabel*>(QStringLiteral("secondsWord"));
  ASSERT_NE(word, nullptr);
  general.showTimeEdit()->setText("2");
  EXPECT_EQ(word->text(), "секунди (типово).");
  general.showTimeEdit()->setText("11");
  EXPECT_EQ(word->text(), "секунд (типово).");
  CSetCommonDlgBar english(UiLanguage::English);
  english.showTimeEdit()->setText("1");
  EXPECT_EQ(english.findChild<QLabel*>(QStringLiteral("secondsWord"))->text(), "second (default).");

  CAlarmDoc document;
  ConfigPageServices services;
  services.clock = [] { return COleDateTime(2026, 12, 8, 10, 48, 5); };
  CQStringDialog paste(UiLanguage::Russian, services);
  paste.load(defaultSettings({}), document);
  paste.formatEdit(0)->setPlainText("%A %d.%m.%Y");
  EXPECT_TRUE(paste.preview(0)->understood());
  EXPECT_EQ(paste.preview(0)->text(), "Образец: Tuesday 08.12.2026") << "QuickPaste pastes the run-time's names";
  paste.formatEdit(1)->setPlainText("%Y %q");
  EXPECT_FALSE(paste.preview(1)->understood());
  EXPECT_EQ(paste.preview(1)->text(), "Непонятный код «%q» в позиции 4.");
}

TEST(SettingsDialog, ReopensOnTheLastConfirmedPageInTitleOrder) {
  ConfigFixture fixture;
  fixture.answer = [](CSettingsDlg& dialog) {
    EXPECT_EQ(dialog.titles()->count(), 11);
    EXPECT_EQ(dialog.titles()->item(0)->text(), "General");
    EXPECT_EQ(dialog.titles()->item(6)->text(), "Wallpaper Changer");
    EXPECT_EQ(dialog.titles()->item(9)->text(), "Skins");
    EXPECT_EQ(dialog.titles()->item(10)->text(), "Sync");  // a feature beyond the ten
    EXPECT_EQ(dialog.windowTitle(), "Configuration");
    dialog.selectPage(CSettingsDlg::kWallpaper);
    EXPECT_EQ(dialog.heading()->text(), "Wallpaper Changer");
    EXPECT_EQ(dialog.heading()->palette().color(QPalette::WindowText), QColor(31, 45, 55));
    return confirm(dialog);
  };
  fixture.open();
  EXPECT_EQ(fixture.shownPage, CSettingsDlg::kGeneral);
  // A cancelled opening on another page does not move the remembered one.
  fixture.answer = [](CSettingsDlg& dialog) {
    dialog.selectPage(CSettingsDlg::kSkins);
    return static_cast<int>(QDialog::Rejected);
  };
  fixture.open();
  EXPECT_EQ(fixture.shownPage, CSettingsDlg::kWallpaper);
  fixture.open();
  EXPECT_EQ(fixture.shownPage, CSettingsDlg::kWallpaper);
  EXPECT_EQ(fixture.openings, 3);
}

TEST(SettingsDialog, CancelKeepsTheWallpaperFoldersAndOkStoresThem) {
  for (const bool ok : {false, true}) {
    ConfigFixture fixture;
    fixture.settings.wallpaper.folders = "/home/u/Pictures/*";
    fixture.settings.wallpaper.enabled = 1;
    const ApplicationSettings before = fixture.settings;
    QString asked;
    fixture.pages.chooseFolder = [](const QString& title, const QString&, QWidget*) {
      EXPECT_EQ(title, "Add Wallpaper Folder");
      return QStringLiteral("/srv/art");
    };
    fixture.pages.confirm = [&asked](const QString& question, QWidget*) {
      asked = question;
      return true;
    };
    fixture.answer = [ok, &asked](CSettingsDlg& dialog) {
      CSetWallPaperDlgBar& page = *dialog.findPage<CSetWallPaperDlgBar>();
      page.addButton()->click();
      page.folderList()->setCurrentRow(0);
      page.removeButton()->click();
      EXPECT_EQ(asked.toStdString(), "Exclude \"/home/u/Pictures/\" folder? ");
      return ok ? confirm(dialog) : static_cast<int>(QDialog::Rejected);
    };
    fixture.open();
    if (ok)
      EXPECT_EQ(fixture.settings.wallpaper.folders, "/srv/art/*");
    else
      EXPECT_EQ(fixture.settings, before);
  }
}

TEST(SettingsDialog, SayTimeRangeSelectsTheFirstItemNotGreater) {
  EXPECT_EQ(sayTimeRangeItem(90), 0);
  EXPECT_EQ(sayTimeRangeItem(30), 1);
  EXPECT_EQ(sayTimeRangeItem(29), 2);
  EXPECT_EQ(sayTimeRangeItem(14), -1);
  EXPECT_EQ(wallpaperIntervalItem(1), 0);
  EXPECT_EQ(wallpaperIntervalItem(2), 1);
  EXPECT_EQ(wallpaperIntervalItem(481), 6);
  EXPECT_EQ(wallpaperIntervalItem(10080), 9);
  EXPECT_EQ(wallpaperIntervalItem(10081), 10);

  for (const int stored : {20, 5}) {
    ConfigFixture fixture;
    fixture.settings.sound.say_time_range = stored;
    fixture.answer = [stored](CSettingsDlg& dialog) {
      const QComboBox* list = dialog.findPage<CSetSoundDlgBar>()->rangeList();
      EXPECT_EQ(list->currentText(), stored == 20 ? "15 minutes" : "");
      EXPECT_EQ(list->currentIndex(), stored == 20 ? 2 : -1);
      return confirm(dialog);
    };
    fixture.open();
    EXPECT_EQ(fixture.settings.sound.say_time_range, 15);
  }
}

// OK hands the running program the new values: the clock's format, the default message time,
// and the start-minimized box that no setting keeps.
TEST(SettingsDialog, ConfirmedChangesReachTheRunningProgramAtOnce) {
  ConfigFixture fixture;
  fixture.program->onScreen().ShowClock(true);
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  fixture.answer = [](CSettingsDlg& dialog) {
    dialog.findPage<CSetTimeFormatDlgBar>()->formatEdit()->setText("%H:%M:%S");
    dialog.findPage<CSetCommonDlgBar>()->showTimeEdit()->setText("45s");
    dialog.findPage<CSetCommonDlgBar>()->minimizedBox()->setChecked(true);
    EXPECT_FALSE(dialog.findPage<CSetCommonDlgBar>()->launchBox()->isChecked());
    dialog.findPage<CSetCommonDlgBar>()->launchBox()->setChecked(true);
    return confirm(dialog);
  };
  const ApplicationSettings before = fixture.settings;
  fixture.open();
  EXPECT_EQ(fixture.settings.clock.format, "%H:%M:%S");
  EXPECT_EQ(fixture.program->onScreen().clockWindow()->requestedFormat(), "%H:%M:%S");
  EXPECT_EQ(fixture.settings.text.show_time, 45);
  ApplicationSettings expected = before;
  expected.clock.format = "%H:%M:%S";
  expected.text.show_time = 45;
  // Nothing else, start minimized included.
  EXPECT_EQ(fixture.settings.clock, expected.clock);
  EXPECT_EQ(fixture.settings.text, expected.text);
  EXPECT_EQ(fixture.settings.app, expected.app);
  EXPECT_EQ(fixture.settings.sound, expected.sound);
  EXPECT_EQ(fixture.settings.wallpaper, expected.wallpaper);
  EXPECT_EQ(fixture.settings, expected);
  QFile entry(config.path() + "/autostart/kalvory.desktop");
  ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
  // The session starts it so that it reopens its reminders.
  const QByteArray entryText = entry.readAll();
  EXPECT_TRUE(entryText.contains("\nExec=" + QCoreApplication::applicationFilePath().toUtf8() + " --autostart\n"))
      << entryText.toStdString();
  EXPECT_TRUE(autostartEnabled());
  ASSERT_TRUE(setAutostart(false, {}));
  EXPECT_FALSE(entry.exists());
  qunsetenv("XDG_CONFIG_HOME");
}

// The Sync page of the sync feature is one more page of the program's dialog, and its OK reaches
// the running program's sync; a Cancel leaves it alone.
TEST(SettingsDialog, SyncPageReachesTheProgramsSyncOnOk) {
  ConfigFixture fixture;
  for (const bool ok : {false, true}) {
    fixture.answer = [ok](CSettingsDlg& dialog) {
      dialog.selectPage(10);
      auto* page = dynamic_cast<SyncPage*>(dialog.page(10));
      EXPECT_NE(page, nullptr);
      if (!page) return static_cast<int>(QDialog::Rejected);
      page->serverEdit()->setText("https://dav.example.org/");
      page->userEdit()->setText("anna");
      if (!ok) return static_cast<int>(QDialog::Rejected);
      return confirm(dialog);
    };
    fixture.open();
    EXPECT_EQ(fixture.program->sync().settings().user, ok ? "anna" : "") << ok;
    EXPECT_EQ(fixture.program->sync().settings().server, ok ? "https://dav.example.org/" : "") << ok;
  }
  EXPECT_EQ(fixture.program->sync().settings().enabled, 0);
}

void writeFile(const QString& path, const QByteArray& content) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(content);
}

// The skins page previews the selected skin's clock: its own face and hands, the built-in face
// for a skin without one (never the face shown before), and for a skin that cannot be drawn a
// message in the preview's place that leaves the list, the mark and the setting as they were.
TEST(SettingsDialog, SkinsPagePreviewsTheSelectedClock) {
  ConfigFixture fixture;
  const QDir data(fixture.dataFolder.path());
  ASSERT_TRUE(data.mkpath("Skins"));
  QImage face(164, 164, QImage::Format_RGB32);
  face.fill(QColor(0, 128, 0));
  ASSERT_TRUE(face.save(data.filePath("Skins/green.bmp"), "BMP"));
  writeFile(data.filePath("Skins/a_green.xml"),
            "<xml><General><Name>Green</Name></General><AnalogClock><Skin>Skins/green.bmp</Skin>"
            "<HandsColor>#102030</HandsColor></AnalogClock></xml>");
  writeFile(data.filePath("Skins/b_plain.xml"), "<xml><General><Name>Plain</Name></General></xml>");
  writeFile(data.filePath("Skins/c_broken.xml"), "<xml><General><Name>Broken</Name>");
  writeFile(data.filePath("Skins/d_lost.xml"), "<xml><AnalogClock><Skin>Skins/lost.bmp</Skin></AnalogClock></xml>");
  fixture.settings.app.skin_path = "Skins/b_plain.xml";
  const ApplicationSettings before = fixture.settings;

  fixture.answer = [](CSettingsDlg& dialog) {
    CSetSkinsDlgBar& page = *dialog.findPage<CSetSkinsDlgBar>();
    const COleDateTime at(2026, 5, 7, 10, 10, 30);
    const QPoint onTheFace(82, 20);           // off the hands at 10:10:30
    EXPECT_EQ(page.list()->currentRow(), 1);  // the current skin, with the built-in face
    EXPECT_TRUE(page.clockPreviewShown());
    const QRgb builtIn = page.clockPreview()->dialImage(at).pixel(onTheFace);

    page.list()->setCurrentRow(0);
    EXPECT_TRUE(page.clockPreviewShown());
    EXPECT_EQ(page.clockPreview()->dialImage(at).pixel(onTheFace), qRgb(0, 128, 0));
    EXPECT_EQ(page.clockPreview()->settings().hourHandColor, makeColorRef(0x10, 0x20, 0x30));

    page.list()->setCurrentRow(1);
    EXPECT_EQ(page.clockPreview()->dialImage(at).pixel(onTheFace), builtIn);
    EXPECT_NE(builtIn, qRgb(0, 128, 0));

    page.list()->setCurrentRow(2);
    EXPECT_FALSE(page.clockPreviewShown());
    EXPECT_EQ(page.previewMessage()->text(), "This skin file cannot be read:\nc_broken.xml");
    EXPECT_TRUE(page.setDefaultButton()->isEnabled());
    EXPECT_EQ(page.markedRow(), "b_plain.xml");

    page.list()->setCurrentRow(3);
    EXPECT_FALSE(page.clockPreviewShown());
    EXPECT_EQ(page.previewMessage()->text(), "The clock face of this skin cannot be loaded:\nSkins/lost.bmp");
    return confirm(dialog);
  };
  fixture.open();
  EXPECT_EQ(fixture.settings, before);
}

// The stickers page draws the selected sticker as the wallpaper would: the test text in its text
// rectangle, its transparent colour see-through, the rest at its opacity; a sticker whose picture
// is gone says so.
TEST(SettingsDialog, StickersPagePreviewsTheSelectedSticker) {
  ConfigFixture fixture;
  QImage picture(120, 80, QImage::Format_RGB32);
  picture.fill(QColor(250, 250, 200));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) picture.setPixel(x, y, qRgb(255, 0, 255));
  const QString file = fixture.dataFolder.filePath("note.bmp");
  ASSERT_TRUE(picture.save(file, "BMP"));
  CWPStickerContext note;
  note.name = "Note";
  note.skinPath = toStdString(file);
  note.normalTextColor = makeColorRef(0, 0, 255);
  note.fontName = "DejaVu Sans";
  note.fontSize = 100;
  note.textRect = {10, 20, 110, 70};
  note.transparency = 50;
  CWPStickerContext lost = note;
  lost.name = "Lost";
  lost.skinPath = toStdString(fixture.dataFolder.filePath("lost.bmp"));
  fixture.document.stickers = {note, lost};

  fixture.answer = [](CSettingsDlg& dialog) {
    CSetStickersDlgBar& page = *dialog.findPage<CSetStickersDlgBar>();
    page.list()->setCurrentRow(0);
    const QImage image = page.preview()->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(image.size(), QSize(120, 80));
    EXPECT_EQ(qAlpha(image.pixel(5, 5)), 0);  // the transparent colour
    const QRgb paper = image.pixel(115, 75);
    EXPECT_EQ(qAlpha(paper), 127);  // 50 percent
    EXPECT_NEAR(qRed(paper), 250, 1);
    EXPECT_NEAR(qBlue(paper), 200, 1);
    int textPixels = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QRgb pixel = image.pixel(x, y);
        if (qBlue(pixel) > 200 && qRed(pixel) < 100) {
          ++textPixels;
          EXPECT_TRUE(QRect(10, 20, 100, 50).contains(x, y)) << x << "," << y;
        }
      }
    EXPECT_GT(textPixels, 20);

    page.list()->setCurrentRow(1);
    EXPECT_TRUE(page.preview()->pixmap().isNull());
    EXPECT_EQ(page.preview()->text(), "The picture of this sticker cannot be loaded:\nlost.bmp");
    return static_cast<int>(QDialog::Rejected);
  };
  fixture.open();
  EXPECT_EQ(fixture.openings, 1);
}

// The OSD page's looks reach both running windows on OK, before any tick of theirs: the message
// takes its new font (and with it a new size), the clock redraws in its new colour.
TEST(SettingsDialog, OsdLooksReachTheRunningWindowsAtOnce) {
  ConfigFixture fixture;
  OnScreenDisplay& osd = fixture.program->onScreen();
  osd.ShowClock(true);
  osd.ShowAlarmText("Tea", true);
  const int messageHeight = osd.textWindow()->height();
  const auto clockShowsColour = [&](QRgb colour) {
    const QImage& image = osd.clockWindow()->rendering().image;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if ((image.pixel(x, y) & 0xFFFFFFu) == (colour & 0xFFFFFFu)) return true;
    return false;
  };
  ASSERT_FALSE(clockShowsColour(qRgb(10, 20, 250)));
  fixture.pages.chooseFont = [](const QFont&, QWidget*) {
    QFont font(QStringLiteral("Arimo"));
    font.setPixelSize(20);
    return std::optional<QFont>(font);
  };
  fixture.pages.chooseColor = [](const QColor&, QWidget*) { return std::optional<QColor>(QColor(10, 20, 250)); };
  fixture.answer = [](CSettingsDlg& dialog) {
    CSetOSDDlgBar& page = *dialog.findPage<CSetOSDDlgBar>();
    page.selectTab(CSetOSDDlgBar::kReminderTextTab);
    page.fontButton()->click();
    page.selectTab(CSetOSDDlgBar::kClockTab);
    page.textColorButton()->click();
    page.gradientBox()->click();  // off: the lettering is the text colour alone
    page.transparencySlider()->setValue(2);
    return confirm(dialog);
  };
  fixture.open();
  const FontDescription arimo{"Arimo", -20, 400, false};
  EXPECT_EQ(fixture.settings.text.font, arimo);
  EXPECT_EQ(osd.textWindow()->looks().font, arimo);
  EXPECT_LT(osd.textWindow()->height(), messageHeight);
  EXPECT_EQ(fixture.settings.clock.color, makeColorRef(10, 20, 250));
  EXPECT_EQ(fixture.settings.clock.is_grad, 0);
  EXPECT_EQ(osd.clockWindow()->looks().textColor, makeColorRef(10, 20, 250));
  EXPECT_EQ(osd.clockWindow()->looks().opacity, 40);
  EXPECT_TRUE(clockShowsColour(qRgb(10, 20, 250)));
}

}  // namespace
}  // namespace kalvory::test
