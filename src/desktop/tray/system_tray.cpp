#include "desktop/tray/system_tray.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QElapsedTimer>
#include <cmath>

#include "core/resources/resource_menus.h"
#include "desktop/common/command_target.h"
#include "desktop/common/commands.h"
#include "desktop/common/date_icon.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

namespace {

qint64 steadyMilliseconds() {
  static QElapsedTimer timer = [] {
    QElapsedTimer started;
    started.start();
    return started;
  }();
  return timer.elapsed();
}

// Hosts that speak StatusNotifierItem report one "Activate" per left click and never a double
// click; this is the same test Qt makes when it picks that protocol.
bool statusNotifierHostPresent() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()) return false;
  const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
  if (!bus.interface()->isServiceRegistered(watcher)) return false;
  QDBusInterface properties(watcher, QStringLiteral("/StatusNotifierWatcher"),
                            QStringLiteral("org.freedesktop.DBus.Properties"), bus);
  QDBusReply<QVariant> reply =
      properties.call(QStringLiteral("Get"), watcher, QStringLiteral("IsStatusNotifierHostRegistered"));
  return reply.isValid() && reply.value().toBool();
}

}  // namespace

CSystemTray::CSystemTray(CommandTarget* target, QObject* parent)
    : QObject(parent), target_(target), clock_(steadyMilliseconds) {
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &CSystemTray::animationTick);
  connect(&menu_, &QMenu::aboutToShow, this, &CSystemTray::refreshMenu);
}

CSystemTray::~CSystemTray() { Remove(); }

void CSystemTray::createIconObject() {
  delete icon_widget_;
  icon_widget_ = new QSystemTrayIcon(this);
  connect(icon_widget_, &QSystemTrayIcon::activated, this, &CSystemTray::handleActivation);
  icon_widget_->setContextMenu(contextMenu());
}

bool CSystemTray::Create(const QString& tooltip, const QIcon& icon) {
  // A tray host of the StatusNotifierItem kind coming or going is told by the bus itself.
  if (QDBusConnection bus = QDBusConnection::sessionBus(); bus.isConnected()) {
    auto* watcher = new QDBusServiceWatcher(QStringLiteral("org.kde.StatusNotifierWatcher"), bus,
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, [this] { trayHostChanged_ = true; });
  }
  icon_ = icon;
  tooltip_ = shortenTooltip(tooltip);
  singleClickActivates_ = statusNotifierHostPresent();
  createIconObject();
  icon_widget_->setIcon(icon_);
  icon_widget_->setToolTip(tooltip_);
  icon_widget_->show();
  trayWasAvailable_ = QSystemTrayIcon::isSystemTrayAvailable();
  enabled_ = true;
  hidden_ = false;
  return enabled_;
}

void CSystemTray::Remove() {
  StopAnimation();
  if (icon_widget_) {
    icon_widget_->hide();
    delete icon_widget_;
  }
  enabled_ = false;
}

void CSystemTray::Hide() {
  if (!enabled_ || hidden_) return;
  icon_widget_->hide();
  hidden_ = true;
}

void CSystemTray::Show() {
  if (!enabled_ || !hidden_) return;
  icon_widget_->setIcon(icon_);
  icon_widget_->setToolTip(tooltip_);
  icon_widget_->show();
  hidden_ = false;
}

void CSystemTray::SetIcon(const QIcon& icon) {
  if (!enabled_) return;
  icon_ = icon;
  icon_widget_->setIcon(icon);
}

void CSystemTray::SetTooltipText(const QString& text) {
  if (!enabled_) return;
  tooltip_ = shortenTooltip(text);
  icon_widget_->setToolTip(tooltip_);
}

void CSystemTray::setAlarmRinging(bool ringing) {
  if (ringing_ == ringing) return;
  ringing_ = ringing;
  refreshMenu();
}

void CSystemTray::Animate(int stepMs, int durationSeconds) {
  if (!enabled_) return;
  StopAnimation();
  if (frames_.isEmpty()) return;
  step_ = 0;
  animationStart_ = clock_();
  animationDuration_ = durationSeconds;
  savedIcon_ = icon_;
  timer_.start(stepMs);
}

