#pragma once

#include <QString>
#include <QStyledItemDelegate>
#include <vector>

#include "desktop/common/symbol_text.h"

class QFont;
class QPainter;
class QRect;

namespace kalvory {

// A piece of a list text: plain text, or one symbol (the character after a symbol mark, as
// the symbol font shows it).
using MarkedTextRun = SymbolRun;

// Splits a reminder or note text for a one-line list cell: a symbol mark (U+0080) and the
// character after it become a symbol run, the raised-text marks are dropped (a list row has no
// room to raise text) and line breaks and tabs become blanks.
std::vector<MarkedTextRun> markedTextRuns(const QString& text);

// Draws the runs on one line into `rect`, left-aligned and vertically centred; text that does
// not fit ends in an ellipsis.
void drawMarkedText(QPainter& painter, const QRect& rect, const std::vector<MarkedTextRun>& runs, const QFont& font);

// Draws the rows of the reminder and note lists in the list's colours (the skin's): selected
// rows in the highlight colours, a dotted focus frame round the current row while the list has
// the focus, the state picture in column 0 of a reminder row, and symbol marks in the text
// columns.
class ListRowDelegate final : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace kalvory
