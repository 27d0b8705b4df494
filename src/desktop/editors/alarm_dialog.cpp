#include "desktop/editors/alarm_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "core/model/alarm_doc.h"
#include "core/model/moment.h"
#include "desktop/common/language_forms.h"
#include "desktop/common/now_from.h"
#include "desktop/common/qt_text.h"
#include "desktop/editors/reminder_icons.h"
#include "desktop/editors/select_skin_dialog.h"

namespace kalvory {

namespace {

constexpr int kExitActionCount = 5;
constexpr int kStateIconSize = 32;
constexpr int kFieldCharacters = 26;  // paths and names show this many characters

// The weekday buttons' texts in the order of the week_days bits, Sunday first.
constexpr std::array<StringId, 7> kWeekdayNames = {
    StringId::ShortSunday,   StringId::ShortMonday, StringId::ShortTuesday, StringId::ShortWednesday,
    StringId::ShortThursday, StringId::ShortFriday, StringId::ShortSaturday};
// The buttons' places on screen: Monday first, as the calendar shows a week.
constexpr std::array<std::size_t, 7> kWeekdayDisplayOrder = {1, 2, 3, 4, 5, 6, 0};

// The hours and minutes fields: two digits at most, shown "07" for a time of day and "7" for a
// timer's length, with arrows so that a time can be set with the mouse alone. A keystroke that
// would make a number out of range (hour 25, minute 99 of a time of day) is refused, and the
// dialog is told so that it can say why.
class TwoDigitSpinBox final : public QSpinBox {
 public:
  explicit TwoDigitSpinBox(QWidget* parent) : QSpinBox(parent) {
    setRange(0, 99);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setAccelerated(true);
  }
  void setZeroPadded(bool padded) {
    if (padded_ == padded) return;
    padded_ = padded;
    lineEdit()->setText(textFromValue(value()));
  }
  std::function<void()> onRefused;

 protected:
  QString textFromValue(int value) const override {
    return padded_ ? QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')) : QString::number(value);
  }
  QValidator::State validate(QString& input, int& position) const override {
    const QValidator::State state = QSpinBox::validate(input, position);
    if (state == QValidator::Invalid && onRefused) onRefused();
    return state;
  }

 private:
  bool padded_ = true;
};

// The date picker refuses a day the month does not have. Left alone, a date edit takes the
// "3" of "31" typed into February as the 3rd, moves on and puts the "1" into the year; here the
// second digit is refused and the dialog told, so that it can say why.
class CheckedDateEdit final : public QDateEdit {
 public:
  static constexpr int kLongestMonth = 31;
  using QDateEdit::QDateEdit;
  std::function<void(int day)> onNoSuchDay;
  std::function<void(const QString&)> onLeft;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const QString typed = event->text();
    const bool digit = typed.size() == 1 && typed.front().isDigit();
    if (digit && firstDayDigit_ >= 0) {
      const int day = firstDayDigit_ * 10 + typed.front().digitValue();
      firstDayDigit_ = -1;
      // A day no month has (42) means the single digit was the day and the next one starts
      // the year.
      if (day <= kLongestMonth && day > date().daysInMonth()) {
        setSelectedSection(QDateTimeEdit::DaySection);
        event->accept();
        if (onNoSuchDay) onNoSuchDay(day);
        return;
      }
    }
    firstDayDigit_ = -1;
    const bool intoDay = digit && currentSection() == QDateTimeEdit::DaySection;
    const bool dayStarted = intoDay && daySectionFresh_;
    const QDate before = date();
    QDateEdit::keyPressEvent(event);
    // A month or year typed under a day it does not have (the 31st, then February): the date
    // edit quietly makes it the month's last day. It is said, and the day is selected again.
    if (digit && !intoDay && before.isValid() && date().isValid() && date().day() != before.day() &&
        before.day() > date().daysInMonth()) {
      setSelectedSection(QDateTimeEdit::DaySection);
      if (onNoSuchDay) onNoSuchDay(before.day());
    }
    // One digit was enough for the edit to leave the day: the user may have meant two.
    if (dayStarted && currentSection() != QDateTimeEdit::DaySection) firstDayDigit_ = typed.front().digitValue();
    daySectionFresh_ = !intoDay || currentSection() != QDateTimeEdit::DaySection;
  }
  void focusInEvent(QFocusEvent* event) override {
    firstDayDigit_ = -1;
    daySectionFresh_ = true;
    QDateEdit::focusInEvent(event);
  }
  void mousePressEvent(QMouseEvent* event) override {
    firstDayDigit_ = -1;
    daySectionFresh_ = true;
    QDateEdit::mousePressEvent(event);
  }
  void focusOutEvent(QFocusEvent* event) override {
    // Seen before the picker puts an unfinished or impossible text back to its last date.
    if (onLeft) onLeft(text());
    QDateEdit::focusOutEvent(event);
  }

