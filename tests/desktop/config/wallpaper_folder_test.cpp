// The changer's default folder (~/Pictures/Wallpapers) was neither made nor said to be missing:
// the Wallpaper page now says which listed folder is not there and makes it on request.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include "core/model/alarm_doc.h"
#include "core/settings/app_settings.h"
#include "desktop/config/wallpaper_page.h"

namespace kalvory::test {
namespace {

TEST(WallpaperPage, SaysWhichFolderIsMissingAndCreatesIt) {
  QTemporaryDir home;
  const QString pictures = home.filePath("Pictures");
  ApplicationSettings settings;
  settings.wallpaper.enabled = 1;
  settings.wallpaper.folders = (pictures + "/Wallpapers/*").toStdString();
  CAlarmDoc document;
  ConfigPageServices services;
  services.chooseFolder = [&](const QString&, const QString&, QWidget*) { return home.filePath("file/inside"); };
  services.confirm = [](const QString&, QWidget*) { return true; };
  CSetWallPaperDlgBar page(UiLanguage::English, services);
  page.load(settings, document);

  EXPECT_FALSE(page.missingFolderLabel()->isHidden());
  EXPECT_EQ(page.missingFolderLabel()->text(), "The folder \"" + pictures + "/Wallpapers/\" does not exist.");
  EXPECT_FALSE(page.createFolderButton()->isHidden());
  EXPECT_EQ(page.createFolderButton()->text(), "&Create folder");

  // With the changer off there is nothing to warn about.
  page.enableBox()->setChecked(false);
  EXPECT_TRUE(page.missingFolderLabel()->isHidden());
  page.enableBox()->setChecked(true);
  EXPECT_FALSE(page.missingFolderLabel()->isHidden());

  page.createFolderButton()->click();
  EXPECT_TRUE(QFileInfo(pictures + "/Wallpapers").isDir());
  EXPECT_TRUE(page.missingFolderLabel()->isHidden());
  EXPECT_TRUE(page.createFolderButton()->isHidden());

  // A folder that cannot be made (a file stands in its way) is said so, with the reason.
  QFile blocker(home.filePath("file"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  page.addButton()->click();
  EXPECT_FALSE(page.missingFolderLabel()->isHidden());
  page.createFolderButton()->click();
  EXPECT_TRUE(page.missingFolderLabel()->text().startsWith("The folder \"" + home.filePath("file/inside/") +
                                                           "\" could not be created: "))
      << page.missingFolderLabel()->text().toStdString();
  page.folderList()->setCurrentRow(1);
  page.removeButton()->click();
  EXPECT_TRUE(page.missingFolderLabel()->isHidden());

  // In Russian.
  CSetWallPaperDlgBar russian(UiLanguage::Russian);
  settings.wallpaper.folders = (home.filePath("Другие") + "/*").toStdString();
  russian.load(settings, document);
  EXPECT_EQ(russian.missingFolderLabel()->text(), "Папки «" + home.filePath("Другие") + "/» нет.");
}

}  // namespace
}  // namespace kalvory::test
