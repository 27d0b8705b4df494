#pragma once

#include <QDialog>

#include "core/alarms/turn_off_answer.h"
#include "core/common/date_time.h"
#include "core/resources/resource_strings.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QRadioButton;

namespace kalvory {

// "Turn off alarm": remind again in some minutes, remind again on a chosen date, or turn the
// ringing reminders off, optionally letting their exit action run. It only asks; the caller
// hands the answer to the alarm check.
class CPostPoneDlg final : public QDialog {
  Q_OBJECT
 public:
  // `openedAt` is the moment the question is asked: the date picker starts there, and "Remind
  // on" counts its seconds from it.
  CPostPoneDlg(UiLanguage language, const COleDateTime& openedAt, QWidget* parent = nullptr);

  // The answer as the alarm check takes it; meaningful after OK.
  StopAlarmsArguments answer() const;

  TurnOffChoice choice() const;
  // The "Remind on" moment: the picked date at the opening's time of day.
  COleDateTime remindOn() const;

  QRadioButton* remindInButton() const { return remindIn_; }
  QRadioButton* remindOnButton() const { return remindOnButton_; }
  QRadioButton* turnOffButton() const { return turnOff_; }
  QComboBox* minutesList() const { return minutes_; }
  QDateEdit* datePicker() const { return date_; }
  QCheckBox* executeExitAction() const { return executeExit_; }

 private:
  void enableForChoice();

  COleDateTime openedAt_;
  QRadioButton* remindIn_ = nullptr;
  QRadioButton* remindOnButton_ = nullptr;
  QRadioButton* turnOff_ = nullptr;
  QComboBox* minutes_ = nullptr;
  QDateEdit* date_ = nullptr;
  QCheckBox* executeExit_ = nullptr;
};

}  // namespace kalvory