 private:
  int firstDayDigit_ = -1;
  bool daySectionFresh_ = true;
};

constexpr int kClockHourMaximum = 23;
constexpr int kClockMinuteMaximum = 59;
constexpr int kTimerMaximum = 99;  // two digits
// A timer ticked on for a reminder that was none starts at a length one would set for a tea.
constexpr std::pair<int, int> kNewTimerLength{0, 5};

QString fillFirst(QString text, const QString& value) {
  const qsizetype at = text.indexOf(QLatin1String("%s"));
  return at < 0 ? text : text.replace(at, 2, value);
}

// A reminder's sound may also be a stream's address, which only the player can judge.
bool isLocalSoundPath(const QString& path) { return !path.contains(QLatin1String("://")); }

// The weekday buttons show plainly whether they are on: the highlight colour when ticked.
const QString kWeekdayStyle = QStringLiteral(
    "QToolButton { border: 1px solid palette(mid); border-radius: 3px; padding: 3px 4px;"
    " background: palette(button); color: palette(button-text); }"
    "QToolButton:checked { background: palette(highlight); color: palette(highlighted-text);"
    " border-color: palette(highlight); }"
    "QToolButton:disabled { color: palette(mid); }"
    "QToolButton:checked:disabled { background: palette(midlight); color: palette(dark);"
    " border-color: palette(mid); }");

QDate toQDate(const COleDateTime& value) { return QDate(value.GetYear(), value.GetMonth(), value.GetDay()); }

QPushButton* browseButton(QWidget* parent, const QString& name) {
  auto* button = new QPushButton(QStringLiteral("..."), parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  // As narrow as its three dots allow, like the chooser buttons beside an edit usually are.
  const int width = button->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 18;
  button->setFixedWidth(std::max(width, 28));
  return button;
}

}  // namespace

// ---------------------------------------------------------------- rules without widgets

TimerStart timerStart(const COleDateTime& now, int hours, int minutes) {
  if (minutes >= 60) {
    hours += minutes / 60;
    minutes %= 60;
  }
  int days = 0;
  if (hours >= 24) {
    days = hours / 24;
    hours %= 24;
  }
  TimerStart start;
  start.timerMinutes = hours * 60 + minutes;
  // The wall-clock fields move on, as the C run-time's mktime normalises them.
  const auto seconds = moment::toSeconds(now);
  start.time = seconds ? moment::fromSeconds(*seconds + ((std::int64_t{days} * 24 + hours) * 60 + minutes) * 60)
                       : COleDateTime::makeInvalid();
  return start;
}

COleDateTime reminderMoment(const COleDateTime& date, int hours, int minutes) {
  if (!date.isValid()) return COleDateTime::makeInvalid();
  // Impossible parts (hour 24, minute 60) give an invalid value.
  return COleDateTime(date.GetYear(), date.GetMonth(), date.GetDay(), hours, minutes, 0);
}

std::string cleanPathField(const std::string& text) {
  std::string cleaned = text;
  while (!cleaned.empty() && (cleaned.back() == ' ' || cleaned.back() == '\t')) cleaned.pop_back();
  std::erase(cleaned, '"');
  return cleaned;
}

// ---------------------------------------------------------------- the dialog

CAlarmDlg::CAlarmDlg(CAlarmDoc* document, UiLanguage language, Services services, QWidget* parent)
    : QDialog(parent), document_(document), language_(language), services_(std::move(services)) {
  setObjectName(QStringLiteral("CAlarmDlg"));
  setWindowTitle(text(StringId::Reminder));
  buildControls();
}

CAlarmDlg::~CAlarmDlg() = default;

QString CAlarmDlg::text(StringId id) const { return toQString(loadString(id, language_)); }

COleDateTime CAlarmDlg::now() const { return nowFrom(services_.clock); }

void CAlarmDlg::buildControls() {
  // --- left: the message, its state and when it comes
  auto* messageLabel = new QLabel(text(StringId::MessageLabel), this);
  message_ = new QPlainTextEdit(this);
  message_->setObjectName(QStringLiteral("message"));
  message_->setTabChangesFocus(true);
  message_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  message_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  message_->setFixedHeight(message_->fontMetrics().lineSpacing() * 4 + 2 * message_->frameWidth() + 8);
  messageLabel->setBuddy(message_);
  connect(message_, &QPlainTextEdit::textChanged, this, &CAlarmDlg::limitMessage);

  active_ = new QCheckBox(text(StringId::ActiveLabel), this);
  active_->setObjectName(QStringLiteral("active"));
  stateIcon_ = new QLabel(this);
  stateIcon_->setObjectName(QStringLiteral("stateIcon"));
  stateIcon_->setFixedSize(kStateIconSize, kStateIconSize);
  connect(active_, &QCheckBox::toggled, this, &CAlarmDlg::updateStateIcon);

  auto* displayLabel = new QLabel(text(StringId::DisplayMessageFor), this);
  displaySeconds_ = new QSpinBox(this);
  displaySeconds_->setObjectName(QStringLiteral("displaySeconds"));
  displaySeconds_->setRange(0, 99999999);  // eight digits, as many as the field takes
  displaySeconds_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  displayLabel->setBuddy(displaySeconds_);
  auto* secondsLabel = new QLabel(text(StringId::SecondsUnit), this);
  secondsLabel->setObjectName(QStringLiteral("secondsWord"));
  // "1 second", "2 секунды", "5 секунд": the word follows the number.
  connect(displaySeconds_, &QSpinBox::valueChanged, secondsLabel, [this, secondsLabel](int seconds) {
    secondsLabel->setText(pluralWord(StringId::SecondsPlural, seconds, language_));
  });

  auto* stateRow = new QHBoxLayout;
  stateRow->addWidget(stateIcon_);
  stateRow->addWidget(active_);
  stateRow->addStretch(1);
  stateRow->addWidget(displayLabel);
  stateRow->addWidget(displaySeconds_);
  stateRow->addWidget(secondsLabel);

  auto* timeGroup = new QGroupBox(text(StringId::TimeGroup), this);
  auto* date = new CheckedDateEdit(timeGroup);
  date_ = date;
  date_->setObjectName(QStringLiteral("date"));
  date_->setCalendarPopup(true);
  date_->setLocale(uiLocale(language_));
  date_->setDisplayFormat(shortDateFormat(language_));
  date->onNoSuchDay = [this](int day) {
    showTimeHint(fillFirst(toQString(loadString(StringId::NoSuchDayHint, language_)), QString::number(day)));
  };
  date->onLeft = [this](const QString& typed) {
    if (!date_->isEnabled() || dateTextIsADate(typed)) return;
    refusedDate_ = typed;
    showTimeHint(fillFirst(toQString(loadString(StringId::NoSuchDateHint, language_)), typed));
  };
  connect(date_, &QDateEdit::dateChanged, this, [this] {
    if (!dateTextIsADate(date_->text())) return;
    refusedDate_.clear();
    timeHint_->hide();
  });
  const auto refused = [this] {
    showTimeHint(toQString(
        loadString(shownAsTimer_ ? StringId::TimerLengthRangeHint : StringId::ClockTimeRangeHint, language_)));
  };
  auto* hours = new TwoDigitSpinBox(timeGroup);
  hours->setObjectName(QStringLiteral("hours"));
  hours->onRefused = refused;
  hours_ = hours;
  auto* minutes = new TwoDigitSpinBox(timeGroup);
  minutes->setObjectName(QStringLiteral("minutes"));
  minutes->onRefused = refused;
  minutes_ = minutes;
  hours_->setRange(0, kClockHourMaximum);
  minutes_->setRange(0, kClockMinuteMaximum);
  timerLength_ = new QLabel(toQString(loadString(StringId::TimerLengthLabel, language_)), timeGroup);
  timerLength_->setObjectName(QStringLiteral("timerLength"));
  timerLength_->setBuddy(hours_);
  hoursUnit_ = new QLabel(QStringLiteral(":"), timeGroup);
  hoursUnit_->setObjectName(QStringLiteral("hoursUnit"));
  minutesUnit_ = new QLabel(toQString(loadString(StringId::TimerMinutesUnit, language_)), timeGroup);
  minutesUnit_->setObjectName(QStringLiteral("minutesUnit"));
  timeHint_ = new QLabel(timeGroup);
  timeHint_->setObjectName(QStringLiteral("timeHint"));
  timeHint_->setWordWrap(true);
  timeHint_->setStyleSheet(QStringLiteral("color: #b00020;"));
  timeHint_->hide();
  // Whatever is typed and taken puts away the hint about what was refused before.
  connect(hours_, &QSpinBox::valueChanged, timeHint_, &QLabel::hide);
  connect(minutes_, &QSpinBox::valueChanged, timeHint_, &QLabel::hide);
  timer_ = new QCheckBox(text(StringId::TimerModeLabel), timeGroup);
  timer_->setObjectName(QStringLiteral("timerMode"));
  daily_ = new QCheckBox(text(StringId::DailyLabel), timeGroup);
  daily_->setObjectName(QStringLiteral("daily"));

  auto* clockRow = new QHBoxLayout;
  clockRow->addWidget(date_, 1);
  clockRow->addSpacing(12);
  clockRow->addWidget(timerLength_);
  clockRow->addWidget(hours_);
  clockRow->addWidget(hoursUnit_);
  clockRow->addWidget(minutes_);
  clockRow->addWidget(minutesUnit_);
  auto* modeRow = new QHBoxLayout;
  modeRow->addWidget(timer_);
  modeRow->addSpacing(16);
  modeRow->addWidget(daily_);
  modeRow->addStretch(1);
  auto* weekRow = new QHBoxLayout;
  weekRow->setSpacing(2);
  for (std::size_t i = 0; i < weekdays_.size(); ++i) {
    auto* button = new QToolButton(timeGroup);
    button->setObjectName(QStringLiteral("weekday%1").arg(i));
    button->setText(text(kWeekdayNames[i]));
    button->setCheckable(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setMinimumWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("MM")) + 10);
    button->setStyleSheet(kWeekdayStyle);
    weekdays_[i] = button;
  }
  for (std::size_t day : kWeekdayDisplayOrder) weekRow->addWidget(weekdays_[day]);
  auto* timeLayout = new QVBoxLayout(timeGroup);
  timeLayout->addLayout(clockRow);
  timeLayout->addWidget(timeHint_);
  timeLayout->addLayout(modeRow);
  timeLayout->addLayout(weekRow);
  connect(timer_, &QCheckBox::clicked, this, [this](bool checked) {
    if (checked) daily_->setChecked(false);
    updateScheduleControls();
  });
  connect(daily_, &QCheckBox::clicked, this, [this](bool checked) {
    if (checked) timer_->setChecked(false);
    updateScheduleControls();
  });

