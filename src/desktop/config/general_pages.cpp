#include "desktop/config/general_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "core/model/alarm_doc.h"
#include "desktop/common/format_preview.h"
#include "desktop/common/language_forms.h"
#include "desktop/common/now_from.h"
#include "desktop/config/autostart.h"

namespace kalvory {

namespace {

// The leading whole number of an edit, as "%i" reads it; `fallback` when there is none.
int leadingNumber(const QString& text, int fallback) {
  const std::string digits = toStdString(text.trimmed());
  char* end = nullptr;
  const long value = std::strtol(digits.c_str(), &end, 10);
  if (end == digits.c_str()) return fallback;
  return static_cast<int>(std::clamp<long>(value, -999999, 999999));
}

// How the desktop's key settings should start the program: by name where that is the program
// found on PATH, else by its full path (a copy run from a build or an unpacked folder).
QString programCommand() {
  const QFileInfo self(QCoreApplication::applicationFilePath());
  const QString name = QStringLiteral("kalvory");
  if (self.fileName() != name) return name;  // a host other than the program itself
  const QString onPath = QStandardPaths::findExecutable(name);
  if (!onPath.isEmpty() && QFileInfo(onPath).canonicalFilePath() == self.canonicalFilePath()) return name;
  // A path with blanks is quoted, as the desktop's command field splits at them.
  return self.filePath().contains(u' ') ? u'"' + self.filePath() + u'"' : self.filePath();
}

}  // namespace

// --- General

CSetCommonDlgBar::CSetCommonDlgBar(UiLanguage language, ConfigPageServices services, QWidget* parent)
    : ConfigPage(language, parent, std::move(services)) {
  auto* group = new QGroupBox(text(StringId::GeneralPage), this);
  launch_ = new QCheckBox(text(StringId::LaunchOnStartup), group);
  loadLast_ = new QCheckBox(text(StringId::LoadLastDocument), group);
  minimized_ = new QCheckBox(text(StringId::StartMinimized), group);
  saveOnExit_ = new QCheckBox(text(StringId::SaveDocumentOnExit), group);
  auto* showFor = new QLabel(text(StringId::ShowAlarmMessageFor), group);
  showTime_ = new QLineEdit(group);
  showTime_->setMaxLength(6);
  showTime_->setFixedWidth(showTime_->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
  showFor->setBuddy(showTime_);
  auto* seconds = new QLabel(text(StringId::SecondsDefault), group);
  seconds->setObjectName(QStringLiteral("secondsWord"));
  // "60 seconds (default).", "1 секунду (по умолчанию).": the word follows the number typed.
  connect(showTime_, &QLineEdit::textChanged, seconds, [this, seconds](const QString& typed) {
    seconds->setText(
        text(StringId::SecondsDefaultCounted)
            .replace(QLatin1String("%s"), pluralWord(StringId::SecondsPlural, typed.toLongLong(), this->language())));
  });
  missed_ = new QCheckBox(text(StringId::MissedRemindersSwitch), group);
  auto* notificationsLabel = new QLabel(text(StringId::NotificationsLabel), group);
  notifications_ = new QComboBox(group);
  // One text with the three choices, in the order of the setting's values.
  notifications_->addItems(text(StringId::NotificationsChoices).split(QLatin1Char(';')));
  notificationsLabel->setBuddy(notifications_);
  wake_ = new QCheckBox(text(StringId::WakeComputerSwitch), group);
  wakeReason_ = new QLabel(group);
  wakeReason_->setWordWrap(true);
  wakeReason_->setObjectName(QStringLiteral("wakeReason"));
  // Set in from the box, under its text.
  wakeReason_->setContentsMargins(wake_->sizeHint().height() + 4, 0, 0, 0);
  wakeReason_->hide();

  auto* timeRow = new QHBoxLayout;
  timeRow->addWidget(showFor);
  timeRow->addWidget(showTime_);
  timeRow->addWidget(seconds);
  timeRow->addStretch();
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(launch_);
  groupLayout->addWidget(loadLast_);
  groupLayout->addWidget(minimized_);
  groupLayout->addWidget(saveOnExit_);
  groupLayout->addSpacing(8);
  groupLayout->addLayout(timeRow);
  groupLayout->addSpacing(8);
  groupLayout->addWidget(missed_);
  auto* notificationsRow = new QHBoxLayout;
  notificationsRow->addWidget(notificationsLabel);
  notificationsRow->addWidget(notifications_);
  notificationsRow->addStretch();
  groupLayout->addLayout(notificationsRow);
  groupLayout->addWidget(wake_);
  groupLayout->addWidget(wakeReason_);
  // Whatever the session allows as global keys, the desktop's own keyboard settings can run any
  // of the program's commands: the page shows the command line to give them.
  auto* bindKeys = new QLabel(text(StringId::BindKeysYourself), this);
  bindKeys->setWordWrap(true);
  auto* commandLine = new QLineEdit(programCommand() + QStringLiteral(" --command show-clock"), this);
  commandLine->setReadOnly(true);
  commandLine->setCursorPosition(0);  // a long path shows its start, as the user reads it
  commandLine->setObjectName(QStringLiteral("bindCommandLine"));
  auto* listCommands = new QLabel(text(StringId::BindKeysCommandList), this);
  listCommands->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(group);
  layout->addSpacing(6);
  layout->addWidget(bindKeys);
  layout->addWidget(commandLine);
  layout->addWidget(listCommands);
  layout->addStretch();
}

void CSetCommonDlgBar::setWakeUnavailable(const QString& reason) {
  wake_->setEnabled(false);
  wakeReason_->setText(reason);
  wakeReason_->setVisible(true);
}

void CSetCommonDlgBar::load(const ApplicationSettings& settings, const CAlarmDoc&) {
  launchAtOpen_ = services().autostartEnabled ? services().autostartEnabled() : autostartEnabled();
  launch_->setChecked(launchAtOpen_);
  loadLast_->setChecked(settings.app.load_last_document != 0);
  saveOnExit_->setChecked(settings.app.save_document_on_exit != 0);
  minimized_->setChecked(startMinimized_);
  showTime_->setText(QString::number(settings.text.show_time));
  missed_->setChecked(settings.app.missed_reminders != 0);
  notifications_->setCurrentIndex(static_cast<int>(notificationMode(settings.app)));
  wake_->setChecked(settings.app.wake_computer != 0);
}

void CSetCommonDlgBar::store(ApplicationSettings& settings, CAlarmDoc&) {
  settings.app.load_last_document = loadLast_->isChecked() ? 1 : 0;
  settings.app.save_document_on_exit = saveOnExit_->isChecked() ? 1 : 0;
  settings.text.show_time = leadingNumber(showTime_->text(), settings.text.show_time);
  startMinimized_ = minimized_->isChecked();
  settings.app.missed_reminders = missed_->isChecked() ? 1 : 0;
  // A value the program does not know reads as automatic; it is only replaced by a choice.
  const int mode = notifications_->currentIndex();
  if (mode >= 0 && mode != static_cast<int>(notificationMode(settings.app))) settings.app.notifications = mode;
  settings.app.wake_computer = wake_->isChecked() ? 1 : 0;
  // Only a change touches the entry, so one the user edited by hand stays as it is.
  if (launch_->isChecked() != launchAtOpen_) {
    if (services().setAutostart)
      services().setAutostart(launch_->isChecked());
    else
      setAutostart(launch_->isChecked(), QCoreApplication::applicationFilePath());
  }
}

// --- Sound

int sayTimeRangeItem(int minutes) {
  for (std::size_t i = 0; i < kSayTimeRanges.size(); ++i)
    if (kSayTimeRanges[i] <= minutes) return static_cast<int>(i);
  return -1;
}

CSetSoundDlgBar::CSetSoundDlgBar(UiLanguage language, QWidget* parent) : ConfigPage(language, parent) {
  auto* group = new QGroupBox(text(StringId::SoundSettingsGroup), this);
  music_ = new QCheckBox(text(StringId::PlaySoundInWinamp).trimmed(), group);
  stopMusic_ = new QCheckBox(text(StringId::RestoreWinampState), group);
  sayTime_ = new QCheckBox(text(StringId::TimePromptEach), group);
  range_ = new QComboBox(group);
  range_->addItems({text(StringId::SayTimeEveryHour), text(StringId::SayTimeEveryHalfHour),
                    text(StringId::SayTimeEveryQuarterHour)});
  range_->setMaxVisibleItems(14);
  // There is no speech engine to say the time with: both stay disabled, as they were created.
  sayTime_->setEnabled(false);
  range_->setEnabled(false);
  auto* playerLabel = new QLabel(text(StringId::WinampPath), group);
  player_ = new QLineEdit(group);
  playerLabel->setBuddy(player_);

  auto* sayRow = new QHBoxLayout;
  sayRow->addWidget(sayTime_);
  sayRow->addWidget(range_);
  sayRow->addStretch();
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(music_);
  groupLayout->addWidget(stopMusic_);
  groupLayout->addLayout(sayRow);
  groupLayout->addSpacing(8);
  groupLayout->addWidget(playerLabel);
  groupLayout->addWidget(player_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(group);
  layout->addStretch();
}

void CSetSoundDlgBar::load(const ApplicationSettings& settings, const CAlarmDoc&) {
  music_->setChecked(settings.sound.is_music != 0);
  stopMusic_->setChecked(settings.sound.stop_music_on_cancel_alarm != 0);
  sayTime_->setChecked(settings.sound.is_say_time != 0);
  range_->setCurrentIndex(sayTimeRangeItem(settings.sound.say_time_range));
  player_->setText(toQString(settings.sound.winamp_path));
}

void CSetSoundDlgBar::store(ApplicationSettings& settings, CAlarmDoc&) {
  settings.sound.is_music = music_->isChecked() ? 1 : 0;
  settings.sound.stop_music_on_cancel_alarm = stopMusic_->isChecked() ? 1 : 0;
  settings.sound.is_say_time = sayTime_->isChecked() ? 1 : 0;
  // With no item shown (a value below 15) the shortest range is stored: the nearest to it.
  const int item = range_->currentIndex();
  settings.sound.say_time_range = item >= 0 ? kSayTimeRanges[static_cast<std::size_t>(item)] : kSayTimeRanges.back();
  settings.sound.winamp_path = toStdString(player_->text());
}

// --- QuickPaste

CQStringDialog::CQStringDialog(UiLanguage language, ConfigPageServices services, QWidget* parent)
    : ConfigPage(language, parent, std::move(services)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  const StringId titles[] = {StringId::QuickPasteString1, StringId::QuickPasteString2, StringId::QuickPasteString3};
  for (int i = 0; i < 3; ++i) {
    auto* group = new QGroupBox(text(titles[i]), this);
    auto* edit = new QPlainTextEdit(group);
    edit->setTabChangesFocus(true);
    edit->setFixedHeight(edit->fontMetrics().height() * 3 + 12);
    formats_[static_cast<std::size_t>(i)] = edit;
    // QuickPaste pastes the C run-time's English names, and so its preview shows them.
    auto* preview = new FormatPreview(
        language, FormatPreview::Use::QuickPaste,
        [this] {
          const COleDateTime now = nowFrom(this->services().clock);
          TimeFormatSources sources;
          if (document_) sources = timeFormatSources(*document_, now, nullptr);
          sources.now = now;
          return sources;
        },
        group);
    previews_[static_cast<std::size_t>(i)] = preview;
    connect(edit, &QPlainTextEdit::textChanged, preview, [edit, preview] { preview->showFormat(edit->toPlainText()); });
    const StringId keys[] = {StringId::AccessKey1, StringId::AccessKey2, StringId::AccessKey3};
    auto* key = new QLabel(text(keys[i]) + QStringLiteral(" Ctrl+Shift+%1").arg(i + 1), group);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(edit);
    groupLayout->addWidget(preview);
    groupLayout->addWidget(key);
    layout->addWidget(group);
  }
  auto* copyLabel = new QLabel(text(StringId::TimeFormatLabel), this);
  copyDate_ = new QLineEdit(this);
  copyLabel->setBuddy(copyDate_);
  auto* copyRow = new QHBoxLayout;
  copyRow->addWidget(copyLabel);
  copyRow->addWidget(copyDate_, 1);
  layout->addLayout(copyRow);
  layout->addStretch();
}

void CQStringDialog::load(const ApplicationSettings&, const CAlarmDoc& document) {
  document_ = &document;
  for (std::size_t i = 0; i < formats_.size(); ++i)
    formats_[i]->setPlainText(i < document.paste_formats.size() ? toQString(document.paste_formats[i]) : QString());
  copyDate_->setText(toQString(document.copy_date_format));
}

void CQStringDialog::store(ApplicationSettings&, CAlarmDoc& document) {
  std::vector<std::string> formats;
  for (QPlainTextEdit* edit : formats_) formats.push_back(toStdString(edit->toPlainText()));
  if (formats != document.paste_formats || document.copy_date_format != toStdString(copyDate_->text()))
    document.SetModifiedFlag();
  document.paste_formats = std::move(formats);
  document.copy_date_format = toStdString(copyDate_->text());
}

ConfigPageSource generalPageSource(std::function<QString()> wakeUnavailable) {
  return {StringId::GeneralPage,
          [wakeUnavailable](UiLanguage language, const ConfigPageServices& services, QWidget* parent) {
            auto* page = new CSetCommonDlgBar(language, services, parent);
            if (const QString why = wakeUnavailable ? wakeUnavailable() : QString(); !why.isEmpty())
              page->setWakeUnavailable(why);
            return page;
          }};
}

ConfigPageSource soundPageSource() {
  return {StringId::SoundSettingsPage, [](UiLanguage language, const ConfigPageServices&, QWidget* parent) {
            return new CSetSoundDlgBar(language, parent);
          }};
}

ConfigPageSource quickPastePageSource() {
  return {StringId::QuickPastePage, [](UiLanguage language, const ConfigPageServices& services, QWidget* parent) {
            return new CQStringDialog(language, services, parent);
          }};
}

}  // namespace kalvory
