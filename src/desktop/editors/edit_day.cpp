#include "desktop/editors/edit_day.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/model/alarm_doc.h"
#include "desktop/common/language_forms.h"
#include "desktop/common/program_title.h"
#include "desktop/common/qt_text.h"
#include "desktop/editors/select_skin_dialog.h"

namespace kalvory {

namespace {

constexpr StringId kBlankTextMessage = StringId::EnterNoteText;
constexpr StringId kZeroIntervalMessage = StringId::IntervalMustBePositive;
constexpr StringId kTypeNames = StringId::EventTypes;
constexpr StringId kRepeatNames = StringId::RepeatKinds;

QString dialogText(StringId id, UiLanguage language) { return toQString(loadString(id, language)); }

void fillList(QComboBox* list, const std::vector<std::string>& items) {
  list->clear();
  for (const std::string& item : items) list->addItem(toQString(item));
}

// "Description (*.a;*.b)|*.a;*.b;*.c||" (the file dialog filter of the string table) in Qt's
// form, "Description (*.a *.b *.c)": the patterns of each entry replace those of its description.
QString qtFilterOf(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    const QString patterns = parts[i + 1].trimmed();
    if (description.isEmpty() && patterns.isEmpty()) break;
    const qsizetype bracket = description.lastIndexOf(QLatin1Char('('));
    if (bracket > 0) description = description.left(bracket).trimmed();
    QString list = patterns;
    list.replace(QLatin1Char(';'), QLatin1Char(' '));
    entries << QStringLiteral("%1 (%2)").arg(description, list.simplified());
  }
  return entries.join(QStringLiteral(";;"));
}

}  // namespace

bool CEditDay::edit(CDayInfo& info, const CAlarmDoc& document, UiLanguage language, QWidget* parent) {
  CEditDay dialog(document, language, {}, parent);
  dialog.setDayInfo(info);
  if (dialog.exec() != QDialog::Accepted) return false;
  info = dialog.dayInfo();
  return true;
}

QString CEditDay::wallpaperFilter(UiLanguage language) {
  return qtFilterOf(dialogText(StringId::ImageFileFilter, language));
}

CEditDay::CEditDay(const CAlarmDoc& document, UiLanguage language, Services services, QWidget* parent)
    : QDialog(parent), document_(document), language_(language), services_(std::move(services)) {
  setWindowTitle(dialogText(StringId::DayNoteCaption, language_));
  if (!services_.chooseWallpaper)
    services_.chooseWallpaper = [this](const QString& current) {
      const QString folder = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
      return QFileDialog::getOpenFileName(this, QString(), folder, wallpaperFilter(language_));
    };
  if (!services_.chooseSticker)
    services_.chooseSticker = [this](const QStringList& names) -> std::optional<QString> {
      std::vector<std::string> definitions;
      for (const QString& name : names) definitions.push_back(toStdString(name));
      const auto chosen = CSelectSkinDlg::choose(definitions, toStdString(stickerEdit_->text()), language_, this,
                                                 CSelectSkinDlg::Kind::Sticker);
      if (!chosen) return std::nullopt;
      return toQString(*chosen);
    };
  if (!services_.showMessage)
    services_.showMessage = [this](const QString& message) {
      QMessageBox::warning(this, programTitle(language_), message);
    };
  buildControls();
  setDayInfo(note_);
}

