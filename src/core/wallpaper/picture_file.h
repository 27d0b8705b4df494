#pragma once

#include <string>
#include <string_view>

#include "core/common/result.h"
#include "core/wallpaper/dib_image.h"

namespace kalvory {

// The picture format a wallpaper file is read with, chosen by the text after the last "." of
// its name in lower case: "bmp"; "jpg" or "jpeg"; "gif"; "png"; "ico"; "tif" or "tiff".
// -1 for any other extension or none.
int PictureFormatFromPath(std::string_view path);

// Reads a picture file into `picture` with the reader its extension chooses. On failure the
// result says why and `picture` is left as it was.
Result<void> LoadPictureFile(CDibImage& picture, const std::string& path);

}  // namespace kalvory
