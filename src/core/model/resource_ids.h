#pragma once

// Formatting with the resource texts the records and the document show (StringId::TimeFormat,
// StringId::DayFormat and the like).

#include <string>

#include "core/common/date_time.h"
#include "core/resources/resource_strings.h"

namespace kalvory {

// `value` formatted with a pattern the program itself holds; a pattern the formatter refuses
// gives the empty string rather than a broken line.
std::string formatWithFallback(const char* pattern, const COleDateTime& value);
// `value` formatted with the resource text `id` in `language`; a translation the formatter
// refuses falls back to the English pattern.
std::string formatResource(StringId id, UiLanguage language, const COleDateTime& value);

}  // namespace kalvory
