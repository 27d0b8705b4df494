#pragma once

#include <string>
#include <string_view>

#include "core/wallpaper/dib_image.h"

namespace kalvory {

// The picture format a wallpaper file is read with, chosen by the text after the last "." of
// its name in lower case: "bmp"; "jpg" or "jpeg"; "gif"; "png"; "ico"; "tif" or "tiff".
// -1 for any other extension or none.
int PictureFormatFromPath(std::string_view path);

// Reads a picture file with the reader its extension chooses. On failure `error` says why and
// `picture` is left as it was.
bool LoadPictureFile(CDibImage& picture, const std::string& path, std::string& error);

}  // namespace kalvory
