#pragma once

#include <QLabel>
#include <QStackedWidget>
#include <string>

#include "core/skins/definitions.h"
#include "desktop/common/definition_list_page.h"

namespace kalvory {

class CRoundClockStatic;

// "Skins": the skin files of the data folder, the current one marked, and the selected skin's
// name, author and description beside a preview of its analog clock. A skin that cannot be
// drawn shows why in the preview's place; the list, the mark and the setting are not touched.
class CSetSkinsDlgBar final : public DefinitionListPage {
  Q_OBJECT
 public:
  CSetSkinsDlgBar(UiLanguage language, std::string dataFolder, QWidget* parent = nullptr);
  void load(const ApplicationSettings& settings, const CAlarmDoc& document) override;
  void store(ApplicationSettings& settings, CAlarmDoc& document) override;
  QLabel* information() const { return information_; }
  // The selected skin's clock, running; hidden while the message below stands in its place.
  CRoundClockStatic* clockPreview() const { return clock_; }
  QLabel* previewMessage() const { return previewMessage_; }
  // Whether the preview shows the clock (else the message, or nothing without a selection).
  bool clockPreviewShown() const;

 private:
  void setAsDefault(int row) override;
  void selectionChanged(int row) override;
  void showPreview(const CSkinContext& skin);
  void showPreviewMessage(const QString& message);
  std::string dataFolder_;
  CSkinContextList skins_;
  std::string skinPath_;
  QLabel* information_ = nullptr;
  QStackedWidget* preview_ = nullptr;
  CRoundClockStatic* clock_ = nullptr;
  QLabel* previewMessage_ = nullptr;
};

// The page as the clock feature hands it to the configuration dialog; the skins are those of
// `dataFolder`.
ConfigPageSource skinsPageSource(std::string dataFolder);

}  // namespace kalvory
