#pragma once

#include <QString>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/settings/app_settings.h"
#include "desktop/common/config_page.h"

class QWidget;

namespace kalvory {

class ActionRegistry;
class CAlarmDoc;
class ConfigPage;
class CSettingsDlg;
class PluginHost;

// The "Configuration" command: opens the configuration dialog over the main window and, on OK,
// makes its settings the program's and tells the program to apply them.
class ConfigurationFeature {
 public:
  struct Services {
    std::function<QWidget*()> dialogParent;
    // After OK: the settings are the program's now; `skinChanged` when "SkinPath" changed.
    std::function<void(bool skinChanged)> applied;
    // The dialog's pages in order, each made by the feature it belongs to.
    std::vector<ConfigPageSource> pages;
    // Runs the dialog; empty: exec(). A test answers it (it may change pages, then accept or reject).
    std::function<int(CSettingsDlg&)> runDialog;
    // What the pages ask the user and the system; empty members: the real dialogs and clock.
    ConfigPageServices pageServices;
  };

  ConfigurationFeature(ApplicationSettings& settings, CAlarmDoc& document, ActionRegistry& actions, Services services);

  void openConfiguration();

 private:
  ApplicationSettings& settings_;
  CAlarmDoc& document_;
  Services services_;
};

}  // namespace kalvory