  auto* left = new QVBoxLayout;
  left->addWidget(messageLabel);
  left->addWidget(message_);
  left->addLayout(stateRow);
  left->addWidget(timeGroup);
  left->addStretch(1);

  // --- right: what firing shows and does
  auto* right = new QGridLayout;
  right->setColumnStretch(1, 1);
  osd_ = new QCheckBox(text(StringId::OsdMessageLabel), this);
  osd_->setObjectName(QStringLiteral("osd"));
  right->addWidget(osd_, 0, 0, 1, 3);

  const auto effectRow = [&](int row, StringId caption, const QString& name, QCheckBox*& box, QLineEdit*& field,
                             QPushButton*& button) {
    box = new QCheckBox(text(caption), this);
    box->setObjectName(name + QStringLiteral("Box"));
    field = new QLineEdit(this);
    field->setObjectName(name);
    field->setMinimumWidth(field->fontMetrics().averageCharWidth() * kFieldCharacters);
    button = browseButton(this, name + QStringLiteral("Choose"));
    right->addWidget(box, row, 0);
    right->addWidget(field, row, 1);
    right->addWidget(button, row, 2);
    connect(box, &QCheckBox::clicked, this, [this, box] { applyEffectRules(box); });
  };
  effectRow(1, StringId::NotifierPopupLabel, QStringLiteral("notifier"), notifierBox_, notifier_, notifierChoose_);
  effectRow(2, StringId::ReminderWallpaperLabel, QStringLiteral("wallpaper"), wallpaperBox_, wallpaper_,
            wallpaperChoose_);
  effectRow(3, StringId::StickerChoiceLabel, QStringLiteral("sticker"), stickerBox_, sticker_, stickerChoose_);
  // The notifier and sticker are names of definitions: they are chosen, never typed.
  notifier_->setReadOnly(true);
  sticker_->setReadOnly(true);

