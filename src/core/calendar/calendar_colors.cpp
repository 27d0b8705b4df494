#include "core/calendar/calendar_colors.h"

#include "core/settings/profile.h"
#include "core/skins/definitions.h"

namespace kalvory {

namespace {

// System colour indices the calendar starts with.
constexpr int kWindowText = 8;
constexpr int kHighlight = 13;
constexpr int kHighlightText = 14;
constexpr int kButtonFace = 15;
constexpr int kButtonShadow = 16;
constexpr int kButtonHighlight = 20;

constexpr std::array<std::string_view, kCalendarColorCount> kNames = {
    "clBackground",   "clBackground1",       "clButtonShadow", "clFree",       "clFreeDimmed",
    "clAnniversary",  "clAnniversaryDimmed", "clDimmed",       "clText",       "clHighLightText",
    "clWeekendBrush", "clSelectedBrush",     "clDimmedBrush",  "clNotesFrame", "clDaysColor",
};

}  // namespace

std::string_view calendarColorName(CalendarColor color) {
  const auto index = static_cast<std::size_t>(color);
  return index < kNames.size() ? kNames[index] : std::string_view();
}

CalendarColors initialCalendarColors() {
  using enum CalendarColor;
  CalendarColors colors;
  colors[clBackground] = systemColor(kButtonFace);
  colors[clBackground1] = systemColor(kButtonFace);
  colors[clButtonShadow] = systemColor(kButtonShadow);
  colors[clFree] = 0x785ADC;
  colors[clFreeDimmed] = 0x785A96;
  colors[clAnniversary] = 0x008000;
  colors[clAnniversaryDimmed] = 0x508050;
  colors[clDimmed] = 0x505050;
  colors[clText] = systemColor(kWindowText);
  colors[clHighLightText] = systemColor(kHighlightText);
  colors[clWeekendBrush] = systemColor(kButtonFace);
  colors[clSelectedBrush] = systemColor(kHighlight);
  colors[clDimmedBrush] = systemColor(kButtonFace);
  colors[clNotesFrame] = systemColor(kHighlight);
  colors[clDaysColor] = systemColor(kWindowText);
  colors.buttonHighlight = systemColor(kButtonHighlight);
  return colors;
}

CalendarColors calendarColorsFromSkin(const CalendarSkin& skin) {
  using enum CalendarColor;
  CalendarColors colors;
  colors[clBackground] = skin.clBackground;
  colors[clBackground1] = skin.clBackground1;
  colors[clButtonShadow] = skin.clButtonShadow;
  colors[clFree] = skin.clFree;
  colors[clFreeDimmed] = skin.clFreeDimmed;
  colors[clAnniversary] = skin.clAnniversary;
  colors[clAnniversaryDimmed] = skin.clAnniversaryDimmed;
  colors[clDimmed] = skin.clDimmed;
  colors[clText] = skin.clText;
  colors[clHighLightText] = skin.clHighLightText;
  colors[clWeekendBrush] = skin.clWeekendBrush;
  colors[clSelectedBrush] = skin.clSelectedBrush;
  colors[clDimmedBrush] = skin.clDimmedBrush;
  colors[clNotesFrame] = skin.clNotesFrame;
  colors[clDaysColor] = skin.clDaysColor;
  colors.buttonHighlight = skin.clButtonHighlight;
  return colors;
}

CalendarColors loadCalendarColors(CProfile& skin) { return calendarColorsFromSkin(ReadCalendarSkin(skin)); }

}  // namespace kalvory
