#include "core/calendar/calendar_layout.h"

#include <cstddef>

namespace kalvory {

namespace {

constexpr int kButtonSize = 21;
constexpr int kControlTop = 4;
constexpr int kBandHeight = 106;

}  // namespace

CalendarLayout calendarLayout(const CalendarMetrics& metrics) {
  CalendarLayout layout;
  const int w = metrics.maxCharWidth + 2;
  const int h = metrics.textHeight + 4;
  const int e = metrics.edgeWidth;
  const int g = metrics.dpi96 ? 46 : 50;
  layout.cellWidth = w;
  layout.cellHeight = h;
  layout.edgeWidth = e;
  layout.headerHeight = g;
  layout.clientWidth = 7 * w + 16 + 2 * e;
  layout.clientHeight = g + 6 * h + 8;
  layout.band = {e, g, layout.clientWidth - e, g + kBandHeight};

  layout.monthList = {e + 22, kControlTop, metrics.dpi96 ? 104 : 122, layout.clientHeight};
  layout.previousButton = {2, kControlTop, 2 + kButtonSize, kControlTop + kButtonSize};
  const int nextShift = metrics.dpi96 ? 162 : 202;
  layout.nextButton = {2 + nextShift, kControlTop, 2 + nextShift + kButtonSize, kControlTop + kButtonSize};
  layout.yearField = {layout.monthList.right + 1, kControlTop, layout.monthList.right + (metrics.dpi96 ? 41 : 51),
                      kControlTop + metrics.controlHeight};

  for (int column = 0; column < 7; ++column) {
    const int shift = column * (w + 1);
    layout.headerLabels[static_cast<std::size_t>(column)] = {8 + shift, g - w - 1, w + 3 + shift, g};
  }
  for (int row = 0; row < 6; ++row) {
    for (int column = 0; column < 7; ++column) {
      const int left = 8 + column * w;
      const int top = g - h + 16 + row * h;
      layout.cells[static_cast<std::size_t>(row * 7 + column)] = {left, top, left + w, top + h};
    }
  }
  return layout;
}

int cellIndexAt(const CalendarLayout& layout, int x, int y) {
  for (std::size_t index = 0; index < layout.cells.size(); ++index) {
    if (layout.cells[index].contains(x, y)) return static_cast<int>(index);
  }
  return -1;
}

CalendarRect cellLabelRect(const CalendarRect& cell) { return {cell.left + 4, cell.top, cell.right - 4, cell.bottom}; }

}  // namespace kalvory