  const auto actionRow = [&](int row, StringId caption, const QString& name, QLineEdit*& field, QPushButton*& button) {
    auto* label = new QLabel(text(caption), this);
    field = new QLineEdit(this);
    field->setObjectName(name);
    field->setMinimumWidth(field->fontMetrics().averageCharWidth() * kFieldCharacters);
    label->setBuddy(field);
    button = browseButton(this, name + QStringLiteral("Choose"));
    right->addWidget(label, row, 0);
    right->addWidget(field, row, 1);
    right->addWidget(button, row, 2);
  };
  right->setRowMinimumHeight(4, 8);
  actionRow(5, StringId::PlaySoundLabel, QStringLiteral("sound"), sound_, soundChoose_);
  soundWarning_ = new QLabel(toQString(loadString(StringId::SoundFileMissingWarning, language_)), this);
  soundWarning_->setObjectName(QStringLiteral("soundWarning"));
  soundWarning_->setWordWrap(true);
  soundWarning_->setStyleSheet(QStringLiteral("color: #8a5300;"));
  soundWarning_->hide();
  right->addWidget(soundWarning_, 6, 0, 1, 3);
  connect(sound_, &QLineEdit::textChanged, this, &CAlarmDlg::updateSoundWarning);
  actionRow(7, StringId::ExecuteApplicationLabel, QStringLiteral("program"), program_, programChoose_);

