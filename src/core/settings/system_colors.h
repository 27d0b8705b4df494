#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kalvory {

// A colour reference: red in bits 0-7, green in bits 8-15, blue in bits 16-23, top byte zero.
using ColorRef = std::uint32_t;

constexpr ColorRef makeColorRef(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<ColorRef>(red) | (static_cast<ColorRef>(green) << 8) | (static_cast<ColorRef>(blue) << 16);
}
constexpr std::uint8_t redOf(ColorRef color) { return static_cast<std::uint8_t>(color & 0xFF); }
constexpr std::uint8_t greenOf(ColorRef color) { return static_cast<std::uint8_t>((color >> 8) & 0xFF); }
constexpr std::uint8_t blueOf(ColorRef color) { return static_cast<std::uint8_t>((color >> 16) & 0xFF); }

// System colour indices 0 (scroll bar) to 30 (menu bar).
inline constexpr int kSystemColorCount = 31;

// The names a definition file may use for a system colour, in the order they are tried.
struct SystemColorName {
  std::string_view name;
  int index;
};
inline constexpr std::array<SystemColorName, 36> kSystemColorNames{{
    {"COLOR_DESKTOP", 1},
    {"COLOR_3DFACE", 15},
    {"COLOR_3DSHADOW", 16},
    {"COLOR_3DHIGHLIGHT", 20},
    {"COLOR_3DHILIGHT", 20},
    {"COLOR_BTNHILIGHT", 20},
    {"COLOR_SCROLLBAR", 0},
    {"COLOR_BACKGROUND", 1},
    {"COLOR_ACTIVECAPTION", 2},
    {"COLOR_INACTIVECAPTION", 3},
    {"COLOR_MENU", 4},
    {"COLOR_BTNSHADOW", 16},
    {"COLOR_WINDOW", 5},
    {"COLOR_WINDOWFRAME", 6},
    {"COLOR_MENUTEXT", 7},
    {"COLOR_WINDOWTEXT", 8},
    {"COLOR_CAPTIONTEXT", 9},
    {"COLOR_ACTIVEBORDER", 10},
    {"COLOR_INACTIVEBORDER", 11},
    {"COLOR_APPWORKSPACE", 12},
    {"COLOR_HIGHLIGHT", 13},
    {"COLOR_HIGHLIGHTTEXT", 14},
    {"COLOR_BTNFACE", 15},
    {"COLOR_MENUHILIGHT", 29},
    {"COLOR_GRAYTEXT", 17},
    {"COLOR_BTNTEXT", 18},
    {"COLOR_INACTIVECAPTIONTEXT", 19},
    {"COLOR_BTNHIGHLIGHT", 20},
    {"COLOR_3DDKSHADOW", 21},
    {"COLOR_3DLIGHT", 22},
    {"COLOR_INFOTEXT", 23},
    {"COLOR_INFOBK", 24},
    {"COLOR_HOTLIGHT", 26},
    {"COLOR_GRADIENTACTIVECAPTION", 27},
    {"COLOR_GRADIENTINACTIVECAPTION", 28},
    {"COLOR_MENUBAR", 30},
}};

// The index named by `name` (compared case-sensitively, first equal name wins), or nullopt.
std::optional<int> systemColorIndex(std::string_view name);

// Where the current system colours come from. The desktop program supplies one that reads its
// palette; without it the classic table below answers.
class SystemColorProvider {
 public:
  virtual ~SystemColorProvider() = default;
  // The current colour of system colour `index`; an index outside 0..30 gives black.
  virtual ColorRef systemColor(int index) const = 0;
};

// The classic desktop colour scheme (grey 3D faces, navy captions and highlight).
class ClassicSystemColors final : public SystemColorProvider {
 public:
  ColorRef systemColor(int index) const override;
};

// The provider that colour reads use. Not thread-safe to change: set it once at start-up.
const SystemColorProvider& systemColorProvider();
// Installs `provider` (which must outlive its use); nullptr brings back the classic table.
void setSystemColorProvider(const SystemColorProvider* provider);

// Shorthand for systemColorProvider().systemColor(index).
ColorRef systemColor(int index);

}  // namespace kalvory
