#pragma once

class QWidget;

namespace kalvory {

class ActionRegistry;
class DocumentController;
struct ApplicationSettings;

// The File menu's commands (New, Open, Save, Save As, import from and export to iCalendar, the
// recent documents) and "Load last document". `menuFont` measures the recent paths the menu shows.
void registerDocumentCommands(ActionRegistry& actions, DocumentController& documents, ApplicationSettings& settings,
                              const QWidget& menuFont);

}  // namespace kalvory
