#pragma once

#include <QLabel>
#include <string>
#include <vector>

#include "core/skins/definitions.h"
#include "desktop/common/definition_list_page.h"

namespace kalvory {

// "Desktop Stickers": the document's sticker definitions, the default one, and a preview of the
// selected one with the test text, drawn as the wallpaper draws it (see-through where its picture
// has the transparent colour, at its opacity).
class CSetStickersDlgBar final : public DefinitionListPage {
  Q_OBJECT
 public:
  explicit CSetStickersDlgBar(UiLanguage language, QWidget* parent = nullptr);
  void load(const ApplicationSettings& settings, const CAlarmDoc& document) override;
  void store(ApplicationSettings& settings, CAlarmDoc& document) override;
  // The sticker's picture, or a message when it cannot be loaded.
  QLabel* preview() const { return preview_; }

 private:
  void setAsDefault(int row) override;
  void selectionChanged(int row) override;
  std::vector<CWPStickerContext> stickers_;
  std::string defaultName_;
  QLabel* preview_ = nullptr;
};

ConfigPageSource stickersPageSource();

}  // namespace kalvory
