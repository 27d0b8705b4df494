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
  kalvory::CAlarmDoc doc;
  if (!kalvory::icsToDocument(input, doc).ok()) return 0;
  kalvory::CAlarmDoc again;
  const auto back =
      kalvory::icsToDocument(kalvory::documentToIcs(doc, kalvory::COleDateTime(2026, 1, 1, 0, 0, 0)), again);
  if (!back.ok() || !back.value().skipped.empty()) std::abort();
  if (kalvory::storeDocumentBytes(again) != kalvory::storeDocumentBytes(doc)) std::abort();
  return 0;
}
