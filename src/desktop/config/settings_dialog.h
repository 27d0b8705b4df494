#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "core/resources/resource_strings.h"
#include "core/settings/app_settings.h"
#include "desktop/common/config_page.h"

class QLabel;
class QListWidget;
class QStackedWidget;

namespace kalvory {

class CAlarmDoc;
class CQStringDialog;
class CSetCommonDlgBar;
class CSetNotifiersDlgBar;
class CSetOSDDlgBar;
class CSetPluginsDlgBar;
class CSetSkinsDlgBar;
class CSetSoundDlgBar;
class CSetStickersDlgBar;
class CSetTimeFormatDlgBar;
class CSetWallPaperDlgBar;
class PluginHost;

// "Configuration": the ten page titles on the left, the chosen page on the right. It edits a
// copy of the settings and hands the copy and the document values over only on OK.
class CSettingsDlg final : public QDialog {
  Q_OBJECT
 public:
  enum Page {
    kGeneral,
    kOsd,
    kClockFormat,
    kSound,
    kQuickPaste,
    kPlugins,
    kWallpaper,
    kNotifiers,
    kStickers,
    kSkins,
    kPageCount
  };

  CSettingsDlg(UiLanguage language, const ApplicationSettings& settings, CAlarmDoc& document, const PluginHost* plugins,
               std::string dataFolder, const ConfigPageServices& pageServices = {}, QWidget* parent = nullptr);
  ~CSettingsDlg() override;

  // The copy as edited; after OK it holds every page's values.
  const ApplicationSettings& settings() const { return settings_; }
  int currentPage() const;
  void selectPage(int page);
  QWidget* page(int index) const;
  QListWidget* titles() const { return titles_; }
  QLabel* heading() const { return heading_; }

  CSetCommonDlgBar* generalPage() const { return general_; }
  CSetOSDDlgBar* osdPage() const { return osd_; }
  CSetTimeFormatDlgBar* clockFormatPage() const { return clockFormat_; }
  CSetSoundDlgBar* soundPage() const { return sound_; }
  CQStringDialog* quickPastePage() const { return quickPaste_; }
  CSetPluginsDlgBar* pluginsPage() const { return plugins_; }
  CSetWallPaperDlgBar* wallpaperPage() const { return wallpaper_; }
  CSetNotifiersDlgBar* notifiersPage() const { return notifiers_; }
  CSetStickersDlgBar* stickersPage() const { return stickers_; }
  CSetSkinsDlgBar* skinsPage() const { return skins_; }

  // The page shown when the dialog was last confirmed during this run.
  static int lastPage();
  static void resetLastPage();

  void accept() override;

 private:
  struct PageEntry {
    QWidget* widget;
    std::function<void()> load;
    std::function<void()> store;
  };

  ApplicationSettings settings_;
  CAlarmDoc& document_;
  std::vector<PageEntry> pages_;
  QListWidget* titles_ = nullptr;
  QLabel* heading_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  CSetCommonDlgBar* general_ = nullptr;
  CSetOSDDlgBar* osd_ = nullptr;
  CSetTimeFormatDlgBar* clockFormat_ = nullptr;
  CSetSoundDlgBar* sound_ = nullptr;
  CQStringDialog* quickPaste_ = nullptr;
  CSetPluginsDlgBar* plugins_ = nullptr;
  CSetWallPaperDlgBar* wallpaper_ = nullptr;
  CSetNotifiersDlgBar* notifiers_ = nullptr;
  CSetStickersDlgBar* stickers_ = nullptr;
  CSetSkinsDlgBar* skins_ = nullptr;
};

}  // namespace kalvory
