#include "desktop/lists/list_models.h"

#include <array>
#include <string_view>

#include "core/common/text.h"
#include "core/model/alarm_doc.h"
#include "desktop/common/language_forms.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

namespace {

// The picture names of the columns come from these strings; column 0 has the blank picture.
constexpr std::array<int, kListColumnCount> kReminderHeaderStrings = {0, 12, 13};
constexpr std::array<int, kListColumnCount> kNoteHeaderStrings = {0, 10, 11};
constexpr const char* kBlankPicture = "IDB_LIST_BLANK";

struct HeaderPicture {
  std::string_view name;
  const char* title;  // UTF-8
};
constexpr HeaderPicture kHeaderPictures[] = {
    {"IDB_LIST_BLANK", ""},       {"IDB_LIST_DESCRIPTION", "Description"}, {"IDB_LIST_TIME", "Time"},
    {"IDB_LIST_DATE", "Date"},    {"IDB_LIST_DESCRIPTION_RU", "Описание"}, {"IDB_LIST_TIME_RU", "Время"},
    {"IDB_LIST_DATE_RU", "Дата"}, {"IDB_LIST_DESCRIPTION_UA", "Опис"},     {"IDB_LIST_TIME_UA", "Час"},
    {"IDB_LIST_DATE_UA", "Дата"},
};

QVariant headerFor(int section, Qt::Orientation orientation, int role, const std::array<int, kListColumnCount>& strings,
                   UiLanguage language) {
  if (orientation != Qt::Horizontal || section < 0 || section >= kListColumnCount) return {};
  const int id = strings[static_cast<std::size_t>(section)];
  const QString picture = id == 0 ? QString::fromLatin1(kBlankPicture) : toQString(loadString(id, language));
  switch (role) {
    case HeaderPictureRole:
      return picture;
    case Qt::DisplayRole:
      return headerPictureTitle(picture);
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
      return {};
  }
}

// A tooltip shows the text on one line, without its marks, and never more than a screenful.
QString tooltipText(const std::string& text) {
  constexpr qsizetype kLongestTip = 300;
  QString tip = toQString(lineBreaksToBlanks(plainText(text.substr(0, 4 * kLongestTip)))).simplified();
  if (tip.size() > kLongestTip) tip = tip.left(kLongestTip) + QChar(0x2026);
  return tip;
}

}  // namespace

QString headerPictureTitle(const QString& pictureName) {
  const std::string name = toStdString(pictureName);
  for (const HeaderPicture& picture : kHeaderPictures)
    if (picture.name == name) return QString::fromUtf8(picture.title);
  return {};
}

// ---------------------------------------------------------------- reminders

ReminderListModel::ReminderListModel(const CAlarmDoc& document, std::function<UiLanguage()> language, QObject* parent)
    : QAbstractTableModel(parent), document_(document), language_(std::move(language)) {}

int ReminderListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(document_.alarmCount());
}

int ReminderListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kListColumnCount; }

QVariant ReminderListModel::data(const QModelIndex& index, int role) const {
  const CAlarmLine* line = document_.GetAlarmAt(index.row());
  if (!index.isValid() || !line) return {};
  switch (index.column()) {
    case 0:
      if (role == ReminderStateRole) return static_cast<int>(line->state);
      break;
    case 1:
      if (role == Qt::DisplayRole) return toQString(line->text);
      if (role == Qt::ToolTipRole) return tooltipText(line->text);
      break;
    case 2:
      if (role == Qt::DisplayRole) {
        const QString schedule = reminderScheduleText(*line, language_());
        const std::optional<COleDateTime> ringsAt = line->postponedTime();
        if (!ringsAt) return schedule;
        // The moment in the windows' one form: the time alone today, else the date and time.
        const COleDateTime now = clock_();
        const bool today = ringsAt->GetYear() == now.GetYear() && ringsAt->GetMonth() == now.GetMonth() &&
                           ringsAt->GetDay() == now.GetDay();
        const QString moment =
            today ? shortTime(QTime(ringsAt->GetHour(), ringsAt->GetMinute())) : shortDateTime(*ringsAt, language_());
        return schedule + QStringLiteral(", ") +
               toQString(loadString(StringId::PostponedTo, language_())).replace(QLatin1String("%s"), moment);
      }
      break;
    default:
      break;
  }
  return {};
}

QVariant ReminderListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  return headerFor(section, orientation, role, kReminderHeaderStrings, language_());
}

void ReminderListModel::refill() {
  beginResetModel();
  endResetModel();
}

void ReminderListModel::refreshRow(int row) {
  if (row < 0 || row >= rowCount()) return;
  emit dataChanged(index(row, 0), index(row, kListColumnCount - 1));
}

void ReminderListModel::refreshHeaders() { emit headerDataChanged(Qt::Horizontal, 0, kListColumnCount - 1); }

// ---------------------------------------------------------------- day notes

DayNoteListModel::DayNoteListModel(const CAlarmDoc& document, std::function<UiLanguage()> language, QObject* parent)
    : QAbstractTableModel(parent), document_(document), language_(std::move(language)) {}

int DayNoteListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(document_.dayInfoCount());
}

int DayNoteListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kListColumnCount; }

QVariant DayNoteListModel::data(const QModelIndex& index, int role) const {
  const CDayInfo* note = document_.GetDayInfoAt(index.row());
  if (!index.isValid() || !note) return {};
  if (index.column() == 1) {
    if (role == Qt::DisplayRole) return toQString(note->text);
    if (role == Qt::ToolTipRole) return tooltipText(note->text);
  } else if (index.column() == 2 && role == Qt::DisplayRole) {
    // A weekday or a day of the month stays as the note's own label; a full date takes the
    // language's one date form.
    if (note->repeat == CDayInfo::Weekly || note->repeat == CDayInfo::Monthly)
      return toQString(note->dateLabel(language_()));
    return shortDate(note->date, language_());
  }
  return {};
}

QVariant DayNoteListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  return headerFor(section, orientation, role, kNoteHeaderStrings, language_());
}

void DayNoteListModel::refill() {
  beginResetModel();
  endResetModel();
}

void DayNoteListModel::refreshHeaders() {
  emit headerDataChanged(Qt::Horizontal, 0, kListColumnCount - 1);
  if (rowCount() > 0) emit dataChanged(index(0, 2), index(rowCount() - 1, 2));
}

}  // namespace kalvory
