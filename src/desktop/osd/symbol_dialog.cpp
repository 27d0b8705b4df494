#include "desktop/osd/symbol_dialog.h"

#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/common/symbol_font.h"
#include "desktop/common/qt_text.h"
#include "desktop/osd/osd_drawing.h"

namespace kalvory {

namespace {

constexpr int kListSymbolHeight = 20;
constexpr int kPreviewSymbolHeight = 32;

QString dialogText(StringId id, UiLanguage language) { return toQString(loadString(id, language)); }

}  // namespace

CSpecialSymDlg::CSpecialSymDlg(UiLanguage language, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("specialSymbolDialog"));
  setWindowTitle(dialogText(StringId::SymbolsCaption, language));

  list_ = new QComboBox(this);
  list_->setObjectName(QStringLiteral("symbolList"));
  list_->setFont(symbolDisplayFont(kListSymbolHeight));
  for (int code = kFirstSymbolCode; code <= kLastSymbolCode; ++code) list_->addItem(symbolDisplayText(code), code);
  list_->setMaxVisibleItems(14);
  list_->setCurrentIndex(-1);

  auto* label = new QLabel(dialogText(StringId::SymbolLabel, language), this);
  label->setBuddy(list_);

  preview_ = new QLabel(this);
  preview_->setObjectName(QStringLiteral("symbolPreview"));
  preview_->setFont(symbolDisplayFont(kPreviewSymbolHeight));
  preview_->setAlignment(Qt::AlignCenter);
  preview_->setFrameShape(QFrame::StyledPanel);
  preview_->setFrameShadow(QFrame::Sunken);
  preview_->setFixedSize(kPreviewSymbolHeight * 2, kPreviewSymbolHeight * 2);
  preview_->setBackgroundRole(QPalette::Base);
  preview_->setAutoFillBackground(true);

  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(dialogText(StringId::Ok, language), QDialogButtonBox::AcceptRole);
  buttons->addButton(dialogText(StringId::Cancel, language), QDialogButtonBox::RejectRole);
  ok_->setEnabled(false);
  connect(buttons, &QDialogButtonBox::accepted, this, &CSpecialSymDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CSpecialSymDlg::reject);
  connect(list_, &QComboBox::currentIndexChanged, this, &CSpecialSymDlg::selectionChanged);

  auto* chooser = new QVBoxLayout;
  chooser->addWidget(label);
  chooser->addWidget(list_);
  chooser->addStretch();
  auto* top = new QHBoxLayout;
  top->addLayout(chooser, 1);
  top->addSpacing(12);
  top->addWidget(preview_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);
  setFixedSize(sizeHint().expandedTo(QSize(300, 0)));
}

std::optional<int> CSpecialSymDlg::selectedCode() const {
  if (list_->currentIndex() < 0) return std::nullopt;
  return list_->currentData().toInt();
}

void CSpecialSymDlg::selectCode(int code) {
  if (code < kFirstSymbolCode || code > kLastSymbolCode) return;
  list_->setCurrentIndex(code - kFirstSymbolCode);
}

void CSpecialSymDlg::selectionChanged() {
  const std::optional<int> code = selectedCode();
  ok_->setEnabled(code.has_value());
  // With no choice the preview shows what "0" stands for in the symbol font.
  preview_->setText(symbolDisplayText(code.value_or('0')));
}

void CSpecialSymDlg::accept() {
  const std::optional<int> code = selectedCode();
  if (!code) return;
  QDialog::accept();
  QGuiApplication::clipboard()->setText(toQString(symbolMarkText(*code)));
}

bool runSpecialSymbolDialog(UiLanguage language, QWidget* parent) {
  CSpecialSymDlg dialog(language, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace kalvory
