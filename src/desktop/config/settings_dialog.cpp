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
#include "desktop/config/definition_pages.h"
#include "desktop/config/general_pages.h"
#include "desktop/config/plugins_page.h"
#include "desktop/config/wallpaper_page.h"
#include "desktop/osd/osd_font_page.h"
#include "desktop/osd/time_format_page.h"

namespace kalvory {

namespace {

int lastPageShown = 0;  // for the run only: not kept in the settings

constexpr StringId kTitles[CSettingsDlg::kPageCount] = {
    StringId::GeneralPage,    StringId::OsdSettingsPage, StringId::ClockFormatPage,      StringId::SoundSettingsPage,
    StringId::QuickPastePage, StringId::PluginsPage,     StringId::WallpaperChangerPage, StringId::NotifiersPage,
    StringId::StickersPage,   StringId::SkinsPage};

}  // namespace

int CSettingsDlg::lastPage() { return lastPageShown; }
void CSettingsDlg::resetLastPage() { lastPageShown = 0; }

CSettingsDlg::CSettingsDlg(UiLanguage language, const ApplicationSettings& settings, CAlarmDoc& document,
                           const PluginHost* plugins, std::string dataFolder, const ConfigPageServices& pageServices,
                           QWidget* parent)
    : QDialog(parent), settings_(settings), document_(document) {
  setWindowTitle(toQString(loadString(StringId::ConfigurationCaption, language)));

  stack_ = new QStackedWidget(this);
  general_ = new CSetCommonDlgBar(language, pageServices, stack_);
  osd_ = new CSetOSDDlgBar(language, pageServices, stack_);
  clockFormat_ = new CSetTimeFormatDlgBar(language, pageServices, stack_);
  sound_ = new CSetSoundDlgBar(language, stack_);
  quickPaste_ = new CQStringDialog(language, pageServices, stack_);
  plugins_ = new CSetPluginsDlgBar(language, plugins, pageServices, stack_);
  wallpaper_ = new CSetWallPaperDlgBar(language, pageServices, stack_);
  notifiers_ = new CSetNotifiersDlgBar(language, stack_);
  stickers_ = new CSetStickersDlgBar(language, stack_);
  skins_ = new CSetSkinsDlgBar(language, std::move(dataFolder), stack_);

  auto entry = [this](ConfigPage* page) {
    return PageEntry{page, [this, page] { page->load(settings_, document_); },
                     [this, page] { page->store(settings_, document_); }};
  };
  pages_ = {entry(general_), entry(osd_),       entry(clockFormat_), entry(sound_),    entry(quickPaste_),
            entry(plugins_), entry(wallpaper_), entry(notifiers_),   entry(stickers_), entry(skins_)};
  for (const PageEntry& page : pages_) {
    stack_->addWidget(page.widget);
    page.load();
  }

  titles_ = new QListWidget(this);
  for (StringId title : kTitles) titles_->addItem(toQString(loadString(title, language)).trimmed());
  titles_->setFixedWidth(titles_->sizeHintForColumn(0) + 2 * titles_->frameWidth() + 24);

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
    if (row < 0 || row >= kPageCount) return;
    stack_->setCurrentIndex(row);
    heading_->setText(titles_->item(row)->text());
  });
  selectPage(lastPageShown);
}

CSettingsDlg::~CSettingsDlg() = default;

int CSettingsDlg::currentPage() const { return stack_->currentIndex(); }
void CSettingsDlg::selectPage(int page) { titles_->setCurrentRow(std::clamp(page, 0, kPageCount - 1)); }
QWidget* CSettingsDlg::page(int index) const { return stack_->widget(index); }

void CSettingsDlg::accept() {
  for (const PageEntry& page : pages_) page.store();
  lastPageShown = currentPage();
  QDialog::accept();
}

}  // namespace kalvory
