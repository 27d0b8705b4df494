#include "desktop/config/settings_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "core/model/alarm_doc.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

namespace {

int lastPageShown = 0;  // for the run only: not kept in the settings

}  // namespace

int CSettingsDlg::lastPage() { return lastPageShown; }
void CSettingsDlg::resetLastPage() { lastPageShown = 0; }

CSettingsDlg::CSettingsDlg(UiLanguage language, const ApplicationSettings& settings, CAlarmDoc& document,
                           QWidget* parent)
    : QDialog(parent), language_(language), settings_(settings), document_(document) {
  setWindowTitle(toQString(loadString(StringId::ConfigurationCaption, language)));

  stack_ = new QStackedWidget(this);
  titles_ = new QListWidget(this);

  heading_ = new QLabel(this);
  QFont headingFont = heading_->font();
  headingFont.setBold(true);
  headingFont.setPointSizeF(headingFont.pointSizeF() * 1.25);
  heading_->setFont(headingFont);
  QPalette palette = heading_->palette();
  palette.setColor(QPalette::WindowText, QColor(31, 45, 55));
  heading_->setPalette(palette);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(toQString(loadString(StringId::Ok, language)));
  buttons->button(QDialogButtonBox::Cancel)->setText(toQString(loadString(StringId::Cancel, language)));
  connect(buttons, &QDialogButtonBox::accepted, this, &CSettingsDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CSettingsDlg::reject);

  auto* right = new QVBoxLayout;
  right->addWidget(heading_);
  right->addWidget(stack_, 1);
  auto* body = new QHBoxLayout;
  body->addWidget(titles_);
  body->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body, 1);
  layout->addWidget(buttons);

  connect(titles_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row < 0 || row >= stack_->count()) return;
    stack_->setCurrentIndex(row);
    heading_->setText(titles_->item(row)->text());
  });
}

CSettingsDlg::~CSettingsDlg() = default;

void CSettingsDlg::addPage(const QString& title, ConfigPage* page) {
  page->setParent(stack_);
  stack_->addWidget(page);
  pages_.push_back(page);
  page->load(settings_, document_);
  titles_->addItem(title);
  titles_->setFixedWidth(titles_->sizeHintForColumn(0) + 2 * titles_->frameWidth() + 24);
  // The remembered page is shown as soon as it is there; until then the last one added.
  if (pageCount() - 1 <= lastPageShown) titles_->setCurrentRow(pageCount() - 1);
}

void CSettingsDlg::addPages(const std::vector<ConfigPageSource>& sources, const ConfigPageServices& services) {
  for (const ConfigPageSource& source : sources)
    addPage(toQString(loadString(source.title, language_)).trimmed(), source.make(language_, services, stack_));
}

int CSettingsDlg::pageCount() const { return stack_->count(); }
int CSettingsDlg::currentPage() const { return stack_->currentIndex(); }
void CSettingsDlg::selectPage(int page) { titles_->setCurrentRow(std::clamp(page, 0, pageCount() - 1)); }
QWidget* CSettingsDlg::page(int index) const { return stack_->widget(index); }

void CSettingsDlg::accept() {
  for (ConfigPage* page : pages_) page->store(settings_, document_);
  lastPageShown = currentPage();
  QDialog::accept();
}

}  // namespace kalvory
