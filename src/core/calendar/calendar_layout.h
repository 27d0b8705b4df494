#pragma once

#include <array>

namespace kalvory {

struct CalendarRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  friend bool operator==(const CalendarRect&, const CalendarRect&) = default;
};

// What the calendar's geometry is measured from.
struct CalendarMetrics {
  int maxCharWidth = 0;    // widest character of the GUI font
  int textHeight = 0;      // height of a line of the GUI font
  int edgeWidth = 2;       // width of a sunken window edge
  bool dpi96 = true;       // the screen has 96 dots per inch (some sizes differ otherwise)
  int controlHeight = 21;  // height of the closed month list, which the year field copies
};

// The calendar in client coordinates. Everything is fixed by the font and the screen; the
// window recomputes it only when those change.
struct CalendarLayout {
  int cellWidth = 0;     // w: widest character + 2
  int cellHeight = 0;    // h: text height + 4
  int edgeWidth = 0;     // e
  int headerHeight = 0;  // g: 46 at 96 dpi, 50 otherwise
  int clientWidth = 0;   // 7w + 16 + 2e
  int clientHeight = 0;  // g + 6h + 8
  // The painted part starts here; the strip above belongs to the child controls.
  int paintTop = 24;
  CalendarRect band;            // drawn in the band colour, 106 pixels high
  CalendarRect monthList;       // the drop-down list including its open list
  CalendarRect previousButton;  // 21 x 21, a left-pointing triangle
  CalendarRect nextButton;      // 21 x 21, a right-pointing triangle
  CalendarRect yearField;       // the year edit; the up-down control attaches to its right
  std::array<CalendarRect, 7> headerLabels;
  std::array<CalendarRect, 42> cells;  // row-major
};

CalendarLayout calendarLayout(const CalendarMetrics& metrics);

// The cell under a client point, or -1 over no cell.
int cellIndexAt(const CalendarLayout& layout, int x, int y);

// Where a cell's day number goes: the cell shrunk by 4 pixels left and right (drawn right-aligned,
// vertically centred, on one line).
CalendarRect cellLabelRect(const CalendarRect& cell);

}  // namespace kalvory
