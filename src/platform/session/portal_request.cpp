#include "platform/session/portal_request.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QUuid>

namespace kalvory {

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");

// A portal may take its time: it can show the user a question first.
constexpr int kCallTimeoutMilliseconds = 25000;

}  // namespace

PortalRequest::PortalRequest(const QDBusConnection& bus, QObject* context, Answer answer)
    : QObject(context), bus_(bus), answer_(std::move(answer)) {}

void PortalRequest::send(const QDBusConnection& bus, const QString& interface, const QString& method,
                         QVariantList arguments, QObject* context, Answer answer) {
  auto* request = new PortalRequest(bus, context, std::move(answer));
  const QString token = QStringLiteral("kalvory_") + QUuid::createUuid().toString(QUuid::Id128);
  QVariantMap options = arguments.isEmpty() ? QVariantMap() : arguments.takeLast().toMap();
  options.insert(QStringLiteral("handle_token"), token);
  arguments << options;
  // The Request object's path is known before the call (sender and token): listening first
  // means its answer cannot be missed.
  QString sender = bus.baseService().mid(1);
  sender.replace(u'.', u'_');
  request->listen(kPortalPath + QStringLiteral("/request/") + sender + u'/' + token);

  QDBusMessage call = QDBusMessage::createMethodCall(kPortalService, kPortalPath, interface, method);
  call.setArguments(arguments);
  // Asynchronous: a slow or hung portal never holds up the program's clock and windows.
  auto* watcher = new QDBusPendingCallWatcher(request->bus_.asyncCall(call, kCallTimeoutMilliseconds), request);
  connect(watcher, &QDBusPendingCallWatcher::finished, request, [request, watcher, method] {
    watcher->deleteLater();
    const QDBusMessage reply = watcher->reply();
    if (reply.type() != QDBusMessage::ReplyMessage) {
      request->finish(2, {}, QStringLiteral("%1: %2").arg(method, reply.errorMessage()));
      return;
    }
    // An older portal chooses its own path.
    const QString handle = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (!handle.isEmpty() && handle != request->path_) request->listen(handle);
  });
}

void PortalRequest::listen(const QString& path) {
  if (!path_.isEmpty())
    bus_.disconnect(kPortalService, path_, kRequestInterface, QStringLiteral("Response"), this,
                    SLOT(response(uint, QVariantMap)));
  path_ = path;
  bus_.connect(kPortalService, path_, kRequestInterface, QStringLiteral("Response"), this,
               SLOT(response(uint, QVariantMap)));
}

void PortalRequest::response(uint response, const QVariantMap& results) { finish(response, results, QString()); }

void PortalRequest::finish(uint response, const QVariantMap& results, const QString& error) {
  if (finished_) return;
  finished_ = true;
  bus_.disconnect(kPortalService, path_, kRequestInterface, QStringLiteral("Response"), this,
                  SLOT(response(uint, QVariantMap)));
  deleteLater();
  if (answer_) answer_(response, results, error);
}

}  // namespace kalvory
