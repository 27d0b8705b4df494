#pragma once

#include <QString>

#include "core/resources/resource_strings.h"

namespace kalvory {

// What a menu shows for one command right now: the update rule's answer.
struct CommandState {
  bool enabled = true;
  bool checkable = false;
  bool checked = false;
  QString text;  // empty keeps the menu's own text
};

// The window that carries out commands from menus, the tray and hotkeys.
class CommandTarget {
 public:
  virtual ~CommandTarget() = default;
  virtual void runCommand(int id) = 0;
  virtual CommandState commandState(int id) const = 0;
  virtual UiLanguage uiLanguage() const = 0;
};

}  // namespace kalvory
