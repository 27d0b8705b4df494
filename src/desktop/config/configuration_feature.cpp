#include "desktop/config/configuration_feature.h"

#include <QWidget>

#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
#include "desktop/config/settings_dialog.h"

namespace kalvory {

ConfigurationFeature::ConfigurationFeature(ApplicationSettings& settings, CAlarmDoc& document, ActionRegistry& actions,
                                           Services services)
    : settings_(settings), document_(document), services_(std::move(services)) {
  actions.add(ID_CONFIGURATION, [this] { openConfiguration(); });
}

void ConfigurationFeature::openConfiguration() {
  QWidget* parent = services_.dialogParent ? services_.dialogParent() : nullptr;
  if (parent != nullptr && !parent->isVisible()) parent = nullptr;
  CSettingsDlg dialog(settings_.app.uiLanguage(), settings_, document_, parent);
  dialog.addPages(services_.pages, services_.pageServices);
  const int answer = services_.runDialog ? services_.runDialog(dialog) : dialog.exec();
  if (answer != QDialog::Accepted) return;
  const bool skinChanged = dialog.settings().app.skin_path != settings_.app.skin_path;
  // What the program itself changed while the dialog was open (the changer's last picture and
  // time, the recent files) is not the dialog's to undo.
  ApplicationSettings confirmed = dialog.settings();
  confirmed.wallpaper.position = settings_.wallpaper.position;
  confirmed.wallpaper.origin = settings_.wallpaper.origin;
  confirmed.wallpaper.last_changed = settings_.wallpaper.last_changed;
  confirmed.wallpaper.picture = settings_.wallpaper.picture;
  confirmed.recent_files = settings_.recent_files;
  settings_ = std::move(confirmed);
  if (services_.applied) services_.applied(skinChanged);
}

}  // namespace kalvory
