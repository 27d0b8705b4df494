#pragma once

#include <string>
#include <vector>

namespace kalvory {

// Taskbar notifier definition (a file of the "Notifiers" folder). The full set of keys is
// read by the definitions loader; the document needs only the name and the default mark.
struct CTBNotifierContext {
  std::string name;
  bool isDefault = false;
};

// Wallpaper sticker definition (a file of the "Stickers" folder).
struct CWPStickerContext {
  std::string name;
  bool isDefault = false;
};

}  // namespace kalvory
