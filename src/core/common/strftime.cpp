#include "core/common/strftime.h"

#include <ctime>

#include "core/common/text.h"

namespace kalvory {

namespace {

constexpr const char* kDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};

using Parts = COleDateTime::Parts;

// A number in at least `digits` digits with leading zeros, or without them under the # flag.
void appendNumber(std::string& out, int value, int digits, bool noLeadingZeros) {
  char buffer[16];
  int length = 0;
  unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  do {
    buffer[length++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (!noLeadingZeros) {
    while (length < digits) buffer[length++] = '0';
  }
  if (value < 0) out.push_back('-');
  while (length > 0) out.push_back(buffer[--length]);
}

void appendShortDate(std::string& out, const Parts& parts) {
  appendNumber(out, parts.month + 1, 2, false);
  out.push_back('/');
  appendNumber(out, parts.day, 2, false);
  out.push_back('/');
  appendNumber(out, (parts.year + 1900) % 100, 2, false);
}

void appendTime(std::string& out, const Parts& parts) {
  appendNumber(out, parts.hour, 2, false);
  out.push_back(':');
  appendNumber(out, parts.minute, 2, false);
  out.push_back(':');
  appendNumber(out, parts.second, 2, false);
}

// The "C" locale's long date: "dddd, MMMM dd, yyyy".
void appendLongDate(std::string& out, const Parts& parts) {
  out += kDayNames[parts.dayOfWeek];
  out += ", ";
  out += kMonthNames[parts.month];
  out.push_back(' ');
  appendNumber(out, parts.day, 2, false);
  out += ", ";
  appendNumber(out, parts.year + 1900, 4, false);
}

// The C library's zone name for the moment: tzname[1] in daylight-saving time, else tzname[0].
void appendZoneName(std::string& out, const Parts& parts) {
  std::tm local{};
  local.tm_year = parts.year;
  local.tm_mon = parts.month;
  local.tm_mday = parts.day;
  local.tm_hour = parts.hour;
  local.tm_min = parts.minute;
  local.tm_sec = parts.second;
  local.tm_isdst = -1;
  tzset();
  const bool daylight = std::mktime(&local) != static_cast<std::time_t>(-1) && local.tm_isdst > 0;
  const char* name = tzname[daylight ? 1 : 0];
  if (name != nullptr) out += name;
}

// Week number with weeks starting on firstDay (0 Sunday, 1 Monday); days before the first such day are week 0.
int weekOfYear(const Parts& parts, int firstDay) {
  const int daysSinceWeekStart = (parts.dayOfWeek - firstDay + 7) % 7;
  return (parts.dayOfYear + 7 - daysSinceWeekStart) / 7;
}

// The code as written, for error messages ("%q", "%#ж").
std::string codeText(std::string_view format, std::size_t percent, std::size_t letter) {
  std::size_t end = letter;
  nextCodePoint(format, end);
  return std::string(format.substr(percent, end - percent));
}

}  // namespace

Result<std::string> formatDateTime(std::string_view format, const COleDateTime& value) {
  if (value.GetStatus() == COleDateTime::null) return std::string();
  Parts parts{};
  if (!value.GetParts(parts)) return std::string("Invalid DateTime");

  std::string out;
  out.reserve(format.size() + 16);
  std::size_t pos = 0;
  while (pos < format.size()) {
    const std::size_t percent = format.find('%', pos);
    if (percent == std::string_view::npos) {
      out.append(format.substr(pos));
      break;
    }
    out.append(format.substr(pos, percent - pos));
    std::size_t letter = percent + 1;
    const bool alternate = letter < format.size() && format[letter] == '#';
    if (alternate) ++letter;
    if (letter >= format.size()) {
      return Failure{"the format ends with an incomplete code \"" + std::string(format.substr(percent)) + "\""};
    }
    switch (format[letter]) {
      case 'a':
        out.append(kDayNames[parts.dayOfWeek], 3);
        break;
      case 'A':
        out += kDayNames[parts.dayOfWeek];
        break;
      case 'b':
        out.append(kMonthNames[parts.month], 3);
        break;
      case 'B':
        out += kMonthNames[parts.month];
        break;
      case 'c':
        if (alternate) {
          appendLongDate(out, parts);
          out += ", ";
        } else {
          appendShortDate(out, parts);
          out.push_back(' ');
        }
        appendTime(out, parts);
        break;
      case 'd':
        appendNumber(out, parts.day, 2, alternate);
        break;
      case 'H':
        appendNumber(out, parts.hour, 2, alternate);
        break;
      case 'I':
        appendNumber(out, parts.hour % 12 == 0 ? 12 : parts.hour % 12, 2, alternate);
        break;
      case 'j':
        appendNumber(out, parts.dayOfYear + 1, 3, alternate);
        break;
      case 'm':
        appendNumber(out, parts.month + 1, 2, alternate);
        break;
      case 'M':
        appendNumber(out, parts.minute, 2, alternate);
        break;
      case 'p':
        out += parts.hour < 12 ? "AM" : "PM";
        break;
      case 'S':
        appendNumber(out, parts.second, 2, alternate);
        break;
      case 'U':
        appendNumber(out, weekOfYear(parts, 0), 2, alternate);
        break;
      case 'w':
        appendNumber(out, parts.dayOfWeek, 1, alternate);
        break;
      case 'W':
        appendNumber(out, weekOfYear(parts, 1), 2, alternate);
        break;
      case 'x':
        if (alternate) {
          appendLongDate(out, parts);
        } else {
          appendShortDate(out, parts);
        }
        break;
      case 'X':
        appendTime(out, parts);
        break;
      case 'y':
        appendNumber(out, (parts.year + 1900) % 100, 2, alternate);
        break;
      case 'Y':
        appendNumber(out, parts.year + 1900, 4, alternate);
        break;
      case 'z':
      case 'Z':
        appendZoneName(out, parts);
        break;
      case '%':
        out.push_back('%');
        break;
      default:
        return Failure{"unknown format code \"" + codeText(format, percent, letter) + "\""};
    }
    pos = letter + 1;
  }
  return out;
}

}  // namespace kalvory
