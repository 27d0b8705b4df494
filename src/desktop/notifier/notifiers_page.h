#pragma once

#include <QLabel>
#include <string>
#include <vector>

#include "core/skins/definitions.h"
#include "desktop/common/definition_list_page.h"

namespace kalvory {

// "Task Bar Notifiers": the document's notifier definitions, the default one, and a preview of
// the selected one with a test text.
class CSetNotifiersDlgBar final : public DefinitionListPage {
  Q_OBJECT
 public:
  explicit CSetNotifiersDlgBar(UiLanguage language, QWidget* parent = nullptr);
  void load(const ApplicationSettings& settings, const CAlarmDoc& document) override;
  void store(ApplicationSettings& settings, CAlarmDoc& document) override;
  QLabel* preview() const { return preview_; }

 private:
  void setAsDefault(int row) override;
  void selectionChanged(int row) override;
  std::vector<CTBNotifierContext> notifiers_;
  std::string defaultName_;
  QLabel* preview_ = nullptr;
};

// The page as the notifier feature hands it to the configuration dialog.
ConfigPageSource notifiersPageSource();

}  // namespace kalvory
