#include "desktop/stopwatch/stopwatch_feature.h"

#include <QGuiApplication>
#include <QScreen>

#include "core/resources/resource_menus.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
#include "desktop/common/qt_text.h"
#include "desktop/common/screen_placement.h"

namespace kalvory {

namespace {

// The menu's name of a command, without its access key mark: the window's title.
QString commandName(const std::vector<MenuItem>& items, int command) {
  for (const MenuItem& item : items) {
    if (item.kind == MenuItem::Kind::Command && item.command == command)
      return toQString(item.text).section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
    if (item.kind == MenuItem::Kind::Popup) {
      QString name = commandName(item.items, command);
      if (!name.isEmpty()) return name;
    }
  }
  return {};
}

}  // namespace

StopwatchFeature::StopwatchFeature(ActionRegistry& actions, QObject* parent) : QObject(parent), actions_(actions) {
  actions_.add(ID_STOPWATCH, [this] { open(); });
  // The window's own keys, reachable from anywhere through "kalvory --command": with no stopwatch
  // open, each opens one (which starts counting).
  actions_.add(ID_STOPWATCH_RESTART, [this] {
    const bool wasOpen = !window_.isNull();
    open();
    if (wasOpen) window_->Restart();
  });
  actions_.add(ID_STOPWATCH_HOLD, [this] {
    if (window_.isNull()) {
      open();
      return;
    }
    window_->Hold();
  });
}

StopwatchFeature::~StopwatchFeature() { delete window_.data(); }

void StopwatchFeature::open() {
  if (!window_) {
    window_ = new CStopWatchDlg();
    window_->setAttribute(Qt::WA_DeleteOnClose);
    languageChanged();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      QRect place(QPoint(), window_->size());
      place.moveCenter(screen->availableGeometry().center());
      window_->move(place.topLeft());
    }
    // Dragged where a monitor was, it comes back when that monitor is unplugged.
    keepOnScreenWhenScreensChange(window_);
  }
  window_->show();
  window_->raise();
  window_->activateWindow();
}

void StopwatchFeature::languageChanged() {
  if (window_) window_->setWindowTitle(commandName(loadMenu(kMainMenuId, actions_.uiLanguage()), ID_STOPWATCH));
}

}  // namespace kalvory
