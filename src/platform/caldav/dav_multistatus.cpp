#include "platform/caldav/dav_multistatus.h"

#include <QXmlStreamReader>

namespace kalvory {
namespace {

bool is(const QXmlStreamReader& reader, const char* name) {
  return reader.namespaceUri() == QLatin1String(kDavNamespace) && reader.name() == QLatin1String(name);
}

int statusOf(const QString& line) {
  // "HTTP/1.1 404 Not Found"
  const QStringList parts = line.simplified().split(QLatin1Char(' '));
  return parts.size() >= 2 ? parts[1].toInt() : 0;
}

// A <prop>'s children; the reader stands on <prop> and ends on </prop>.
void readProperties(QXmlStreamReader& reader, const QUrl& base, std::map<QString, QString>& into) {
  while (reader.readNextStartElement()) {
    const QString key = reader.namespaceUri().toString() + reader.name().toString();
    QString text;
    QStringList children;
    QString href;
    while (!reader.atEnd()) {
      reader.readNext();
      if (reader.isEndElement() && reader.namespaceUri().toString() + reader.name().toString() == key) break;
      if (reader.isCharacters()) text += reader.text();
      if (reader.isStartElement()) {
        if (is(reader, "href") && href.isEmpty()) {
          href = base.resolved(QUrl(reader.readElementText().trimmed())).toString();
          continue;
        }
        children << reader.namespaceUri().toString() + reader.name().toString();
      }
    }
    into[key] = !href.isEmpty() ? href : !children.isEmpty() ? children.join(QLatin1Char(' ')) : text;
  }
}

}  // namespace

std::optional<DavMultistatus> parseMultistatus(const QByteArray& body, const QUrl& base, QString& error) {
  QXmlStreamReader reader(body);
  DavMultistatus result;
  if (!reader.readNextStartElement() || !is(reader, "multistatus")) {
    error = reader.hasError() ? QStringLiteral("the server's answer is not XML: %1 (line %2)")
                                    .arg(reader.errorString())
                                    .arg(reader.lineNumber())
                              : QStringLiteral("the server's answer is not a WebDAV multistatus");
    return std::nullopt;
  }
  while (reader.readNextStartElement()) {
    if (is(reader, "sync-token")) {
      result.syncToken = reader.readElementText().trimmed();
      continue;
    }
    if (!is(reader, "response")) {
      reader.skipCurrentElement();
      continue;
    }
    DavResource resource;
    while (reader.readNextStartElement()) {
      if (is(reader, "href")) {
        resource.url = base.resolved(QUrl(reader.readElementText().trimmed()));
      } else if (is(reader, "status")) {
        resource.status = statusOf(reader.readElementText());
      } else if (is(reader, "propstat")) {
        std::map<QString, QString> found;
        int status = 0;
        while (reader.readNextStartElement()) {
          if (is(reader, "prop"))
            readProperties(reader, base, found);
          else if (is(reader, "status"))
            status = statusOf(reader.readElementText());
          else
            reader.skipCurrentElement();
        }
        if (status >= 200 && status < 300) resource.properties.merge(found);
      } else {
        reader.skipCurrentElement();
      }
    }
    if (!resource.url.isEmpty()) result.responses.push_back(std::move(resource));
  }
  if (reader.hasError()) {
    error = QStringLiteral("the server's answer is not XML: %1 (line %2)")
                .arg(reader.errorString())
                .arg(reader.lineNumber());
    return std::nullopt;
  }
  return result;
}

QString collectionPath(const QUrl& url) {
  QString path = url.path(QUrl::FullyEncoded);
  if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
  return path;
}

}  // namespace kalvory
