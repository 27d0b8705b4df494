#include "platform/caldav/dav_client.h"

#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <memory>

namespace kalvory {
namespace {
constexpr int kMaxRedirects = 5;
}  // namespace

DavClient::DavClient(DavAccount account) : account_(std::move(account)) {
  // A calendar server is asked directly; answers are never taken from a cache.
  manager_.setProxy(QNetworkProxy::NoProxy);
}

void DavClient::send(const QByteArray& method, const QUrl& url, const Headers& headers, const QByteArray& body,
                     std::function<void(const DavReply&)> done) {
  attempt(method, url, url, headers, body, kMaxRedirects, std::move(done));
}

namespace {

bool sameServer(const QUrl& a, const QUrl& b) {
  const int port = a.scheme() == QLatin1String("https") ? 443 : 80;
  return a.scheme() == b.scheme() && a.host() == b.host() && a.port(port) == b.port(port);
}

}  // namespace

void DavClient::attempt(const QByteArray& method, const QUrl& url, const QUrl& origin, const Headers& headers,
                        const QByteArray& body, int redirectsLeft, std::function<void(const DavReply&)> done) {
  QNetworkRequest request(url);
  // Redirects are followed here, a few times and only on the same server (scheme, host and
  // port), with the same request, so that the password never goes anywhere else.
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  request.setTransferTimeout(timeout_);
  if (!account_.user.isEmpty())
    request.setRawHeader("Authorization",
                         "Basic " + (account_.user + QLatin1Char(':') + account_.password).toUtf8().toBase64());
  for (const auto& [name, value] : headers) request.setRawHeader(name, value);
  QNetworkReply* reply = manager_.sendCustomRequest(request, method, body);

  struct Progress {
    QByteArray body;
    bool tooLarge = false;
  };
  auto progress = std::make_shared<Progress>();
  const auto cut = [reply, progress] {
    progress->tooLarge = true;
    progress->body.clear();
    reply->abort();
  };
  QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, progress, cut] {
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (!progress->tooLarge && length.isValid() && length.toLongLong() > kMaxDavReplyBytes) cut();
  });
  QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, progress, cut] {
    if (progress->tooLarge) return;
    if (progress->body.size() + reply->bytesAvailable() > kMaxDavReplyBytes) return cut();
    progress->body += reply->readAll();
  });
  QObject::connect(
      reply, &QNetworkReply::finished, reply,
      [this, reply, progress, method, origin, headers, body, redirectsLeft, done = std::move(done)] {
        reply->deleteLater();
        DavReply answer;
        answer.url = reply->url();
        answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (progress->tooLarge) {
          answer.failure = QStringLiteral("the server's answer is larger than %1 MB").arg(kMaxDavReplyBytes >> 20);
          return done(answer);
        }
        const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
        if (answer.status >= 300 && answer.status < 400 && target.isValid()) {
          const QUrl next = reply->url().resolved(target);
          if (!sameServer(next, origin)) {
            answer.failure =
                QStringLiteral("the server sends the request to another server (%1), where it is not followed")
                    .arg(next.toString(QUrl::RemoveUserInfo | QUrl::RemoveQuery));
            return done(answer);
          }
          if (redirectsLeft <= 0) {
            answer.failure = QStringLiteral("the server sends the request from one address to another without end");
            return done(answer);
          }
          return attempt(method, next, origin, headers, body, redirectsLeft - 1, done);
        }
        if (reply->bytesAvailable() > 0) {
          if (progress->body.size() + reply->bytesAvailable() > kMaxDavReplyBytes) {
            answer.failure = QStringLiteral("the server's answer is larger than %1 MB").arg(kMaxDavReplyBytes >> 20);
            return done(answer);
          }
          progress->body += reply->readAll();
        }
        answer.body = std::move(progress->body);
        answer.etag = reply->rawHeader("ETag");
        switch (reply->error()) {
          case QNetworkReply::OperationCanceledError:
          case QNetworkReply::TimeoutError:
            answer.failure = QStringLiteral("the server did not answer in time");
            break;
          default:
            // An HTTP status is the caller's to judge; anything else is a failure of the transport.
            if (answer.status == 0 && reply->error() != QNetworkReply::NoError) answer.failure = reply->errorString();
            break;
        }
        done(answer);
      });
}

QString describeDavFailure(const DavReply& reply) {
  if (!reply.failure.isEmpty()) return reply.failure;
  switch (reply.status) {
    case 401:
      return QStringLiteral("the server refused the user name or password (401)");
    case 403:
      return QStringLiteral("the server forbids this (403)");
    case 404:
      return QStringLiteral("there is no calendar at this address (404)");
    default:
      break;
  }
  if (reply.status >= 300 && reply.status < 400)
    return QStringLiteral("the server sends the request elsewhere (%1)").arg(reply.status);
  if (reply.status >= 500) return QStringLiteral("the server failed (%1)").arg(reply.status);
  return QStringLiteral("the server answered %1").arg(reply.status);
}

}  // namespace kalvory
