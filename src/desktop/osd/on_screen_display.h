#pragma once

#include <QObject>
#include <string>

#include "core/alarms/alarm_ports.h"
#include "core/settings/app_settings.h"

namespace kalvory {

class ActionRegistry;

// The on-screen alarm message and the on-screen clock, and the "Show clock" command.
class OnScreenDisplay final : public QObject, public AlarmTextPort {
  Q_OBJECT
 public:
  OnScreenDisplay(ApplicationSettings& settings, ActionRegistry& actions, QObject* parent = nullptr);

  void ShowClock(bool show);
  bool clockShown() const { return clockShown_; }

  // --- AlarmTextPort
  void ShowAlarmText(const std::string& text, bool show) override;
  bool AlarmTextWindowExists() const override { return textWindowExists_; }
  std::string GetAlarmText() const override { return text_; }
  void HideAlarmText() override;

 signals:
  // The alarm message was shown for a ringing reminder.
  void alarmTextShown();

 private:
  ApplicationSettings& settings_;
  bool clockShown_ = false;
  bool textWindowExists_ = false;
  bool textShowing_ = false;
  std::string text_;
};

}  // namespace kalvory
