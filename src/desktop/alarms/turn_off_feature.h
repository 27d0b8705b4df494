#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace kalvory {

class ActionRegistry;
class AlarmController;
class CPostPoneDlg;

// "Turn off" (the tray, its hotkey, a click on a notifier): asks how with "Turn off alarm" and
// hands the answer to the alarm check. One dialog at a time: asking again brings it forward.
class TurnOffFeature final : public QObject {
  Q_OBJECT
 public:
  struct Services {
    std::function<QWidget*()> dialogParent;  // the main window; the dialog is free while it is hidden
  };

  TurnOffFeature(AlarmController& alarms, ActionRegistry& actions, Services services, QObject* parent = nullptr);
  ~TurnOffFeature() override;

  void open();
  // The open dialog, or null.
  CPostPoneDlg* dialog() const;

 private:
  void finished(int result);

  AlarmController& alarms_;
  ActionRegistry& actions_;
  Services services_;
  QPointer<CPostPoneDlg> dialog_;
  QPointer<QWidget> previousActive_;  // the window that was active when the dialog opened
};

}  // namespace kalvory
