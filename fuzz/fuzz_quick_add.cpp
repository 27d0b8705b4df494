// The quick add's time comes from whatever the user types: any bytes must give a moment or a
// refusal, and a moment it gives for a one-time reminder lies after now.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/model/quick_add.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kalvory::COleDateTime now(2026, 5, 13, 14, 20, 30);
  kalvory::QuickAddRequest request;
  request.text = "x";
  request.when.assign(reinterpret_cast<const char*>(data), size);
  const auto line = kalvory::buildQuickReminder(request, now);
  if (line.ok() && !(line.value().time > now)) std::abort();
  (void)kalvory::parseWeekdayMask(request.when);
  return 0;
}
