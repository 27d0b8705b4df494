#include "core/settings/system_colors.h"

#include <atomic>

namespace kalvory {

namespace {

// The classic scheme by index; index 25 (alternate button face) has no name but a colour.
constexpr std::array<ColorRef, kSystemColorCount> kClassicColors{
    makeColorRef(212, 208, 200),  //  0 scroll bar
    makeColorRef(58, 110, 165),   //  1 desktop
    makeColorRef(10, 36, 106),    //  2 active caption
    makeColorRef(128, 128, 128),  //  3 inactive caption
    makeColorRef(212, 208, 200),  //  4 menu
    makeColorRef(255, 255, 255),  //  5 window
    makeColorRef(0, 0, 0),        //  6 window frame
    makeColorRef(0, 0, 0),        //  7 menu text
    makeColorRef(0, 0, 0),        //  8 window text
    makeColorRef(255, 255, 255),  //  9 caption text
    makeColorRef(212, 208, 200),  // 10 active border
    makeColorRef(212, 208, 200),  // 11 inactive border
    makeColorRef(128, 128, 128),  // 12 application workspace
    makeColorRef(10, 36, 106),    // 13 highlight
    makeColorRef(255, 255, 255),  // 14 highlight text
    makeColorRef(212, 208, 200),  // 15 button face
    makeColorRef(128, 128, 128),  // 16 button shadow
    makeColorRef(128, 128, 128),  // 17 grey text
    makeColorRef(0, 0, 0),        // 18 button text
    makeColorRef(212, 208, 200),  // 19 inactive caption text
    makeColorRef(255, 255, 255),  // 20 button highlight
    makeColorRef(64, 64, 64),     // 21 3D dark shadow
    makeColorRef(212, 208, 200),  // 22 3D light
    makeColorRef(0, 0, 0),        // 23 tooltip text
    makeColorRef(255, 255, 225),  // 24 tooltip background
    makeColorRef(181, 181, 181),  // 25 alternate button face
    makeColorRef(0, 0, 128),      // 26 hot-tracked item
    makeColorRef(166, 202, 240),  // 27 active caption gradient
    makeColorRef(192, 192, 192),  // 28 inactive caption gradient
    makeColorRef(10, 36, 106),    // 29 menu highlight
    makeColorRef(212, 208, 200),  // 30 menu bar
};

const ClassicSystemColors kClassicProvider;
std::atomic<const SystemColorProvider*> currentProvider{nullptr};

}  // namespace

std::optional<int> systemColorIndex(std::string_view name) {
  for (const auto& entry : kSystemColorNames) {
    if (entry.name == name) return entry.index;
  }
  return std::nullopt;
}

ColorRef ClassicSystemColors::systemColor(int index) const {
  if (index < 0 || index >= kSystemColorCount) return 0;
  return kClassicColors[static_cast<std::size_t>(index)];
}

const SystemColorProvider& systemColorProvider() {
  const SystemColorProvider* provider = currentProvider.load(std::memory_order_acquire);
  return provider != nullptr ? *provider : kClassicProvider;
}

void setSystemColorProvider(const SystemColorProvider* provider) {
  currentProvider.store(provider, std::memory_order_release);
}

ColorRef systemColor(int index) { return systemColorProvider().systemColor(index); }

}  // namespace kalvory
