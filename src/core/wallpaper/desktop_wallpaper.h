#pragma once

#include <string>
#include <vector>

namespace kalvory {

// Picture positions on the desktop, as the "Style" setting numbers them.
inline constexpr int kWallpaperCentre = 0;
inline constexpr int kWallpaperTile = 1;
inline constexpr int kWallpaperStretch = 2;

// Makes a picture file the desktop picture. The platform provides one per kind of desktop;
// any style other than centre and tile stretches.
class DesktopWallpaper {
 public:
  virtual ~DesktopWallpaper() = default;
  // True when the desktop took the picture; otherwise `error` says why.
  virtual bool SetWallpaper(const std::string& path, int style, std::string& error) = 0;
};

// Keeps every request instead of changing the desktop; for tests and dry runs.
class RecordingDesktopWallpaper final : public DesktopWallpaper {
 public:
  struct Call {
    std::string path;
    int style = 0;
    friend bool operator==(const Call&, const Call&) = default;
  };
  bool SetWallpaper(const std::string& path, int style, std::string& error) override {
    calls.push_back({path, style});
    if (!succeed) error = "refused";
    return succeed;
  }
  std::vector<Call> calls;
  bool succeed = true;
};

}  // namespace kalvory
