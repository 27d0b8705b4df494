#include "core/wallpaper/wallpaper_changer.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

#include "core/common/text.h"
#include "core/model/alarm_doc.h"
#include "core/model/alarm_line.h"
#include "core/model/day_info.h"

namespace kalvory {

namespace {

// The names of the regular files of a folder (links followed), sorted; none when the folder
// cannot be read.
std::vector<std::string> FolderFileNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code code;
  std::filesystem::directory_iterator it(folder, code);
  if (code) return names;
  for (const std::filesystem::directory_iterator end; it != end; it.increment(code)) {
    if (code) break;
    std::error_code typeCode;
    if (!it->is_regular_file(typeCode)) continue;
    names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ExtensionOf(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : asciiLower(std::string_view(name).substr(dot + 1));
}

// Clears the busy mark on every way out of a change.
class BusyMark {
 public:
  explicit BusyMark(bool& busy) : busy_(busy) { busy_ = true; }
  ~BusyMark() { busy_ = false; }
  BusyMark(const BusyMark&) = delete;
  BusyMark& operator=(const BusyMark&) = delete;

 private:
  bool& busy_;
};

}  // namespace

std::vector<std::string> WallpaperFileList(const std::string& folders) {
  std::vector<std::string> files;
  std::size_t start = 0;
  while (start <= folders.size()) {
    const std::size_t star = folders.find('*', start);
    std::string folder = folders.substr(start, star == std::string::npos ? std::string::npos : star - start);
    if (folder.empty()) break;
    std::replace(folder.begin(), folder.end(), '\\', '/');
    const std::vector<std::string> names = FolderFileNames(folder);
    const std::string prefix = folder.back() == '/' ? folder : folder + '/';
    for (const char* extension : kWallpaperExtensions) {
      for (const std::string& name : names) {
        if (ExtensionOf(name) == extension) files.push_back(prefix + name);
      }
    }
    if (star == std::string::npos) break;
    start = star + 1;
  }
  return files;
}

CWallpaperChanger::CWallpaperChanger(CWallpaperContext& settings, CWallpaperCompositor& compositor,
                                     DesktopWallpaper& desktop, Clock clock, RandomSource random)
    : settings_(settings),
      compositor_(compositor),
      desktop_(desktop),
      clock_(clock ? std::move(clock) : Clock(systemNow)),
      random_(std::move(random)) {
  if (!random_) random_ = RunTimeRandom(static_cast<std::uint32_t>(std::time(nullptr)));
}

bool CWallpaperChanger::blockedOn(const COleDateTime& day) const { return blockedDate_.sameDate(day); }

bool CWallpaperChanger::ChangeDue(const CWallpaperContext& settings, const COleDateTime& now) {
  if (!now.isValid()) return false;
  // A last change that cannot be read counts as never changed, and one in the future (the
  // clock was set back) as long ago, so that neither stops the changer for good.
  if (!settings.last_changed.isValid() || settings.last_changed > now) return true;
  // Whole seconds, so that "exactly one interval ago" is never a hair more or less.
  return (now - settings.last_changed).GetTotalSeconds() > settings.interval.GetTotalSeconds();
}

void CWallpaperChanger::ChangeWallpaper(bool force) {
  const CWallpaperContext settings = settings_;
  if (busy_ || settings.enabled == 0) return;
  const COleDateTime now = clock_();
  if (blockedOn(now)) return;
  BusyMark mark(busy_);
  if (!force && !ChangeDue(settings, now)) return;

  const std::vector<std::string> files = WallpaperFileList(settings.folders);
  if (files.empty()) return;
  const auto n = static_cast<std::int64_t>(files.size());
  std::int64_t k = 0;
  if (settings.shuffle != 0) {
    const std::int64_t r = std::clamp(random_(), 0, kRandomMax);
    k = n * r / kRandomMax + 1;
  } else {
    k = std::int64_t{settings.position} + 1;
  }
  // A position beyond the list starts it again; so does a damaged negative one.
  if (k > n || k < 1) k = 1;

  CWallpaperContext request = settings;
  request.position = static_cast<std::int32_t>(k);
  request.picture = files[static_cast<std::size_t>(k - 1)];
  const bool composed = compositor_.Compose(request).ok();
  ApplyWallpaper(compositor_.appliedRequest());

  settings_.position = static_cast<std::int32_t>(k);
  // A picture that could not be read waits a whole interval like any other change, rather
  // than sending the changer through the folder at one picture a second.
  settings_.last_changed = composed ? compositor_.appliedRequest().last_changed : now;
}

void CWallpaperChanger::ApplyWallpaper(CWallpaperContext& request) {
  const COleDateTime now = clock_();
  if (blockedOn(now)) return;
  if (request.enabled == 0 || request.picture.empty()) return;
  // The desktop's refusal is not shown to the user; it is kept for whoever wants to know.
  desktopError_ = desktop_.SetWallpaper(request.picture, request.style).error();
  if (request.origin == kWallpaperOriginChanger) request.last_changed = now;
}

void CWallpaperChanger::ComposeAndApplyPicture(const std::string& picture) {
  CWallpaperContext request = settings_;
  request.picture = picture;
  request.origin = kWallpaperOriginReminder;
  request.enabled = 1;
  // When the picture cannot be composed this applies the previous composed picture again; the
  // reason is not shown, as a reminder's wallpaper that cannot be read never was.
  static_cast<void>(compositor_.Compose(request));
  ApplyWallpaper(compositor_.appliedRequest());
}

void CWallpaperChanger::SetReminderWallpaper(const std::string& picture) { ComposeAndApplyPicture(picture); }

void CWallpaperChanger::ApplyDayNoteWallpaper(const CDayInfo* todaysNote, const COleDateTime& now) {
  if (dayNoteDate_.sameDate(now)) return;
  if (todaysNote == nullptr || todaysNote->wallpaper.empty()) return;
  ComposeAndApplyPicture(todaysNote->wallpaper);
  if (todaysNote->block_changer) blockedDate_ = now;
  dayNoteDate_ = now;
}

void CWallpaperChanger::ApplyDayNoteWallpaper(const CAlarmDoc& document, const COleDateTime& now) {
  ApplyDayNoteWallpaper(document.lastMatchingDayInfo(now), now);
}

void CWallpaperChanger::AfterStickerUpdate(StickerUpdate update) {
  if (update == StickerUpdate::Composed) {
    ApplyWallpaper(compositor_.appliedRequest());
  } else if (update == StickerUpdate::ComposeFailed) {
    ChangeWallpaper(true);
  }
}

void CWallpaperChanger::UpdateReminderSticker(const CAlarmLine& reminder,
                                              const std::vector<CWPStickerContext>& definitions,
                                              const COleDateTime& now) {
  AfterStickerUpdate(compositor_.UpdateReminderSticker(reminder, definitions, now));
}

void CWallpaperChanger::UpdateDayNoteStickers(const CDayInfo* note, const std::vector<CWPStickerContext>& definitions,
                                              const COleDateTime& now) {
  AfterStickerUpdate(compositor_.UpdateDayNoteStickers(note, definitions, now));
}

void CWallpaperChanger::UpdateDayNoteStickers(const std::vector<const CDayInfo*>& notes,
                                              const std::vector<CWPStickerContext>& definitions,
                                              const COleDateTime& now) {
  AfterStickerUpdate(compositor_.UpdateDayNoteStickers(notes, definitions, now));
}

}  // namespace kalvory
