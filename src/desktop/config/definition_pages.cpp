#include "desktop/config/definition_pages.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/model/alarm_doc.h"
#include "desktop/notifier/notifier_feature.h"
#include "desktop/notifier/taskbar_notifier.h"

namespace kalvory {

// --- the list with its default mark

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

// --- notifiers

CSetNotifiersDlgBar::CSetNotifiersDlgBar(UiLanguage language, QWidget* parent) : DefinitionListPage(language, parent) {
  preview_ = new QLabel(this);
  preview_->setAlignment(Qt::AlignCenter);
  preview_->setMinimumHeight(120);
  pageLayout()->addWidget(preview_);
}

void CSetNotifiersDlgBar::load(const ApplicationSettings& settings, const CAlarmDoc& document) {
  notifiers_ = document.notifiers;
  defaultName_ = settings.app.default_notifier;
  std::vector<std::pair<std::string, bool>> rows;
  for (const auto& notifier : notifiers_) rows.emplace_back(notifier.name, notifier.isDefault);
  fill(rows);
}

void CSetNotifiersDlgBar::setAsDefault(int row) {
  const std::string name = toStdString(list()->item(row)->text());
  for (auto& notifier : notifiers_) notifier.isDefault = false;
  for (auto& notifier : notifiers_)
    if (notifier.name == name) {
      notifier.isDefault = true;
      break;
    }
  defaultName_ = name;
}

// The popup drawn as it will show, with the test text.
void CSetNotifiersDlgBar::selectionChanged(int row) {
  preview_->clear();
  if (row < 0 || static_cast<std::size_t>(row) >= notifiers_.size()) return;
  CTaskbarNotifier popup;
  if (!configureNotifier(popup, notifiers_[static_cast<std::size_t>(row)])) return;
  popup.Show(text(StringId::NotifierTestMessage), 0, 0, 0);
  popup.Hide();  // only the text and the look are wanted, not the slide
  QImage image = popup.renderImage();
  if (image.width() > 360 || image.height() > 200)
    image = image.scaled(360, 200, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  preview_->setPixmap(QPixmap::fromImage(image));
}

void CSetNotifiersDlgBar::store(ApplicationSettings& settings, CAlarmDoc& document) {
  settings.app.default_notifier = defaultName_;
  // The marks go back only to the list they were made on (a document load rebuilds it).
  if (document.notifiers.size() == notifiers_.size())
    for (std::size_t i = 0; i < notifiers_.size(); ++i) document.notifiers[i].isDefault = notifiers_[i].isDefault;
}

// --- stickers

CSetStickersDlgBar::CSetStickersDlgBar(UiLanguage language, QWidget* parent) : DefinitionListPage(language, parent) {}

void CSetStickersDlgBar::load(const ApplicationSettings& settings, const CAlarmDoc& document) {
  stickers_ = document.stickers;
  defaultName_ = settings.app.default_sticker;
  std::vector<std::pair<std::string, bool>> rows;
  for (const auto& sticker : stickers_) rows.emplace_back(sticker.name, sticker.isDefault);
  fill(rows);
}

void CSetStickersDlgBar::setAsDefault(int row) {
  const std::string name = toStdString(list()->item(row)->text());
  for (auto& sticker : stickers_) sticker.isDefault = false;
  for (auto& sticker : stickers_)
    if (sticker.name == name) {
      sticker.isDefault = true;
      break;
    }
  defaultName_ = name;
}

void CSetStickersDlgBar::store(ApplicationSettings& settings, CAlarmDoc& document) {
  settings.app.default_sticker = defaultName_;
  if (document.stickers.size() == stickers_.size())
    for (std::size_t i = 0; i < stickers_.size(); ++i) document.stickers[i].isDefault = stickers_[i].isDefault;
}

// --- skins

CSetSkinsDlgBar::CSetSkinsDlgBar(UiLanguage language, std::string dataFolder, QWidget* parent)
    : DefinitionListPage(language, parent), dataFolder_(std::move(dataFolder)) {
  information_ = new QLabel(this);
  information_->setWordWrap(true);
  information_->setTextFormat(Qt::PlainText);
  information_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  information_->setMinimumHeight(information_->fontMetrics().height() * 4);
  pageLayout()->addWidget(information_);
}

void CSetSkinsDlgBar::load(const ApplicationSettings& settings, const CAlarmDoc&) {
  skinPath_ = settings.app.skin_path;
  skins_ = ListSkins(dataFolder_, skinSettingFile(dataFolder_, skinPath_), nullptr);
  std::vector<std::pair<std::string, bool>> rows;
  for (const auto& skin : skins_) rows.emplace_back(skin.fileName, skin.isCurrent);
  fill(rows);
}

void CSetSkinsDlgBar::setAsDefault(int row) {
  const auto index = static_cast<std::size_t>(row);
  if (index >= skins_.size()) return;
  skinPath_ = skinFileForSetting(dataFolder_, skins_[index].fileName);
  for (std::size_t i = 0; i < skins_.size(); ++i) skins_[i].isCurrent = i == index;
}

void CSetSkinsDlgBar::selectionChanged(int row) {
  const auto index = static_cast<std::size_t>(row);
  if (row < 0 || index >= skins_.size()) {
    information_->clear();
    return;
  }
  const CSkinContext& skin = skins_[index];
  QString line = text(StringId::PluginDescription);
  for (const std::string* value : {&skin.name, &skin.author, &skin.description}) {
    const auto at = line.indexOf(QStringLiteral("%s"));
    if (at >= 0) line.replace(at, 2, toQString(*value));
  }
  information_->setText(line);
}

void CSetSkinsDlgBar::store(ApplicationSettings& settings, CAlarmDoc&) { settings.app.skin_path = skinPath_; }

}  // namespace kalvory
