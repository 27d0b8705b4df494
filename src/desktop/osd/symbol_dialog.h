#pragma once

#include <QDialog>
#include <optional>

#include "core/resources/resource_strings.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace kalvory {

// "Special symbols": a list of the 224 symbols of the symbol font with a large preview. OK puts
// the symbol mark and the chosen character on the clipboard, ready to be pasted into a reminder
// text or a clock format.
class CSpecialSymDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CSpecialSymDlg(UiLanguage language, QWidget* parent = nullptr);

  // The Webdings code chosen in the list, if any.
  std::optional<int> selectedCode() const;
  // Chooses code 32..255 in the list (nothing for any other value).
  void selectCode(int code);

  QComboBox* symbolList() const { return list_; }
  QLabel* preview() const { return preview_; }
  QPushButton* okButton() const { return ok_; }

  void accept() override;

 private:
  void selectionChanged();

  QComboBox* list_ = nullptr;
  QLabel* preview_ = nullptr;
  QPushButton* ok_ = nullptr;
};

// Runs the dialog modally; true when the user confirmed and the clipboard holds the symbol.
bool runSpecialSymbolDialog(UiLanguage language, QWidget* parent);

}  // namespace kalvory
