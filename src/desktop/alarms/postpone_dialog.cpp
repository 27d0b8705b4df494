#include "desktop/alarms/postpone_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include "desktop/common/language_forms.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

namespace {

QString text(StringId id, UiLanguage language) { return toQString(loadString(id, language)); }

}  // namespace

CPostPoneDlg::CPostPoneDlg(UiLanguage language, const COleDateTime& openedAt, QWidget* parent)
    : QDialog(parent), openedAt_(openedAt) {
  setWindowTitle(text(StringId::TurnOffCaption, language));
  setAttribute(Qt::WA_DeleteOnClose, false);

  remindIn_ = new QRadioButton(text(StringId::RemindInLabel, language), this);
  remindOnButton_ = new QRadioButton(text(StringId::RemindOnLabel, language), this);
  turnOff_ = new QRadioButton(text(StringId::TurnOffAlarmLabel, language), this);
  auto* choices = new QButtonGroup(this);
  choices->addButton(remindIn_);
  choices->addButton(remindOnButton_);
  choices->addButton(turnOff_);

  // A list to choose from, not a field to type in: typed minutes were never read, and an
  // unread entry would silently turn the reminders off instead of postponing them.
  minutes_ = new QComboBox(this);
  for (const std::string& entry : postponeMinuteEntries()) minutes_->addItem(toQString(entry));
  minutes_->setMaxVisibleItems(14);
  minutes_->setCurrentIndex(0);
  auto* minutesLabel = new QLabel(text(StringId::MinutesUnit, language), this);

  // Up and down arrows, as the date is stepped rather than looked up; the time of day stays
  // that of the opening.
  date_ = new QDateEdit(this);
  date_->setCalendarPopup(false);
  date_->setAlignment(Qt::AlignRight);
  date_->setLocale(uiLocale(language));
  date_->setDisplayFormat(shortDateFormat(language));
  date_->setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
  if (openedAt.isValid()) date_->setDate(QDate(openedAt.GetYear(), openedAt.GetMonth(), openedAt.GetDay()));

  executeExit_ = new QCheckBox(text(StringId::ExecuteExitAction, language), this);
  auto* alwaysPerform = new QCheckBox(text(StringId::AlwaysPerformAction, language), this);
  alwaysPerform->setEnabled(false);  // kept for its place; the dialog never remembers a choice

  auto* grid = new QGridLayout;
  grid->addWidget(remindIn_, 0, 0);
  grid->addWidget(minutes_, 0, 1);
  grid->addWidget(minutesLabel, 0, 2);
  grid->addWidget(remindOnButton_, 1, 0);
  grid->addWidget(date_, 1, 1, 1, 2);
  grid->addWidget(turnOff_, 2, 0);
  // The exit action belongs to the turn-off choice: indented beneath it.
  auto* indented = new QHBoxLayout;
  indented->addSpacing(style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) + 4);
  indented->addWidget(executeExit_);
  grid->addLayout(indented, 3, 0, 1, 3);
  grid->setColumnStretch(1, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(text(StringId::Ok, language));
  buttons->button(QDialogButtonBox::Cancel)->setText(text(StringId::Cancel, language));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(alwaysPerform);
  layout->addStretch(1);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  turnOff_->setChecked(true);
  connect(choices, &QButtonGroup::buttonClicked, this, &CPostPoneDlg::enableForChoice);
  enableForChoice();
  buttons->button(QDialogButtonBox::Ok)->setFocus();
}

TurnOffChoice CPostPoneDlg::choice() const {
  if (remindOnButton_->isChecked()) return TurnOffChoice::RemindOn;
  if (turnOff_->isChecked()) return TurnOffChoice::TurnOff;
  return TurnOffChoice::RemindIn;
}

void CPostPoneDlg::enableForChoice() {
  const TurnOffChoice current = choice();
  minutes_->setEnabled(current == TurnOffChoice::RemindIn);
  date_->setEnabled(current == TurnOffChoice::RemindOn);
  executeExit_->setEnabled(current == TurnOffChoice::TurnOff);
}

COleDateTime CPostPoneDlg::remindOn() const {
  if (!openedAt_.isValid()) return COleDateTime::makeInvalid();
  const QDate day = date_->date();
  return COleDateTime(day.year(), day.month(), day.day(), openedAt_.GetHour(), openedAt_.GetMinute(),
                      openedAt_.GetSecond());
}

StopAlarmsArguments CPostPoneDlg::answer() const {
  return turnOffDialogAnswer(static_cast<int>(choice()), minutes_->currentIndex(), remindOn(), openedAt_,
                             executeExit_->isChecked());
}

}  // namespace kalvory
