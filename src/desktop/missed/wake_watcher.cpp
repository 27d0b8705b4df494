#include "desktop/missed/wake_watcher.h"

namespace kalvory {

WakeWatcher::WakeWatcher(QDBusConnection bus, QObject* parent) : QObject(parent) {
  watching_ = bus.isConnected() &&
              bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                          QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                          SLOT(prepareForSleep(bool)));
}

void WakeWatcher::prepareForSleep(bool sleeping) {
  if (sleeping)
    emit goingToSleep();
  else
    emit woke();
}

}  // namespace kalvory
