#pragma once

#include <string>
#include <string_view>

#include "core/common/date_time.h"
#include "core/common/result.h"

namespace kalvory {

// Formats a date-time with the C run-time strftime codes of the "C" locale:
//   %a %A %b %B  English weekday and month names, short and full
//   %c           "%m/%d/%y %H:%M:%S"; %#c the long form "Tuesday, March 14, 1995, 12:41:29"
//   %x %X        "%m/%d/%y" and "%H:%M:%S"; %#x the long date "Tuesday, March 14, 1995"
//   %d %H %I %j %m %M %S %U %w %W %y %Y  numbers with leading zeros; the # flag drops them
//   %p           "AM" or "PM"
//   %z %Z        the local time zone's name from the C library (tzname), the daylight-saving
//                name when the moment falls in daylight-saving time
//   %%           a percent sign
// The # flag is accepted and ignored on the codes where it has no meaning (%#a, %#p, %#%...).
// Everything outside the codes, UTF-8 and the mark characters included, is copied unchanged.
// An unknown letter after "%" and a "%" or "%#" at the end of the format make the whole
// formatting fail with an error naming the code (unknown format code "%q"), so callers can fall
// back to a format they trust.
// A null value formats as the empty string and a value that is not a valid date as
// "Invalid DateTime", as the date-time type of the framework did. Unlike the original fixed
// 256-character buffer, a result of any length is returned in full.
Result<std::string> formatDateTime(std::string_view format, const COleDateTime& value);

}  // namespace kalvory
