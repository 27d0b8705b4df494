#pragma once

#include <array>
#include <string>

#include "core/resources/resource_strings.h"

namespace kalvory {

// English weeks start on Sunday; Russian and Ukrainian weeks on Monday. The grid and its header
// both follow this, so the header names always stand over the right column.
bool weekStartsOnSunday(UiLanguage language);

// The seven header labels in column order: the first two characters of each abbreviated day
// name of the language's locale (en_US "Su", "Mo"...; ru_RU "пн", "вт"...; uk_UA "пн"... "нд").
std::array<std::string, 7> weekdayHeader(UiLanguage language);

// The abbreviated day name of the language's locale, Sunday = 0 .. Saturday = 6; empty outside.
const std::string& abbreviatedDayName(int sundayFirstWeekday, UiLanguage language);

// The stand-alone month name (1 = January .. 12) of the language's locale, as the month list
// shows it; empty outside 1..12.
const std::string& calendarMonthName(int month, UiLanguage language);

}  // namespace kalvory
