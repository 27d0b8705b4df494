#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kalvory {

// The user-interface languages, with the numbering of the "Language" setting.
enum class UiLanguage { Russian = 0, English = 1, Ukrainian = 2 };

// Any value other than 0 and 2 means English.
UiLanguage languageFromSetting(int value);

// The text of string resource `id` in `language` (UTF-8), or an empty string when the id
// has no text. Every id exists in all three languages.
const std::string& loadString(int id, UiLanguage language);

// Splits a ";"-separated resource list ("Note;Anniversary;...") into its items.
std::vector<std::string> splitResourceList(std::string_view text);

}  // namespace kalvory
