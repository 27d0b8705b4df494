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
constexpr int kMaxRequestBytes = 64;
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

SingleInstance::Role SingleInstance::start() {
  QDir().mkpath(directory_);
  lock_ = std::make_unique<QLockFile>(lockPath());
  // A lock left by a crashed copy names a dead process and is taken over at once.
  // Age alone never makes it stale: a copy that has run for days still owns it.
  lock_->setStaleLockTime(0);
  if (!lock_->tryLock(0)) {
    if (lock_->error() == QLockFile::LockFailedError) {
      // The running copy may still be starting; give it a moment to open its socket. Whether or
      // not it answers, it holds the lock, so this copy ends.
      sendRequest(socketPath(), "show\n", kRequestTimeoutMs);
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
        if (line == "show") emit showRequested();
      }
      if (socket->bytesAvailable() > kMaxRequestBytes) socket->abort();
    });
  }
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
