#include "platform/caldav/dav_client.h"

#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <memory>

namespace kalvory {

DavClient::DavClient(DavAccount account) : account_(std::move(account)) {
  // A calendar server is asked directly; answers are never taken from a cache.
  manager_.setProxy(QNetworkProxy::NoProxy);
}

void DavClient::send(const QByteArray& method, const QUrl& url, const Headers& headers, const QByteArray& body,
                     std::function<void(const DavReply&)> done) {
  QNetworkRequest request(url);
  // Redirects are followed only where they stay as safe (never from https to http), a few times.
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
  request.setMaximumRedirectsAllowed(5);
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
  QObject::connect(reply, &QNetworkReply::finished, reply, [reply, progress, done = std::move(done)] {
    reply->deleteLater();
    DavReply answer;
    answer.url = reply->url();
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (progress->tooLarge) {
      answer.failure = QStringLiteral("the server's answer is larger than %1 MB").arg(kMaxDavReplyBytes >> 20);
      return done(answer);
    }
    if (!progress->tooLarge && reply->bytesAvailable() > 0) {
      if (progress->body.size() + reply->bytesAvailable() > kMaxDavReplyBytes) {
        answer.failure = QStringLiteral("the server's answer is larger than %1 MB").arg(kMaxDavReplyBytes >> 20);
        return done(answer);
      }
      progress->body += reply->readAll();
    }
    answer.body = std::move(progress->body);
    answer.etag = reply->rawHeader("ETag");
    switch (reply->error()) {
      case QNetworkReply::TooManyRedirectsError:
      case QNetworkReply::InsecureRedirectError:
        answer.failure = QStringLiteral("the server sends the request from one address to another without end");
        break;
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
