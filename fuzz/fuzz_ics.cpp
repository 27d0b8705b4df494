// Calendar files come from any other program: the import must take any bytes, and a document it
// accepted must survive its own export and import unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/model/document_file.h"
#include "platform/ical/ical_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const kalvory::COleDateTime now(2026, 1, 1, 0, 0, 0);
  kalvory::CAlarmDoc doc;
  if (!kalvory::icsToDocument(input, doc, now).ok()) return 0;
  kalvory::CAlarmDoc again;
  const auto back = kalvory::icsToDocument(kalvory::documentToIcs(doc, now), again, now);
  if (!back.ok() || !back.value().skipped.empty()) std::abort();
  if (kalvory::storeDocumentBytes(again) != kalvory::storeDocumentBytes(doc)) std::abort();
  return 0;
}
