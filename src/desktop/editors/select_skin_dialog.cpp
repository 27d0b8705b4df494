#include "desktop/editors/select_skin_dialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/common/qt_text.h"

namespace kalvory {

CSelectSkinDlg::CSelectSkinDlg(const std::vector<std::string>& names, UiLanguage language, QWidget* parent, Kind kind)
    : QDialog(parent), names_(names) {
  const auto text = [language](StringId id) { return toQString(loadString(id, language)); };
  switch (kind) {
    case Kind::Notifier:
      setWindowTitle(toQString(loadString(StringId::SelectNotifierTitle, language)));
      break;
    case Kind::Sticker:
      setWindowTitle(toQString(loadString(StringId::SelectStickerTitle, language)));
      break;
    case Kind::Skin:
      setWindowTitle(text(StringId::SelectSkinCaption));
      break;
  }
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("definitions"));
  list_->addItem(text(StringId::NoDefinition));
  for (const std::string& name : names_) list_->addItem(toQString(name));
  list_->setMinimumSize(220, 160);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(text(StringId::Ok));
  buttons->button(QDialogButtonBox::Cancel)->setText(text(StringId::Cancel));
  connect(buttons, &QDialogButtonBox::accepted, this, &CSelectSkinDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CSelectSkinDlg::reject);
  connect(list_, &QListWidget::itemDoubleClicked, this, &CSelectSkinDlg::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(buttons);
}

void CSelectSkinDlg::selectName(const std::string& name) {
  if (name.empty()) {
    list_->setCurrentRow(0);
    return;
  }
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (names_[i] == name) {
      list_->setCurrentRow(static_cast<int>(i) + 1);
      return;
    }
  }
}

std::string CSelectSkinDlg::chosenName() const {
  if (chosenRow_ <= 0 || chosenRow_ > static_cast<int>(names_.size())) return {};
  return names_[static_cast<std::size_t>(chosenRow_ - 1)];
}

void CSelectSkinDlg::accept() {
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) return;  // nothing chosen: the dialog stays
  chosenRow_ = list_->row(selected.front());
  QDialog::accept();
}

std::optional<std::string> CSelectSkinDlg::choose(const std::vector<std::string>& names, const std::string& current,
                                                  UiLanguage language, QWidget* parent, Kind kind) {
  CSelectSkinDlg dialog(names, language, parent, kind);
  dialog.selectName(current);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.chosenName();
}

}  // namespace kalvory
