#include "core/clock/media_player_info.h"

#include "core/common/text.h"

namespace kalvory {

namespace {

// The window title is read into a buffer of 2048 characters, so only the first 2047 count.
constexpr std::size_t kMaxTitleCharacters = 2047;

// Byte length of the first `characters` characters of a UTF-8 text.
std::size_t prefixBytes(std::string_view text, std::size_t characters) {
  std::size_t pos = 0;
  for (std::size_t count = 0; count < characters && pos < text.size(); ++count) nextCodePoint(text, pos);
  return pos;
}

// Number of characters in the first `bytes` bytes of a UTF-8 text.
std::size_t characterCount(std::string_view text, std::size_t bytes) {
  std::size_t pos = 0;
  std::size_t count = 0;
  while (pos < bytes) {
    nextCodePoint(text, pos);
    ++count;
  }
  return count;
}

}  // namespace

std::string songFromWindowTitle(std::string_view windowTitle) {
  std::string_view title = windowTitle.substr(0, prefixBytes(windowTitle, kMaxTitleCharacters));

  constexpr std::string_view kSuffix = "- winamp";
  if (title.size() < kSuffix.size()) return {};
  std::size_t cut = title.size() - kSuffix.size() + 1;
  bool found = false;
  while (cut-- > 0) {
    if (equalsIgnoringAsciiCase(title.substr(cut, kSuffix.size()), kSuffix)) {
      found = true;
      break;
    }
  }
  if (!found) return {};
  title = title.substr(0, cut);
  while (!title.empty() && title.back() == ' ') title.remove_suffix(1);

  // A track number in front ("12. "): the first ". " within the first five characters ends it.
  const std::size_t dot = title.find(". ");
  if (dot != std::string_view::npos && characterCount(title, dot) < 5) title.remove_prefix(dot + 2);
  return std::string(title);
}

}  // namespace kalvory
