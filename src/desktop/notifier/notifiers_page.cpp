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
  fill(definitionRows(notifiers_));
}

void CSetNotifiersDlgBar::setAsDefault(int row) {
  defaultName_ = toStdString(list()->item(row)->text());
  markDefault(notifiers_, defaultName_);
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
  copyDefaultMarks(notifiers_, document.notifiers);
}

ConfigPageSource notifiersPageSource() {
  return {StringId::NotifiersPage, [](UiLanguage language, const ConfigPageServices&, QWidget* parent) {
            return new CSetNotifiersDlgBar(language, parent);
          }};
}

}  // namespace kalvory
