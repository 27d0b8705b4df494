// The desktop picture through org.freedesktop.portal.Wallpaper, for Wayland desktops without a
// setter of their own.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QEventLoop>
#include <QTimer>
#include <QUrl>
#include <QUuid>
#include <QVariantMap>
#include <optional>

#include "platform/wallpaper/wallpaper_setter.h"

namespace kalvory {

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");

// Waits, on the calling thread's own event loop, for the Response of one portal request.
class ResponseWaiter final : public QObject {
  Q_OBJECT
 public:
  explicit ResponseWaiter(QDBusConnection bus) : bus_(std::move(bus)) {}
  ~ResponseWaiter() override { stop(); }

  void listen(const QString& path) {
    stop();
    path_ = path;
    bus_.connect(kPortalService, path_, kRequestInterface, QStringLiteral("Response"), this,
                 SLOT(response(uint, QVariantMap)));
  }

  // The response code, or nothing when none came within `timeoutMilliseconds`.
  std::optional<uint> wait(int timeoutMilliseconds) {
    if (answer_) return answer_;
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &loop_, &QEventLoop::quit);
    timeout.start(timeoutMilliseconds);
    loop_.exec();
    return answer_;
  }

 private slots:
  void response(uint code, const QVariantMap&) {
    answer_ = code;
    loop_.quit();
  }

 private:
  void stop() {
    if (path_.isEmpty()) return;
    bus_.disconnect(kPortalService, path_, kRequestInterface, QStringLiteral("Response"), this,
                    SLOT(response(uint, QVariantMap)));
    path_.clear();
  }

  QDBusConnection bus_;
  QString path_;
  QEventLoop loop_;
  std::optional<uint> answer_;
};

}  // namespace

PortalWallpaperSetter::PortalWallpaperSetter(std::string publishFolder, std::string busConnectionName,
                                             int answerTimeoutMilliseconds)
    : publishFolder_(std::move(publishFolder)),
      busConnectionName_(std::move(busConnectionName)),
      answerTimeout_(answerTimeoutMilliseconds) {}

Result<void> PortalWallpaperSetter::SetWallpaper(const std::string& path, int /*style*/) {
  // A new file name each time, as for the other desktops: a portal backend may keep the old
  // picture while the configured name stays the same.
  const Result<std::string> copy = PublishWallpaperCopy(path, publishFolder_);
  if (!copy.ok()) return Failure{copy.error()};
  const QDBusConnection bus = busConnectionName_.empty() ? QDBusConnection::sessionBus()
                                                         : QDBusConnection(QString::fromStdString(busConnectionName_));
  if (!bus.isConnected()) return Failure{"No D-Bus session bus for the wallpaper portal"};

  const QString token = QStringLiteral("kalvory_") + QUuid::createUuid().toString(QUuid::Id128);
  QString sender = bus.baseService().mid(1);
  sender.replace(u'.', u'_');
  // The answer's path is known before the call: listening first means it cannot be missed.
  ResponseWaiter waiter(bus);
  waiter.listen(kPortalPath + QStringLiteral("/request/") + sender + u'/' + token);

  const QString uri = QUrl::fromLocalFile(QString::fromStdString(copy.value())).toString(QUrl::FullyEncoded);
  QDBusMessage call =
      QDBusMessage::createMethodCall(kPortalService, kPortalPath, QStringLiteral("org.freedesktop.portal.Wallpaper"),
                                     QStringLiteral("SetWallpaperURI"));
  call << QString() << uri
       << QVariantMap{{QStringLiteral("handle_token"), token},
                      {QStringLiteral("show-preview"), false},
                      {QStringLiteral("set-on"), QStringLiteral("background")}};
  const QDBusMessage reply = bus.call(call, QDBus::Block, 25000);
  if (reply.type() != QDBusMessage::ReplyMessage)
    return Failure{"the wallpaper portal refused the picture: " + reply.errorMessage().toStdString()};
  // An older portal chooses its own path.
  const QString handle = reply.arguments().value(0).value<QDBusObjectPath>().path();
  if (!handle.isEmpty() && !handle.endsWith(token)) waiter.listen(handle);

  const std::optional<uint> answer = waiter.wait(answerTimeout_);
  if (!answer) return Failure{"the wallpaper portal did not answer"};
  if (*answer == 1) return Failure{"the desktop was not allowed to take the picture"};
  if (*answer != 0)
    return Failure{"the wallpaper portal could not set the picture (answer " + std::to_string(*answer) + ")"};
  return {};
}

}  // namespace kalvory

#include "wallpaper_portal.moc"