  auto* finishedLabel = new QLabel(text(StringId::WhenFinishedLabel), this);
  exitAction_ = new QComboBox(this);
  exitAction_->setObjectName(QStringLiteral("exitAction"));
  for (int i = 0; i < kExitActionCount; ++i)
    exitAction_->addItem(toQString(loadString(static_cast<int>(StringId::ExitActionNothing) + i, language_)).trimmed());
  exitAction_->setMaxVisibleItems(14);
  finishedLabel->setBuddy(exitAction_);
  right->addWidget(finishedLabel, 8, 0);
  right->addWidget(exitAction_, 8, 1, 1, 2);
  right->setRowStretch(9, 1);

  connect(notifierChoose_, &QPushButton::clicked, this, [this] { chooseDefinition(notifier_, false); });
  connect(stickerChoose_, &QPushButton::clicked, this, [this] { chooseDefinition(sticker_, true); });
  connect(wallpaperChoose_, &QPushButton::clicked, this,
          [this] { chooseFile(wallpaper_, StringId::ImageFileFilter, false); });
  connect(soundChoose_, &QPushButton::clicked, this, [this] { chooseFile(sound_, StringId::SoundFileFilter, false); });
  // Programs on Linux carry no ".exe": the chooser starts on "All Files".
  connect(programChoose_, &QPushButton::clicked, this,
          [this] { chooseFile(program_, StringId::ProgramFileFilter, true); });

  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 5);
  columns->addSpacing(12);
  columns->addLayout(right, 6);

  // --- bottom: the symbol button and OK / Cancel
  insertSymbol_ = new QPushButton(toQString(loadString(StringId::InsertSpecialSymbol, language_)), this);
  insertSymbol_->setObjectName(QStringLiteral("insertSymbol"));
  insertSymbol_->setAutoDefault(false);
  insertSymbol_->setEnabled(static_cast<bool>(services_.chooseSymbol));
  connect(insertSymbol_, &QPushButton::clicked, this, &CAlarmDlg::insertSymbol);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  ok_->setText(text(StringId::Ok));
  buttons->button(QDialogButtonBox::Cancel)->setText(text(StringId::Cancel));
  connect(buttons, &QDialogButtonBox::accepted, this, &CAlarmDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CAlarmDlg::reject);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(insertSymbol_);
  bottom->addStretch(1);
  bottom->addWidget(buttons);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns, 1);
  layout->addSpacing(6);
  layout->addLayout(bottom);

  // Tab order: the message and its timing first, then the effects and actions, then the buttons.
  QList<QWidget*> order = {message_, active_, displaySeconds_, date_, hours_, minutes_, timer_, daily_};
  for (std::size_t day : kWeekdayDisplayOrder) order << weekdays_[day];
  order << osd_ << notifierBox_ << notifier_ << notifierChoose_ << wallpaperBox_ << wallpaper_ << wallpaperChoose_
        << stickerBox_ << sticker_ << stickerChoose_ << sound_ << soundChoose_ << program_ << programChoose_
        << exitAction_ << insertSymbol_ << ok_ << buttons->button(QDialogButtonBox::Cancel);
  for (qsizetype i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);

  updateStateIcon();
  updateScheduleControls();
  applyEffectRules();
  message_->setFocus();
}

