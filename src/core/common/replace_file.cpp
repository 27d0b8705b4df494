#include "core/common/replace_file.h"

#include <filesystem>
#include <fstream>

namespace kalvory {

namespace fs = std::filesystem;

Result<void> replaceFileContents(const std::string& path, std::string_view contents) {
  std::error_code error;
  fs::create_directories(fs::path(path).parent_path(), error);
  const std::string temporary = path + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    out.close();
    if (!out) {
      fs::remove(temporary, error);
      return Failure{path + ": cannot be written"};
    }
  }
  fs::rename(temporary, path, error);
  if (error) {
    const std::string why = error.message();
    fs::remove(temporary, error);
    return Failure{path + ": " + why};
  }
  return {};
}

}  // namespace kalvory
