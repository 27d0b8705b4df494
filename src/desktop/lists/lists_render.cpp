#include "desktop/lists/lists_render.h"

#include <QGuiApplication>

#include "core/model/document_file.h"
#include "core/settings/profile.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/qt_text.h"
#include "desktop/lists/lists_dialog.h"
#include "desktop/lists/lists_feature.h"

namespace kalvory {

RenderResult renderListsWindow(const RenderRequest& request) {
  RenderResult result;
  ApplicationSettings settings = defaultSettings(SettingsEnvironment{});
  settings.app.language = request.language;
  CAlarmDoc document;
  if (!request.documentFile.isEmpty()) {
    const auto loaded = loadDocumentFile(document, toStdString(request.documentFile));
    if (!loaded.ok()) {
      result.error = toQString(loaded.error());
      return result;
    }
  }
  ActionRegistry actions([&settings] { return settings.app.uiLanguage(); });
  CListsDlg::Services services;
  services.clock = [time = request.time] { return time; };
  CListsDlg window(document, settings, actions, services);
  if (!request.skinFile.isEmpty()) {
    CProfile skin;
    skin.SetSaveOnClose(false);
    skin.SetStoreDefaults(false);
    skin.SetAddOnWrite(false);
    if (!skin.Load(toStdString(request.skinFile))) {
      result.error = QStringLiteral("cannot read the skin %1").arg(request.skinFile);
      return result;
    }
    window.applySkin(readListsSkin(skin, QGuiApplication::palette()));
  }
  window.resize(420, settings.app.list_height);
  window.selectRow(CListsDlg::RemindersTab, 0);
  window.show();  // lays the window out as it is shown
  result.image = window.grab().toImage();
  window.hide();
  return result;
}

}  // namespace kalvory
