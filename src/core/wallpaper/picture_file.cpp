#include "core/wallpaper/picture_file.h"

#include <filesystem>
#include <system_error>

namespace kalvory {

int PictureFormatFromPath(std::string_view path) { return ImageFormatFromPath(path); }

bool LoadPictureFile(CDibImage& picture, const std::string& path, std::string& error) {
  std::error_code code;
  if (path.empty() || !std::filesystem::is_regular_file(path, code)) {
    error = "The picture file does not exist";
    return false;
  }
  const int format = PictureFormatFromPath(path);
  if (format < 0) {
    error = "Unsupported picture file type";
    return false;
  }
  if (!picture.Load(path, format)) {
    error = picture.GetLastError().empty() ? std::string("The picture cannot be read") : picture.GetLastError();
    return false;
  }
  return true;
}

}  // namespace kalvory
