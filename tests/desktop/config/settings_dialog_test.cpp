#include "desktop/config/settings_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include "desktop/common/frame_fixture.h"
#include "desktop/config/autostart.h"
#include "desktop/config/configuration_feature.h"
#include "desktop/config/general_pages.h"
#include "desktop/config/wallpaper_page.h"
#include "desktop/osd/clock_static.h"
#include "desktop/osd/time_format_page.h"

namespace kalvory::test {
namespace {

// The program with its "Configuration" command answered by `answer`.
struct ConfigFixture : FrameFixture {
  ConfigFixture() {
    CSettingsDlg::resetLastPage();
    program->configuration().runDialog = [this](CSettingsDlg& dialog) {
      ++openings;
      shownPage = dialog.currentPage();
      return answer ? answer(dialog) : static_cast<int>(QDialog::Rejected);
    };
  }
  void open() { program->actions().runCommand(ID_CONFIGURATION); }
  std::function<int(CSettingsDlg&)> answer;
  int openings = 0;
  int shownPage = -1;
};

int confirm(CSettingsDlg& dialog) {
  dialog.accept();
  return QDialog::Accepted;
}

TEST(SettingsDialog, ReopensOnTheLastConfirmedPageInTitleOrder) {
  ConfigFixture fixture;
  fixture.answer = [](CSettingsDlg& dialog) {
    EXPECT_EQ(dialog.titles()->count(), 10);
    EXPECT_EQ(dialog.titles()->item(0)->text(), "General");
    EXPECT_EQ(dialog.titles()->item(6)->text(), "Wallpaper Changer");
    EXPECT_EQ(dialog.titles()->item(9)->text(), "Skins");
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
    fixture.answer = [ok](CSettingsDlg& dialog) {
      CSetWallPaperDlgBar& page = *dialog.wallpaperPage();
      page.folderChooser = [](const QString& title, const QString&, QWidget*) {
        EXPECT_EQ(title, "Add Wallpaper Folder");
        return QStringLiteral("/srv/art");
      };
      QString asked;
      page.confirm = [&](const QString& question, QWidget*) {
        asked = question;
        return true;
      };
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
      const QComboBox* list = dialog.soundPage()->rangeList();
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
    dialog.clockFormatPage()->formatEdit()->setText("%H:%M:%S");
    dialog.generalPage()->showTimeEdit()->setText("45s");
    dialog.generalPage()->minimizedBox()->setChecked(true);
    EXPECT_FALSE(dialog.generalPage()->launchBox()->isChecked());
    dialog.generalPage()->launchBox()->setChecked(true);
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
  EXPECT_TRUE(entry.readAll().contains("\nExec="));
  EXPECT_TRUE(autostartEnabled());
  ASSERT_TRUE(setAutostart(false, {}));
  EXPECT_FALSE(entry.exists());
  qunsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace kalvory::test
