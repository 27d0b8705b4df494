#pragma once

#include <functional>

#include "desktop/common/config_page.h"

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace kalvory {

class PluginHost;

// "Plugins": the plug-ins found at start-up, newest discovery first, with the selected one's
// description and its own configuration.
class CSetPluginsDlgBar final : public ConfigPage {
  Q_OBJECT
 public:
  // `host` may be null: the list is then empty.
  CSetPluginsDlgBar(UiLanguage language, const PluginHost* host, ConfigPageServices services = {},
                    QWidget* parent = nullptr);
  void load(const ApplicationSettings& settings, const CAlarmDoc& document) override;
  void store(ApplicationSettings& settings, CAlarmDoc& document) override;

  QTreeWidget* list() const { return list_; }
  QLineEdit* descriptionField() const { return description_; }
  QPushButton* configureButton() const { return configure_; }
  void configureSelected();

 private:
  void selectionChanged();

  const PluginHost* host_;
  QTreeWidget* list_ = nullptr;
  QLineEdit* description_ = nullptr;
  QPushButton* configure_ = nullptr;
};

// The page as the plug-ins feature hands it to the configuration dialog; `host` may be null.
ConfigPageSource pluginsPageSource(const PluginHost* host);

}  // namespace kalvory
