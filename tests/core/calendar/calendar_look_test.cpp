// The calendar's colours, names and geometry.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "core/calendar/calendar_colors.h"
#include "core/calendar/calendar_layout.h"
#include "core/calendar/calendar_names.h"
#include "core/settings/profile.h"

namespace kalvory {
namespace {

using enum CalendarColor;

// Every system colour index answers with its own number, so a test sees which one was taken.
class IndexColors final : public SystemColorProvider {
 public:
  ColorRef systemColor(int index) const override { return 0x100000u + static_cast<ColorRef>(index); }
};

class CalendarColorsTest : public ::testing::Test {
 protected:
  void SetUp() override { setSystemColorProvider(&colors_); }
  void TearDown() override { setSystemColorProvider(nullptr); }
  static ColorRef system(int index) { return 0x100000u + static_cast<ColorRef>(index); }

 private:
  IndexColors colors_;
};

TEST_F(CalendarColorsTest, InitialValuesAndSkinDefaultsDiffer) {
  const CalendarColors initial = initialCalendarColors();
  CProfile emptySkin;
  emptySkin.SetStoreDefaults(false);
  const CalendarColors defaults = loadCalendarColors(emptySkin);

  struct Expected {
    CalendarColor color;
    ColorRef initial;
    ColorRef skinDefault;
  };
  const Expected table[] = {
      {clBackground, system(15), system(15)},
      {clBackground1, system(15), system(15)},
      {clButtonShadow, system(16), system(16)},
      {clFree, 0x785ADC, 0x785ADC},
      {clFreeDimmed, 0x785A96, 0x785A96},
      {clAnniversary, 0x008000, 0x008000},
      {clAnniversaryDimmed, 0x508050, 0x508050},
      {clDimmed, 0x505050, 0x808080},
      {clText, system(8), system(8)},
      {clHighLightText, system(14), system(8)},
      {clWeekendBrush, system(15), system(15)},
      {clSelectedBrush, system(13), system(15)},
      {clDimmedBrush, system(15), system(15)},
      {clNotesFrame, system(13), system(13)},
      {clDaysColor, system(8), system(8)},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(calendarColorName(row.color));
    EXPECT_EQ(initial[row.color], row.initial);
    EXPECT_EQ(defaults[row.color], row.skinDefault);
  }
  EXPECT_EQ(defaults.buttonHighlight, system(20));
  EXPECT_EQ(calendarColorName(clHighLightText), "clHighLightText");
  EXPECT_EQ(calendarColorName(static_cast<CalendarColor>(15)), "");
}

TEST_F(CalendarColorsTest, SkinValuesLandInTheirOwnSlots) {
  CProfile skin;
  skin.SetString("calendar", "clfree", "#102030");  // names are matched without regard to case
  skin.SetString("Calendar", "clNotesFrame", "COLOR_WINDOW");
  skin.SetString("Calendar", "clButtonHighlight", "0x0A0B0C");
  const CalendarColors colors = loadCalendarColors(skin);
  EXPECT_EQ(colors[clFree], makeColorRef(0x10, 0x20, 0x30));
  EXPECT_EQ(colors[clNotesFrame], system(5));
  EXPECT_EQ(colors.buttonHighlight, makeColorRef(0x0A, 0x0B, 0x0C));
  EXPECT_EQ(colors[clFreeDimmed], 0x785A96u);
}

TEST(CalendarNames, HeaderFollowsTheWeekOrder) {
  EXPECT_EQ(weekdayHeader(UiLanguage::English), (std::array<std::string, 7>{"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"}));
  EXPECT_EQ(weekdayHeader(UiLanguage::Russian), (std::array<std::string, 7>{"пн", "вт", "ср", "чт", "пт", "сб", "вс"}));
  EXPECT_EQ(weekdayHeader(UiLanguage::Ukrainian),
            (std::array<std::string, 7>{"пн", "вт", "ср", "чт", "пт", "сб", "нд"}));
  EXPECT_TRUE(weekStartsOnSunday(UiLanguage::English));
  EXPECT_FALSE(weekStartsOnSunday(UiLanguage::Ukrainian));
  EXPECT_EQ(calendarMonthName(1, UiLanguage::Ukrainian), "січень");
  EXPECT_EQ(calendarMonthName(12, UiLanguage::Russian), "декабрь");
  EXPECT_EQ(calendarMonthName(13, UiLanguage::English), "");
  EXPECT_EQ(abbreviatedDayName(7, UiLanguage::English), "");
}

TEST(CalendarGeometry, LayoutFromFontAndScreen) {
  CalendarMetrics metrics;
  metrics.maxCharWidth = 16;  // w = 18
  metrics.textHeight = 13;    // h = 17
  metrics.edgeWidth = 2;
  metrics.dpi96 = true;
  metrics.controlHeight = 21;
  const CalendarLayout layout = calendarLayout(metrics);
  EXPECT_EQ(layout.clientWidth, 7 * 18 + 16 + 4);
  EXPECT_EQ(layout.clientHeight, 46 + 6 * 17 + 8);
  EXPECT_EQ(layout.band, (CalendarRect{2, 46, 144, 152}));
  EXPECT_EQ(layout.cells[0], (CalendarRect{8, 45, 26, 62}));
  EXPECT_EQ(layout.cells[41], (CalendarRect{8 + 6 * 18, 45 + 5 * 17, 8 + 7 * 18, 45 + 6 * 17}));
  EXPECT_EQ(layout.headerLabels[0], (CalendarRect{8, 27, 21, 46}));
  EXPECT_EQ(layout.headerLabels[6].left, 8 + 6 * 19);
  EXPECT_EQ(layout.monthList, (CalendarRect{24, 4, 104, layout.clientHeight}));
  EXPECT_EQ(layout.previousButton, (CalendarRect{2, 4, 23, 25}));
  EXPECT_EQ(layout.nextButton.left, 164);
  EXPECT_EQ(layout.yearField, (CalendarRect{105, 4, 145, 25}));
  EXPECT_EQ(cellLabelRect(layout.cells[0]), (CalendarRect{12, 45, 22, 62}));

  EXPECT_EQ(cellIndexAt(layout, 8, 45), 0);
  EXPECT_EQ(cellIndexAt(layout, 26, 61), 1);
  EXPECT_EQ(cellIndexAt(layout, 25, 62), 7);
  EXPECT_EQ(cellIndexAt(layout, 7, 50), -1);
  EXPECT_EQ(cellIndexAt(layout, 8 + 7 * 18, 50), -1);
  EXPECT_EQ(cellIndexAt(layout, 20, 45 + 6 * 17), -1);

  metrics.dpi96 = false;
  const CalendarLayout large = calendarLayout(metrics);
  EXPECT_EQ(large.headerHeight, 50);
  EXPECT_EQ(large.cells[0].top, 49);
  EXPECT_EQ(large.monthList.right, 122);
  EXPECT_EQ(large.nextButton.left, 204);
  EXPECT_EQ(large.yearField.right, 173);
}

}  // namespace
}  // namespace kalvory
