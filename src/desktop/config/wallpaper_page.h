#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

#include "desktop/common/config_page.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace kalvory {

class ColorButton;

// The changer's intervals in minutes, one per item of the interval list.
inline constexpr std::array<long, 11> kWallpaperIntervalMinutes{1, 5, 15, 30, 60, 480, 1440, 2880, 4320, 10080, 20160};
// The item shown for an interval of `minutes`: the first whose value is not smaller.
int wallpaperIntervalItem(long minutes);

// "Wallpaper Changer": the picture folders, shuffle, the interval, the position and the
// background of the composed picture.
class CSetWallPaperDlgBar final : public ConfigPage {
  Q_OBJECT
 public:
  // The folder and pattern pickers and the yes/no question come from `services` (an empty folder
  // means the picker was cancelled).
  explicit CSetWallPaperDlgBar(UiLanguage language, ConfigPageServices services = {}, QWidget* parent = nullptr);
  void load(const ApplicationSettings& settings, const CAlarmDoc& document) override;
  void store(ApplicationSettings& settings, CAlarmDoc& document) override;

  QCheckBox* enableBox() const { return enable_; }
  QListWidget* folderList() const { return folders_; }
  QPushButton* addButton() const { return add_; }
  QPushButton* removeButton() const { return remove_; }
  QCheckBox* shuffleBox() const { return shuffle_; }
  QComboBox* intervalList() const { return interval_; }
  QRadioButton* stretchButton() const { return stretch_; }
  QRadioButton* centerButton() const { return center_; }
  QRadioButton* gradientButton() const { return gradient_; }
  QRadioButton* patternButton() const { return pattern_; }
  QLineEdit* patternEdit() const { return patternFile_; }
  ColorButton* colorButton() const { return color_; }
  // Says which listed folder does not exist (the default one is not made for the user), with a
  // button that makes it; hidden while every folder exists.
  QLabel* missingFolderLabel() const { return missingFolder_; }
  QPushButton* createFolderButton() const { return createFolder_; }

 private:
  void addFolder();
  void removeFolder();
  void updateEnabling();
  void updatePositionPicture();
  void updateMissingFolder();
  void createMissingFolders();
  QStringList missingFolders() const;

  QCheckBox* enable_ = nullptr;
  QListWidget* folders_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* remove_ = nullptr;
  QCheckBox* shuffle_ = nullptr;
  QComboBox* interval_ = nullptr;
  QRadioButton* stretch_ = nullptr;
  QRadioButton* center_ = nullptr;
  QLabel* positionPicture_ = nullptr;
  QRadioButton* gradient_ = nullptr;
  QRadioButton* pattern_ = nullptr;
  QLineEdit* patternFile_ = nullptr;
  QPushButton* browse_ = nullptr;
  ColorButton* color_ = nullptr;
  QLabel* missingFolder_ = nullptr;
  QPushButton* createFolder_ = nullptr;
  QStringList loadedFolders_;
  int style_ = 0;  // kept as loaded unless a position button is chosen ("Tile" has none)
};

ConfigPageSource wallpaperPageSource();

}  // namespace kalvory
