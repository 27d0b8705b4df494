#include "platform/instance/single_instance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace kalvory {

namespace {
constexpr int kRequestTimeoutMs = 2000;
// A request that is answered may take the running copy a moment (it may be busy with a dialog
// of its own for a while, then the caller is told there was no answer).
constexpr int kAnswerTimeoutMs = 10000;
// Room for a request with a reminder's text; longer lines are dropped with the connection.
constexpr int kMaxRequestBytes = 64 * 1024;
}  // namespace

SingleInstance::SingleInstance(QString name, QString directory, QObject* parent)
    : QObject(parent), name_(std::move(name)), directory_(std::move(directory)) {
  if (directory_.isEmpty()) directory_ = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (directory_.isEmpty()) directory_ = QDir::tempPath();
}

SingleInstance::~SingleInstance() {
  if (server_) server_->close();
}

QString SingleInstance::socketPath() const { return QDir(directory_).filePath(name_); }
QString SingleInstance::lockPath() const { return QDir(directory_).filePath(name_ + QStringLiteral(".lock")); }

SingleInstance::Role SingleInstance::start(const QByteArray& request) {
  QDir().mkpath(directory_);
  lock_ = std::make_unique<QLockFile>(lockPath());
  // A lock left by a crashed copy names a dead process and is taken over at once.
  // Age alone never makes it stale: a copy that has run for days still owns it.
  lock_->setStaleLockTime(0);
  if (!lock_->tryLock(0)) {
    if (lock_->error() == QLockFile::LockFailedError) {
      // The running copy may still be starting; give it a moment to open its socket. Whether or
      // not it answers, it holds the lock, so this copy ends.
      if (request.isEmpty()) return Role::Secondary;
      if (request.trimmed() == "show")
        sendRequest(socketPath(), request, kRequestTimeoutMs);
      else
        answer_ = exchange(socketPath(), request, kAnswerTimeoutMs);
      return Role::Secondary;
    }
    lock_.reset();
    return Role::Failed;
  }
  // We hold the lock, so any socket file left behind belongs to a dead copy.
  QLocalServer::removeServer(socketPath());
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(socketPath())) {
    delete server_;
    server_ = nullptr;
    return Role::Failed;
  }
  connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
  return Role::Primary;
}

void SingleInstance::acceptConnections() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      // Only whole short lines are understood; anything longer is dropped with the connection.
      while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(kMaxRequestBytes).trimmed();
        if (line == "show") {
          emit showRequested();
          continue;
        }
        const qsizetype blank = line.indexOf(' ');
        const auto handler = handlers_.find(blank < 0 ? line : line.left(blank));
        if (handler == handlers_.end()) continue;
        QByteArray reply = handler->second(blank < 0 ? QByteArray() : line.mid(blank + 1));
        reply.replace('\n', ' ');
        socket->write(reply + '\n');
        socket->flush();
      }
      if (socket->bytesAvailable() > kMaxRequestBytes) socket->abort();
    });
  }
}

void SingleInstance::setRequestHandler(const QByteArray& verb, RequestHandler handler) {
  handlers_[verb] = std::move(handler);
}

std::optional<QByteArray> SingleInstance::exchange(const QString& socketPath, const QByteArray& request,
                                                   int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  const auto remaining = [&] { return static_cast<int>(std::max<qint64>(1, deadline.remainingTime())); };
  while (!deadline.hasExpired()) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(remaining())) {
      QThread::msleep(50);
      continue;
    }
    socket.write(request);
    if (!socket.waitForBytesWritten(remaining())) return std::nullopt;
    while (!socket.canReadLine()) {
      if (deadline.hasExpired() || socket.state() != QLocalSocket::ConnectedState) return std::nullopt;
      if (socket.bytesAvailable() > kMaxRequestBytes) return std::nullopt;
      socket.waitForReadyRead(remaining());
    }
    QByteArray line = socket.readLine(kMaxRequestBytes);
    if (line.endsWith('\n')) line.chop(1);
    socket.disconnectFromServer();
    return line;
  }
  return std::nullopt;
}

bool SingleInstance::sendRequest(const QString& socketPath, const QByteArray& request, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (!deadline.hasExpired()) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (socket.waitForConnected(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) {
      socket.write(request);
      const bool written = socket.waitForBytesWritten(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
      socket.disconnectFromServer();
      return written;
    }
    QThread::msleep(50);
  }
  return false;
}

}  // namespace kalvory
