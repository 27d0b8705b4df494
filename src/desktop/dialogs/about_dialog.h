#pragma once

#include <QDialog>

#include "core/resources/resource_strings.h"

namespace kalvory {

// The about box (CTransparentAboutDlg): the program's icon, name, version and purpose. It
// fades in slightly see-through where a compositor allows it.
class CTransparentAboutDlg : public QDialog {
  Q_OBJECT
 public:
  CTransparentAboutDlg(UiLanguage language, QWidget* parent = nullptr);
};

}  // namespace kalvory
