#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <functional>

namespace kalvory {

// One call of a desktop portal method that answers later, through the Response signal of a
// Request object: (response, results), where response 0 is success, 1 the user declined and 2
// anything else. A call the bus itself refuses (no portal, no such method) answers 2 with the
// bus's error message. The answer comes once, on the event loop; the object deletes itself after.
class PortalRequest final : public QObject {
  Q_OBJECT
 public:
  using Answer = std::function<void(uint response, const QVariantMap& results, const QString& error)>;

  // Calls `method` of `interface` on the portal object with `arguments`, whose last one must be
  // the options map: it gets the handle_token under which the answer is awaited. `context`
  // owns the request: gone before the answer, the answer is dropped.
  static void send(const QDBusConnection& bus, const QString& interface, const QString& method, QVariantList arguments,
                   QObject* context, Answer answer);

 private slots:
  void response(uint response, const QVariantMap& results);

 private:
  PortalRequest(const QDBusConnection& bus, QObject* context, Answer answer);
  void listen(const QString& path);
  void finish(uint response, const QVariantMap& results, const QString& error);

  QDBusConnection bus_;
  Answer answer_;
  QString path_;
  bool finished_ = false;
};

}  // namespace kalvory
