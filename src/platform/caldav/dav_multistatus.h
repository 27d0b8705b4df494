#pragma once

#include <QString>
#include <QUrl>
#include <map>
#include <optional>
#include <vector>

namespace kalvory {

// XML namespaces of the properties asked for.
inline constexpr const char* kDavNamespace = "DAV:";
inline constexpr const char* kCalDavNamespace = "urn:ietf:params:xml:ns:caldav";
inline constexpr const char* kCalendarServerNamespace = "http://calendarserver.org/ns/";

// One <response> of a WebDAV multistatus answer (RFC 4918, RFC 6578).
struct DavResource {
  QUrl url;        // the href, resolved against the address asked
  int status = 0;  // the response's own status (404 for a member gone since a sync token), else 0
  // The properties found (status 200), by "namespace" + "local name": a text value as it
  // stands; a property holding an <href> (current-user-principal, calendar-home-set) that href,
  // resolved; any other property the names of its child elements, blank-separated
  // ("DAV:collection urn:ietf:params:xml:ns:caldav:calendar" for resourcetype).
  std::map<QString, QString> properties;

  QString property(const char* nameSpace, const char* name) const {
    const auto at = properties.find(QString::fromLatin1(nameSpace) + QString::fromLatin1(name));
    return at == properties.end() ? QString() : at->second;
  }
  bool has(const char* nameSpace, const char* name) const {
    return properties.count(QString::fromLatin1(nameSpace) + QString::fromLatin1(name)) != 0;
  }
};

struct DavMultistatus {
  std::vector<DavResource> responses;
  QString syncToken;  // the collection's new token, after a sync-collection report
};

// Reads a multistatus body; what is not one (broken XML, another root element) gives `error`.
std::optional<DavMultistatus> parseMultistatus(const QByteArray& body, const QUrl& base, QString& error);

// The path of a URL with a trailing "/" for comparing collections.
QString collectionPath(const QUrl& url);

}  // namespace kalvory
