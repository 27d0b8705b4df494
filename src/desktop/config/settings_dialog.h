#pragma once

#include <QDialog>
#include <QString>
#include <vector>

#include "core/resources/resource_strings.h"
#include "core/settings/app_settings.h"
#include "desktop/common/config_page.h"

class QLabel;
class QListWidget;
class QStackedWidget;

namespace kalvory {

class CAlarmDoc;

// "Configuration": the page titles on the left, the chosen page on the right. The pages come
// from the features they belong to (addPage); the dialog edits a copy of the settings and hands
// the copy and the document values over only on OK.
class CSettingsDlg final : public QDialog {
  Q_OBJECT
 public:
  // The pages in the order the program hands them in (see desktop/app/config_pages.h).
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

  CSettingsDlg(UiLanguage language, const ApplicationSettings& settings, CAlarmDoc& document,
               QWidget* parent = nullptr);
  ~CSettingsDlg() override;

  // Adds `page` (the dialog takes it) under `title` and loads it from the dialog's copies now; it
  // stores its values on OK. The page last confirmed during this run is shown once it is added.
  void addPage(const QString& title, ConfigPage* page);
  // Adds the page of each source in order, made in the dialog's language with `services`.
  void addPages(const std::vector<ConfigPageSource>& sources, const ConfigPageServices& services = {});

  // The copy as edited; after OK it holds every page's values.
  const ApplicationSettings& settings() const { return settings_; }
  int pageCount() const;
  int currentPage() const;
  void selectPage(int page);
  QWidget* page(int index) const;
  // The first page of type P, or null.
  template <class P>
  P* findPage() const {
    for (ConfigPage* page : pages_)
      if (auto* found = dynamic_cast<P*>(page)) return found;
    return nullptr;
  }
  QListWidget* titles() const { return titles_; }
  QLabel* heading() const { return heading_; }

  // The page shown when the dialog was last confirmed during this run.
  static int lastPage();
  static void resetLastPage();

  void accept() override;

 private:
  UiLanguage language_;
  ApplicationSettings settings_;
  CAlarmDoc& document_;
  std::vector<ConfigPage*> pages_;
  QListWidget* titles_ = nullptr;
  QLabel* heading_ = nullptr;
  QStackedWidget* stack_ = nullptr;
};

}  // namespace kalvory
