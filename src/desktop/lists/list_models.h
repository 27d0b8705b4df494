#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <functional>

#include "core/common/date_time.h"
#include "core/resources/resource_strings.h"

namespace kalvory {

class CAlarmDoc;

// Roles the lists' rows and headers answer besides Qt's own.
enum ListRole : int {
  ReminderStateRole = Qt::UserRole + 1,  // column 0 of a reminder row: its `state`
  HeaderPictureRole,                     // a header section: the name of its picture
};

// The header of a list column is a picture whose name the string table gives per language
// ("IDB_LIST_TIME", "IDB_LIST_TIME_RU", ...), so each language has its own. This is the title
// that picture shows; empty for the blank picture and for a name the program does not have.
QString headerPictureTitle(const QString& pictureName);

// The columns of both lists: the state picture, the text and the time or date.
inline constexpr int kListColumnCount = 3;

// The document's reminders as a table, in document order: column 0 the state, column 1 the
// message, column 2 the schedule text, followed by a pending postponement ("Daily: 10:54,
// postponed to 10:59"). Rows are read from the document when shown, so a list of any length
// opens at once.
class ReminderListModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  ReminderListModel(const CAlarmDoc& document, std::function<UiLanguage()> language, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The document's list was changed as a whole.
  void refill();
  // One reminder changed (its state, say).
  void refreshRow(int row);
  // The language changed: the header pictures follow.
  void refreshHeaders();
  // Where "today" is for a postponement's moment; the system clock until set.
  void setClock(Clock clock) { clock_ = std::move(clock); }

 private:
  const CAlarmDoc& document_;
  std::function<UiLanguage()> language_;
  Clock clock_ = systemNow;
};

// The document's day notes: column 1 the note, column 2 its date text.
class DayNoteListModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  DayNoteListModel(const CAlarmDoc& document, std::function<UiLanguage()> language, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  void refill();
  // The language changed: the headers and the weekday names of the dates follow.
  void refreshHeaders();

 private:
  const CAlarmDoc& document_;
  std::function<UiLanguage()> language_;
};

}  // namespace kalvory
