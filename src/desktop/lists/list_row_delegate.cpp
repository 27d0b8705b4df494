#include "desktop/lists/list_row_delegate.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QIcon>
#include <QPainter>

#include "desktop/common/qt_text.h"
#include "desktop/editors/reminder_icons.h"
#include "desktop/lists/list_models.h"

namespace kalvory {

namespace {

constexpr char16_t kRaiseStart = 0x81;
constexpr char16_t kRaiseEnd = 0x82;
constexpr int kCellPadding = 4;
constexpr int kStateIconSize = 16;
// No row is wider than this many characters; a longer text (a damaged or hostile file) is not
// worked through in full on every paint.
constexpr qsizetype kLongestDrawnText = 512;

const QIcon& stateIcon(bool active) {
  static const QIcon on = reminderStateIcon(true);
  static const QIcon off = reminderStateIcon(false);
  return active ? on : off;
}

}  // namespace

std::vector<MarkedTextRun> markedTextRuns(const QString& text) {
  // The marks are read as everywhere else; only the plain pieces are flattened onto one line.
  std::vector<MarkedTextRun> runs;
  for (SymbolRun& run : symbolRuns(toStdString(text))) {
    if (!run.symbol) {
      run.text.remove(QChar(kRaiseStart)).remove(QChar(kRaiseEnd));
      for (QChar& character : run.text)
        if (character == u'\r' || character == u'\n' || character == u'\t') character = u' ';
      if (run.text.isEmpty()) continue;
    }
    runs.push_back(std::move(run));
  }
  return runs;
}

void drawMarkedText(QPainter& painter, const QRect& rect, const std::vector<MarkedTextRun>& runs, const QFont& font) {
  const QFont symbols = symbolFont(font);
  const QFontMetrics textMetrics(font);
  const QFontMetrics symbolMetrics(symbols);
  const QString ellipsis(QChar(0x2026));
  int x = rect.left();
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const MarkedTextRun& run = runs[i];
    const QFontMetrics& metrics = run.symbol ? symbolMetrics : textMetrics;
    const int width = metrics.horizontalAdvance(run.text);
    const int room = rect.right() + 1 - x;
    const bool last = i + 1 == runs.size();
    QRect cell(x, rect.top(), room, rect.height());
    if (width <= room && (last || width < room)) {
      painter.setFont(run.symbol ? symbols : font);
      painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, run.text);
      x += width;
      continue;
    }
    // Out of room: this run ends the line with an ellipsis.
    painter.setFont(font);
    if (run.symbol) {
      painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, ellipsis);
    } else {
      painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                       textMetrics.elidedText(run.text, Qt::ElideRight, room));
    }
    break;
  }
}

void ListRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
  const bool selected = option.state & QStyle::State_Selected;
  const QPalette& palette = option.palette;
  painter->save();
  painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
  painter->setPen(selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text));

  if (index.column() == 0) {
    const QVariant state = index.data(ReminderStateRole);
    if (state.isValid()) {
      const QRect box(option.rect.x() + (option.rect.width() - kStateIconSize) / 2,
                      option.rect.y() + (option.rect.height() - kStateIconSize) / 2, kStateIconSize, kStateIconSize);
      stateIcon(state.toInt() != 0).paint(painter, box);
    }
  } else {
    const QString text = index.data(Qt::DisplayRole).toString().left(kLongestDrawnText);
    if (!text.isEmpty())
      drawMarkedText(*painter, option.rect.adjusted(kCellPadding, 0, -kCellPadding, 0), markedTextRuns(text),
                     option.font);
  }

  // The focus frame goes round the whole current row, cell by cell.
  if (view && view->hasFocus() && view->currentIndex().row() == index.row()) {
    QPen pen(selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text));
    pen.setStyle(Qt::DotLine);
    painter->setPen(pen);
    const QRect r = option.rect;
    painter->drawLine(r.topLeft(), r.topRight());
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    if (index.column() == 0) painter->drawLine(r.topLeft(), r.bottomLeft());
    if (index.column() == index.model()->columnCount() - 1) painter->drawLine(r.topRight(), r.bottomRight());
  }
  painter->restore();
}

}  // namespace kalvory
