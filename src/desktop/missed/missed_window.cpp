#include "desktop/missed/missed_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/model/alarm_doc.h"
#include "core/model/alarm_line.h"
#include "core/model/moment.h"
#include "core/resources/resource_strings.h"
#include "desktop/common/language_forms.h"
#include "desktop/common/now_from.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

namespace {

COleDateTime plusWholeSeconds(const COleDateTime& time, std::int64_t seconds) {
  const COleDateTime moved = time + COleDateTimeSpan::fromSeconds(static_cast<double>(seconds));
  return COleDateTime(moved.GetYear(), moved.GetMonth(), moved.GetDay(), moved.GetHour(), moved.GetMinute(),
                      moved.GetSecond());
}

}  // namespace

CMissedRemindersWindow::CMissedRemindersWindow(CAlarmDoc& document, std::function<UiLanguage()> language,
                                               std::function<COleDateTime()> clock, QWidget* parent)
    : QDialog(parent), document_(document), language_(std::move(language)), clock_(std::move(clock)) {
  setObjectName(QStringLiteral("missedReminders"));
  setWindowFlag(Qt::WindowStaysOnTopHint);
  auto* layout = new QVBoxLayout(this);
  intro_ = new QLabel(this);
  intro_->setWordWrap(true);
  layout->addWidget(intro_);
  list_ = new QTreeWidget(this);
  list_->setColumnCount(3);
  list_->setRootIsDecorated(false);
  list_->setSelectionMode(QAbstractItemView::NoSelection);
  list_->setFocusPolicy(Qt::NoFocus);
  list_->header()->setStretchLastSection(false);
  list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  list_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
  list_->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  layout->addWidget(list_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  postponeAll_ = new QPushButton(this);
  turnOffAll_ = new QPushButton(this);
  buttons->addWidget(postponeAll_);
  buttons->addWidget(turnOffAll_);
  layout->addLayout(buttons);
  connect(postponeAll_, &QPushButton::clicked, this, &CMissedRemindersWindow::postponeAll);
  connect(turnOffAll_, &QPushButton::clicked, this, &CMissedRemindersWindow::turnOffAll);
  // No button is the default: Enter must not postpone or drop reminders the user has not read.
  postponeAll_->setAutoDefault(false);
  turnOffAll_->setAutoDefault(false);
  resize(660, 300);
  languageChanged();
}

void CMissedRemindersWindow::addMissed(const std::vector<MissedReminder>& missed) {
  for (const MissedReminder& m : missed) {
    if (m.index >= document_.alarmCount()) continue;
    const CAlarmLine* line = document_.alarms()[m.index].get();
    bool listed = false;
    for (Row& row : rows_) {
      if (row.line == line) {
        row.start = m.start;  // a later window of the same reminder replaces the earlier one
        listed = true;
      }
    }
    if (!listed) rows_.push_back({line, m.start});
  }
  rebuild();
  if (!rows_.empty()) {
    show();
    raise();
  }
}

void CMissedRemindersWindow::languageChanged() {
  const UiLanguage language = language_();
  setWindowTitle(toQString(loadString(StringId::MissedCaption, language)));
  intro_->setText(toQString(loadString(StringId::MissedIntro, language)));
  list_->setHeaderLabels({toQString(loadString(StringId::MissedTimeHeader, language)),
                          toQString(loadString(StringId::Reminder, language)), QString()});
  postponeAll_->setText(toQString(loadString(StringId::PostponeAllFiveMinutes, language)));
  turnOffAll_->setText(toQString(loadString(StringId::TurnOffAll, language)));
  rebuild();
}

int CMissedRemindersWindow::rowCount() const { return static_cast<int>(rows_.size()); }

int CMissedRemindersWindow::rowOf(const CAlarmLine* line) const {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].line == line) return static_cast<int>(i);
  }
  return -1;
}

CAlarmLine* CMissedRemindersWindow::liveLine(const CAlarmLine* line) const {
  for (const auto& owned : document_.alarms()) {
    if (owned.get() == line) return owned.get();
  }
  return nullptr;
}

void CMissedRemindersWindow::postponeLine(const Row& row) {
  CAlarmLine* live = liveLine(row.line);
  if (live == nullptr) return;
  // As a ringing reminder's postponement does: five minutes from now, armed, so that it rings
  // then with all its actions. A daily reminder keeps its time and rings once more beside it;
  // a one-time reminder's time is that one showing's.
  const COleDateTime ringsAt = plusWholeSeconds(nowFrom(clock_), kPostponeSeconds);
  const auto ringsAtSecond = moment::toSeconds(ringsAt);
  const auto missedSecond = moment::toSeconds(row.start);
  if (live->daily != 0 && ringsAtSecond && missedSecond) {
    live->postponed = CAlarmLine::Postponement{*ringsAtSecond, *missedSecond};
  } else {
    live->time = ringsAt;
    document_.SetModifiedFlag();
  }
  live->state = ReminderState::Armed;
  live->fired = false;
  live->show_count = 0;
}

void CMissedRemindersWindow::postponeRow(int row) {
  if (row < 0 || row >= rowCount()) return;
  postponeLine(rows_[static_cast<std::size_t>(row)]);
  rows_.erase(rows_.begin() + row);
  rebuild();
  emit documentChanged();
}

void CMissedRemindersWindow::turnOffRow(int row) {
  if (row < 0 || row >= rowCount()) return;
  rows_.erase(rows_.begin() + row);
  rebuild();
}

void CMissedRemindersWindow::postponeAll() {
  for (const Row& row : rows_) postponeLine(row);
  const bool any = !rows_.empty();
  rows_.clear();
  rebuild();
  if (any) emit documentChanged();
}

void CMissedRemindersWindow::turnOffAll() {
  rows_.clear();
  rebuild();
}

void CMissedRemindersWindow::rebuild() {
  // Rows whose reminder was deleted meanwhile go first.
  std::erase_if(rows_, [this](const Row& row) { return liveLine(row.line) == nullptr; });
  const UiLanguage language = language_();
  list_->clear();
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const Row& row = rows_[i];
    auto* item = new QTreeWidgetItem(list_, {shortDateTime(row.start, language), toQString(row.line->plainText())});
    auto* cell = new QWidget;
    auto* cellLayout = new QHBoxLayout(cell);
    cellLayout->setContentsMargins(2, 1, 2, 1);
    auto* postpone = new QPushButton(toQString(loadString(StringId::PostponeFiveMinutes, language)), cell);
    auto* off = new QPushButton(toQString(loadString(StringId::TurnOffOne, language)), cell);
    postpone->setAutoDefault(false);
    off->setAutoDefault(false);
    cellLayout->addWidget(postpone);
    cellLayout->addWidget(off);
    // Queued, since the rebuild a click starts destroys the button; the row is found again by
    // its reminder, as rows may have come or gone meanwhile.
    const CAlarmLine* line = row.line;
    connect(
        postpone, &QPushButton::clicked, this, [this, line] { postponeRow(rowOf(line)); }, Qt::QueuedConnection);
    connect(
        off, &QPushButton::clicked, this, [this, line] { turnOffRow(rowOf(line)); }, Qt::QueuedConnection);
    list_->setItemWidget(item, 2, cell);
  }
  postponeAll_->setEnabled(!rows_.empty());
  turnOffAll_->setEnabled(!rows_.empty());
  if (rows_.empty()) hide();
}

}  // namespace kalvory
