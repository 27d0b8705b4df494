// The WebDAV multistatus reader on whatever a server may answer.
#include <QByteArray>
#include <QUrl>
#include <cstddef>
#include <cstdint>

#include "platform/caldav/dav_multistatus.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const QUrl base(QStringLiteral("https://dav.example.org/anna/calendar/"));
  QString error;
  const auto answer = kalvory::parseMultistatus(
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), base, error);
  if (answer)
    for (const kalvory::DavResource& resource : answer->responses) (void)kalvory::collectionPath(resource.url);
  return 0;
}
