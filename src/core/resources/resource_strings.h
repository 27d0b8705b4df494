#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/resources/string_ids.h"

namespace kalvory {

// The user-interface languages, with the numbering of the "Language" setting.
enum class UiLanguage { Russian = 0, English = 1, Ukrainian = 2 };

// Any value other than 0 and 2 means English.
UiLanguage languageFromSetting(int value);

// The resource language id of a UI language: 1049 Russian, 1033 English, 1058 Ukrainian.
int resourceLanguageId(UiLanguage language);

// The text of string resource `id` in `language` (UTF-8), or an empty string when the id
// has no text. Every id exists in all three languages. Code names its strings by StringId; the
// number form is for ids that come from data, such as a command id that is also the id of its
// prompt, or a walk over resourceStringIds().
const std::string& loadString(int id, UiLanguage language);
inline const std::string& loadString(StringId id, UiLanguage language) {
  return loadString(static_cast<int>(id), language);
}

// Splits a ";"-separated resource list ("Note;Anniversary;...") into its items.
std::vector<std::string> splitResourceList(std::string_view text);

// The items of a list string (WallpaperIntervals, EventTypes, RepeatKinds) in `language`.
std::vector<std::string> loadStringList(StringId id, UiLanguage language);

// Every id of the string table, ascending.
std::vector<int> resourceStringIds();

// The printf and strftime placeholders of a format text in order ("%s", "%02i", "%.0f", "%m",
// "%#d", "%%", and "%" with any other single byte, such as the marks "%~" and "%-"). A
// translation must keep them, or the formatting code would read the wrong arguments.
std::vector<std::string> formatPlaceholders(std::string_view text);

}  // namespace kalvory
