#pragma once

#include <string>
#include <vector>

#include "core/skins/definitions.h"
#include "desktop/common/config_page.h"

class QLabel;
class QListWidget;
class QStackedWidget;
class QPushButton;
class QVBoxLayout;

namespace kalvory {

class CRoundClockStatic;

// The list of a definition folder by name with the default one marked, and "Set as default".
// The marks and the setting change in the dialog's copies; OK hands them over.
class DefinitionListPage : public ConfigPage {
  Q_OBJECT
 public:
  DefinitionListPage(UiLanguage language, QWidget* parent);
  QListWidget* list() const { return list_; }
  QPushButton* setDefaultButton() const { return setDefault_; }
  // The row text of the default, or empty when none is marked.
  QString markedRow() const;

 protected:
  // Rows with their marks; the selection follows the marked row.
  void fill(const std::vector<std::pair<std::string, bool>>& rows);
  // The row `row` becomes the only marked one.
  void markRow(int row);
  virtual void setAsDefault(int row) = 0;
  virtual void selectionChanged(int /*row*/) {}
  QVBoxLayout* pageLayout() const { return layout_; }

 private:
  QListWidget* list_ = nullptr;
  QPushButton* setDefault_ = nullptr;
  QVBoxLayout* layout_ = nullptr;
};

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

// "Desktop Stickers": the document's sticker definitions, the default one, and a preview of the
// selected one with the test text, drawn as the wallpaper draws it (see-through where its picture
// has the transparent colour, at its opacity).
class CSetStickersDlgBar final : public DefinitionListPage {
  Q_OBJECT
 public:
  explicit CSetStickersDlgBar(UiLanguage language, QWidget* parent = nullptr);
  void load(const ApplicationSettings& settings, const CAlarmDoc& document) override;
  void store(ApplicationSettings& settings, CAlarmDoc& document) override;
  // The sticker's picture, or a message when it cannot be loaded.
  QLabel* preview() const { return preview_; }

 private:
  void setAsDefault(int row) override;
  void selectionChanged(int row) override;
  std::vector<CWPStickerContext> stickers_;
  std::string defaultName_;
  QLabel* preview_ = nullptr;
};

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

}  // namespace kalvory
