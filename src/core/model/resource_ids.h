#pragma once

// The resource texts the records and the document show, and formatting with them.

#include <string>

#include "core/common/date_time.h"
#include "core/resources/resource_strings.h"

namespace kalvory {

namespace resource_ids {
inline constexpr int kDayAndTimeFormat = 76;  // "%m/%d - %H:%M"
inline constexpr int kFullDateFormat = 77;    // "%m/%d/%Y"
inline constexpr int kTimeFormat = 78;        // "%H:%M"
inline constexpr int kDayFormat = 79;         // "%m/%d"
inline constexpr int kToday = 80;             // "Today"
inline constexpr int kTomorrow = 81;          // "Tomorrow"
}  // namespace resource_ids

// `value` formatted with a pattern the program itself holds; a pattern the formatter refuses
// gives the empty string rather than a broken line.
std::string formatWithFallback(const char* pattern, const COleDateTime& value);
// `value` formatted with the resource text `id` in `language`; a translation the formatter
// refuses falls back to the English pattern.
std::string formatResource(int id, UiLanguage language, const COleDateTime& value);

}  // namespace kalvory
