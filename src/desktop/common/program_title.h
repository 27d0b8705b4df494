#pragma once

#include <QString>

#include "core/resources/resource_strings.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

// The program's name as window titles and message-box captions show it: the title string with
// its version fields left empty, the same in every language.
inline QString programTitle(UiLanguage language = UiLanguage::English) {
  QString title = toQString(loadString(StringId::ProgramTitle, language));
  title.replace(QStringLiteral("%s"), QString());
  title = title.trimmed();
  return title.isEmpty() ? QStringLiteral("Kalvory") : title;
}

}  // namespace kalvory
