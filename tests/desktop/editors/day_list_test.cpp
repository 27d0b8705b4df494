#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "core/common/symbol_font.h"
#include "core/model/alarm_doc.h"
#include "desktop/common/symbol_text.h"
#include "desktop/editors/day_list_ctrl.h"

namespace kalvory {
namespace {

TEST(DayList, PicksTheTypeImageByEventType) {
  EXPECT_EQ(dayTypeImageIndex(CDayInfo::Note), 0);
  EXPECT_EQ(dayTypeImageIndex(CDayInfo::Anniversary), 2);
  EXPECT_EQ(dayTypeImageIndex(CDayInfo::Weekend), 1);
  EXPECT_EQ(dayTypeImageIndex(CDayInfo::Holiday), 0);
  EXPECT_EQ(dayTypeImageIndex(CDayInfo::DayOff), 4);
  EXPECT_EQ(dayTypeImageIndex(CDayInfo::ToDo), 3);
  EXPECT_EQ(dayTypeImageIndex(17), 0);
  for (int index = 0; index < 5; ++index) EXPECT_FALSE(dayTypeIcon(index).isNull()) << index;
}

// "A", a marked "J" and "B" are drawn one after another from the left edge, the "J" as its
// symbol in the symbol font; a plain text is cut with an ellipsis and aligned as its column.
TEST(DayList, LaysOutSymbolsPieceByPieceAndCutsPlainTextWithAnEllipsis) {
  const QFont font;
  const QFont symbols = symbolFont(font);
  const QRect area(10, 4, 40, 18);
  const auto pieces = layoutDayListText("A\u0080JB", area, Qt::AlignRight, font, symbols);
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[0].text, "A");
  EXPECT_FALSE(pieces[0].symbol);
  EXPECT_EQ(pieces[0].rect.left(), 10);
  const char32_t j = symbolForMarkedCharacter(U'J');
  EXPECT_EQ(pieces[1].text, QString::fromUcs4(&j, 1));
  EXPECT_TRUE(pieces[1].symbol);
  EXPECT_EQ(pieces[1].rect.left(), 10 + QFontMetrics(font).horizontalAdvance("A"));
  EXPECT_EQ(pieces[2].text, "B");
  EXPECT_EQ(pieces[2].rect.left(), pieces[1].rect.left() + QFontMetrics(symbols).horizontalAdvance(pieces[1].text));

  // Marked texts are never shortened, even when they run past the column.
  const auto wide = layoutDayListText("Very long text \u0080J beyond the column", area, Qt::AlignLeft, font, symbols);
  EXPECT_EQ(wide.back().text, " beyond the column");

  const auto plain = layoutDayListText("A text far too long for the column", area, Qt::AlignRight, font, symbols);
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_TRUE(plain[0].text.endsWith(QChar(0x2026)));
  EXPECT_LE(QFontMetrics(font).horizontalAdvance(plain[0].text), area.width());
  EXPECT_EQ(plain[0].rect, area);
  EXPECT_TRUE(plain[0].alignment & Qt::AlignRight);

  EXPECT_EQ(symbolRuns("dangling \u0080").size(), 1u) << "a mark with nothing after it is dropped";
}

// The list shows one row per note in document order and draws the selected rows in the
// selection colour.
TEST(DayList, FillsOneRowPerNoteAndDrawsSelectedRows) {
  CAlarmDoc document;
  CDayInfo first(COleDateTime(2026, 5, 7, 0, 0, 0));
  first.text = "Birthday";
  first.event_type = CDayInfo::Anniversary;
  CDayInfo second(COleDateTime(2026, 5, 8, 0, 0, 0));
  second.text = "Pay the rent";
  second.repeat = CDayInfo::Monthly;
  document.AddDayInfo(first);
  document.AddDayInfo(second);

  CDayListCtrl list;
  list.resize(300, 120);
  list.fill(document, UiLanguage::English);
  ASSERT_EQ(list.topLevelItemCount(), 2);
  EXPECT_EQ(list.dayInfoAt(0), document.GetDayInfoAt(0));
  EXPECT_EQ(list.dayInfoAt(1), document.GetDayInfoAt(1));
  EXPECT_EQ(list.dayInfoAt(2), nullptr);
  EXPECT_EQ(list.topLevelItem(1)->text(2), "08");
  EXPECT_EQ(list.topLevelItem(0)->data(0, kEventTypeRole).toInt(), CDayInfo::Anniversary);

  QPalette palette = list.palette();
  palette.setColor(QPalette::Highlight, QColor(0, 0, 200));
  palette.setColor(QPalette::Base, QColor(255, 255, 255));
  list.setPalette(palette);
  list.topLevelItem(1)->setSelected(true);
  EXPECT_EQ(list.selectedRows(), std::vector<int>({1}));
  const QImage image = list.grab().toImage();
  const QRect selected = list.visualItemRect(list.topLevelItem(1)).translated(list.viewport()->pos());
  const QRect unselected = list.visualItemRect(list.topLevelItem(0)).translated(list.viewport()->pos());
  const int x = list.columnWidth(0) + list.columnWidth(1) - 3;  // the end of the text column
  EXPECT_EQ(QColor(image.pixel(x, selected.center().y())), QColor(0, 0, 200));
  EXPECT_EQ(QColor(image.pixel(x, unselected.center().y())), QColor(255, 255, 255));
}

}  // namespace
}  // namespace kalvory
