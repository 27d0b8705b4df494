#include "desktop/notifier/notifier_render.h"

#include <QFileInfo>

#include "core/resources/resource_strings.h"
#include "core/skins/definitions.h"
#include "desktop/common/qt_text.h"
#include "desktop/notifier/notifier_feature.h"
#include "desktop/notifier/taskbar_notifier.h"

namespace kalvory {

RenderResult renderNotifier(const RenderRequest& request) {
  if (request.skinFile.isEmpty() || !QFileInfo(request.skinFile).isFile())
    return {{}, QStringLiteral("--skin must name a notifier definition file")};
  const CTBNotifierContext definition = ReadNotifier(toStdString(request.skinFile), "", nullptr);
  CTaskbarNotifier popup;
  if (!configureNotifier(popup, definition))
    return {{}, QStringLiteral("cannot read the notifier picture %1").arg(toQString(definition.skinPath))};
  const QString text = request.text.isEmpty()
                           ? toQString(loadString(StringId::NotifierTestMessage, languageFromSetting(request.language)))
                           : request.text;
  popup.Show(text, 0, 0, 0);
  popup.Hide();  // the look with the text, not the slide
  return {popup.renderImage(), {}};
}

}  // namespace kalvory
