#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "core/alarms/alarm_ports.h"
#include "core/skins/definitions.h"

namespace kalvory {

class CAlarmDoc;
class CTaskbarNotifier;

// Configures a popup from a notifier definition: picture and shape, fonts, colours, text
// rectangle, close box and the two opacities. False when the picture did not load.
bool configureNotifier(CTaskbarNotifier& popup, const CTBNotifierContext& definition);

// The taskbar notifiers of the running program: one popup per notifier definition of the
// document, made when the first one is needed and made again when the definitions changed.
class NotifierFeature final : public NotifierPort {
 public:
  struct Services {
    std::function<void()> postpone;  // a click on a popup: the turn-off dialog
    std::function<void()> stop;      // a click on its close box: every ringing reminder off
    std::function<QWidget*()> owner;
  };

  NotifierFeature(CAlarmDoc& document, Services services);
  ~NotifierFeature() override;

  // --- NotifierPort
  void ShowNotifier(const std::string& plainText, int seconds, const std::string& notifierName) override;
  void HideAllNotifiers() override;

  const std::vector<std::unique_ptr<CTaskbarNotifier>>& popups() const { return popups_; }

 private:
  void createPopups();
  bool popupsCurrent() const;

  CAlarmDoc& document_;
  Services services_;
  std::vector<std::unique_ptr<CTaskbarNotifier>> popups_;
};

}  // namespace kalvory
