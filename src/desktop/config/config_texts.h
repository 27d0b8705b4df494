#pragma once

#include <QString>

#include "core/resources/resource_strings.h"

namespace kalvory {

// What the previews of the configuration pages say when a definition cannot be drawn, in the
// three interface languages; "%1" takes the file. The string tables the older windows share have
// no such messages, so they live beside the pages.
enum class ConfigText {
  SkinUnreadable,    // the skin file is missing or not well-formed
  ClockFaceMissing,  // the skin names a clock face picture that cannot be loaded
  StickerPictureMissing,
};
QString configText(ConfigText text, UiLanguage language);

}  // namespace kalvory
