// "LastChanged" comes from a settings file anyone can edit: the date-time reader must take any
// bytes, and whatever it accepts must come back unchanged through the form it is saved in.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/settings/settings_date_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const kalvory::COleDateTime time = kalvory::parseUsDateTime(input);
  if (!time.isValid()) return 0;
  const kalvory::COleDateTime again = kalvory::parseUsDateTime(kalvory::formatSettingsDateTime(time));
  if (!(again == time)) std::abort();
  return 0;
}
