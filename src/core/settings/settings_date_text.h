#pragma once

#include <string>
#include <string_view>

#include "core/common/date_time.h"

namespace kalvory {

// Reads a United States English date-time as the settings store it: "M/D/Y", "H:M[:S]" with an
// optional "AM"/"PM", or the date followed by the time ("11/10/1975 7:30:00"). "-" may stand for
// "/". One- and two-digit years mean 2000-2029 below 30 and 1930-1999 from 30 on. A time alone
// lies on 30 December 1899, a date alone at midnight. Anything else, or an impossible date or
// time, gives an invalid value (status invalid, 0.0).
COleDateTime parseUsDateTime(std::string_view text);

inline constexpr std::string_view kSettingsDateTimeFormat = "%m/%d/%Y %H:%M:%S";

// The time in kSettingsDateTimeFormat ("11/10/1975 07:30:00"). An invalid time gives
// "Invalid DateTime" and a null one an empty text; both read back as invalid.
std::string formatSettingsDateTime(const COleDateTime& time);

}  // namespace kalvory
