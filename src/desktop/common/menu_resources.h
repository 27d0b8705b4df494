#pragma once

#include <string>
#include <vector>

#include "core/resources/resource_strings.h"

namespace kalvory {

// One item of a menu template: a command, a separator (id 0, no text) or a pop-up (children).
inline constexpr int kWindowMenuMove = -2;  // the window menu's "Move"

struct MenuTemplateItem {
  int id = 0;
  std::string text;  // UTF-8; "&" marks the access key, "\t" starts the key name
  std::vector<MenuTemplateItem> children;
  bool isSeparator() const { return id == 0 && children.empty(); }
  bool isPopup() const { return !children.empty(); }
};

// The caption's window menu in each interface language (the menu bar and the tray menu are
// resources 128 and 136).
const std::vector<MenuTemplateItem>& windowMenuTemplate(UiLanguage language);

// Texts of the desktop program that are not in the string table.
enum class DesktopText {
  RecentFilePlaceholder,  // the greyed entry shown while the recent list is empty
  UntitledDocument,       // name of a document that was never saved
  OpenDocumentTitle,
  SaveDocumentTitle,
  AboutTitle,
  AboutBody,   // "%1" takes the version
  OpenFailed,  // "%1" takes the path, "%2" the reason
  SaveFailed,
  RestoreChanges,  // "%1" takes the document's name; asked at start about a recovery copy
  // File > Import/Export of iCalendar files.
  ImportCalendarTitle,
  ExportCalendarTitle,
  CalendarFilter,     // the file dialogs' filter
  ImportFailed,       // "%1" the path, "%2" the reason
  ExportFailed,       // "%1" the path, "%2" the reason
  ImportSkipped,      // "%1" the file's name, "%2" reminders and "%3" notes added, "%4" the skipped events
  ImportSkippedMore,  // "%1" how many skipped events the list leaves out
  AllowPrograms,      // "%1" takes the program lines, one a line; asked when a document is opened
  MorePrograms,       // "%1" takes a count; ends a long list of programs
};
std::string desktopText(DesktopText text, UiLanguage language);

}  // namespace kalvory
