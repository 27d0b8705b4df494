#include "desktop/shell/document_commands.h"

#include <QFontMetrics>
#include <QWidget>

#include "core/resources/resource_strings.h"
#include "core/settings/app_settings.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
#include "desktop/common/qt_text.h"
#include "desktop/shell/document_controller.h"

namespace kalvory {

void registerDocumentCommands(ActionRegistry& actions, DocumentController& documents, ApplicationSettings& settings,
                              const QWidget& menuFont) {
  actions.add(ID_FILE_NEW, [&documents] { documents.newDocument(); });
  actions.add(ID_FILE_OPEN, [&documents] { documents.openDocument(); });
  actions.add(ID_FILE_SAVE, [&documents] { documents.save(); });
  actions.add(ID_FILE_SAVE_AS, [&documents] { documents.saveAs(); });
  actions.add(ID_FILE_IMPORT_ICS, [&documents] { documents.importCalendar(); });
  actions.add(ID_FILE_EXPORT_ICS, [&documents] { documents.exportCalendar(); });
  actions.addToggle(
      ID_LOAD_LAST_DOCUMENT, [&settings] { settings.app.load_last_document = settings.app.load_last_document ? 0 : 1; },
      [&settings] { return settings.app.load_last_document != 0; });
  for (int index = 0; index < kRecentFileCount; ++index) {
    actions.add(
        ID_FILE_MRU_FILE1 + index, [&documents, index] { documents.openRecent(index); },
        [&settings, &menuFont, index] {
          CommandState state;
          const std::string& path = settings.recent_files.files[static_cast<std::size_t>(index)];
          state.enabled = !path.empty();
          if (path.empty()) {
            state.text = toQString(loadString(StringId::RecentFilePlaceholder, settings.app.uiLanguage()));
          } else {
            const QString shown = QFontMetrics(menuFont.font()).elidedText(toQString(path), Qt::ElideMiddle, 320);
            state.text = QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
          }
          return state;
        });
  }
}

}  // namespace kalvory
