#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QPair>
#include <QString>
#include <QUrl>
#include <cstddef>
#include <functional>

namespace kalvory {

// Who speaks to the server: the user name and password go with every request (HTTP Basic), so
// that a server never has to ask twice.
struct DavAccount {
  QString user;
  QString password;
};

// A server's answer, or why there is none (`failure` non-empty: no connection, a timeout, a
// redirect loop, an answer too large).
struct DavReply {
  int status = 0;
  QByteArray body;
  QByteArray etag;
  QUrl url;  // where the answer came from, after redirects
  QString failure;
};

// The largest answer read: a calendar of thousands of events fits many times over, and a server
// that sends more is broken or hostile and is cut off rather than read into memory.
inline constexpr qint64 kMaxDavReplyBytes = qint64{32} * 1024 * 1024;

// WebDAV requests over QNetworkAccessManager, each answered through its callback on the
// thread of the client's event loop; nothing here ever waits.
class DavClient {
 public:
  explicit DavClient(DavAccount account);
  using Headers = QList<QPair<QByteArray, QByteArray>>;
  void send(const QByteArray& method, const QUrl& url, const Headers& headers, const QByteArray& body,
            std::function<void(const DavReply&)> done);
  // How long a request may stay silent before it is given up (milliseconds).
  void setTimeout(int milliseconds) { timeout_ = milliseconds; }

 private:
  void attempt(const QByteArray& method, const QUrl& url, const QUrl& origin, const Headers& headers,
               const QByteArray& body, int redirectsLeft, std::function<void(const DavReply&)> done);

  DavAccount account_;
  QNetworkAccessManager manager_;
  int timeout_ = 30000;
};

// One line for a reply that is not what a request wanted: the transport failure, or the status
// with its usual meaning ("the server refused the user name or password (401)").
QString describeDavFailure(const DavReply& reply);

}  // namespace kalvory
