#include "desktop/notifier/notifiers_page.h"

#include <QListWidget>
#include <QVBoxLayout>

#include "core/model/alarm_doc.h"
#include "desktop/notifier/notifier_feature.h"
#include "desktop/notifier/taskbar_notifier.h"

namespace kalvory {

CSetNotifiersDlgBar::CSetNotifiersDlgBar(UiLanguage language, QWidget* parent) : DefinitionListPage(language, parent) {
  preview_ = new QLabel(this);
  preview_->setAlignment(Qt::AlignCenter);
  preview_->setMinimumHeight(120);
  pageLayout()->addWidget(preview_);
}

void CSetNotifiersDlgBar::load(const ApplicationSettings& settings, const CAlarmDoc& document) {
  notifiers_ = document.notifiers;
  defaultName_ = settings.app.default_notifier;
  std::vector<std::pair<std::string, bool>> rows;
  for (const auto& notifier : notifiers_) rows.emplace_back(notifier.name, notifier.isDefault);
  fill(rows);
}

void CSetNotifiersDlgBar::setAsDefault(int row) {
  const std::string name = toStdString(list()->item(row)->text());
  for (auto& notifier : notifiers_) notifier.isDefault = false;
  for (auto& notifier : notifiers_)
    if (notifier.name == name) {
      notifier.isDefault = true;
      break;
    }
  defaultName_ = name;
}

// The popup drawn as it will show, with the test text.
void CSetNotifiersDlgBar::selectionChanged(int row) {
  preview_->clear();
  if (row < 0 || static_cast<std::size_t>(row) >= notifiers_.size()) return;
  CTaskbarNotifier popup;
  if (!configureNotifier(popup, notifiers_[static_cast<std::size_t>(row)])) return;
  popup.Show(text(StringId::NotifierTestMessage), 0, 0, 0);
  popup.Hide();  // only the text and the look are wanted, not the slide
  preview_->setPixmap(definitionPreviewPixmap(popup.renderImage()));
}

void CSetNotifiersDlgBar::store(ApplicationSettings& settings, CAlarmDoc& document) {
  settings.app.default_notifier = defaultName_;
  // The marks go back only to the list they were made on (a document load rebuilds it).
  if (document.notifiers.size() == notifiers_.size())
    for (std::size_t i = 0; i < notifiers_.size(); ++i) document.notifiers[i].isDefault = notifiers_[i].isDefault;
}

ConfigPageSource notifiersPageSource() {
  return {StringId::NotifiersPage, [](UiLanguage language, const ConfigPageServices&, QWidget* parent) {
            return new CSetNotifiersDlgBar(language, parent);
          }};
}

}  // namespace kalvory
