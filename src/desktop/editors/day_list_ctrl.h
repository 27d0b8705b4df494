#pragma once

#include <QFont>
#include <QIcon>
#include <QRect>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "core/resources/resource_strings.h"

namespace kalvory {

class CAlarmDoc;
class CDayInfo;

// The day note rows' item data (on column 0): the note shown, as a quintptr to a const
// CDayInfo, and its event type, which picks the row's icon.
inline constexpr int kDayInfoRole = Qt::UserRole;
inline constexpr int kEventTypeRole = Qt::UserRole + 1;

// The image of the type list a note's event type shows: Note and Holiday 0, Weekend 1,
// Anniversary 2, TO DO 3, Day Off 4; an unknown type shows image 0.
int dayTypeImageIndex(int eventType);
// The type list's images, 0 to 4 (16 x 16).
QIcon dayTypeIcon(int imageIndex);

// Where one piece of a column's text is drawn.
struct DayListPiece {
  QString text;
  bool symbol = false;  // drawn in the symbol font
  QRect rect;
  Qt::Alignment alignment;
};

// The pieces of a column's text in `area`. A text without symbol marks is one piece, cut with
// "…" to the column and aligned as the column is. A text with marks is laid out from the
// column's left edge, the plain parts in `font` and each marked character in `symbolFont`, every
// piece as wide as it measures: such a text is neither cut nor shortened.
std::vector<DayListPiece> layoutDayListText(const std::string& text, const QRect& area, Qt::Alignment alignment,
                                            const QFont& font, const QFont& symbolFont);

// Draws the rows of a day note list: the list's colours (the selected ones on selected rows),
// the type icon at the top left of column 0, and the texts with their symbols. Columns 0 and 2
// are right-aligned, column 1 left-aligned.
class CDayListDelegate final : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// The day note list of the lists window: three columns (the type icon, the note text, the date
// text), one row per note in document order, several rows selectable, drawn by
// CDayListDelegate. Its context menu offers Add, Delete and Modify.
class CDayListCtrl final : public QTreeWidget {
  Q_OBJECT
 public:
  explicit CDayListCtrl(QWidget* parent = nullptr);

  // One row per note of `document`, in its order; the texts and dates in `language`.
  void fill(const CAlarmDoc& document, UiLanguage language);
  // The note shown in `row`, or null.
  const CDayInfo* dayInfoAt(int row) const;
  // The selected rows, ascending.
  std::vector<int> selectedRows() const;
  // Language of the context menu.
  void setLanguage(UiLanguage language) { language_ = language; }

 signals:
  // A command of the context menu: ID_LIST_ADD, ID_LIST_DELETE or ID_LIST_MODIFY.
  void commandRequested(int command);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  UiLanguage language_ = UiLanguage::English;
};

}  // namespace kalvory