void CAlarmDlg::setRecord(CAlarmLine* record) {
  record_ = record;
  loadRecord();
}

void CAlarmDlg::loadRecord() {
  if (!document_ || !record_) {
    report(text(StringId::NoDocumentError));
    return;
  }
  const CAlarmLine& line = *record_;
  displaySeconds_->setValue(std::clamp(line.show_seconds, 0, displaySeconds_->maximum()));
  date_->setDate(toQDate(line.time.isValid() ? line.time : now()));

  const bool timer = line.timer_mode != 0;
  // The numbers for each way of showing the fields; the one not shown waits for a click on
  // "Timer Mode".
  const COleDateTime clock = !timer && line.time.isValid() ? line.time : now();
  clockValue_ = clock.isValid() ? std::pair{clock.GetHour(), clock.GetMinute()} : std::pair{0, 0};
  timerValue_ = timer ? std::pair{line.timer_minutes / 60, line.timer_minutes % 60} : kNewTimerLength;
  refusedDate_.clear();
  applyTimeMode(timer);
  timeHint_->hide();

  message_->setPlainText(toQString(line.text));
  sound_->setText(toQString(line.sound_file));
  program_->setText(toQString(line.program));
  active_->setChecked(line.state != ReminderState::Inactive);
  timer_->setChecked(timer);
  daily_->setChecked(line.daily != 0);
  exitAction_->setCurrentIndex(std::clamp(line.exit_action, 0, kExitActionCount - 1));
  for (std::size_t i = 0; i < weekdays_.size(); ++i) weekdays_[i]->setChecked(((line.week_days >> i) & 1) != 0);
  osd_->setChecked(line.osd != 0);

  wallpaperBox_->setChecked(!line.wallpaper.empty());
  wallpaper_->setText(toQString(line.wallpaper));
  // Long paths show from their start, where the folders that tell them apart are.
  for (QLineEdit* field : {sound_, program_, wallpaper_}) field->setCursorPosition(0);
  notifierBox_->setChecked(!line.notifier.empty());
  notifier_->setText(toQString(line.notifier));
  stickerBox_->setChecked(!line.sticker.empty());
  sticker_->setText(toQString(line.sticker));

  updateStateIcon();
  updateScheduleControls();
  applyEffectRules();
  message_->setFocus();
  message_->moveCursor(QTextCursor::End);
}

void CAlarmDlg::applyEffectRules(const QCheckBox* clicked) {
  // A box just ticked with no name beside it takes the default one. Only that box: a name the
  // user cleared with "N/A" stays cleared when another box is clicked.
  const auto fills = [clicked](const QCheckBox* box) { return box->isChecked() && (!clicked || clicked == box); };
  notifier_->setEnabled(notifierBox_->isChecked());
  notifierChoose_->setEnabled(notifierBox_->isChecked());
  if (fills(notifierBox_) && notifier_->text().isEmpty() && document_)
    notifier_->setText(toQString(document_->defaultNotifierName()));

  wallpaper_->setEnabled(wallpaperBox_->isChecked());
  wallpaperChoose_->setEnabled(wallpaperBox_->isChecked());

  sticker_->setEnabled(stickerBox_->isChecked());
  stickerChoose_->setEnabled(stickerBox_->isChecked());
  if (fills(stickerBox_) && sticker_->text().isEmpty() && document_)
    sticker_->setText(toQString(document_->defaultStickerName()));
}

