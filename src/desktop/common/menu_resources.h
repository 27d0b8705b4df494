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

}  // namespace kalvory
