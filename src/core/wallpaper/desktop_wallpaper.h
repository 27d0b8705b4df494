#pragma once

#include <string>
#include <vector>

#include "core/common/result.h"

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
  // Succeeds when the desktop took the picture; otherwise the failure says why.
  virtual Result<void> SetWallpaper(const std::string& path, int style) = 0;
};

// Keeps every request instead of changing the desktop; for tests and dry runs.
class RecordingDesktopWallpaper final : public DesktopWallpaper {
 public:
  struct Call {
    std::string path;
    int style = 0;
    friend bool operator==(const Call&, const Call&) = default;
  };
  Result<void> SetWallpaper(const std::string& path, int style) override {
    calls.push_back({path, style});
    if (!succeed) return Failure{"refused"};
    return {};
  }
  std::vector<Call> calls;
  bool succeed = true;
};

}  // namespace kalvory
