#pragma once

#include <QDialog>

#include "core/resources/resource_strings.h"
#include "core/settings/app_settings.h"

class QListWidget;
class QStackedWidget;

namespace kalvory {

class CAlarmDoc;
class CSetOSDDlgBar;
class CSetTimeFormatDlgBar;

// "Configuration" with the two pages of the on-screen windows, a list of their titles on the
// left. The full configuration dialog takes its place once it exists.
class OsdConfigurationDialog : public QDialog {
  Q_OBJECT
 public:
  OsdConfigurationDialog(UiLanguage language, const ApplicationSettings& settings, const CAlarmDoc& document,
                         QWidget* parent = nullptr);

  // Every page writes its values into the settings and the document.
  void store(ApplicationSettings& settings, CAlarmDoc& document) const;

  CSetOSDDlgBar* fontPage() const { return fontPage_; }
  CSetTimeFormatDlgBar* formatPage() const { return formatPage_; }
  QListWidget* titles() const { return titles_; }

 private:
  CSetOSDDlgBar* fontPage_ = nullptr;
  CSetTimeFormatDlgBar* formatPage_ = nullptr;
  QListWidget* titles_ = nullptr;
  QStackedWidget* pages_ = nullptr;
};

}  // namespace kalvory
