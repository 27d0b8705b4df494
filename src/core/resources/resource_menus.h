#pragma once

#include <string>
#include <vector>

#include "core/resources/resource_strings.h"

namespace kalvory {

// Menu resources: 128 the main window's menu bar, 136 the tray icon's menu, 158 the reminder
// list's context menu, 159 the day note list's context menu.
inline constexpr int kMainMenuId = 128;
inline constexpr int kTrayMenuId = 136;
inline constexpr int kReminderListMenuId = 158;
inline constexpr int kDayNoteListMenuId = 159;

struct MenuItem {
  enum class Kind { Command, Separator, Popup };
  Kind kind = Kind::Command;
  int command = 0;              // the command id of a Command item, 0 otherwise
  std::string text;             // "&" marks the access key, as in Qt
  std::vector<MenuItem> items;  // the items of a Popup
};

// The items of menu `menuId` in `language`, or an empty list for an unknown menu. The context
// menus (136, 158, 159) are the pop-up's items themselves.
std::vector<MenuItem> loadMenu(int menuId, UiLanguage language);

// The ids of the menus the tables hold, ascending.
std::vector<int> menuIds();

}  // namespace kalvory
