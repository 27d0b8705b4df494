#pragma once

#include <QString>
#include <QWidget>

#include "core/resources/resource_strings.h"
#include "core/settings/app_settings.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

class CAlarmDoc;

// One page of the configuration dialog: it takes its values from the dialog's copy of the
// settings and from the document when the dialog opens, and writes them back only on OK.
class ConfigPage : public QWidget {
 public:
  ConfigPage(UiLanguage language, QWidget* parent) : QWidget(parent), language_(language) {}
  virtual void load(const ApplicationSettings& settings, const CAlarmDoc& document) = 0;
  virtual void store(ApplicationSettings& settings, CAlarmDoc& document) = 0;

 protected:
  QString text(StringId id) const { return toQString(loadString(id, language_)); }
  UiLanguage language() const { return language_; }

 private:
  UiLanguage language_;
};

}  // namespace kalvory
