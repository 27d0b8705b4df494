#include "desktop/editors/alarm_dialog_render.h"

#include "core/model/alarm_doc.h"
#include "core/model/document_file.h"
#include "desktop/common/qt_text.h"
#include "desktop/editors/alarm_dialog.h"

namespace kalvory {

RenderResult renderReminderEditor(const RenderRequest& request) {
  RenderResult result;
  CAlarmDoc document;
  if (!request.documentFile.isEmpty()) {
    const auto loaded = loadDocumentFile(document, toStdString(request.documentFile));
    if (!loaded.ok()) {
      result.error = toQString(loaded.error());
      return result;
    }
  }
  CAlarmLine record(request.time);
  if (const CAlarmLine* first = document.GetAlarmAt(0))
    record = *first;
  else
    record.text = toStdString(request.text);
  CAlarmDlg::Services services;
  services.clock = [time = request.time] { return time; };
  services.showMessage = [&result](const QString& message) { result.error = message; };
  CAlarmDlg dialog(&document, languageFromSetting(request.language), services);
  dialog.setRecord(&record);
  dialog.show();  // lays the dialog out at its own size
  result.image = dialog.grab().toImage();
  dialog.hide();
  return result;
}

}  // namespace kalvory
