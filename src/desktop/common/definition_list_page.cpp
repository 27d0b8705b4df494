#include "desktop/common/definition_list_page.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kalvory {

namespace {

// Previews larger than this are scaled down to it, keeping their proportions.
constexpr QSize kLargestPreview(360, 200);

}  // namespace

QPixmap definitionPreviewPixmap(QImage image) {
  if (image.width() > kLargestPreview.width() || image.height() > kLargestPreview.height())
    image = image.scaled(kLargestPreview, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  return QPixmap::fromImage(image);
}

QLabel* newDefinitionPreviewLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setAlignment(Qt::AlignCenter);
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  return label;
}

DefinitionListPage::DefinitionListPage(UiLanguage language, QWidget* parent) : ConfigPage(language, parent) {
  // The heading above the page already names it: the frame needs no title of its own.
  auto* group = new QGroupBox(this);
  list_ = new QListWidget(group);
  list_->setIconSize(QSize(16, 16));
  setDefault_ = new QPushButton(text(StringId::SetAsDefault), group);
  setDefault_->setEnabled(false);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addStretch();
  buttonRow->addWidget(setDefault_);
  layout_ = new QVBoxLayout(group);
  layout_->addWidget(list_, 1);
  layout_->addLayout(buttonRow);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(group);

  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    setDefault_->setEnabled(row >= 0);
    selectionChanged(row);
  });
  connect(setDefault_, &QPushButton::clicked, this, [this] {
    const int row = list_->currentRow();
    if (row < 0) return;
    setAsDefault(row);
    markRow(row);
    setDefault_->setEnabled(false);  // until another selection
  });
}

void DefinitionListPage::fill(const std::vector<std::pair<std::string, bool>>& rows) {
  list_->clear();
  int marked = -1;
  for (const auto& [name, isDefault] : rows) {
    list_->addItem(toQString(name));
    if (isDefault && marked < 0) marked = list_->count() - 1;
  }
  if (marked >= 0) {
    markRow(marked);
    list_->setCurrentRow(marked);
  }
  setDefault_->setEnabled(false);
}

void DefinitionListPage::markRow(int row) {
  // Unmarked rows get an empty icon of the same size, so that all names line up.
  QPixmap blank(list_->iconSize());
  blank.fill(Qt::transparent);
  for (int i = 0; i < list_->count(); ++i) {
    QListWidgetItem* item = list_->item(i);
    QFont font = item->font();
    font.setBold(i == row);
    item->setFont(font);
    item->setIcon(i == row ? style()->standardIcon(QStyle::SP_DialogApplyButton) : QIcon(blank));
  }
}

QString DefinitionListPage::markedRow() const {
  for (int i = 0; i < list_->count(); ++i)
    if (list_->item(i)->font().bold()) return list_->item(i)->text();
  return {};
}

}  // namespace kalvory
