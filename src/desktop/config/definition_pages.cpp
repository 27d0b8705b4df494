#include "desktop/config/definition_pages.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QVBoxLayout>

#include "core/model/alarm_doc.h"
#include "core/resources/resource_strings.h"
#include "core/wallpaper/wallpaper_compositor.h"
#include "platform/wallpaper/sticker_text_renderer.h"

namespace kalvory {

CSetStickersDlgBar::CSetStickersDlgBar(UiLanguage language, QWidget* parent) : DefinitionListPage(language, parent) {
  preview_ = newDefinitionPreviewLabel(this);
  preview_->setMinimumHeight(120);
  pageLayout()->addWidget(preview_);
}

void CSetStickersDlgBar::load(const ApplicationSettings& settings, const CAlarmDoc& document) {
  stickers_ = document.stickers;
  defaultName_ = settings.app.default_sticker;
  fill(definitionRows(stickers_));
}

void CSetStickersDlgBar::setAsDefault(int row) {
  defaultName_ = toStdString(list()->item(row)->text());
  markDefault(stickers_, defaultName_);
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
  preview_->setPixmap(definitionPreviewPixmap(image));
}

void CSetStickersDlgBar::store(ApplicationSettings& settings, CAlarmDoc& document) {
  settings.app.default_sticker = defaultName_;
  copyDefaultMarks(stickers_, document.stickers);
}

ConfigPageSource stickersPageSource() {
  return {StringId::StickersPage, [](UiLanguage language, const ConfigPageServices&, QWidget* parent) {
            return new CSetStickersDlgBar(language, parent);
          }};
}

}  // namespace kalvory
