#include "desktop/calendar/calendar_render.h"

#include <exception>

#include "core/model/alarm_doc.h"
#include "core/model/document_file.h"
#include "core/settings/profile.h"
#include "desktop/calendar/cal_wnd.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

RenderResult renderCalendar(const RenderRequest& request) {
  CAlarmDoc document;
  if (!request.documentFile.isEmpty()) {
    const auto loaded = loadDocumentFile(document, toStdString(request.documentFile));
    if (!loaded.ok()) return {{}, QString::fromStdString(loaded.error())};
  }
  const COleDateTime today = request.time;
  CCalWnd calendar(&document, languageFromSetting(request.language), [today] { return today; });
  if (!request.skinFile.isEmpty()) {
    CProfile skin;
    skin.SetSaveOnClose(false);
    skin.SetStoreDefaults(false);
    skin.SetAddOnWrite(false);
    if (!skin.Load(toStdString(request.skinFile)))
      return {{}, QStringLiteral("cannot read the skin %1").arg(request.skinFile)};
    calendar.LoadColors(skin);
  }
  return {calendar.grab().toImage(), {}};
}

}  // namespace kalvory
