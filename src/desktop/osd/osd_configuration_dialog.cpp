#include "desktop/osd/osd_configuration_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "desktop/common/qt_text.h"
#include "desktop/osd/osd_font_page.h"
#include "desktop/osd/time_format_page.h"

namespace kalvory {

namespace {

constexpr int kDialogId = 202;
constexpr int kOsdSettingsTitle = 5;
constexpr int kClockFormatTitle = 9;
constexpr int kCancel = 55;

}  // namespace

OsdConfigurationDialog::OsdConfigurationDialog(UiLanguage language, const ApplicationSettings& settings,
                                               const CAlarmDoc& document, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("configurationDialog"));
  setWindowTitle(toQString(loadDialogText(kDialogId, "caption", language)));

  fontPage_ = new CSetOSDDlgBar(language, this);
  fontPage_->load(settings);
  formatPage_ = new CSetTimeFormatDlgBar(language, this);
  formatPage_->load(settings, document);

  titles_ = new QListWidget(this);
  titles_->setObjectName(QStringLiteral("pageTitles"));
  for (const int title : {kOsdSettingsTitle, kClockFormatTitle})
    titles_->addItem(toQString(loadString(title, language)).trimmed());
  titles_->setFixedWidth(titles_->sizeHintForColumn(0) + 24);

  auto* heading = new QLabel(this);
  QFont bold = heading->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.2);
  heading->setFont(bold);
  // The heading's colour: a dark slate blue.
  heading->setStyleSheet(QStringLiteral("color: rgb(31, 45, 55);"));

  pages_ = new QStackedWidget(this);
  pages_->addWidget(fontPage_);
  pages_->addWidget(formatPage_);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(toQString(loadDialogText(kDialogId, "1", language)), QDialogButtonBox::AcceptRole);
  buttons->addButton(toQString(loadString(kCancel, language)), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  connect(titles_, &QListWidget::currentRowChanged, this, [this, heading](int row) {
    if (row < 0) return;
    pages_->setCurrentIndex(row);
    heading->setText(titles_->item(row)->text());
  });
  titles_->setCurrentRow(0);

  auto* page = new QVBoxLayout;
  page->addWidget(heading);
  page->addWidget(pages_, 1);
  auto* body = new QHBoxLayout;
  body->addWidget(titles_);
  body->addSpacing(8);
  body->addLayout(page, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body, 1);
  layout->addWidget(buttons);
}

void OsdConfigurationDialog::store(ApplicationSettings& settings, CAlarmDoc& document) const {
  fontPage_->store(settings);
  formatPage_->store(settings, document);
}

}  // namespace kalvory
