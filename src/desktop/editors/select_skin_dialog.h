#pragma once

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "core/resources/resource_strings.h"

class QListWidget;

namespace kalvory {

// The definition chooser (CSelectSkinDlg): one list whose first row is "N/A" (no definition),
// then the names the caller gives, in their order. OK with a row selected closes the dialog;
// OK without a selection does nothing. A double click on a row chooses it at once. The title
// names what is chosen, so that choosing a sticker does not ask for a skin.
class CSelectSkinDlg : public QDialog {
  Q_OBJECT
 public:
  enum class Kind { Skin, Notifier, Sticker };

  CSelectSkinDlg(const std::vector<std::string>& names, UiLanguage language, QWidget* parent = nullptr,
                 Kind kind = Kind::Skin);

  // Selects the row showing `name` ("" selects "N/A"); nothing when no row shows it.
  void selectName(const std::string& name);
  // After OK: 0 for "N/A", else 1 + the index of the chosen name.
  int chosenRow() const { return chosenRow_; }
  // After OK: the chosen name, empty for "N/A" (so a definition that is itself called "N/A"
  // is still told apart from no definition).
  std::string chosenName() const;

  QListWidget* list() const { return list_; }

  void accept() override;

  // Runs the chooser modally: the chosen name ("" for "N/A"), or nothing when cancelled.
  static std::optional<std::string> choose(const std::vector<std::string>& names, const std::string& current,
                                           UiLanguage language, QWidget* parent, Kind kind = Kind::Skin);

 private:
  std::vector<std::string> names_;
  QListWidget* list_ = nullptr;
  int chosenRow_ = -1;
};

}  // namespace kalvory
