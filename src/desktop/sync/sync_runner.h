#pragma once

#include <QObject>
#include <QThread>
#include <QUrl>
#include <functional>
#include <vector>

#include "platform/caldav/caldav_sync.h"

namespace kalvory {

// The network side of the calendar sync on a thread of its own: a sync or a search for
// calendars is handed over with copies of everything it needs, and its answer comes back through
// the event loop of the thread that made the runner. Nothing here touches the document.
class SyncRunner final : public QObject {
 public:
  explicit SyncRunner(QObject* parent = nullptr);
  // Stops the thread without waiting for any server: a sync under way is dropped, its answer never
  // comes, and nothing was changed here by it.
  ~SyncRunner() override;

  // How long a request may stay silent (milliseconds).
  void setTimeout(int milliseconds);

  void sync(const QUrl& collection, const DavAccount& account, std::vector<LocalItem> items, SyncState state,
            std::function<void(SyncOutcome)> done);
  void findCalendars(const QUrl& server, const DavAccount& account,
                     std::function<void(std::vector<CalendarInfo>, QString failure)> done);

  QThread* thread() { return &thread_; }

 private:
  class Worker;
  QThread thread_;
  Worker* worker_ = nullptr;  // lives on thread_, deleted there when it ends
  int timeout_ = 30000;
};

}  // namespace kalvory
