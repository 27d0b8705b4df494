#pragma once

#include <QImage>
#include <QPixmap>
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

// A preview's picture, scaled down to at most 360 x 200 keeping its proportions.
QPixmap definitionPreviewPixmap(QImage image);
// A centred, word-wrapped plain-text label for a preview or its message.
QLabel* newDefinitionPreviewLabel(QWidget* parent);

}  // namespace kalvory
