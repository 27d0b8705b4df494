#pragma once

// Folders and picture files for the compositor and changer tests.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "settings/system_colors.h"
#include "wallpaper/dib_image.h"

namespace kalvory::test {

// A fresh folder under the temporary folder, removed with everything in it.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kalvory-wallpaper-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TemporaryFolder() {
    std::error_code code;
    if (!path_.empty()) std::filesystem::remove_all(path_, code);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct Colour {
  int r = 0;
  int g = 0;
  int b = 0;
  friend bool operator==(const Colour&, const Colour&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Colour& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
  }
};

inline Colour ColourOf(ColorRef color) { return {redOf(color), greenOf(color), blueOf(color)}; }

inline Colour PixelAt(const CDibImage& image, int x, int y) {
  const RgbQuad q = image.GetPixelColor(x, y);
  return {q.red, q.green, q.blue};
}

// A 24-bit Windows bitmap whose pixel (x, y), top row 0, is colourAt(x, y).
inline void WriteBmp(const std::string& path, int width, int height, const std::function<Colour(int, int)>& colourAt) {
  CDibImage image;
  ASSERT_TRUE(image.Create(width, height, 24));
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = image.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      const Colour c = colourAt(x, y);
      row[3 * x] = static_cast<std::uint8_t>(c.b);
      row[3 * x + 1] = static_cast<std::uint8_t>(c.g);
      row[3 * x + 2] = static_cast<std::uint8_t>(c.r);
    }
  }
  ASSERT_TRUE(image.Save(path, kImageFormatBmp)) << image.GetLastError();
}

inline void WriteSolidBmp(const std::string& path, int width, int height, Colour colour) {
  WriteBmp(path, width, height, [colour](int, int) { return colour; });
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

inline std::vector<char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool Near(const Colour& a, const Colour& b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

}  // namespace kalvory::test
