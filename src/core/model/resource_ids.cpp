#include "core/model/resource_ids.h"

#include "core/common/strftime.h"

namespace kalvory {

std::string formatWithFallback(const char* pattern, const COleDateTime& value) {
  FormatResult result = formatDateTime(pattern, value);
  return result.ok() ? std::move(*result.text) : std::string();
}

std::string formatResource(int id, UiLanguage language, const COleDateTime& value) {
  FormatResult result = formatDateTime(loadString(id, language), value);
  if (result.ok()) return std::move(*result.text);
  result = formatDateTime(loadString(id, UiLanguage::English), value);
  return result.ok() ? std::move(*result.text) : std::string();
}

}  // namespace kalvory