void CAlarmDlg::updateScheduleControls() {
  const bool timer = timer_->isChecked();
  const bool daily = daily_->isChecked();
  date_->setEnabled(!timer && !daily);
  for (QToolButton* button : weekdays_) button->setEnabled(daily);
  showTimeAs(timer);
}

void CAlarmDlg::showTimeAs(bool timer) {
  if (timer == shownAsTimer_) return;
  // The numbers shown so far are kept for when the fields show that way again.
  (shownAsTimer_ ? timerValue_ : clockValue_) = {hours_->value(), minutes_->value()};
  applyTimeMode(timer);
}

void CAlarmDlg::applyTimeMode(bool timer) {
  shownAsTimer_ = timer;
  const std::pair<int, int> shown = timer ? timerValue_ : clockValue_;
  hours_->setRange(0, timer ? kTimerMaximum : kClockHourMaximum);
  minutes_->setRange(0, timer ? kTimerMaximum : kClockMinuteMaximum);
  hours_->setValue(shown.first);
  minutes_->setValue(shown.second);
  // A timer's length reads "1 h 5 min"; a time of day "01:05".
  static_cast<TwoDigitSpinBox*>(hours_)->setZeroPadded(!timer);
  static_cast<TwoDigitSpinBox*>(minutes_)->setZeroPadded(!timer);
  hoursUnit_->setText(timer ? toQString(loadString(StringId::TimerHoursUnit, language_)) : QStringLiteral(":"));
  timerLength_->setVisible(timer);
  minutesUnit_->setVisible(timer);
  timeHint_->hide();
}

void CAlarmDlg::showTimeHint(const QString& hint) {
  timeHint_->setText(hint);
  timeHint_->show();
}

bool CAlarmDlg::dateTextIsADate(const QString& text) const {
  return date_->locale().toDate(text, date_->displayFormat()).isValid();
}

void CAlarmDlg::updateSoundWarning() {
  // Only warned, not refused: the file may be on a disk that is mounted by the time it rings.
  const QString path = toQString(cleanPathField(toStdString(sound_->text()))).trimmed();
  soundWarning_->setVisible(!path.isEmpty() && isLocalSoundPath(path) && !QFileInfo(path).isFile());
}

void CAlarmDlg::updateStateIcon() {
  stateIcon_->setPixmap(reminderStateIcon(active_->isChecked()).pixmap(kStateIconSize, kStateIconSize));
}

void CAlarmDlg::limitMessage() {
  const QString current = message_->toPlainText();
  if (current.size() <= kMaxMessageLength) return;
  // Typing or pasting past the limit keeps the first characters, as a limited edit would.
  QTextCursor cursor = message_->textCursor();
  const int position = std::min(cursor.position(), kMaxMessageLength);
  const QSignalBlocker blocker(message_);
  message_->setPlainText(current.left(kMaxMessageLength));
  cursor = message_->textCursor();
  cursor.setPosition(position);
  message_->setTextCursor(cursor);
}

void CAlarmDlg::chooseFile(QLineEdit* field, StringId filter, bool preferLastFilter) {
  OpenFileRequest request;
  request.filters = qtFileFilters(text(filter));
  request.selectedFilter = request.filters.isEmpty() ? QString()
                           : preferLastFilter        ? request.filters.back()
                                                     : request.filters.front();
  request.startPath = field->text().trimmed();
  QString chosen;
  if (services_.openFile) {
    chosen = services_.openFile(request);
  } else {
    QFileDialog dialog(this);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The descriptions already name their patterns; Qt's own copy would repeat them.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(request.filters);
    if (!request.selectedFilter.isEmpty()) dialog.selectNameFilter(request.selectedFilter);
    if (!request.startPath.isEmpty()) {
      const QFileInfo info(request.startPath);
      dialog.setDirectory(info.absolutePath());
      dialog.selectFile(info.fileName());
    }
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
      chosen = dialog.selectedFiles().front();
  }
  if (!chosen.isEmpty()) field->setText(chosen);
}

