#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QLocalServer;

namespace kalvory {

// Keeps one running copy of the program per user. The first process takes a lock file and
// listens on a local socket; a later one finds the lock taken, asks the first to show itself
// (or hands it another request) and ends.
//
// The protocol is one line per request: "show", or a verb, a blank and its argument (which must
// not hold a line break; callers encode it). A verb with a handler is answered with the
// handler's one line; unknown lines are ignored.
class SingleInstance : public QObject {
  Q_OBJECT
 public:
  // `name` is both the socket's and the lock file's name; `directory` defaults to the user's
  // runtime folder, so different users never meet.
  explicit SingleInstance(QString name, QString directory = {}, QObject* parent = nullptr);
  ~SingleInstance() override;

  enum class Role { Primary, Secondary, Failed };

  // Takes the lock and starts listening when no other copy runs (Primary). Otherwise sends
  // `request` to the running copy (Secondary; an empty one is not sent); a request other than
  // "show" waits for the answer, kept in answer(). Failed means neither worked; the caller then runs as if alone,
  // since refusing to start would be worse than a second copy.
  Role start(const QByteArray& request = QByteArrayLiteral("show\n"));
  // The running copy's answer to the request of a Secondary start; nullopt when none came.
  const std::optional<QByteArray>& answer() const { return answer_; }

  // Answers the lines "VERB ARGUMENT" with handler(ARGUMENT); the handler's result is sent
  // back as one line.
  using RequestHandler = std::function<QByteArray(const QByteArray& argument)>;
  void setRequestHandler(const QByteArray& verb, RequestHandler handler);

  QString socketPath() const;
  QString lockPath() const;

  // Sends one request line to the running copy; false when it cannot be reached in time.
  static bool sendRequest(const QString& socketPath, const QByteArray& request, int timeoutMs);
  // Sends one request line and waits for the one-line answer (without its line break).
  static std::optional<QByteArray> exchange(const QString& socketPath, const QByteArray& request, int timeoutMs);

 signals:
  // Another copy was started and asked for the main window.
  void showRequested();

 private:
  void acceptConnections();

  QString name_;
  QString directory_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer* server_ = nullptr;
  std::map<QByteArray, RequestHandler> handlers_;
  std::optional<QByteArray> answer_;
};

}  // namespace kalvory
