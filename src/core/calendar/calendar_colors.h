#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "core/settings/system_colors.h"

namespace kalvory {

class CProfile;
struct CalendarSkin;

// The calendar's colour set, in the fixed order in which the window and every cell keep it.
// The names are the keys of the skin's "Calendar" section.
enum class CalendarColor : int {
  clBackground,         // window background and band
  clBackground1,        // cell fill, child control background
  clButtonShadow,       // child controls
  clFree,               // text of free days of the displayed month
  clFreeDimmed,         // text of free days of neighbouring months
  clAnniversary,        // text of anniversary days of the displayed month
  clAnniversaryDimmed,  // text of anniversary days of neighbouring months
  clDimmed,             // text of days of neighbouring months
  clText,               // text of days of the displayed month and of today
  clHighLightText,      // text of the selected day
  clWeekendBrush,       // kept, never drawn
  clSelectedBrush,      // fill of the selected day
  clDimmedBrush,        // fill of days of neighbouring months
  clNotesFrame,         // frame of days that have a note
  clDaysColor,          // weekday header text
};
inline constexpr std::size_t kCalendarColorCount = 15;

// The skin key of a colour ("clFree"); empty for a value outside the enumeration.
std::string_view calendarColorName(CalendarColor color);

struct CalendarColors {
  std::array<ColorRef, kCalendarColorCount> values{};
  // "clButtonHighlight": read with the others, used only by the month list.
  ColorRef buttonHighlight = 0;

  ColorRef operator[](CalendarColor color) const { return values[static_cast<std::size_t>(color)]; }
  ColorRef& operator[](CalendarColor color) { return values[static_cast<std::size_t>(color)]; }
  friend bool operator==(const CalendarColors&, const CalendarColors&) = default;
};

// The colours a calendar has before any skin is applied, system colours taken from the current
// provider. clButtonShadow, clNotesFrame and clDaysColor have no start value of their own; they
// start with their skin defaults, so that nothing is drawn black before the first skin.
CalendarColors initialCalendarColors();

// The calendar's part of an already read "Calendar" section.
CalendarColors calendarColorsFromSkin(const CalendarSkin& skin);

// Reads the "Calendar" section of a skin (every key of it, in the order the main view reads
// them, so a store that keeps defaults gains them in that order), missing keys taking their
// defaults.
CalendarColors loadCalendarColors(CProfile& skin);

}  // namespace kalvory
