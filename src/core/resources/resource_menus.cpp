#include "core/resources/resource_menus.h"

#include <algorithm>

#include "core/resources/resource_tables.h"

namespace kalvory {

std::vector<MenuItem> loadMenu(int menuId, UiLanguage language) {
  const auto languageIndex = static_cast<std::size_t>(languageFromSetting(static_cast<int>(language)));
  std::vector<MenuItem> menu;
  // The rows are flat with a depth; the path of open popups says where the next item goes.
  std::vector<std::vector<MenuItem>*> open{&menu};
  for (const auto& row : resource_tables::menuRows()) {
    if (row.menu != menuId) continue;
    const auto depth = static_cast<std::size_t>(row.depth);
    if (depth >= open.size()) continue;  // the generator guarantees nesting; never index past it
    open.resize(depth + 1);
    MenuItem item;
    item.command = row.command;
    item.text = std::string(row.text[languageIndex]);
    switch (row.kind) {
      case resource_tables::MenuRowKind::Command:
        item.kind = MenuItem::Kind::Command;
        break;
      case resource_tables::MenuRowKind::Separator:
        item.kind = MenuItem::Kind::Separator;
        break;
      case resource_tables::MenuRowKind::Popup:
        item.kind = MenuItem::Kind::Popup;
        break;
    }
    auto& siblings = *open.back();
    siblings.push_back(std::move(item));
    if (siblings.back().kind == MenuItem::Kind::Popup) open.push_back(&siblings.back().items);
  }
  return menu;
}

std::vector<int> menuIds() {
  std::vector<int> ids;
  for (const auto& row : resource_tables::menuRows()) {
    if (ids.empty() || ids.back() != row.menu) ids.push_back(row.menu);
  }
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

}  // namespace kalvory
