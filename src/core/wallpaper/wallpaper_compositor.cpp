#include "core/wallpaper/wallpaper_compositor.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/common/text.h"
#include "core/model/alarm_line.h"
#include "core/model/day_info.h"
#include "core/wallpaper/picture_file.h"

namespace kalvory {

namespace {

// Sticker pictures are small; a larger file is refused rather than blown up into a huge buffer.
ImageLimits StickerLimits() {
  ImageLimits limits;
  limits.maxSide = 4096;
  limits.maxBlockBytes = std::size_t{64} << 20;
  limits.maxFileBytes = std::size_t{64} << 20;
  return limits;
}

struct Rgb {
  int red;
  int green;
  int blue;
};

Rgb RgbOf(ColorRef color) { return {redOf(color), greenOf(color), blueOf(color)}; }
ColorRef ColorOf(const Rgb& rgb) {
  return makeColorRef(static_cast<std::uint8_t>(rgb.red), static_cast<std::uint8_t>(rgb.green),
                      static_cast<std::uint8_t>(rgb.blue));
}

// How much one band darkens a component: a tenth-precise share of the whole fade per band, at
// least 1 while there is anything to fade.
int BandStep(int start, int end, int bands) {
  const int d = (start - end) * 10 / bands;
  if (d / 10 > 0) return d / 10;
  return d > 0 ? 1 : 0;
}

int Lowered(int component, int step) { return component <= step ? 0 : component - step; }

// Walks the band colours of a gradient fill: each call lowers the colour by one band's step.
class BandColors {
 public:
  BandColors(const GradientColors& colors, int bands)
      : color_(RgbOf(colors.start)),
        step_{BandStep(redOf(colors.start), redOf(colors.end), bands),
              BandStep(greenOf(colors.start), greenOf(colors.end), bands),
              BandStep(blueOf(colors.start), blueOf(colors.end), bands)} {}
  ColorRef Next() {
    color_ = {Lowered(color_.red, step_.red), Lowered(color_.green, step_.green), Lowered(color_.blue, step_.blue)};
    return ColorOf(color_);
  }

