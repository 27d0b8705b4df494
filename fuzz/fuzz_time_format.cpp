// Formats and window titles come from document files and other programs: the format engine,
// the date formatting and the text conversions must take any bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/clock/media_player_info.h"
#include "core/clock/time_format.h"
#include "core/common/strftime.h"
#include "core/common/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\n');
  const std::string_view format = input.substr(0, split);
  const std::string_view title = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

  kalvory::FixedMediaPlayerInfo player;
  player.status = kalvory::MediaPlayerInfo::kPlaying;
  player.lengthSeconds = static_cast<int>(size) * 7919 - 100000;
  player.positionMs = static_cast<int>(size) * -104729;
  player.title = kalvory::songFromWindowTitle(title);

  kalvory::TimeFormatSources sources;
  sources.now = kalvory::COleDateTime(2024, 2, 29, 23, 59, 59);
  sources.countdown_target = kalvory::COleDateTime::fromDays(static_cast<double>(size) * 1234.5 - 700000.0);
  sources.dayNoteTexts = [&](const kalvory::COleDateTime&) { return std::string(title); };
  sources.player = &player;
  (void)kalvory::formatTimeText(format, sources);
  (void)kalvory::formatDateTime(kalvory::insertRaisedTextMarks(format), sources.now);

  // Every byte string survives the trip through UTF-8 and back.
  const auto back = kalvory::utf8ToCp1251(kalvory::cp1251ToUtf8(input));
  if (!back || *back != input) std::abort();
  (void)kalvory::utf8ToUtf16(input);
  (void)kalvory::plainText(input);
  (void)kalvory::utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(data), size / 2));
  return 0;
}
