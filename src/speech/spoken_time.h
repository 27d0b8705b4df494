#pragma once

#include <string>

namespace russi {

// The program's languages, numbered as its "Language" setting numbers them.
enum class Language { Russian = 0, English = 1, Ukrainian = 2 };

// The language for a "Language" setting value: 0 Russian, 2 Ukrainian, anything else English.
Language languageFromSetting(int value);

// The espeak-ng voice of a language.
const char* voiceName(Language language);

// What is said for a time of day (hour 0-23, minute 0-59), in UTF-8. Numbers stay digits for
// the synthesiser to read, except that a feminine "one" or "two" is written out where Russian or
// Ukrainian needs it ("21 минута" is "двадцать одна минута").
std::string spokenTime(Language language, int hour, int minute);

// The language the program runs in: $KALVORY_LANGUAGE when the program set it, else the
// "Language" entry of the [AppSettings] group of its settings file
// ($XDG_CONFIG_HOME/Kalvory/Kalvory.conf, ~/.config/... when unset), else English.
Language programLanguage();

// The "Language" value of an INI settings text, or -1 when it has none.
int languageFromSettingsText(const std::string& text);

}  // namespace russi
