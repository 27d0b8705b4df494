#include "desktop/osd/time_format_page.h"

#include <QDateEdit>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "core/model/alarm_doc.h"
#include "desktop/common/format_preview.h"
#include "desktop/common/language_forms.h"
#include "desktop/common/now_from.h"
#include "desktop/common/qt_text.h"
#include "desktop/osd/symbol_dialog.h"

namespace kalvory {

namespace {

constexpr StringId kFormatLabel = StringId::OsdTimeFormat;
constexpr StringId kCountdownLabel = StringId::CountdownTime;
constexpr StringId kSymbolButton = StringId::InsertSpecialSymbol;
constexpr StringId kFormatHelp = StringId::TimeFormatHelp;

}  // namespace

CSetTimeFormatDlgBar::CSetTimeFormatDlgBar(UiLanguage language, ConfigPageServices services, QWidget* parent)
    : ConfigPage(language, parent, std::move(services)) {
  setObjectName(QStringLiteral("timeFormatPage"));

  format_ = new QLineEdit(this);
  format_->setObjectName(QStringLiteral("formatEdit"));
  format_->setMaxLength(kMaxFormatLength);
  auto* formatLabel = new QLabel(text(kFormatLabel), this);
  formatLabel->setBuddy(format_);

  symbol_ = new QPushButton(text(kSymbolButton), this);
  symbol_->setObjectName(QStringLiteral("symbolButton"));

  // The clock names days and months in the interface language, and so does its preview.
  preview_ = new FormatPreview(
      language, FormatPreview::Use::Clock,
      [this] {
        const COleDateTime now = nowFrom(this->services().clock);
        TimeFormatSources sources;
        if (document_) sources = timeFormatSources(*document_, now, nullptr);
        sources.now = now;
        // The countdown as the pickers set it, before OK stores it.
        const QDate date = date_->date();
        const QTime time = time_->time();
        sources.countdown_target =
            COleDateTime(date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second());
        sources.names_language = this->language();
        return sources;
      },
      this);

  help_ = new QPlainTextEdit(this);
  help_->setObjectName(QStringLiteral("formatHelp"));
  help_->setReadOnly(true);
  help_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  help_->setPlainText(text(kFormatHelp).replace(QLatin1String("\r\n"), QLatin1String("\n")).trimmed());
  help_->setMinimumHeight(help_->fontMetrics().lineSpacing() * 10);

  date_ = new QDateEdit(this);
  date_->setObjectName(QStringLiteral("countdownDate"));
  date_->setCalendarPopup(true);
  date_->setLocale(uiLocale(language));
  date_->setDisplayFormat(shortDateFormat(language));
  time_ = new QTimeEdit(this);
  time_->setObjectName(QStringLiteral("countdownTime"));
  time_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  auto* countdownLabel = new QLabel(text(kCountdownLabel), this);
  countdownLabel->setBuddy(date_);

  auto* formatRow = new QHBoxLayout;
  formatRow->addWidget(format_, 1);
  formatRow->addWidget(symbol_);
  auto* countdownRow = new QHBoxLayout;
  countdownRow->addWidget(countdownLabel);
  countdownRow->addWidget(date_);
  countdownRow->addWidget(time_);
  countdownRow->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(formatLabel);
  layout->addLayout(formatRow);
  layout->addWidget(preview_);
  layout->addWidget(help_, 1);
  layout->addSpacing(6);
  layout->addLayout(countdownRow);

  connect(symbol_, &QPushButton::clicked, this, &CSetTimeFormatDlgBar::insertSymbol);
  connect(format_, &QLineEdit::textChanged, this, &CSetTimeFormatDlgBar::updatePreview);
  connect(date_, &QDateEdit::dateChanged, this, &CSetTimeFormatDlgBar::updatePreview);
  connect(time_, &QTimeEdit::timeChanged, this, &CSetTimeFormatDlgBar::updatePreview);
}

void CSetTimeFormatDlgBar::updatePreview() { preview_->showFormat(format_->text()); }

void CSetTimeFormatDlgBar::load(const ApplicationSettings& settings, const CAlarmDoc& document) {
  document_ = &document;
  format_->setText(toQString(settings.clock.format));
  const COleDateTime& target = document.countdown_target;
  if (target.isValid()) {
    date_->setDate(QDate(target.GetYear(), target.GetMonth(), target.GetDay()));
    time_->setTime(QTime(target.GetHour(), target.GetMinute(), target.GetSecond()));
  }
  updatePreview();
}

void CSetTimeFormatDlgBar::store(ApplicationSettings& settings, CAlarmDoc& document) {
  settings.clock.format = toStdString(format_->text());
  const QDate date = date_->date();
  const QTime time = time_->time();
  document.countdown_target =
      COleDateTime(date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second());
}

void CSetTimeFormatDlgBar::insertSymbol() {
  const bool chosen =
      services().chooseSymbol ? services().chooseSymbol(this) : runSpecialSymbolDialog(language(), this);
  if (chosen) format_->paste();
}

ConfigPageSource clockFormatPageSource() {
  return {StringId::ClockFormatPage, [](UiLanguage language, const ConfigPageServices& services, QWidget* parent) {
            return new CSetTimeFormatDlgBar(language, services, parent);
          }};
}

}  // namespace kalvory