void CSystemTray::StopAnimation() {
  if (!timer_.isActive()) return;
  timer_.stop();
  if (icon_widget_) icon_widget_->setIcon(savedIcon_);
  icon_ = savedIcon_;
}

void CSystemTray::animationTick() {
  if (animationDuration_ > 0) {
    const qint64 seconds = std::llround(static_cast<double>(clock_() - animationStart_) / 1000.0);
    if (seconds > animationDuration_) {
      StopAnimation();
      return;
    }
  }
  step_ = (step_ + 1) % static_cast<int>(frames_.size());
  if (icon_widget_) icon_widget_->setIcon(frames_[step_]);
}

void CSystemTray::buildMenu() {
  menu_.clear();
  actions_.clear();
  const UiLanguage language = target_->uiLanguage();
  for (const MenuItem& item : loadMenu(kTrayMenuId, language)) {
    if (item.kind != MenuItem::Kind::Command) {
      menu_.addSeparator();
      continue;
    }
    QAction* action = menu_.addAction(toQString(item.text));
    action->setData(item.command);
    actions_[item.command] = action;
    const int id = item.command;
    connect(action, &QAction::triggered, this, [this, id] { target_->runCommand(id); });
  }
  menuLanguage_ = static_cast<int>(language);
}

QMenu* CSystemTray::contextMenu() {
  if (menuLanguage_ != static_cast<int>(target_->uiLanguage())) buildMenu();
  return &menu_;
}

void CSystemTray::refreshMenu() {
  if (menuLanguage_ != static_cast<int>(target_->uiLanguage())) buildMenu();
  const UiLanguage language = target_->uiLanguage();
  const std::vector<MenuItem> items = loadMenu(kTrayMenuId, language);
  for (const auto& [id, action] : actions_) {
    const CommandState state = target_->commandState(id);
    action->setCheckable(state.checkable);
    action->setChecked(state.checked);
    action->setEnabled(state.enabled);
    QString text = state.text;
    if (text.isEmpty()) {
      for (const auto& item : items)
        if (item.command == id) text = toQString(item.text);
    }
    action->setText(text);
  }
  // "Turn off" answers only while something rings, and is then what a double click does.
  if (QAction* turnOff = actionFor(ID_TURN_OFF)) turnOff->setEnabled(ringing_);
  const QList<QAction*> all = menu_.actions();
  const int position = ringing_ ? 0 : defaultPosition_;
  menu_.setDefaultAction(position >= 0 && position < all.size() ? all[position] : nullptr);
}

QAction* CSystemTray::actionFor(int id) const {
  auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second;
}

int CSystemTray::defaultCommand() const {
  if (ringing_) return ID_TURN_OFF;
  const std::vector<MenuItem> items = loadMenu(kTrayMenuId, target_->uiLanguage());
  if (defaultPosition_ >= 0 && defaultPosition_ < static_cast<int>(items.size()))
    return items[static_cast<std::size_t>(defaultPosition_)].command;
  return ID_SHOW_HIDE;
}

void CSystemTray::handleActivation(QSystemTrayIcon::ActivationReason reason) {
  if (!enabled_) return;
  const bool runDefault =
      reason == QSystemTrayIcon::DoubleClick || (reason == QSystemTrayIcon::Trigger && singleClickActivates_);
  if (runDefault) target_->runCommand(defaultCommand());
}

bool CSystemTray::recreateIfTrayReturned() {
  if (!enabled_) return false;
  if (!trayHostChanged_) {
    if (trayWasAvailable_) return false;
    if (++callsSinceProbe_ < kTrayProbeInterval) return false;
  }
  trayHostChanged_ = false;
  callsSinceProbe_ = 0;
  const bool available = QSystemTrayIcon::isSystemTrayAvailable();
  const bool returned = available && !trayWasAvailable_;
  trayWasAvailable_ = available;
  if (!returned || hidden_) return false;
  // A new tray host knows nothing of us: add the icon again with its picture and tooltip.
  createIconObject();
  icon_widget_->setIcon(timer_.isActive() ? frames_.value(step_) : icon_);
  icon_widget_->setToolTip(tooltip_);
  icon_widget_->show();
  return true;
}

}  // namespace kalvory
