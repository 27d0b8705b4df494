#include "desktop/clock/skins_page.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "core/clock/analog_clock.h"
#include "core/model/alarm_doc.h"
#include "core/settings/profile.h"
#include "desktop/clock/round_clock_static.h"

namespace kalvory {

CSetSkinsDlgBar::CSetSkinsDlgBar(UiLanguage language, std::string dataFolder, QWidget* parent)
    : DefinitionListPage(language, parent), dataFolder_(std::move(dataFolder)) {
  information_ = new QLabel(this);
  information_->setWordWrap(true);
  information_->setTextFormat(Qt::PlainText);
  information_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  information_->setMinimumHeight(information_->fontMetrics().height() * 4);

  // The preview's place holds nothing, the clock or the message, always at the clock's size.
  preview_ = new QStackedWidget(this);
  preview_->addWidget(new QWidget(preview_));
  auto* clockHolder = new QWidget(preview_);
  clock_ = new CRoundClockStatic(clockHolder);
  auto* holderLayout = new QVBoxLayout(clockHolder);
  holderLayout->setContentsMargins(0, 0, 0, 0);
  holderLayout->addWidget(clock_, 0, Qt::AlignCenter);
  preview_->addWidget(clockHolder);
  previewMessage_ = newDefinitionPreviewLabel(preview_);
  preview_->addWidget(previewMessage_);
  preview_->setFixedSize(kAnalogClockSize + 60, kAnalogClockSize);

  auto* row = new QHBoxLayout;
  row->addWidget(information_, 1);
  row->addWidget(preview_);
  pageLayout()->addLayout(row);
}

void CSetSkinsDlgBar::load(const ApplicationSettings& settings, const CAlarmDoc&) {
  skinPath_ = settings.app.skin_path;
  skins_ = ListSkins(dataFolder_, skinSettingFile(dataFolder_, skinPath_), nullptr);
  std::vector<std::pair<std::string, bool>> rows;
  for (const auto& skin : skins_) rows.emplace_back(skin.fileName, skin.isCurrent);
  fill(rows);
}

void CSetSkinsDlgBar::setAsDefault(int row) {
  const auto index = static_cast<std::size_t>(row);
  if (index >= skins_.size()) return;
  skinPath_ = skinFileForSetting(dataFolder_, skins_[index].fileName);
  for (std::size_t i = 0; i < skins_.size(); ++i) skins_[i].isCurrent = i == index;
}

void CSetSkinsDlgBar::selectionChanged(int row) {
  const auto index = static_cast<std::size_t>(row);
  if (row < 0 || index >= skins_.size()) {
    information_->clear();
    preview_->setCurrentIndex(0);
    return;
  }
  showPreview(skins_[index]);
  const CSkinContext& skin = skins_[index];
  QString line = text(StringId::PluginDescription);
  for (const std::string* value : {&skin.name, &skin.author, &skin.description}) {
    const auto at = line.indexOf(QStringLiteral("%s"));
    if (at >= 0) line.replace(at, 2, toQString(*value));
  }
  information_->setText(line);
}

bool CSetSkinsDlgBar::clockPreviewShown() const { return preview_->currentWidget() == clock_->parentWidget(); }

void CSetSkinsDlgBar::showPreviewMessage(const QString& message) {
  previewMessage_->setText(message);
  preview_->setCurrentWidget(previewMessage_);
}

// The clock as the main window would show it with this skin, its face looked for where the
// program looks (beside the skin file, then in the data folder).
void CSetSkinsDlgBar::showPreview(const CSkinContext& skin) {
  const QFileInfo file(toQString(skin.path));
  CProfile profile;
  profile.SetSaveOnClose(false);
  profile.SetStoreDefaults(false);
  profile.SetAddOnWrite(false);
  // Loading a store creates a missing file: a skin that has gone must stay gone.
  if (!file.isFile() || !profile.Load(toStdString(file.absoluteFilePath()))) {
    showPreviewMessage(toQString(loadString(StringId::SkinUnreadable, language())).arg(file.fileName()));
    return;
  }
  // The built-in face first, so that a skin without a face of its own does not show the face of
  // the skin selected before it.
  clock_->SetSkin(QString::fromLatin1(kBuiltInClockFace));
  if (!clock_->applySkin(profile, {file.absolutePath(), toQString(dataFolder_)}) && !clock_->settings().face.empty()) {
    showPreviewMessage(
        toQString(loadString(StringId::ClockFaceMissing, language())).arg(toQString(clock_->settings().face)));
    return;
  }
  preview_->setCurrentWidget(clock_->parentWidget());
}

void CSetSkinsDlgBar::store(ApplicationSettings& settings, CAlarmDoc&) { settings.app.skin_path = skinPath_; }

ConfigPageSource skinsPageSource(std::string dataFolder) {
  return {StringId::SkinsPage, [dataFolder](UiLanguage language, const ConfigPageServices&, QWidget* parent) {
            return new CSetSkinsDlgBar(language, dataFolder, parent);
          }};
}

}  // namespace kalvory
