#include "core/wallpaper/picture_file.h"

#include <filesystem>
#include <system_error>

namespace kalvory {

int PictureFormatFromPath(std::string_view path) { return ImageFormatFromPath(path); }

Result<void> LoadPictureFile(CDibImage& picture, const std::string& path) {
  std::error_code code;
  if (path.empty() || !std::filesystem::is_regular_file(path, code)) return Failure{"The picture file does not exist"};
  const int format = PictureFormatFromPath(path);
  if (format < 0) return Failure{"Unsupported picture file type"};
  if (auto loaded = picture.Load(path, format); !loaded.ok()) {
    return Failure{loaded.error().empty() ? std::string("The picture cannot be read") : loaded.error()};
  }
  return {};
}

}  // namespace kalvory
