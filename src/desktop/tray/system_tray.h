#pragma once

#include <QIcon>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <map>

namespace kalvory {

class CommandTarget;

// The program's icon in the notification area (CSystemTray): icon, tooltip, the tray menu
// with its default item, the double-click rule and the ringing animation.
class CSystemTray : public QObject {
  Q_OBJECT
 public:
  // Milliseconds on a steady clock; tests replace it.
  using MillisecondClock = std::function<qint64()>;

  CSystemTray(CommandTarget* target, QObject* parent = nullptr);
  ~CSystemTray() override;

  // Adds the icon; false (and every later call does nothing) when it cannot be made.
  bool Create(const QString& tooltip, const QIcon& icon);
  void Remove();
  void Hide();
  void Show();
  bool isEnabled() const { return enabled_; }
  bool isHidden() const { return hidden_; }

  void SetIcon(const QIcon& icon);
  QIcon icon() const { return icon_; }
  void SetTooltipText(const QString& text);
  QString tooltip() const { return tooltip_; }

  // Position of the item a double click runs while no alarm rings ("Show" is 1).
  void SetMenuDefaultItem(int position) { defaultPosition_ = position; }
  void setAlarmRinging(bool ringing);
  bool alarmRinging() const { return ringing_; }

  void SetAnimationIcons(const QList<QIcon>& frames) { frames_ = frames; }
  // Steps every `stepMs`; stops by itself after `durationSeconds` when that is positive.
  void Animate(int stepMs, int durationSeconds);
  void StopAnimation();
  bool isAnimating() const { return timer_.isActive(); }
  int animationStep() const { return step_; }
  void setClock(MillisecondClock clock) { clock_ = std::move(clock); }

  // The tray menu in the current language with the current states; rebuilt when the language
  // changed, refreshed otherwise. Exposed so the frame can refresh it after state changes.
  QMenu* contextMenu();
  void refreshMenu();
  // The command a double click runs now.
  int defaultCommand() const;
  QAction* actionFor(int id) const;

  // The tray was lost (its host went away) and is back: the icon is added anew. Asking whether
  // a tray is there is a blocking round trip to the tray host, so it is asked only after the
  // StatusNotifierItem watcher came or went on the bus, and, while no tray is there, every
  // kTrayProbeInterval-th call (an XEmbed tray announces itself on no bus).
  bool recreateIfTrayReturned();
  static constexpr int kTrayProbeInterval = 10;

  // Handles a click the way the notification area reports it.
  void handleActivation(QSystemTrayIcon::ActivationReason reason);

  QSystemTrayIcon* trayIcon() const { return icon_widget_; }

 private:
  void animationTick();
  void buildMenu();
  void createIconObject();

  CommandTarget* target_;
  QPointer<QSystemTrayIcon> icon_widget_;
  QMenu menu_;
  std::map<int, QAction*> actions_;
  int menuLanguage_ = -1;
  bool enabled_ = false;
  bool hidden_ = true;
  bool ringing_ = false;
  bool trayWasAvailable_ = false;
  bool trayHostChanged_ = false;  // the watcher appeared or went since the last look
  int callsSinceProbe_ = 0;
  bool singleClickActivates_ = false;
  int defaultPosition_ = 1;
  QIcon icon_;
  QString tooltip_;

  QList<QIcon> frames_;
  QTimer timer_;
  int step_ = 0;
  qint64 animationStart_ = 0;
  int animationDuration_ = 0;
  QIcon savedIcon_;
  MillisecondClock clock_;
};

}  // namespace kalvory
