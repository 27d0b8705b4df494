#include "core/resources/resource_strings.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <span>

#include "core/resources/resource_tables.h"

namespace kalvory {

namespace {

constexpr std::size_t kLanguageCount = 3;

std::size_t languageIndex(UiLanguage language) {
  const auto index = static_cast<std::size_t>(language);
  return index < kLanguageCount ? index : static_cast<std::size_t>(UiLanguage::English);
}

// The tables hold string_views into the program image; callers get references to std::string,
// so the texts are copied once, on first use.
struct OwnedTexts {
  std::array<std::vector<std::string>, kLanguageCount> strings;
};

const OwnedTexts& ownedTexts() {
  static const OwnedTexts texts = [] {
    OwnedTexts owned;
    for (std::size_t language = 0; language < kLanguageCount; ++language) {
      for (const auto& row : resource_tables::stringRows()) owned.strings[language].emplace_back(row.text[language]);
    }
    return owned;
  }();
  return texts;
}

const std::string& emptyText() {
  static const std::string empty;
  return empty;
}

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

UiLanguage languageFromSetting(int value) {
  switch (value) {
    case 0:
      return UiLanguage::Russian;
    case 2:
      return UiLanguage::Ukrainian;
    default:
      return UiLanguage::English;
  }
}

int resourceLanguageId(UiLanguage language) {
  switch (language) {
    case UiLanguage::Russian:
      return 1049;
    case UiLanguage::Ukrainian:
      return 1058;
    default:
      return 1033;
  }
}

const std::string& loadString(int id, UiLanguage language) {
  const auto rows = resource_tables::stringRows();
  const auto found =
      std::lower_bound(rows.begin(), rows.end(), id, [](const auto& row, int wanted) { return row.id < wanted; });
  if (found == rows.end() || found->id != id) return emptyText();
  const auto rowIndex = static_cast<std::size_t>(found - rows.begin());
  return ownedTexts().strings[languageIndex(language)][rowIndex];
}

std::vector<std::string> splitResourceList(std::string_view text) {
  // An empty text is an empty list; otherwise n separators give n + 1 items, empty ones included,
  // so that item positions always match the record values they name.
  std::vector<std::string> items;
  if (text.empty()) return items;
  std::size_t start = 0;
  while (true) {
    const auto separator = text.find(';', start);
    if (separator == std::string_view::npos) {
      items.emplace_back(text.substr(start));
      return items;
    }
    items.emplace_back(text.substr(start, separator - start));
    start = separator + 1;
  }
}

std::vector<std::string> loadStringList(StringId id, UiLanguage language) {
  return splitResourceList(loadString(id, language));
}

std::vector<int> resourceStringIds() {
  std::vector<int> ids;
  for (const auto& row : resource_tables::stringRows()) ids.push_back(row.id);
  return ids;
}

std::vector<std::string> formatPlaceholders(std::string_view text) {
  // The same reading as the build-time check of the language files:
  // %(%|[-+#0]*[0-9]*(\.[0-9]*)?(hh|h|ll|l|I64|L)?[A-Za-z]|.)
  static constexpr std::array<std::string_view, 6> kLengthModifiers{"hh", "h", "ll", "l", "I64", "L"};
  std::vector<std::string> found;
  std::size_t pos = 0;
  while ((pos = text.find('%', pos)) != std::string_view::npos) {
    if (pos + 1 >= text.size()) break;
    std::size_t end = pos + 1;
    while (end < text.size() && std::string_view("-+#0").find(text[end]) != std::string_view::npos) ++end;
    while (end < text.size() && isAsciiDigit(text[end])) ++end;
    if (end < text.size() && text[end] == '.') {
      ++end;
      while (end < text.size() && isAsciiDigit(text[end])) ++end;
    }
    std::size_t conversion = std::string_view::npos;
    for (const auto modifier : kLengthModifiers) {
      const auto after = end + modifier.size();
      if (text.substr(end, modifier.size()) == modifier && after < text.size() && isAsciiLetter(text[after])) {
        conversion = after;
        break;
      }
    }
    if (conversion == std::string_view::npos && end < text.size() && isAsciiLetter(text[end])) conversion = end;
    if (text[pos + 1] == '%') {
      found.emplace_back("%%");
      pos += 2;
    } else if (conversion != std::string_view::npos) {
      found.emplace_back(text.substr(pos, conversion + 1 - pos));
      pos = conversion + 1;
    } else {
      found.emplace_back(text.substr(pos, 2));
      pos += 2;
    }
  }
  return found;
}

}  // namespace kalvory
