#pragma once

#include <QString>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/settings/app_settings.h"

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
    const PluginHost* plugins = nullptr;
    std::string dataFolder;
    // After OK: the settings are the program's now; `skinChanged` when "SkinPath" changed.
    std::function<void(bool skinChanged)> applied;
    // Why the computer cannot be woken here; empty (or no function): it can.
    std::function<QString()> wakeUnavailable;
    // The pages of other features, after the ten, as a title and a page made for the dialog.
    std::function<std::vector<std::pair<QString, ConfigPage*>>(UiLanguage)> morePages;
  };

  ConfigurationFeature(ApplicationSettings& settings, CAlarmDoc& document, ActionRegistry& actions, Services services);

  void openConfiguration();

  // Runs the dialog; exec() unless a test answers it (it may change pages, then accept or reject).
  std::function<int(CSettingsDlg&)> runDialog;

 private:
  ApplicationSettings& settings_;
  CAlarmDoc& document_;
  Services services_;
};

}  // namespace kalvory
