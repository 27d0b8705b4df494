#include "core/common/strftime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace kalvory {
namespace {

std::string format(std::string_view pattern, const COleDateTime& value) {
  const Result<std::string> result = formatDateTime(pattern, value);
  EXPECT_TRUE(result.ok()) << pattern << ": " << result.error();
  return result.valueOr("<error>");
}

const COleDateTime kTuesday(1995, 3, 14, 12, 41, 29);
const COleDateTime kEarly(2005, 1, 2, 7, 5, 3);  // a Sunday, single digits everywhere

TEST(Strftime, EachCode) {
  EXPECT_EQ(format("%a|%A|%b|%B", kTuesday), "Tue|Tuesday|Mar|March");
  EXPECT_EQ(format("%c", kTuesday), "03/14/95 12:41:29");
  EXPECT_EQ(format("%x", kTuesday), "03/14/95");
  EXPECT_EQ(format("%X", kTuesday), "12:41:29");
  EXPECT_EQ(format("%d %H %I %j %m %M %S", kEarly), "02 07 07 002 01 05 03");
  EXPECT_EQ(format("%p %I", kTuesday), "PM 12");
  EXPECT_EQ(format("%p %I", COleDateTime(2000, 1, 1, 0, 30, 0)), "AM 12");
  EXPECT_EQ(format("%p %I", COleDateTime(2000, 1, 1, 23, 30, 0)), "PM 11");
  EXPECT_EQ(format("%U %w %W", kTuesday), "11 2 11");
  EXPECT_EQ(format("%U %w %W", kEarly), "01 0 00");
  EXPECT_EQ(format("%y %Y", kEarly), "05 2005");
  EXPECT_EQ(format("%Y %y", COleDateTime(999, 6, 1, 0, 0, 0)), "0999 99");
  EXPECT_EQ(format("100%%", kTuesday), "100%");
  EXPECT_EQ(format("%H:%M:%S %d.%m.%Y", kTuesday), "12:41:29 14.03.1995");
}

TEST(Strftime, AgreesWithTheCLibraryOnCommonCodes) {
  // The plain numeric and name codes mean the same in every C library's "C" locale.
  const char* pattern = "%a %A %b %B %d %H %I %j %m %M %p %S %U %w %W %y %Y";
  for (double day = COleDateTime(1970, 1, 1, 0, 0, 0).days(); day < COleDateTime(2040, 1, 1, 0, 0, 0).days();
       day += 13.37) {
    const COleDateTime value = COleDateTime::fromDays(day);
    COleDateTime::Parts parts{};
    ASSERT_TRUE(value.GetParts(parts));
    std::tm tm{};
    tm.tm_year = parts.year;
    tm.tm_mon = parts.month;
    tm.tm_mday = parts.day;
    tm.tm_hour = parts.hour;
    tm.tm_min = parts.minute;
    tm.tm_sec = parts.second;
    tm.tm_wday = parts.dayOfWeek;
    tm.tm_yday = parts.dayOfYear;
    char expected[200];
    ASSERT_GT(std::strftime(expected, sizeof expected, pattern, &tm), 0u);
    ASSERT_EQ(format(pattern, value), expected) << day;
  }
}

TEST(Strftime, HashFlag) {
  EXPECT_EQ(format("%#d %#H %#I %#j %#m %#M %#S %#U %#w %#W %#y %#Y", kEarly), "2 7 7 2 1 5 3 1 0 0 5 2005");
  EXPECT_EQ(format("%#d.%#m", kTuesday), "14.3");
  EXPECT_EQ(format("%#c", kTuesday), "Tuesday, March 14, 1995, 12:41:29");
  EXPECT_EQ(format("%#x", kTuesday), "Tuesday, March 14, 1995");
  EXPECT_EQ(format("%#x", kEarly), "Sunday, January 02, 2005");
  EXPECT_EQ(format("%#c", kEarly), "Sunday, January 02, 2005, 07:05:03");
  // Ignored where it has no meaning.
  EXPECT_EQ(format("%#a %#A %#b %#B %#p %#X %#%", kTuesday), "Tue Tuesday Mar March PM 12:41:29 %");
  EXPECT_EQ(format("%#H", COleDateTime(2000, 1, 1, 0, 0, 0)), "0");
}

TEST(Strftime, TextOutsideCodesPassesThrough) {
  EXPECT_EQ(format("Время: %H\u0081%M\u0082 \u0080J", kTuesday), "Время: 12\u008141\u0082 \u0080J");
  EXPECT_EQ(format("", kTuesday), "");
  EXPECT_EQ(format("no codes", kTuesday), "no codes");
}

TEST(Strftime, RefusedCodesAreErrors) {
  struct Case {
    const char* pattern;
    const char* named;
  };
  const Case cases[] = {{"%H:%q", "\"%q\""}, {"12%", "\"%\""},   {"%#", "\"%#\""}, {"%-", "\"%-\""},
                        {"%~", "\"%~\""},    {"%#q", "\"%#q\""}, {"%д", "\"%д\""}, {"%V", "\"%V\""},
                        {"%##d", "\"%##\""}, {"%e", "\"%e\""},   {"%E", "\"%E\""}, {"% ", "\"% \""}};
  for (const auto& c : cases) {
    const Result<std::string> result = formatDateTime(c.pattern, kTuesday);
    EXPECT_FALSE(result.ok()) << c.pattern;
    EXPECT_NE(result.error().find(c.named), std::string::npos) << c.pattern << " -> " << result.error();
  }
  // A null value is empty before the format is looked at.
  EXPECT_EQ(format("%q", COleDateTime::makeNull()), "");
}

TEST(Strftime, NullAndInvalidValues) {
  EXPECT_EQ(format("%H:%M", COleDateTime::makeNull()), "");
  EXPECT_EQ(format("%H:%M", COleDateTime::makeInvalid()), "Invalid DateTime");
  EXPECT_EQ(format("%H:%M", COleDateTime::fromDays(1e12)), "Invalid DateTime");
  // Before 1899 the time of day still counts forward.
  EXPECT_EQ(format("%d.%m.%Y %H:%M", COleDateTime::fromDays(-1.25)), "29.12.1899 06:00");
}

TEST(Strftime, ZoneNameFromTheCLibrary) {
  const char* saved = std::getenv("TZ");
  const std::string savedValue = saved ? saved : "";
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  tzset();
  EXPECT_EQ(format("%Z", COleDateTime(2024, 1, 15, 12, 0, 0)), "CET");
  EXPECT_EQ(format("%z|%#Z", COleDateTime(2024, 7, 15, 12, 0, 0)), "CEST|CEST");
  if (saved) {
    setenv("TZ", savedValue.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

}  // namespace
}  // namespace kalvory
