#include "wallpaper/picture_file.h"

#include <filesystem>
#include <system_error>

namespace kalvory {

int PictureFormatFromPath(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return -1;
  std::string extension(path.substr(dot + 1));
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (extension == "bmp") return kImageFormatBmp;
  if (extension == "jpg" || extension == "jpeg") return kImageFormatJpeg;
  if (extension == "gif") return kImageFormatGif;
  if (extension == "png") return kImageFormatPng;
  if (extension == "ico") return kImageFormatIco;
  if (extension == "tiff" || extension == "tif") return kImageFormatTiff;
  return -1;
}

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
