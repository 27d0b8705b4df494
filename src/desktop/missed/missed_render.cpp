#include "desktop/missed/missed_render.h"

#include <exception>

#include "core/alarms/missed_reminders.h"
#include "core/model/alarm_doc.h"
#include "core/model/document_file.h"
#include "desktop/common/qt_text.h"
#include "desktop/missed/missed_window.h"

namespace kalvory {

RenderResult renderMissedReminders(const RenderRequest& request) {
  if (request.documentFile.isEmpty()) return {{}, QStringLiteral("--doc FILE.alr is missing")};
  CAlarmDoc document;
  const auto loaded = loadDocumentFile(document, toStdString(request.documentFile));
  if (!loaded.ok()) return {{}, QString::fromStdString(loaded.error())};
  const COleDateTime now = request.time;
  const UiLanguage language = languageFromSetting(request.language);
  CMissedRemindersWindow window(
      document, [language] { return language; }, [now] { return now; });
  window.addMissed(findMissedReminders(document, now - COleDateTimeSpan(1.0), now));
  window.ensurePolished();
  return {window.grab().toImage(), {}};
}

}  // namespace kalvory