void CEditDay::buildControls() {
  pageIconLabel_ = new QLabel(this);
  pageIconLabel_->setFixedSize(32, 32);
  datePicker_ = new QDateEdit(this);
  datePicker_->setCalendarPopup(true);
  datePicker_->setLocale(uiLocale(language_));
  datePicker_->setDisplayFormat(shortDateFormat(language_));
  datePicker_->setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
  weekdayList_ = new QComboBox(this);

  noteEdit_ = new QLineEdit(this);
  auto* noteLabel = new QLabel(dialogText(StringId::NoteLabel, language_), this);
  noteLabel->setBuddy(noteEdit_);

  typeList_ = new QComboBox(this);
  typeList_->setMaxVisibleItems(14);
  auto* typeLabel = new QLabel(dialogText(StringId::EventTypeLabel, language_), this);
  typeLabel->setBuddy(typeList_);
  repeatList_ = new QComboBox(this);
  repeatList_->setMaxVisibleItems(14);
  auto* repeatLabel = new QLabel(dialogText(StringId::EventIntervalLabel, language_), this);
  repeatLabel->setBuddy(repeatList_);
  daysEdit_ = new QLineEdit(this);
  daysEdit_->setAlignment(Qt::AlignRight);
  daysEdit_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), daysEdit_));
  daysEdit_->setFixedWidth(daysEdit_->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
  daysLabel_ = new QLabel(dialogText(StringId::DaysUnit, language_), this);
  daysLabel_->setObjectName(QStringLiteral("daysWord"));
  // "1 day", "2 дні", "5 днів": the word follows the number typed.
  connect(daysEdit_, &QLineEdit::textChanged, daysLabel_, [this](const QString& typed) {
    daysLabel_->setText(pluralWord(StringId::DaysPlural, typed.toLongLong(), language_));
  });

  wallpaperBox_ = new QCheckBox(dialogText(StringId::DayNoteWallpaperLabel, language_), this);
  wallpaperEdit_ = new QLineEdit(this);
  wallpaperButton_ = new QToolButton(this);
  wallpaperButton_->setText(QStringLiteral("..."));
  blockBox_ = new QCheckBox(dialogText(StringId::BlockWallpaperChanger, language_), this);
  stickerBox_ = new QCheckBox(dialogText(StringId::StickerChoiceLabel, language_), this);
  stickerBox_->setEnabled(false);
  stickerEdit_ = new QLineEdit(this);
  stickerEdit_->setEnabled(false);
  stickerButton_ = new QToolButton(this);
  stickerButton_->setText(QStringLiteral("..."));
  stickerButton_->setEnabled(false);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(dialogText(StringId::Ok, language_));
  buttons->button(QDialogButtonBox::Cancel)->setText(dialogText(StringId::Cancel, language_));

  auto* separator = new QFrame(this);
  separator->setFrameShape(QFrame::HLine);
  separator->setFrameShadow(QFrame::Sunken);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(6);
  auto* dateRow = new QHBoxLayout;
  dateRow->setSpacing(8);
  dateRow->addWidget(pageIconLabel_);
  dateRow->addWidget(datePicker_, 1);
  dateRow->addWidget(weekdayList_, 1);
  grid->addLayout(dateRow, 0, 0, 1, 4);
  grid->addWidget(noteLabel, 1, 0);
  grid->addWidget(noteEdit_, 1, 1, 1, 3);
  grid->addWidget(typeLabel, 2, 0);
  grid->addWidget(typeList_, 2, 1);
  grid->addWidget(repeatLabel, 3, 0);
  grid->addWidget(repeatList_, 3, 1);
  auto* days = new QHBoxLayout;
  days->setSpacing(6);
  days->addWidget(daysEdit_);
  days->addWidget(daysLabel_);
  days->addStretch(1);
  grid->addLayout(days, 3, 2, 1, 2);
  grid->addWidget(separator, 4, 0, 1, 4);
  grid->addWidget(wallpaperBox_, 5, 0);
  grid->addWidget(wallpaperEdit_, 5, 1, 1, 2);
  grid->addWidget(wallpaperButton_, 5, 3);
  grid->addWidget(blockBox_, 6, 1, 1, 3);
  grid->addWidget(stickerBox_, 7, 0);
  grid->addWidget(stickerEdit_, 7, 1, 1, 2);
  grid->addWidget(stickerButton_, 7, 3);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(2, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addSpacing(4);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(datePicker_, &QDateEdit::dateChanged, this, [this](QDate date) { showPageIcon(date.day()); });
  connect(typeList_, &QComboBox::currentIndexChanged, this, [this](int index) {
    note_.event_type = index;
    updateEnabling();
  });
  connect(repeatList_, &QComboBox::currentIndexChanged, this, [this](int index) {
    note_.repeat = index;
    updateEnabling();
  });
  connect(wallpaperBox_, &QCheckBox::clicked, this, [this] { updateEnabling(); });
  connect(wallpaperButton_, &QToolButton::clicked, this, &CEditDay::browseWallpaper);
  connect(stickerBox_, &QCheckBox::clicked, this, &CEditDay::stickerBoxClicked);
  connect(stickerButton_, &QToolButton::clicked, this, &CEditDay::browseSticker);
  connect(buttons, &QDialogButtonBox::accepted, this, &CEditDay::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CEditDay::reject);
}

void CEditDay::setDayInfo(const CDayInfo& info) {
  note_ = info;
  const QSignalBlocker blockDate(datePicker_);
  const QSignalBlocker blockType(typeList_);
  const QSignalBlocker blockRepeat(repeatList_);

  blockBox_->setChecked(note_.block_changer);
  wallpaperEdit_->setText(toQString(note_.wallpaper));
  wallpaperBox_->setChecked(!note_.wallpaper.empty());

  // A note whose date is not valid shows today in the picker and no page.
  const bool dateValid = note_.date.isValid();
  datePicker_->setDate(dateValid ? QDate(note_.date.GetYear(), note_.date.GetMonth(), note_.date.GetDay())
                                 : QDate::currentDate());
  showPageIcon(dateValid ? note_.date.GetDay() : 0);

  weekdayList_->clear();
  for (int day = 0; day < 7; ++day) weekdayList_->addItem(toQString(fullDayName(day, language_)));
  weekdayList_->setCurrentIndex(dateValid || note_.repeat == CDayInfo::Weekly ? note_.weekday() : -1);

  // A longer text or interval from a file is shown whole: the limits hold what is typed.
  const QString text = toQString(note_.text);
  noteEdit_->setMaxLength(std::max<int>(kTextLimit, static_cast<int>(text.size())));
  noteEdit_->setText(text);
  const QString days = QString::number(note_.interval_days);
  daysEdit_->setMaxLength(std::max<int>(kIntervalDigits, static_cast<int>(days.size())));
  daysEdit_->setText(days);

  fillList(typeList_, loadStringList(kTypeNames, language_));
  typeList_->setCurrentIndex(note_.event_type >= 0 && note_.event_type < typeList_->count() ? note_.event_type : -1);
  fillList(repeatList_, loadStringList(kRepeatNames, language_));
  repeatList_->setCurrentIndex(note_.repeat >= 0 && note_.repeat < repeatList_->count() ? note_.repeat : -1);

  stickerEdit_->setText(toQString(note_.sticker));
  stickerBox_->setChecked(!note_.sticker.empty());

  updateEnabling();
  noteEdit_->setFocus();
}

void CEditDay::updateEnabling() {
  datePicker_->setEnabled(note_.repeat != CDayInfo::Weekly);
  daysEdit_->setEnabled(note_.repeat == CDayInfo::Interval);
  daysLabel_->setEnabled(note_.repeat == CDayInfo::Interval);
  weekdayList_->setEnabled(note_.repeat == CDayInfo::Weekly);
  wallpaperEdit_->setEnabled(wallpaperBox_->isChecked());
  wallpaperButton_->setEnabled(wallpaperBox_->isChecked());
  stickerBox_->setEnabled(true);
  // The sticker is left as the user set it: a change of type or repetition made after choosing
  // a sticker must not take the choice back (the note was then stored without its sticker).
  stickerButton_->setEnabled(stickerBox_->isChecked());
}

void CEditDay::showPageIcon(int dayOfMonth) {
  if (dayOfMonth >= 1 && dayOfMonth <= 31) {
    pageIcon_ = QStringLiteral(":/icons/day-%1.png").arg(dayOfMonth, 2, 10, QLatin1Char('0'));
    pageIconLabel_->setPixmap(QIcon(pageIcon_).pixmap(32, 32));
  } else {
    pageIcon_.clear();
    pageIconLabel_->clear();
  }
}

void CEditDay::browseWallpaper() {
  const QString path = services_.chooseWallpaper(wallpaperEdit_->text());
  if (!path.isEmpty()) wallpaperEdit_->setText(path);
}

void CEditDay::stickerBoxClicked() {
  if (stickerBox_->isChecked() && stickerEdit_->text().isEmpty())
    stickerEdit_->setText(toQString(document_.defaultStickerName()));
  stickerButton_->setEnabled(stickerBox_->isChecked());
}

void CEditDay::browseSticker() {
  QStringList names;
  for (const CWPStickerContext& sticker : document_.stickers) names << toQString(sticker.name);
  const auto chosen = services_.chooseSticker(names);
  if (!chosen) return;
  stickerEdit_->setText(*chosen == QLatin1String("N/A") ? QString() : *chosen);
}

void CEditDay::accept() {
  const QString typed = noteEdit_->text();
  if (typed.trimmed().isEmpty()) {
    services_.showMessage(toQString(loadString(kBlankTextMessage, language_)));
    return;
  }
  note_.interval_days = daysEdit_->text().toInt();  // an empty field reads as 0
  if (note_.repeat == CDayInfo::Interval && note_.interval_days == 0) {
    services_.showMessage(toQString(loadString(kZeroIntervalMessage, language_)));
    return;
  }
  // The picked day keeps the note's time of day, so an unchanged note stays the same value.
  const QDate picked = datePicker_->date();
  const bool timeKnown = note_.date.isValid();
  note_.date = COleDateTime(picked.year(), picked.month(), picked.day(), timeKnown ? note_.date.GetHour() : 0,
                            timeKnown ? note_.date.GetMinute() : 0, timeKnown ? note_.date.GetSecond() : 0);
  note_.text = toStdString(typed);
  // With no weekday chosen (a note whose date was not valid) the picked day's weekday is kept,
  // so a weekly note never ends up on no day at all.
  note_.week_day = weekdayList_->currentIndex() >= 0 ? weekdayList_->currentIndex() : picked.dayOfWeek() - 1;
  note_.block_changer = blockBox_->isChecked();
  note_.wallpaper = wallpaperBox_->isChecked() ? toStdString(wallpaperEdit_->text()) : std::string();
  note_.sticker = stickerBox_->isChecked() ? toStdString(stickerEdit_->text()) : std::string();
  QDialog::accept();
}

}  // namespace kalvory
