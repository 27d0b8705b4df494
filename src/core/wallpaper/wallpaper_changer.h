#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/common/date_time.h"
#include "core/settings/app_settings.h"
#include "core/skins/definitions.h"
#include "core/wallpaper/desktop_wallpaper.h"
#include "core/wallpaper/wallpaper_compositor.h"

namespace kalvory {

class CAlarmDoc;
class CAlarmLine;
class CDayInfo;

// The origin tags of wallpaper requests ("Type").
inline constexpr int kWallpaperOriginChanger = 1;
inline constexpr int kWallpaperOriginReminder = 4;

// The largest number the random source gives; a draw is 0..kRandomMax.
inline constexpr int kRandomMax = 32767;
// A draw of the shuffle: a whole number from 0 to kRandomMax.
using RandomSource = std::function<int()>;

// The pseudo-random sequence of the C run time the program first ran on: a linear
// congruential generator giving 0..32767, seeded once.
class RunTimeRandom {
 public:
  explicit RunTimeRandom(std::uint32_t seed) : state_(seed) {}
  int operator()() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFFu);
  }

 private:
  std::uint32_t state_;
};

// The picture extensions the changer looks for, in the order they are listed.
inline constexpr const char* kWallpaperExtensions[] = {"bmp", "jpg", "jpeg", "tif", "tiff", "png"};

// The picture files of the folders text ("Path": each folder followed by "*"), as the changer
// numbers them: the folders in order (up to the first empty one), in each folder the files of
// each extension in turn, by name. A folder named twice is listed twice. Extensions match
// without regard to case, and backslashes separate folders as they do in settings written on
// the program's original platform.
std::vector<std::string> WallpaperFileList(const std::string& folders);

// The main window's wallpaper part: the periodic changer, the reminder and day-note pictures,
// the day on which a day note blocks every other picture, and the step from a composed picture
// to the desktop. Everything runs on the GUI thread from the one-second tick and the hotkey.
class CWallpaperChanger {
 public:
  // `settings` is the application's wallpaper settings ("ID" and "LastChanged" are written back
  // into it); the compositor and the desktop belong to the caller. Without a random source the
  // run-time generator is seeded once from the current time.
  CWallpaperChanger(CWallpaperContext& settings, CWallpaperCompositor& compositor, DesktopWallpaper& desktop,
                    Clock clock = systemNow, RandomSource random = {});

  // The periodic change: every tick (force off) and the Ctrl+Shift+W hotkey (force on).
  void ChangeWallpaper(bool force);
  // Whether the interval since the last change has passed at `now` (a last change that cannot
  // be read, or lies ahead, counts as long ago).
  static bool ChangeDue(const CWallpaperContext& settings, const COleDateTime& now);
  // Makes the request's composed picture the desktop picture; a changer request (origin 1)
  // records the moment in its last-changed time.
  void ApplyWallpaper(CWallpaperContext& request);
  // A firing reminder's picture: composed with the wallpaper settings and applied, whether or
  // not the changer is enabled (a blocked day still wins).
  void SetReminderWallpaper(const std::string& picture);
  // The picture of today's day note (the last note matching today), once a day; a note with
  // "Block Wallpaper Changer" keeps every other picture away until the day changes.
  void ApplyDayNoteWallpaper(const CDayInfo* todaysNote, const COleDateTime& now);
  void ApplyDayNoteWallpaper(const CAlarmDoc& document, const COleDateTime& now);

  // The sticker updates of the alarm check: the compositor maintains the placed stickers, and a
  // change is applied, or when it cannot be composed, replaced by a forced change.
  void UpdateReminderSticker(const CAlarmLine& reminder, const std::vector<CWPStickerContext>& definitions,
                             const COleDateTime& now);
  void UpdateDayNoteStickers(const CDayInfo* note, const std::vector<CWPStickerContext>& definitions,
                             const COleDateTime& now);
  void UpdateDayNoteStickers(const std::vector<const CDayInfo*>& notes,
                             const std::vector<CWPStickerContext>& definitions, const COleDateTime& now);

  bool busy() const { return busy_; }
  bool blockedOn(const COleDateTime& day) const;
  const COleDateTime& blockedDate() const { return blockedDate_; }
  const COleDateTime& dayNotePictureDate() const { return dayNoteDate_; }
  // What the desktop said when it last refused a picture (empty after a success).
  const std::string& lastDesktopError() const { return desktopError_; }

 private:
  void AfterStickerUpdate(StickerUpdate update);
  void ComposeAndApplyPicture(const std::string& picture);

  CWallpaperContext& settings_;
  CWallpaperCompositor& compositor_;
  DesktopWallpaper& desktop_;
  Clock clock_;
  RandomSource random_;

  bool busy_ = false;
  COleDateTime blockedDate_ = COleDateTime::makeNull();  // no blocked day yet
  COleDateTime dayNoteDate_ = COleDateTime::makeNull();  // no day-note picture yet
  std::string desktopError_;
};

}  // namespace kalvory
