#pragma once

#include <QWidget>
#include <functional>

#include "core/resources/resource_strings.h"
#include "core/settings/app_settings.h"
#include "desktop/common/config_page.h"

class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimeEdit;

namespace kalvory {

class CAlarmDoc;
class FormatPreview;

// The configuration page "Clock Control Format": the on-screen clock's format with the list of
// its codes, the countdown target of the document, and a button that inserts a symbol.
class CSetTimeFormatDlgBar : public ConfigPage {
  Q_OBJECT
 public:
  // The longest format the edit takes.
  static constexpr int kMaxFormatLength = 230;

  // The special symbol dialog and the preview's time come from `services`.
  explicit CSetTimeFormatDlgBar(UiLanguage language, ConfigPageServices services = {}, QWidget* parent = nullptr);

  // Takes the clock format from the settings and the countdown target from the document.
  void load(const ApplicationSettings& settings, const CAlarmDoc& document) override;
  // The clock format goes to the settings, the countdown target (the first picker's date at the
  // second picker's time) to the document.
  void store(ApplicationSettings& settings, CAlarmDoc& document) override;

  QLineEdit* formatEdit() const { return format_; }
  QPlainTextEdit* helpText() const { return help_; }
  QDateEdit* datePicker() const { return date_; }
  QTimeEdit* timePicker() const { return time_; }
  QPushButton* symbolButton() const { return symbol_; }
  FormatPreview* preview() const { return preview_; }

 private:
  void insertSymbol();
  void updatePreview();

  QLineEdit* format_ = nullptr;
  QPlainTextEdit* help_ = nullptr;
  QDateEdit* date_ = nullptr;
  QTimeEdit* time_ = nullptr;
  QPushButton* symbol_ = nullptr;
  FormatPreview* preview_ = nullptr;
  const CAlarmDoc* document_ = nullptr;  // today's notes for %D; set by load()
};

// The page of the on-screen clock's format and countdown, as the on-screen feature hands it to the configuration
// dialog.
ConfigPageSource clockFormatPageSource();

}  // namespace kalvory
