#include "desktop/editors/day_list_ctrl.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <algorithm>

#include "core/model/alarm_doc.h"
#include "core/model/day_info.h"
#include "core/resources/resource_menus.h"
#include "desktop/common/qt_text.h"
#include "desktop/common/symbol_text.h"

namespace kalvory {

namespace {

constexpr int kIconSize = 16;
constexpr int kIconColumnWidth = 18;
constexpr int kDateColumnWidth = 70;

Qt::Alignment columnAlignment(int column) { return column == 1 ? Qt::AlignLeft : Qt::AlignRight; }

}  // namespace

int dayTypeImageIndex(int eventType) {
  switch (eventType) {
    case CDayInfo::Weekend:
      return 1;
    case CDayInfo::Anniversary:
      return 2;
    case CDayInfo::ToDo:
      return 3;
    case CDayInfo::DayOff:
      return 4;
    default:
      return 0;  // a note, a holiday, and any type a newer file might bring
  }
}

QIcon dayTypeIcon(int imageIndex) {
  static const char* const kNames[] = {"type-note", "type-weekend", "type-anniversary", "type-todo", "type-dayoff"};
  const int index = std::clamp(imageIndex, 0, 4);
  return QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(kNames[index])));
}

std::vector<DayListPiece> layoutDayListText(const std::string& text, const QRect& area, Qt::Alignment alignment,
                                            const QFont& font, const QFont& symbolFont) {
  const std::vector<SymbolRun> runs = symbolRuns(text);
  const bool hasSymbols = std::any_of(runs.begin(), runs.end(), [](const SymbolRun& run) { return run.symbol; });
  std::vector<DayListPiece> pieces;
  if (!hasSymbols) {
    const QString plain = runs.empty() ? QString() : runs.front().text;
    pieces.push_back({QFontMetrics(font).elidedText(plain, Qt::ElideRight, area.width()), false, area,
                      alignment | Qt::AlignVCenter});
    return pieces;
  }
  int x = area.left();
  for (const SymbolRun& run : runs) {
    const int width = QFontMetrics(run.symbol ? symbolFont : font).horizontalAdvance(run.text);
    pieces.push_back(
        {run.text, run.symbol, QRect(x, area.top(), width, area.height()), Qt::AlignLeft | Qt::AlignVCenter});
    x += width;
  }
  return pieces;
}

// ---------------------------------------------------------------- delegate

void CDayListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const bool selected = option.state & QStyle::State_Selected;
  const QPalette::ColorGroup group = option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
  const QColor background = option.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
  const QColor foreground = option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
  painter->save();
  painter->fillRect(option.rect, background);
  if (index.column() == 0) {
    const QModelIndex first = index.siblingAtColumn(0);
    const QIcon icon = dayTypeIcon(dayTypeImageIndex(first.data(kEventTypeRole).toInt()));
    icon.paint(painter, QRect(option.rect.topLeft() + QPoint(1, (option.rect.height() - kIconSize) / 2),
                              QSize(kIconSize, kIconSize)));
  }
  const QString text = index.data(Qt::DisplayRole).toString();
  if (!text.isEmpty()) {
    const QFont symbols = symbolFont(option.font);
    const QRect area = option.rect.adjusted(2, 0, -2, 0);
    painter->setPen(foreground);
    for (const DayListPiece& piece :
         layoutDayListText(toStdString(text), area, columnAlignment(index.column()), option.font, symbols)) {
      painter->setFont(piece.symbol ? symbols : option.font);
      painter->drawText(piece.rect, static_cast<int>(piece.alignment) | Qt::TextSingleLine, piece.text);
    }
  }
  painter->restore();
}

QSize CDayListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  size.setHeight(std::max({size.height(), kIconSize + 2, QFontMetrics(symbolFont(option.font)).height()}));
  return size;
}

// ---------------------------------------------------------------- list

CDayListCtrl::CDayListCtrl(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(3);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setItemDelegate(new CDayListDelegate(this));
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(QHeaderView::Interactive);
  setColumnWidth(0, kIconColumnWidth);
  setColumnWidth(2, std::max(kDateColumnWidth, fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000")) + 8));
}

void CDayListCtrl::fill(const CAlarmDoc& document, UiLanguage language) {
  language_ = language;
  setUpdatesEnabled(false);
  clear();
  for (const auto& note : document.dayInfos()) {
    auto* item = new QTreeWidgetItem(this);
    item->setText(1, toQString(note->text));
    item->setText(2, toQString(note->dateLabel(language)));
    item->setData(0, kDayInfoRole, QVariant::fromValue(reinterpret_cast<quintptr>(note.get())));
    item->setData(0, kEventTypeRole, note->event_type);
  }
  setUpdatesEnabled(true);
}

const CDayInfo* CDayListCtrl::dayInfoAt(int row) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  if (item == nullptr) return nullptr;
  return reinterpret_cast<const CDayInfo*>(item->data(0, kDayInfoRole).value<quintptr>());
}

std::vector<int> CDayListCtrl::selectedRows() const {
  std::vector<int> rows;
  for (QTreeWidgetItem* item : selectedItems()) rows.push_back(indexOfTopLevelItem(item));
  std::sort(rows.begin(), rows.end());
  return rows;
}

void CDayListCtrl::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  for (const MenuItem& item : loadMenu(kDayNoteListMenuId, language_)) {
    if (item.kind == MenuItem::Kind::Separator) {
      menu.addSeparator();
    } else if (item.kind == MenuItem::Kind::Command) {
      const int command = item.command;
      connect(menu.addAction(toQString(item.text)), &QAction::triggered, this,
              [this, command] { emit commandRequested(command); });
    }
  }
  menu.exec(event->globalPos());
}

void CDayListCtrl::resizeEvent(QResizeEvent* event) {
  QTreeWidget::resizeEvent(event);
  // The note text takes what the icon and the date leave.
  setColumnWidth(1, std::max(40, viewport()->width() - columnWidth(0) - columnWidth(2)));
}

}  // namespace kalvory
