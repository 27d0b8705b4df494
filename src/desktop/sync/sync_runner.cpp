#include "desktop/sync/sync_runner.h"

#include <memory>

namespace kalvory {

// Lives on the runner's thread; its network objects are made there, so that every reply is
// read there.
class SyncRunner::Worker final : public QObject {
 public:
  void sync(const QUrl& collection, const DavAccount& account, int timeout, std::vector<LocalItem> items,
            SyncState state, std::function<void(SyncOutcome)> done) {
    // One engine per calendar and account; a new one when the settings changed.
    if (!sync_ || collection != collection_ || account.user != account_.user || account.password != account_.password) {
      sync_ = std::make_unique<CalDavSync>(collection, account);
      collection_ = collection;
      account_ = account;
    }
    sync_->setTimeout(timeout);
    sync_->start(std::move(items), std::move(state), std::move(done));
  }

  void findCalendars(const QUrl& server, const DavAccount& account, int timeout,
                     std::function<void(std::vector<CalendarInfo>, QString)> done) {
    // A new search replaces one still under way, whose requests end with their client.
    finder_ = std::make_unique<DavClient>(account);
    finder_->setTimeout(timeout);
    discoverCalendars(*finder_, server, std::move(done));
  }

 private:
  std::unique_ptr<CalDavSync> sync_;
  QUrl collection_;
  DavAccount account_;
  std::unique_ptr<DavClient> finder_;
};

SyncRunner::SyncRunner(QObject* parent) : QObject(parent) {
  thread_.setObjectName(QStringLiteral("calendar sync"));
  worker_ = new Worker;
  worker_->moveToThread(&thread_);
  connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
  thread_.start();
}

SyncRunner::~SyncRunner() {
  thread_.quit();
  thread_.wait();
}

void SyncRunner::setTimeout(int milliseconds) { timeout_ = milliseconds; }

void SyncRunner::sync(const QUrl& collection, const DavAccount& account, std::vector<LocalItem> items, SyncState state,
                      std::function<void(SyncOutcome)> done) {
  Worker* worker = worker_;
  const int timeout = timeout_;
  QMetaObject::invokeMethod(
      worker,
      [this, worker, collection, account, timeout, items = std::move(items), state = std::move(state),
       done = std::move(done)]() mutable {
        worker->sync(collection, account, timeout, std::move(items), std::move(state),
                     [this, done](SyncOutcome outcome) {
                       QMetaObject::invokeMethod(
                           this, [done, outcome = std::move(outcome)] { done(outcome); }, Qt::QueuedConnection);
                     });
      },
      Qt::QueuedConnection);
}

void SyncRunner::findCalendars(const QUrl& server, const DavAccount& account,
                               std::function<void(std::vector<CalendarInfo>, QString)> done) {
  Worker* worker = worker_;
  const int timeout = timeout_;
  QMetaObject::invokeMethod(
      worker,
      [this, worker, server, account, timeout, done = std::move(done)] {
        worker->findCalendars(
            server, account, timeout, [this, done](std::vector<CalendarInfo> calendars, QString failure) {
              QMetaObject::invokeMethod(
                  this, [done, calendars = std::move(calendars), failure] { done(calendars, failure); },
                  Qt::QueuedConnection);
            });
      },
      Qt::QueuedConnection);
}

}  // namespace kalvory
