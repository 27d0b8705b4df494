#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

namespace kalvory {

// Keeps one running copy of the program per user. The first process takes a lock file and
// listens on a local socket; a later one finds the lock taken, asks the first to show itself
// and ends.
class SingleInstance : public QObject {
  Q_OBJECT
 public:
  // `name` is both the socket's and the lock file's name; `directory` defaults to the user's
  // runtime folder, so different users never meet.
  explicit SingleInstance(QString name, QString directory = {}, QObject* parent = nullptr);
  ~SingleInstance() override;

  enum class Role { Primary, Secondary, Failed };

  // Takes the lock and starts listening when no other copy runs (Primary). Otherwise sends
  // "show" to the running copy (Secondary). Failed means neither worked; the caller then runs
  // as if alone, since refusing to start would be worse than a second copy.
  Role start();

  QString socketPath() const;
  QString lockPath() const;

  // Sends one request line to the running copy; false when it cannot be reached in time.
  static bool sendRequest(const QString& socketPath, const QByteArray& request, int timeoutMs);

 signals:
  // Another copy was started and asked for the main window.
  void showRequested();

 private:
  void acceptConnections();

  QString name_;
  QString directory_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer* server_ = nullptr;
};

}  // namespace kalvory
