#include "desktop/alarms/turn_off_feature.h"

#include <QApplication>
#include <QWidget>

#include "desktop/alarms/alarm_controller.h"
#include "desktop/alarms/postpone_dialog.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"

namespace kalvory {

TurnOffFeature::TurnOffFeature(AlarmController& alarms, ActionRegistry& actions, Services services, QObject* parent)
    : QObject(parent), alarms_(alarms), actions_(actions), services_(std::move(services)) {
  // The menu's "Turn off" is there while a reminder rings; its hotkey asks always, and with
  // nothing ringing the answer simply finds nothing to settle.
  actions.add(
      ID_TURN_OFF, [this] { open(); },
      [this] {
        CommandState state;
        state.enabled = alarms_.isRinging();
        return state;
      });
}

TurnOffFeature::~TurnOffFeature() { delete dialog_.data(); }

CPostPoneDlg* TurnOffFeature::dialog() const { return dialog_.data(); }

void TurnOffFeature::open() {
  if (dialog_) {
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
    return;
  }
  previousActive_ = QApplication::activeWindow();
  QWidget* parent = services_.dialogParent ? services_.dialogParent() : nullptr;
  if (parent != nullptr && !parent->isVisible()) parent = nullptr;
  dialog_ = new CPostPoneDlg(actions_.uiLanguage(), alarms_.now(), parent);
  dialog_->setAttribute(Qt::WA_DeleteOnClose);
  // It blocks the main window as the question it is, but not the event loop: the alarm check,
  // the tray and the hotkeys go on while it waits.
  dialog_->setWindowModality(parent != nullptr ? Qt::WindowModal : Qt::NonModal);
  connect(dialog_, &QDialog::finished, this, &TurnOffFeature::finished);
  dialog_->show();
  dialog_->raise();
  dialog_->activateWindow();
}

void TurnOffFeature::finished(int result) {
  if (result == QDialog::Accepted && dialog_) {
    const StopAlarmsArguments answer = dialog_->answer();
    alarms_.stopAlarms(answer.keepExitAction, answer.postponeSeconds);
  }
  dialog_.clear();
  // The window the user was in comes back on top, without taking the focus from where the
  // desktop puts it. Windows of other programs are the window manager's to restack.
  if (previousActive_ && previousActive_->isVisible()) previousActive_->raise();
  previousActive_.clear();
}

}  // namespace kalvory
