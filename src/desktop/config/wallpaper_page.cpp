#include "desktop/config/wallpaper_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>

#include "desktop/common/color_button.h"
#include "desktop/common/program_title.h"

namespace kalvory {

int wallpaperIntervalItem(long minutes) {
  for (std::size_t i = 0; i + 1 < kWallpaperIntervalMinutes.size(); ++i)
    if (minutes <= kWallpaperIntervalMinutes[i]) return static_cast<int>(i);
  return static_cast<int>(kWallpaperIntervalMinutes.size() - 1);
}

CSetWallPaperDlgBar::CSetWallPaperDlgBar(UiLanguage language, ConfigPageServices services, QWidget* parent)
    : ConfigPage(language, parent, std::move(services)) {
  enable_ = new QCheckBox(text(StringId::EnableWallpaperChanger), this);
  auto* foldersLabel = new QLabel(text(StringId::WallpaperFolders), this);
  folders_ = new QListWidget(this);
  foldersLabel->setBuddy(folders_);
  folders_->setMinimumWidth(280);
  add_ = new QPushButton(QStringLiteral("&+"), this);
  remove_ = new QPushButton(QStringLiteral("&-"), this);
  for (QPushButton* button : {add_, remove_}) button->setFixedWidth(button->sizeHint().height() + 8);
  shuffle_ = new QCheckBox(text(StringId::Shuffle), this);
  auto* intervalLabel = new QLabel(text(StringId::TimeInterval), this);
  interval_ = new QComboBox(this);
  intervalLabel->setBuddy(interval_);
  for (const std::string& item : loadStringList(StringId::WallpaperIntervals, language))
    interval_->addItem(toQString(item));

  auto* position = new QGroupBox(text(StringId::Position), this);
  stretch_ = new QRadioButton(text(StringId::Stretch), position);
  center_ = new QRadioButton(text(StringId::Center), position);
  positionPicture_ = new QLabel(position);
  positionPicture_->setFixedSize(64, 48);
  auto* positionLayout = new QGridLayout(position);
  positionLayout->addWidget(stretch_, 0, 0);
  positionLayout->addWidget(center_, 1, 0);
  positionLayout->addWidget(positionPicture_, 0, 1, 2, 1);

  auto* background = new QGroupBox(text(StringId::Background), this);
  gradient_ = new QRadioButton(text(StringId::Gradient), background);
  pattern_ = new QRadioButton(text(StringId::Pattern), background);
  patternFile_ = new QLineEdit(background);
  browse_ = new QPushButton(QStringLiteral("..."), background);
  browse_->setFixedWidth(browse_->sizeHint().height() + 8);
  color_ = new ColorButton(background, this->services().chooseColor);
  auto* backgroundLayout = new QGridLayout(background);
  backgroundLayout->addWidget(gradient_, 0, 0);
  backgroundLayout->addWidget(color_, 0, 1, 1, 2, Qt::AlignRight);
  backgroundLayout->addWidget(pattern_, 1, 0);
  backgroundLayout->addWidget(patternFile_, 1, 1);
  backgroundLayout->addWidget(browse_, 1, 2);

  missingFolder_ = new QLabel(this);
  missingFolder_->setObjectName(QStringLiteral("missingFolder"));
  missingFolder_->setWordWrap(true);
  missingFolder_->setStyleSheet(QStringLiteral("color: #8a5300;"));
  createFolder_ = new QPushButton(text(StringId::CreateWallpaperFolder), this);
  createFolder_->setObjectName(QStringLiteral("createFolder"));
  auto* missingRow = new QHBoxLayout;
  missingRow->addWidget(missingFolder_, 1);
  missingRow->addWidget(createFolder_);
  missingFolder_->hide();
  createFolder_->hide();

  auto* hint = new QLabel(text(StringId::ChangeWallpaperHint), this);
  hint->setWordWrap(true);

  auto* folderButtons = new QVBoxLayout;
  folderButtons->addWidget(add_);
  folderButtons->addWidget(remove_);
  folderButtons->addStretch();
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(folders_, 1);
  folderRow->addLayout(folderButtons);
  auto* intervalRow = new QHBoxLayout;
  intervalRow->addWidget(shuffle_);
  intervalRow->addStretch();
  intervalRow->addWidget(intervalLabel);
  intervalRow->addWidget(interval_);
  auto* groups = new QHBoxLayout;
  groups->addWidget(position);
  groups->addWidget(background, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(enable_);
  layout->addWidget(foldersLabel);
  layout->addLayout(folderRow, 1);
  layout->addLayout(missingRow);
  layout->addLayout(intervalRow);
  layout->addLayout(groups);
  layout->addWidget(hint);

  connect(enable_, &QCheckBox::toggled, this, &CSetWallPaperDlgBar::updateEnabling);
  connect(enable_, &QCheckBox::toggled, this, &CSetWallPaperDlgBar::updateMissingFolder);
  connect(pattern_, &QRadioButton::toggled, this, &CSetWallPaperDlgBar::updateEnabling);
  connect(stretch_, &QRadioButton::toggled, this, [this](bool on) {
    if (on) style_ = 2;
    updatePositionPicture();
  });
  connect(center_, &QRadioButton::toggled, this, [this](bool on) {
    if (on) style_ = 0;
    updatePositionPicture();
  });
  connect(add_, &QPushButton::clicked, this, &CSetWallPaperDlgBar::addFolder);
  connect(remove_, &QPushButton::clicked, this, &CSetWallPaperDlgBar::removeFolder);
  connect(createFolder_, &QPushButton::clicked, this, &CSetWallPaperDlgBar::createMissingFolders);
  connect(browse_, &QPushButton::clicked, this, [this] {
    const QString file =
        this->services().choosePattern
            ? this->services().choosePattern(this)
            : QFileDialog::getOpenFileName(this, QString(), QString(), QStringLiteral("Image Files (*.bmp)"));
    if (!file.isEmpty()) patternFile_->setText(file);
  });
}

void CSetWallPaperDlgBar::load(const ApplicationSettings& settings, const CAlarmDoc&) {
  const CWallpaperContext& wallpaper = settings.wallpaper;
  enable_->setChecked(wallpaper.enabled != 0);
  folders_->clear();
  loadedFolders_.clear();
  // The folders text is every folder followed by "*"; an empty piece ends the list.
  for (const QString& folder : toQString(wallpaper.folders).split(QLatin1Char('*'))) {
    if (folder.isEmpty()) break;
    folders_->addItem(folder);
    loadedFolders_ << folder;
  }
  shuffle_->setChecked(wallpaper.shuffle != 0);
  interval_->setCurrentIndex(wallpaperIntervalItem(wallpaper.interval.GetTotalMinutes()));
  style_ = wallpaper.style;
  stretch_->setChecked(style_ == 2);
  center_->setChecked(style_ == 0);
  gradient_->setChecked(wallpaper.background_style == 0);
  pattern_->setChecked(wallpaper.background_style == 1);
  patternFile_->setText(toQString(wallpaper.pattern));
  color_->setColor(wallpaper.background_color);
  updateEnabling();
  updatePositionPicture();
  updateMissingFolder();
}

void CSetWallPaperDlgBar::store(ApplicationSettings& settings, CAlarmDoc&) {
  CWallpaperContext& wallpaper = settings.wallpaper;
  wallpaper.enabled = enable_->isChecked() ? 1 : 0;
  // The rows are written back only when they changed, so that OK alone leaves the text as it was.
  QStringList rows;
  for (int row = 0; row < folders_->count(); ++row) rows << folders_->item(row)->text();
  if (rows != loadedFolders_) {
    std::string folders;
    for (const QString& row : rows) folders += toStdString(row) + "*";
    wallpaper.folders = folders;
  }
  wallpaper.shuffle = shuffle_->isChecked() ? 1 : 0;
  const int item = interval_->currentIndex();
  if (item >= 0)
    wallpaper.interval =
        COleDateTimeSpan::fromMinutes(static_cast<double>(kWallpaperIntervalMinutes[static_cast<std::size_t>(item)]));
  wallpaper.style = style_;
  if (gradient_->isChecked()) wallpaper.background_style = 0;
  if (pattern_->isChecked()) wallpaper.background_style = 1;
  wallpaper.pattern = toStdString(patternFile_->text());
  wallpaper.background_color = color_->color();
}

void CSetWallPaperDlgBar::addFolder() {
  const QListWidgetItem* selected = folders_->currentItem();
  const QString title = text(StringId::AddWallpaperFolder);
  const QString start = selected ? selected->text() : QString();
  const QString chosen = services().chooseFolder ? services().chooseFolder(title, start, this)
                                                 : QFileDialog::getExistingDirectory(this, title, start);
  if (chosen.isEmpty()) return;
  folders_->addItem(chosen.endsWith(QLatin1Char('/')) ? chosen : chosen + QLatin1Char('/'));
  updateMissingFolder();
}

void CSetWallPaperDlgBar::removeFolder() {
  QListWidgetItem* selected = folders_->currentItem();
  if (selected == nullptr) return;
  const QString question = text(StringId::ExcludeFolderQuestion).replace(QStringLiteral("%s"), selected->text());
  const bool yes = services().confirm ? services().confirm(question, this)
                                      : QMessageBox::question(this, programTitle(), question,
                                                              QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
  if (yes) delete selected;
  updateMissingFolder();
}

QStringList CSetWallPaperDlgBar::missingFolders() const {
  QStringList missing;
  for (int row = 0; row < folders_->count(); ++row) {
    const QString folder = folders_->item(row)->text();
    if (!QFileInfo(folder).isDir()) missing << folder;
  }
  return missing;
}

void CSetWallPaperDlgBar::updateMissingFolder() {
  // A changer over folders that are not there changes nothing, and said nothing of it.
  const QStringList missing = enable_->isChecked() ? missingFolders() : QStringList();
  missingFolder_->setVisible(!missing.isEmpty());
  createFolder_->setVisible(!missing.isEmpty());
  if (!missing.isEmpty())
    missingFolder_->setText(text(StringId::WallpaperFolderMissing).replace(QStringLiteral("%s"), missing.front()));
}

void CSetWallPaperDlgBar::createMissingFolders() {
  for (const QString& folder : missingFolders()) {
    std::error_code code;
    std::filesystem::create_directories(std::filesystem::path(toStdString(folder)), code);
    if (code || !QFileInfo(folder).isDir()) {
      QString message = text(StringId::WallpaperFolderNotCreated);
      message.replace(message.indexOf(QLatin1String("%s")), 2, folder);
      message.replace(message.indexOf(QLatin1String("%s")), 2,
                      code ? toQString(code.message()) : QStringLiteral("not a folder"));
      missingFolder_->setText(message);
      return;
    }
  }
  updateMissingFolder();
}

void CSetWallPaperDlgBar::updateEnabling() {
  const bool on = enable_->isChecked();
  for (QWidget* child : findChildren<QWidget*>()) {
    if (child != enable_ && child->parentWidget() == this) child->setEnabled(on);
  }
  for (QWidget* inGroup :
       {static_cast<QWidget*>(stretch_), static_cast<QWidget*>(center_), static_cast<QWidget*>(gradient_),
        static_cast<QWidget*>(pattern_), static_cast<QWidget*>(color_)})
    inGroup->setEnabled(on);
  patternFile_->setEnabled(on && pattern_->isChecked());
  browse_->setEnabled(on && pattern_->isChecked());
}

// A small screen with the picture stretched over it or centred on it.
void CSetWallPaperDlgBar::updatePositionPicture() {
  QPixmap pixmap(positionPicture_->size());
  pixmap.fill(QColor(40, 40, 40));
  QPainter painter(&pixmap);
  const QRect screen = pixmap.rect().adjusted(3, 3, -4, -4);
  painter.fillRect(screen, QColor(58, 110, 165));
  const QRect picture = style_ == 2 ? screen : QRect(screen.center() - QPoint(12, 8), QSize(24, 16));
  painter.fillRect(picture, QColor(120, 170, 90));
  painter.setPen(QColor(230, 230, 230));
  painter.drawRect(picture.adjusted(0, 0, -1, -1));
  painter.end();
  positionPicture_->setPixmap(pixmap);
}

ConfigPageSource wallpaperPageSource() {
  return {StringId::WallpaperChangerPage, [](UiLanguage language, const ConfigPageServices& services, QWidget* parent) {
            return new CSetWallPaperDlgBar(language, services, parent);
          }};
}

}  // namespace kalvory
