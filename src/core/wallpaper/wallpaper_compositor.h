#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/date_time.h"
#include "core/settings/app_settings.h"
#include "core/settings/system_colors.h"
#include "core/skins/definitions.h"
#include "core/wallpaper/dib_image.h"

namespace kalvory {

class CAlarmLine;
class CDayInfo;

// The composed wallpaper's file name in the data folder.
inline constexpr std::string_view kComposedWallpaperName = "KalvoryCurWP.bmp";

// How a sticker's text looks; the pixel height is already worked out from the definition.
struct StickerTextStyle {
  std::string fontName;
  int pixelHeight = 0;
  int weight = 400;  // 700 bold
  bool italic = false;
  bool underline = false;
  ColorRef color = 0;
};

// Draws a sticker's text; the desktop program does it with its own text engine (QPainter). The
// text goes onto `surface` (the sticker picture) inside `rect` (right and bottom exclusive) with
// a transparent background, centred both ways, broken at word boundaries and ended with an
// ellipsis when it does not fit.
class StickerTextRenderer {
 public:
  virtual ~StickerTextRenderer() = default;
  virtual void DrawStickerText(PixelSurface& surface, const DefinitionRect& rect, std::string_view text,
                               const StickerTextStyle& style) = 0;
};

// The colours of the gradient fill around a picture, from the background colour.
struct GradientColors {
  ColorRef frame = 0;  // the 2-pixel lines along the picture's edges
  ColorRef start = 0;  // the outermost band
  ColorRef end = 0;    // what the bands fade to
  friend bool operator==(const GradientColors&, const GradientColors&) = default;
};
GradientColors GradientColorsFor(ColorRef background);

// A sticker's picture with its text drawn in, as it is blended onto the wallpaper: 0x00RRGGBB
// pixels, top row first, `width` to a row; no pixels when the picture is missing or cannot be
// read. The configuration page previews a sticker with the same drawing.
struct StickerPicture {
  std::vector<std::uint32_t> pixels;
  int width = 0;
  int height = 0;
};
StickerPicture drawStickerPicture(const CWPStickerContext& sticker, StickerTextRenderer* textRenderer, int verticalDpi);

// The constant opacity a sticker is blended with: "Transparency" × 255 / 100, keeping the low
// 8 bits (so the file default 200 gives 254).
std::uint8_t StickerOpacity(int transparency);

// The owner kinds recorded in a placed sticker's `placedBy`.
inline constexpr std::string_view kPlacedByReminder = "reminder";
inline constexpr std::string_view kPlacedByDayNote = "day note";

// What a sticker update did to the placed-sticker list.
enum class StickerUpdate {
  Unchanged,      // nothing was added or removed
  Composed,       // the list changed and the wallpaper was composed again: apply it
  ComposeFailed,  // the list changed but composing failed: a forced change is due
};

// Turns a wallpaper request into one screen-sized picture file: the picture placed on the screen
// area, the rest filled with a gradient or a tiled pattern, the placed stickers drawn over it,
// saved as "KalvoryCurWP.bmp" in the data folder. The main window keeps one for its whole life,
// and with it the list of placed stickers that the sticker updates maintain.
class CWallpaperCompositor {
 public:
  // `screenWidth` × `screenHeight` is the primary screen's size in pixels, measured once;
  // `verticalDpi` is its vertical resolution, for the stickers' font sizes. `placedStickers`
  // belongs to the caller and must outlive the compositor. Without a text renderer stickers are
  // drawn without their text.
  CWallpaperCompositor(int screenWidth, int screenHeight, std::string dataFolder,
                       std::vector<CWPStickerContext>& placedStickers, StickerTextRenderer* textRenderer = nullptr,
                       int verticalDpi = 96);

  // Composes `request` (it becomes the current request) and on success sets its picture to the
  // composed file. Fails with the reason, leaving the file alone, when the picture is missing,
  // of an unknown type or unreadable, or the file cannot be written.
  Result<void> Compose(CWallpaperContext& request);
  // Composes the current request again (after the placed stickers changed).
  Result<void> Compose();

  // Reminders' stickers: run for every reminder at each tick. Drops expired stickers, removes
  // the reminder's own sticker when it is switched off, and places it (one copy per definition
  // of that name in `definitions`) when it is active and due and not yet placed.
  StickerUpdate UpdateReminderSticker(const CAlarmLine& reminder, const std::vector<CWPStickerContext>& definitions,
                                      const COleDateTime& now);
  // Today's day note's sticker (`note` may be null: only expired stickers are dropped then).
  StickerUpdate UpdateDayNoteStickers(const CDayInfo* note, const std::vector<CWPStickerContext>& definitions,
                                      const COleDateTime& now);
  // The stickers of all of `notes` that fall on `now`'s day, each placed once until the next
  // midnight; day-note stickers of no such note are taken off, as are expired stickers.
  StickerUpdate UpdateDayNoteStickers(const std::vector<const CDayInfo*>& notes,
                                      const std::vector<CWPStickerContext>& definitions, const COleDateTime& now);

  // The request last given to Compose, its picture as chosen.
  const CWallpaperContext& currentRequest() const { return current_; }
  // The copy that is made the desktop picture: its picture is the composed file.
  CWallpaperContext& appliedRequest() { return applied_; }
  const CWallpaperContext& appliedRequest() const { return applied_; }

  std::string composedFilePath() const;
  const CDibImage& canvas() const { return canvas_; }
  int screenWidth() const { return width_; }
  int screenHeight() const { return height_; }

  const std::vector<CWPStickerContext>& placedStickers() const { return placed_; }

 private:
  Result<void> ComposeCurrent();
  void FillRect(int x, int y, int width, int height, ColorRef color);
  void SideFill(int margin, bool vertical, ColorRef background);
  void FrameFill(int x, int y, ColorRef background);
  void PatternFill(int left, int top, int right, int bottom, ColorRef background);
  void DrawSticker(const CWPStickerContext& sticker);
  StickerUpdate Recompose(bool changed);

  int width_;
  int height_;
  int dpi_;
  std::string dataFolder_;
  std::vector<CWPStickerContext>& placed_;
  StickerTextRenderer* textRenderer_;

  CDibImage canvas_;
  CDibImage picture_;
  CWallpaperContext current_;
  CWallpaperContext applied_;
};

// The picture tiled behind the wallpaper when the background style is "pattern" and the
// request names no readable pattern file.
CDibImage BuiltInWallpaperPattern();

}  // namespace kalvory
