#include "core/model/resource_ids.h"

#include "core/common/strftime.h"

namespace kalvory {

std::string formatWithFallback(const char* pattern, const COleDateTime& value) {
  return formatDateTime(pattern, value).valueOr(std::string());
}

std::string formatResource(StringId id, UiLanguage language, const COleDateTime& value) {
  Result<std::string> result = formatDateTime(loadString(id, language), value);
  if (result.ok()) return std::move(result).value();
  return formatDateTime(loadString(id, UiLanguage::English), value).valueOr(std::string());
}

}  // namespace kalvory
