#include "desktop/config/definition_pages.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "core/clock/analog_clock.h"
#include "core/model/alarm_doc.h"
#include "core/resources/resource_strings.h"
#include "core/settings/profile.h"
#include "core/wallpaper/wallpaper_compositor.h"
#include "desktop/clock/round_clock_static.h"
#include "desktop/notifier/notifier_feature.h"
#include "desktop/notifier/taskbar_notifier.h"
#include "platform/wallpaper/sticker_text_renderer.h"

namespace kalvory {

namespace {

// Previews larger than this are scaled down to it, keeping their proportions.
constexpr QSize kLargestPreview(360, 200);

QPixmap previewPixmap(QImage image) {
  if (image.width() > kLargestPreview.width() || image.height() > kLargestPreview.height())
    image = image.scaled(kLargestPreview, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  return QPixmap::fromImage(image);
}

QLabel* newPreviewLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setAlignment(Qt::AlignCenter);
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

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
  preview_->setPixmap(previewPixmap(popup.renderImage()));
}

void CSetNotifiersDlgBar::store(ApplicationSettings& settings, CAlarmDoc& document) {
  settings.app.default_notifier = defaultName_;
  // The marks go back only to the list they were made on (a document load rebuilds it).
  if (document.notifiers.size() == notifiers_.size())
    for (std::size_t i = 0; i < notifiers_.size(); ++i) document.notifiers[i].isDefault = notifiers_[i].isDefault;
}

// --- stickers

CSetStickersDlgBar::CSetStickersDlgBar(UiLanguage language, QWidget* parent) : DefinitionListPage(language, parent) {
  preview_ = newPreviewLabel(this);
  preview_->setMinimumHeight(120);
  pageLayout()->addWidget(preview_);
}

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

// The sticker as the wallpaper gets it: its picture with the test text drawn in by the
// wallpaper's own drawing, the transparent colour cut away and the rest at its opacity.
void CSetStickersDlgBar::selectionChanged(int row) {
  preview_->clear();
  const auto index = static_cast<std::size_t>(row);
  if (row < 0 || index >= stickers_.size()) return;
  CWPStickerContext sticker = stickers_[index];
  sticker.text = toStdString(text(StringId::NotifierTestMessage));
  QtStickerTextRenderer textRenderer;
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int dpi = screen != nullptr ? qRound(screen->logicalDotsPerInchY()) : 96;
  const StickerPicture picture = drawStickerPicture(sticker, &textRenderer, dpi);
  if (picture.pixels.empty()) {
    const QString file = QFileInfo(toQString(sticker.skinPath)).fileName();
    preview_->setText(toQString(loadString(StringId::StickerPictureMissing, language())).arg(file));
    return;
  }
  const std::uint32_t seeThrough = (std::uint32_t{redOf(sticker.transparentColor)} << 16) |
                                   (std::uint32_t{greenOf(sticker.transparentColor)} << 8) |
                                   blueOf(sticker.transparentColor);
  const std::uint32_t alpha = std::uint32_t{StickerOpacity(sticker.transparency)} << 24;
  QImage image(picture.width, picture.height, QImage::Format_ARGB32);
  for (int y = 0; y < picture.height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    const std::uint32_t* source = picture.pixels.data() + static_cast<std::size_t>(y) * picture.width;
    for (int x = 0; x < picture.width; ++x) {
      const std::uint32_t pixel = source[x] & 0xFFFFFFu;
      line[x] = pixel == seeThrough ? 0u : (alpha | pixel);
    }
  }
  preview_->setPixmap(previewPixmap(image));
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

  // The preview's place holds nothing, the clock or the message, always at the clock's size.
  preview_ = new QStackedWidget(this);
  preview_->addWidget(new QWidget(preview_));
  auto* clockHolder = new QWidget(preview_);
  clock_ = new CRoundClockStatic(clockHolder);
  auto* holderLayout = new QVBoxLayout(clockHolder);
  holderLayout->setContentsMargins(0, 0, 0, 0);
  holderLayout->addWidget(clock_, 0, Qt::AlignCenter);
  preview_->addWidget(clockHolder);
  previewMessage_ = newPreviewLabel(preview_);
  preview_->addWidget(previewMessage_);
  preview_->setFixedSize(kAnalogClockSize + 60, kAnalogClockSize);

  auto* row = new QHBoxLayout;
  row->addWidget(information_, 1);
  row->addWidget(preview_);
  pageLayout()->addLayout(row);
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
    preview_->setCurrentIndex(0);
    return;
  }
  showPreview(skins_[index]);
  const CSkinContext& skin = skins_[index];
  QString line = text(StringId::PluginDescription);
  for (const std::string* value : {&skin.name, &skin.author, &skin.description}) {
    const auto at = line.indexOf(QStringLiteral("%s"));
    if (at >= 0) line.replace(at, 2, toQString(*value));
  }
  information_->setText(line);
}

bool CSetSkinsDlgBar::clockPreviewShown() const { return preview_->currentWidget() == clock_->parentWidget(); }

void CSetSkinsDlgBar::showPreviewMessage(const QString& message) {
  previewMessage_->setText(message);
  preview_->setCurrentWidget(previewMessage_);
}

// The clock as the main window would show it with this skin, its face looked for where the
// program looks (beside the skin file, then in the data folder).
void CSetSkinsDlgBar::showPreview(const CSkinContext& skin) {
  const QFileInfo file(toQString(skin.path));
  CProfile profile;
  profile.SetSaveOnClose(false);
  profile.SetStoreDefaults(false);
  profile.SetAddOnWrite(false);
  // Loading a store creates a missing file: a skin that has gone must stay gone.
  if (!file.isFile() || !profile.Load(toStdString(file.absoluteFilePath()))) {
    showPreviewMessage(toQString(loadString(StringId::SkinUnreadable, language())).arg(file.fileName()));
    return;
  }
  // The built-in face first, so that a skin without a face of its own does not show the face of
  // the skin selected before it.
  clock_->SetSkin(QString::fromLatin1(kBuiltInClockFace));
  if (!clock_->applySkin(profile, {file.absolutePath(), toQString(dataFolder_)}) && !clock_->settings().face.empty()) {
    showPreviewMessage(
        toQString(loadString(StringId::ClockFaceMissing, language())).arg(toQString(clock_->settings().face)));
    return;
  }
  preview_->setCurrentWidget(clock_->parentWidget());
}

void CSetSkinsDlgBar::store(ApplicationSettings& settings, CAlarmDoc&) { settings.app.skin_path = skinPath_; }

}  // namespace kalvory
