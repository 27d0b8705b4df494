#pragma once

#include <QDialog>
#include <functional>

#include "core/resources/resource_strings.h"

namespace kalvory {

class ActionRegistry;

// Registers "About": the box opens over `parent()` when that is visible.
void registerAboutCommand(ActionRegistry& actions, std::function<QWidget*()> parent);

// The about box (CTransparentAboutDlg): the program's icon, name, version and purpose. It
// fades in slightly see-through where a compositor allows it.
class CTransparentAboutDlg : public QDialog {
  Q_OBJECT
 public:
  CTransparentAboutDlg(UiLanguage language, QWidget* parent = nullptr);
};

}  // namespace kalvory
