#pragma once

#include "core/wallpaper/wallpaper_compositor.h"

namespace kalvory {

// Draws sticker texts with QPainter into the sticker picture. Needs a QGuiApplication (the
// offscreen platform will do); without one the text is left out.
class QtStickerTextRenderer final : public StickerTextRenderer {
 public:
  void DrawStickerText(PixelSurface& surface, const DefinitionRect& rect, std::string_view text,
                       const StickerTextStyle& style) override;
};

}  // namespace kalvory
