#pragma once

#include <QImage>
#include <QPixmap>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "desktop/common/config_page.h"

class QLabel;
class QListWidget;
class QPushButton;
class QVBoxLayout;

namespace kalvory {

// The list of a definition folder by name with the default one marked, and "Set as default".
// The marks and the setting change in the dialog's copies; OK hands them over.
class DefinitionListPage : public ConfigPage {
  Q_OBJECT
 public:
  DefinitionListPage(UiLanguage language, QWidget* parent);
  QListWidget* list() const { return list_; }
  QPushButton* setDefaultButton() const { return setDefault_; }
  // The row text of the default, or empty when none is marked.
  QString markedRow() const;

 protected:
  // Rows with their marks; the selection follows the marked row.
  void fill(const std::vector<std::pair<std::string, bool>>& rows);
  // The row `row` becomes the only marked one.
  void markRow(int row);
  virtual void setAsDefault(int row) = 0;
  virtual void selectionChanged(int /*row*/) {}
  QVBoxLayout* pageLayout() const { return layout_; }

 private:
  QListWidget* list_ = nullptr;
  QPushButton* setDefault_ = nullptr;
  QVBoxLayout* layout_ = nullptr;
};

// The list's rows for definitions that have a `name` and an `isDefault` mark.
template <class Definition>
std::vector<std::pair<std::string, bool>> definitionRows(const std::vector<Definition>& definitions) {
  std::vector<std::pair<std::string, bool>> rows;
  for (const Definition& definition : definitions) rows.emplace_back(definition.name, definition.isDefault);
  return rows;
}

// The first definition named `name` becomes the only default.
template <class Definition>
void markDefault(std::vector<Definition>& definitions, const std::string& name) {
  for (Definition& definition : definitions) definition.isDefault = false;
  for (Definition& definition : definitions)
    if (definition.name == name) {
      definition.isDefault = true;
      break;
    }
}

// The marks go back only to the list they were made on (a document load rebuilds it).
template <class Definition>
void copyDefaultMarks(const std::vector<Definition>& from, std::vector<Definition>& to) {
  if (to.size() != from.size()) return;
  for (std::size_t i = 0; i < from.size(); ++i) to[i].isDefault = from[i].isDefault;
}

// A preview's picture, scaled down to at most 360 x 200 keeping its proportions.
QPixmap definitionPreviewPixmap(QImage image);
// A centred, word-wrapped plain-text label for a preview or its message.
QLabel* newDefinitionPreviewLabel(QWidget* parent);

}  // namespace kalvory
