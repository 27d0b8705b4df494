#include "core/clock/time_format.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "core/clock/media_player_info.h"

namespace kalvory {

namespace {

constexpr double kHalfSecond = 1.0 / 172800.0;

// Weekdays from Sunday, months from January, in the nominative case.
constexpr const char* kRussianDayNames[7] = {"Воскресенье", "Понедельник", "Вторник", "Среда",
                                             "Четверг",     "Пятница",     "Суббота"};
constexpr const char* kRussianMonthNames[12] = {"Январь", "Февраль", "Март",     "Апрель",  "Май",    "Июнь",
                                                "Июль",   "Август",  "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"};

// Every occurrence, scanning left to right; an inserted value is not searched again.
void replaceAll(std::string& text, std::string_view code, std::string_view value) {
  std::size_t pos = text.find(code);
  while (pos != std::string::npos) {
    text.replace(pos, code.size(), value);
    pos = text.find(code, pos + value.size());
  }
}

// Minutes and seconds as the player's times are shown: "%02i:%02i".
std::string twoPairs(std::int64_t first, std::int64_t second) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%02lld:%02lld", static_cast<long long>(first), static_cast<long long>(second));
  return buffer;
}

struct SongTexts {
  std::string length, elapsed, left, title;
};

SongTexts askPlayer(MediaPlayerInfo& player) {
  SongTexts texts;
  const std::optional<int> status = player.playStatus();
  if (!status || (*status != MediaPlayerInfo::kPlaying && *status != MediaPlayerInfo::kPaused)) return texts;
  // 64-bit arithmetic, so that whatever numbers a player answers cannot overflow.
  const std::int64_t lengthSeconds = player.songLengthSeconds();
  const std::int64_t positionMs = player.outputPositionMs();
  const std::int64_t positionSeconds = positionMs / 1000;
  texts.length = twoPairs(lengthSeconds / 60, lengthSeconds % 60);
  texts.elapsed = twoPairs(positionMs / 60000, positionSeconds % 60);
  texts.left = twoPairs((lengthSeconds - positionSeconds) / 60, (lengthSeconds - positionSeconds) % 60);
  texts.title = player.songTitle();
  return texts;
}

std::int64_t truncateToInt64(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9.2e18) return std::numeric_limits<std::int64_t>::max();
  if (value <= -9.2e18) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(std::trunc(value));
}

// The totals are 32-bit numbers; one beyond that range is held at its limit rather than wrapping.
std::int32_t toInt32(std::int64_t value) {
  if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

void replaceWithNumber(std::string& text, std::string_view code, std::int64_t value) {
  if (text.find(code) == std::string::npos) return;
  replaceAll(text, code, std::to_string(value));
}

void replaceCountdownCodes(std::string& text, const TimeFormatSources& sources) {
  if (text.find('%') == std::string::npos) return;
  const double span = sources.countdown_target.isValid() ? (sources.countdown_target - sources.now).days() : 0.0;
  const double rounded = span >= 0.0 ? span + kHalfSecond : span - kHalfSecond;
  const std::int64_t hours = truncateToInt64(rounded * 24.0);
  const std::int64_t minutes = truncateToInt64(rounded * 1440.0);
  const std::int64_t seconds = truncateToInt64(rounded * 86400.0);
  replaceWithNumber(text, "%e", toInt32(truncateToInt64(span)));
  replaceWithNumber(text, "%f", hours % 24);
  replaceWithNumber(text, "%g", minutes % 60);
  replaceWithNumber(text, "%k", seconds % 60);
  replaceWithNumber(text, "%E", toInt32(truncateToInt64(rounded)));
  replaceWithNumber(text, "%F", toInt32(hours));
  replaceWithNumber(text, "%G", toInt32(minutes));
  replaceWithNumber(text, "%K", toInt32(seconds));
}

}  // namespace

std::string expandTimeFormat(std::string_view format, const TimeFormatSources& sources) {
  std::string text(format);

  // The player is asked only for a format that shows the song; the other song codes alone
  // stay empty then.
  SongTexts song;
  if (sources.player != nullptr && text.find("%V") != std::string::npos) song = askPlayer(*sources.player);
  replaceAll(text, "%T", song.length);
  replaceAll(text, "%L", song.elapsed);
  replaceAll(text, "%l", song.left);
  replaceAll(text, "%V", song.title);

  replaceCountdownCodes(text, sources);

  if (text.find("%D") != std::string::npos) {
    replaceAll(text, "%D", sources.dayNoteTexts ? sources.dayNoteTexts(sources.now) : std::string());
  }

  return replaceRussianNames(text, sources.now);
}

std::string replaceRussianNames(std::string_view text, const COleDateTime& today) {
  std::string result(text);
  if (result.find("%\xD0") == std::string::npos) return result;  // both codes start so in UTF-8
  const int weekday = today.GetDayOfWeek();
  const int month = today.GetMonth();
  replaceAll(result, "%д", weekday >= 1 ? kRussianDayNames[weekday - 1] : "");
  replaceAll(result, "%м", month >= 1 ? kRussianMonthNames[month - 1] : "");
  return result;
}

Result<std::string> formatTimeText(std::string_view format, const TimeFormatSources& sources) {
  const std::string expanded = expandTimeFormat(format, sources);
  if (sources.names_language == UiLanguage::English) return formatDateTime(expanded, sources.now);
  return formatDateTime(localizeNameCodes(expanded, sources.now, sources.names_language), sources.now);
}

std::string insertRaisedTextMarks(std::string_view text) {
  std::string result(text);
  replaceAll(result, "%~", "\u0081");
  replaceAll(result, "%-", "\u0082");
  return result;
}

std::string acceptClockFormat(std::string_view format, const TimeFormatSources& sources) {
  std::string marked = insertRaisedTextMarks(format);
  if (formatTimeText(marked, sources).ok()) return marked;
  return insertRaisedTextMarks(kFallbackClockFormat);
}

}  // namespace kalvory