void CAlarmDlg::chooseDefinition(QLineEdit* field, bool stickers) {
  std::vector<std::string> names;
  if (document_) {
    if (stickers)
      for (const CWPStickerContext& sticker : document_->stickers) names.push_back(sticker.name);
    else
      for (const CTBNotifierContext& notifier : document_->notifiers) names.push_back(notifier.name);
  }
  const std::string current = toStdString(field->text());
  const std::optional<std::string> chosen =
      services_.chooseDefinition
          ? services_.chooseDefinition(names, current)
          : CSelectSkinDlg::choose(names, current, language_, this,
                                   stickers ? CSelectSkinDlg::Kind::Sticker : CSelectSkinDlg::Kind::Notifier);
  if (chosen) field->setText(toQString(*chosen));
}

void CAlarmDlg::insertSymbol() {
  if (!services_.chooseSymbol) return;
  const std::optional<QString> symbol = services_.chooseSymbol();
  if (!symbol || symbol->isEmpty()) return;
  message_->insertPlainText(*symbol);
  message_->setFocus();
}

void CAlarmDlg::report(const QString& message) {
  if (services_.showMessage)
    services_.showMessage(message);
  else
    QMessageBox::warning(this, QApplication::applicationDisplayName(), message);
}

void CAlarmDlg::accept() {
  if (!document_ || !record_) {
    QDialog::reject();  // nothing to write into
    return;
  }
  const QString message = message_->toPlainText().trimmed();
  if (message.isEmpty()) {
    report(toQString(loadString(StringId::EnterReminderText, language_)));
    message_->setFocus();
    return;
  }
  // A date that is no date is said so, never stored as whatever the picker put back.
  if (date_->isEnabled() && (!refusedDate_.isEmpty() || !dateTextIsADate(date_->text()))) {
    const QString typed = refusedDate_.isEmpty() ? date_->text() : refusedDate_;
    refusedDate_.clear();  // said once: a second OK takes the date now shown
    const QString hint = fillFirst(toQString(loadString(StringId::NoSuchDateHint, language_)), typed);
    showTimeHint(hint);
    report(hint);
    date_->setFocus();
    return;
  }
  // The spin boxes keep their last valid value when their text was left unfinished.
  displaySeconds_->interpretText();
  hours_->interpretText();
  minutes_->interpretText();

  const int hours = hours_->value();
  const int minutes = minutes_->value();
  // The moment is worked out before anything is written: a record is never left with an
  // invalid one.
  const bool timer = timer_->isChecked();
  TimerStart moment;
  if (timer) {
    moment = timerStart(now(), hours, minutes);
  } else {
    const QDate day = date_->date();
    moment.time = reminderMoment(COleDateTime(day.year(), day.month(), day.day(), 0, 0, 0), hours, minutes);
  }
  if (!moment.time.isValid()) {
    const QString hint = toQString(loadString(StringId::ClockTimeRangeHint, language_));
    showTimeHint(hint);
    report(hint);
    hours_->setFocus();
    return;
  }

  CAlarmLine& line = *record_;
  line.timer_mode = timer ? 1 : 0;
  line.daily = daily_->isChecked() ? 1 : 0;
  line.state = active_->isChecked() ? ReminderState::Armed : ReminderState::Inactive;
  // The message is kept as typed; only a message of blanks alone is refused.
  line.text = toStdString(message_->toPlainText());
  line.sound_file = cleanPathField(toStdString(sound_->text()));
  line.program = cleanPathField(toStdString(program_->text()));
  line.show_seconds = displaySeconds_->value();
  line.exit_action = exitAction_->currentIndex();
  line.time = moment.time;
  if (timer) line.timer_minutes = moment.timerMinutes;

  std::int32_t weekDays = 0;
  for (std::size_t i = 0; i < weekdays_.size(); ++i)
    if (weekdays_[i]->isChecked()) weekDays |= 1 << i;
  line.week_days = weekDays;

  // An effect whose box is unticked is off: its name is not kept, or it would still fire.
  line.wallpaper = wallpaperBox_->isChecked() ? toStdString(wallpaper_->text()) : std::string();
  line.notifier = notifierBox_->isChecked() ? toStdString(notifier_->text()) : std::string();
  line.sticker = stickerBox_->isChecked() ? toStdString(sticker_->text()) : std::string();
  line.osd = osd_->isChecked() ? 1 : 0;
  QDialog::accept();
}

}  // namespace kalvory
