#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace kalvory {

// The core keeps text as UTF-8 in std::string; Qt wants QString. These are the only two
// conversions the desktop uses.
inline QString toQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string toStdString(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace kalvory