 private:
  Rgb color_;
  Rgb step_;
};

// The text a sticker shows: its owner's text without the symbol and raised-text marks, which
// only the on-screen windows know how to draw.
std::string StickerDisplayText(std::string_view text) {
  const std::string plain = plainText(text);
  std::string out;
  out.reserve(plain.size());
  std::size_t pos = 0;
  while (pos < plain.size()) {
    const std::size_t start = pos;
    const char32_t c = nextCodePoint(plain, pos);
    if (c == kRaisedStartMark || c == kRaisedEndMark) continue;
    out.append(plain, start, pos - start);
  }
  return out;
}

COleDateTime NextMidnight(const COleDateTime& now) { return now.datePart() + COleDateTimeSpan(1.0); }

}  // namespace

GradientColors GradientColorsFor(ColorRef background) {
  const Rgb bg = RgbOf(background);
  const auto doubled = [](int c) { return c >= 128 ? 255 : c * 2; };
  GradientColors colors;
  colors.frame = ColorOf({doubled(bg.red), doubled(bg.green), doubled(bg.blue)});
  if (colors.frame == 0) colors.frame = makeColorRef(128, 128, 128);
  if (bg.red >= 32 || bg.green >= 32 || bg.blue >= 32) {
    colors.start = background & 0xFFFFFF;
    colors.end = ColorOf({bg.red / 2, bg.green / 2, bg.blue / 2});
  } else {
    colors.start = makeColorRef(88, 88, 88);
    colors.end = background & 0xFFFFFF;
  }
  return colors;
}

std::uint8_t StickerOpacity(int transparency) {
  return static_cast<std::uint8_t>(static_cast<unsigned>(transparency * 255 / 100) & 0xFFu);
}

CDibImage BuiltInWallpaperPattern() {
  // A quiet woven pattern: diagonal threads of two greys on a mid grey, 16 pixels square.
  constexpr int kSize = 16;
  CDibImage pattern;
  if (!pattern.Create(kSize, kSize, 24).ok()) return pattern;  // no memory: no pattern, a plain fill
  for (int y = 0; y < kSize; ++y) {
    std::uint8_t* row = pattern.ScanLine(y);
    for (int x = 0; x < kSize; ++x) {
      const int rising = (x + y) % kSize;
      const int falling = (x - y + kSize) % kSize;
      std::uint8_t value = 112;
      if (rising < 2) value = 136;
      if (falling < 2) value = (rising < 2) ? 150 : 96;
      row[3 * x] = static_cast<std::uint8_t>(value + 8);  // a touch of blue
      row[3 * x + 1] = value;
      row[3 * x + 2] = value;
    }
  }
  return pattern;
}

CWallpaperCompositor::CWallpaperCompositor(int screenWidth, int screenHeight, std::string dataFolder,
                                           std::vector<CWPStickerContext>& placedStickers,
                                           StickerTextRenderer* textRenderer, int verticalDpi)
    : width_(std::max(screenWidth, 0)),
      height_(std::max(screenHeight, 0)),
      dpi_(verticalDpi > 0 ? verticalDpi : 96),
      dataFolder_(std::move(dataFolder)),
      placed_(placedStickers),
      textRenderer_(textRenderer) {
  // One canvas for the compositor's whole life, reused by every composition.
  // A canvas that cannot be made is refused by each composition ("The screen size is not usable").
  if (width_ > 0 && height_ > 0) static_cast<void>(canvas_.Create(width_, height_, 24));
}

std::string CWallpaperCompositor::composedFilePath() const {
  if (dataFolder_.empty()) return std::string(kComposedWallpaperName);
  std::string path = dataFolder_;
  if (path.back() != '/') path += '/';
  path += kComposedWallpaperName;
  return path;
}

Result<void> CWallpaperCompositor::Compose(CWallpaperContext& request) {
  current_ = request;
  if (auto composed = ComposeCurrent(); !composed.ok()) return composed;
  request.picture = applied_.picture;
  return {};
}

Result<void> CWallpaperCompositor::Compose() { return ComposeCurrent(); }

Result<void> CWallpaperCompositor::ComposeCurrent() {
  if (!canvas_.IsValid()) return Failure{"The screen size is not usable"};
  // The previous picture's memory takes the new one; wallpapers of one size then reuse it.
  picture_.DestroyKeepingStorage();
  if (Result<void> loaded = LoadPictureFile(picture_, current_.picture); !loaded.ok()) return loaded;
  const CDibImage& picture = picture_;
  const std::int64_t w = picture.Width();
  const std::int64_t h = picture.Height();
  if (h == 0 || height_ == 0) return Failure{"The picture has no height"};
  const std::int64_t W = width_;
  const std::int64_t H = height_;
  const std::int64_t A = w * 100 / h;
  const std::int64_t S = W * 100 / H;
  const ColorRef background = current_.background_color;
  const bool pattern = current_.background_style == 1;

  FillRect(0, 0, width_, height_, background);
  const bool fit = current_.style != 0 || w >= W || h >= H;
  if (fit && A == S) {
    picture.Draw(canvas_, 0, 0, width_, height_);
  } else if (fit && A < S) {
    const auto m = static_cast<int>(A * H / 100);
    const int margin = (width_ - m) / 2;
    if (pattern) {
      PatternFill(margin, 0, margin + m, height_, background);
    } else {
      SideFill(margin, true, background);
    }
    picture.Draw(canvas_, margin, 0, m, height_);
  } else if (fit) {
    const auto l = static_cast<int>(W * 100 / A);
    const int margin = (height_ - l) / 2;
    if (pattern) {
      PatternFill(0, margin, width_, margin + l, background);
    } else {
      SideFill(margin, false, background);
    }
    picture.Draw(canvas_, 0, margin, width_, l);
  } else {
    const auto x = static_cast<int>((W - w) / 2);
    const auto y = static_cast<int>((H - h) / 2);
    if (pattern) {
      PatternFill(x, y, x + static_cast<int>(w), y + static_cast<int>(h), background);
    } else {
      FrameFill(x, y, background);
    }
    picture.Draw(canvas_, x, y, static_cast<int>(w), static_cast<int>(h));
  }

  for (const CWPStickerContext& sticker : placed_) DrawSticker(sticker);

  const std::string path = composedFilePath();
  if (Result<void> saved = canvas_.Save(path, kImageFormatBmp); !saved.ok()) return saved;
  applied_ = current_;
  applied_.picture = path;
  return {};
}

void CWallpaperCompositor::FillRect(int x, int y, int width, int height, ColorRef color) {
  const int left = std::max(x, 0);
  const int top = std::max(y, 0);
  const int right = static_cast<int>(std::min<std::int64_t>(std::int64_t{x} + width, width_));
  const int bottom = static_cast<int>(std::min<std::int64_t>(std::int64_t{y} + height, height_));
  if (left >= right || top >= bottom) return;
  const std::uint8_t pixel[3] = {blueOf(color), greenOf(color), redOf(color)};
  // One row is built pixel by pixel, the others are copies of it.
  std::uint8_t* first = canvas_.ScanLine(top) + 3 * static_cast<std::size_t>(left);
  for (int column = left; column < right; ++column) std::memcpy(first + 3 * (column - left), pixel, 3);
  const std::size_t bytes = 3 * static_cast<std::size_t>(right - left);
  for (int row = top + 1; row < bottom; ++row) {
    std::memcpy(canvas_.ScanLine(row) + 3 * static_cast<std::size_t>(left), first, bytes);
  }
}

void CWallpaperCompositor::SideFill(int margin, bool vertical, ColorRef background) {
  const GradientColors colors = GradientColorsFor(background);
  // Margins narrower than two pixels have no bands; only the frame lines are drawn then.
  const int bands = margin / 2;
  if (bands > 0) {
    BandColors band(colors, bands);
    for (int i = 0; i < margin; i += 2) {
      const ColorRef color = band.Next();
      if (vertical) {
        FillRect(i, 0, 2, height_, color);
        FillRect(width_ - i - 2, 0, 2, height_, color);
      } else {
        FillRect(0, i, width_, 2, color);
        FillRect(0, height_ - i - 2, width_, 2, color);
      }
    }
  }
  if (vertical) {
    FillRect(margin - 2, 0, 2, height_, colors.frame);
    FillRect(width_ - margin, 0, 2, height_, colors.frame);
  } else {
    FillRect(0, margin - 2, width_, 2, colors.frame);
    FillRect(0, height_ - margin, width_, 2, colors.frame);
  }
}

void CWallpaperCompositor::FrameFill(int x, int y, ColorRef background) {
  const GradientColors colors = GradientColorsFor(background);
  const int larger = std::max(x, y);
  const int bands = larger / 2;
  if (bands > 0) {
    BandColors band(colors, bands);
    for (int i = 0; i < larger; i += 2) {
      const ColorRef color = band.Next();
      FillRect(i, i, 2, height_ - 2 * i, color);
      FillRect(width_ - i - 2, i, 2, height_ - 2 * i, color);
      FillRect(i, i, width_ - 2 * i, 2, color);
      FillRect(i, height_ - i - 2, width_ - 2 * i, 2, color);
    }
  }
  FillRect(x - 2, y - 2, width_ - 2 * x + 4, height_ - 2 * y + 4, colors.frame);
}

void CWallpaperCompositor::PatternFill(int left, int top, int right, int bottom, ColorRef background) {
  CDibImage pattern;
  std::error_code code;
  const bool ownPattern = !current_.pattern.empty() && std::filesystem::is_regular_file(current_.pattern, code) &&
                          pattern.Load(current_.pattern, kImageFormatBmp).ok();
  if (!ownPattern) pattern = BuiltInWallpaperPattern();

  // The pattern's rows in the canvas's own layout, so that tiling is plain copying.
  CDibImage tile;
  if (pattern.IsValid() && tile.Create(pattern.Width(), pattern.Height(), 24).ok()) {
    pattern.Draw(tile, 0, 0, tile.Width(), tile.Height());
    const std::size_t tileBytes = 3 * static_cast<std::size_t>(tile.Width());
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(width_);
    for (int row = 0; row < height_; ++row) {
      const std::uint8_t* source = tile.ScanLine(row % tile.Height());
      std::uint8_t* target = canvas_.ScanLine(row);
      for (std::size_t done = 0; done < rowBytes; done += tileBytes) {
        std::memcpy(target + done, source, std::min(tileBytes, rowBytes - done));
      }
    }
  }
  // A 2-pixel frame of the background colour around the picture; sides without a margin reach
  // the canvas edge anyway.
  FillRect(left - 2, top - 2, right - left + 4, bottom - top + 4, background);
}

StickerPicture drawStickerPicture(const CWPStickerContext& sticker, StickerTextRenderer* textRenderer,
                                  int verticalDpi) {
  StickerPicture picture;
  std::error_code code;
  if (sticker.skinPath.empty() || !std::filesystem::is_regular_file(sticker.skinPath, code)) return picture;
  CDibImage sprite;
  sprite.SetLimits(StickerLimits());
  if (!sprite.Load(sticker.skinPath, kImageFormatBmp).ok()) return picture;
  picture.width = sprite.Width();
  picture.height = sprite.Height();
  picture.pixels.resize(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
  PixelSurface surface{picture.pixels.data(), picture.width, picture.height, picture.width};
  sprite.Draw(surface, 0, 0, picture.width, picture.height);

  if (textRenderer != nullptr && !sticker.text.empty()) {
    StickerTextStyle style;
    style.fontName = sticker.fontName;
    style.pixelHeight = static_cast<int>(std::int64_t{sticker.fontSize} * verticalDpi / 720);
    style.weight = (sticker.textStyle & kTextStyleBold) != 0 ? 700 : 400;
    style.italic = (sticker.textStyle & kTextStyleItalic) != 0;
    style.underline = (sticker.textStyle & kTextStyleUnderline) != 0;
    style.color = sticker.normalTextColor;
    textRenderer->DrawStickerText(surface, sticker.textRect, StickerDisplayText(sticker.text), style);
  }
  return picture;
}

void CWallpaperCompositor::DrawSticker(const CWPStickerContext& sticker) {
  const StickerPicture picture = drawStickerPicture(sticker, textRenderer_, dpi_);
  if (picture.pixels.empty()) return;
  const int w = picture.width;
  const int h = picture.height;
  const std::vector<std::uint32_t>& pixels = picture.pixels;

  int x = (width_ - w) / 2;
  if ((sticker.placement & kPlaceLeft) != 0) {
    x = sticker.xShift;
  } else if ((sticker.placement & kPlaceRight) != 0) {
    x = width_ - sticker.xShift - w;
  }
  int y = (height_ - h) / 2;
  if ((sticker.placement & kPlaceTop) != 0) {
    y = sticker.yShift;
  } else if ((sticker.placement & kPlaceBottom) != 0) {
    y = height_ - sticker.yShift - h;
  }

  const unsigned alpha = StickerOpacity(sticker.transparency);
  if (alpha == 0) return;
  const std::uint32_t seeThrough = (std::uint32_t{redOf(sticker.transparentColor)} << 16) |
                                   (std::uint32_t{greenOf(sticker.transparentColor)} << 8) |
                                   blueOf(sticker.transparentColor);
  const auto blend = [alpha](unsigned over, unsigned under) {
    return static_cast<std::uint8_t>((over * alpha + under * (255 - alpha) + 127) / 255);
  };
  const int left = std::max(x, 0);
  const int right = static_cast<int>(std::min<std::int64_t>(std::int64_t{x} + w, width_));
  const int top = std::max(y, 0);
  const int bottom = static_cast<int>(std::min<std::int64_t>(std::int64_t{y} + h, height_));
  for (int row = top; row < bottom; ++row) {
    const std::uint32_t* source = pixels.data() + static_cast<std::size_t>(row - y) * static_cast<std::size_t>(w);
    std::uint8_t* target = canvas_.ScanLine(row);
    for (int column = left; column < right; ++column) {
      const std::uint32_t pixel = source[column - x] & 0xFFFFFFu;
      if (pixel == seeThrough) continue;
      std::uint8_t* out = target + 3 * static_cast<std::size_t>(column);
      out[0] = blend(pixel & 0xFF, out[0]);
      out[1] = blend((pixel >> 8) & 0xFF, out[1]);
      out[2] = blend((pixel >> 16) & 0xFF, out[2]);
    }
  }
}

StickerUpdate CWallpaperCompositor::Recompose(bool changed) {
  if (!changed) return StickerUpdate::Unchanged;
  return Compose().ok() ? StickerUpdate::Composed : StickerUpdate::ComposeFailed;
}

StickerUpdate CWallpaperCompositor::UpdateReminderSticker(const CAlarmLine& reminder,
                                                          const std::vector<CWPStickerContext>& definitions,
                                                          const COleDateTime& now) {
  bool changed = false;
  bool placedAlready = false;
  for (auto it = placed_.begin(); it != placed_.end();) {
    const bool own = !reminder.sticker.empty() && it->text == reminder.text && it->name == reminder.sticker;
    if (own) placedAlready = true;
    if ((own && reminder.state == ReminderState::Inactive) || it->until < now) {
      it = placed_.erase(it);
      changed = true;
    } else {
      ++it;
    }
  }
  if (!placedAlready && !reminder.sticker.empty() && reminder.state != ReminderState::Inactive && reminder.isDue(now)) {
    const COleDateTime until = reminder.endTime(now);
    for (const CWPStickerContext& definition : definitions) {
      if (definition.name != reminder.sticker) continue;
      CWPStickerContext placed = definition;
      placed.text = reminder.text;
      placed.until = until;
      placed.placedBy = kPlacedByReminder;
      placed_.push_back(std::move(placed));
      changed = true;
    }
  }
  return Recompose(changed);
}

StickerUpdate CWallpaperCompositor::UpdateDayNoteStickers(const CDayInfo* note,
                                                          const std::vector<CWPStickerContext>& definitions,
                                                          const COleDateTime& now) {
  // Expired stickers go in any case, so that yesterday's note sticker does not outlive its day
  // in a document without reminders (whose updates would otherwise be the only ones to drop it).
  const bool applies = note != nullptr && !note->sticker.empty() && note->matches(now);
  bool changed = false;
  bool placedAlready = false;
  for (auto it = placed_.begin(); it != placed_.end();) {
    const bool own = note != nullptr && !note->sticker.empty() && it->text == note->text && it->name == note->sticker;
    if (own) placedAlready = true;
    // A note that no longer applies, or names no sticker, takes the day notes' stickers away;
    // reminders' stickers keep to their own reminder's rules.
    const bool dropNoteSticker = note != nullptr && !applies && it->placedBy == kPlacedByDayNote;
    if (dropNoteSticker || it->until < now) {
      it = placed_.erase(it);
      changed = true;
    } else {
      ++it;
    }
  }
  if (applies && !placedAlready) {
    const COleDateTime until = NextMidnight(now);
    for (const CWPStickerContext& definition : definitions) {
      if (definition.name != note->sticker) continue;
      CWPStickerContext placed = definition;
      placed.text = note->text;
      placed.until = until;
      placed.placedBy = kPlacedByDayNote;
      placed_.push_back(std::move(placed));
      changed = true;
    }
  }
  return Recompose(changed);
}

StickerUpdate CWallpaperCompositor::UpdateDayNoteStickers(const std::vector<const CDayInfo*>& notes,
                                                          const std::vector<CWPStickerContext>& definitions,
                                                          const COleDateTime& now) {
  // Every note of the day shows its sticker: a second note of the same day, with a sticker or
  // without, does not take the first one's away.
  std::vector<std::pair<std::string, std::string>> wanted;  // text and sticker name
  for (const CDayInfo* note : notes) {
    if (note == nullptr || note->sticker.empty() || !note->matches(now)) continue;
    std::pair<std::string, std::string> key{note->text, note->sticker};
    if (std::find(wanted.begin(), wanted.end(), key) == wanted.end()) wanted.push_back(std::move(key));
  }
  const auto isWanted = [&wanted](const CWPStickerContext& placed) {
    return std::find(wanted.begin(), wanted.end(), std::pair{placed.text, placed.name}) != wanted.end();
  };
  bool changed = false;
  std::vector<std::pair<std::string, std::string>> present;
  for (auto it = placed_.begin(); it != placed_.end();) {
    const bool noteSticker = it->placedBy == kPlacedByDayNote;
    if (it->until < now || (noteSticker && !isWanted(*it))) {
      it = placed_.erase(it);
      changed = true;
      continue;
    }
    if (noteSticker) present.emplace_back(it->text, it->name);
    ++it;
  }
  const COleDateTime until = NextMidnight(now);
  for (const auto& [text, name] : wanted) {
    if (std::find(present.begin(), present.end(), std::pair{text, name}) != present.end()) continue;
    for (const CWPStickerContext& definition : definitions) {
      if (definition.name != name) continue;
      CWPStickerContext placed = definition;
      placed.text = text;
      placed.until = until;
      placed.placedBy = kPlacedByDayNote;
      placed_.push_back(std::move(placed));
      changed = true;
    }
  }
  return Recompose(changed);
}

}  // namespace kalvory
