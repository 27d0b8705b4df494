#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QRadioButton>

#include "desktop/alarms/postpone_dialog.h"
#include "desktop/alarms/turn_off_feature.h"
#include "desktop/common/frame_fixture.h"

namespace kalvory {
namespace {

using test::FrameFixture;

const COleDateTime kOpened{2026, 5, 7, 9, 30, 0};

TEST(TurnOffDialog, StartsOnTurnOffAndEnablesOnlyTheChosenControls) {
  CPostPoneDlg dialog(UiLanguage::English, kOpened);
  EXPECT_EQ(dialog.windowTitle(), "Turn off alarm");
  EXPECT_EQ(dialog.choice(), TurnOffChoice::TurnOff);
  ASSERT_EQ(dialog.minutesList()->count(), 12);
  EXPECT_EQ(dialog.minutesList()->itemText(0), "5");
  EXPECT_EQ(dialog.minutesList()->itemText(11), "60");
  EXPECT_EQ(dialog.minutesList()->currentIndex(), 0);
  EXPECT_FALSE(dialog.executeExitAction()->isChecked());
  EXPECT_EQ(dialog.datePicker()->date(), QDate(2026, 5, 7));

  const auto enabled = [&] {
    return std::array{dialog.minutesList()->isEnabled(), dialog.datePicker()->isEnabled(),
                      dialog.executeExitAction()->isEnabled()};
  };
  EXPECT_EQ(enabled(), (std::array{false, false, true}));
  dialog.remindInButton()->click();
  EXPECT_EQ(enabled(), (std::array{true, false, false}));
  dialog.remindOnButton()->click();
  EXPECT_EQ(enabled(), (std::array{false, true, false}));

  CPostPoneDlg russian(UiLanguage::Russian, kOpened);
  EXPECT_EQ(russian.windowTitle(), QString::fromUtf8("Отключение напоминания"));
}

TEST(TurnOffDialog, AnswersAsTheAlarmCheckTakesThem) {
  CPostPoneDlg dialog(UiLanguage::English, kOpened);
  // The default: off, and the exit action stays away.
  EXPECT_EQ(dialog.answer(), (StopAlarmsArguments{false, 0}));
  dialog.executeExitAction()->setChecked(true);
  EXPECT_EQ(dialog.answer(), (StopAlarmsArguments{true, 0}));

  dialog.remindInButton()->click();
  dialog.minutesList()->setCurrentIndex(2);  // "15"
  EXPECT_EQ(dialog.answer(), (StopAlarmsArguments{false, 900}));
  dialog.minutesList()->setCurrentIndex(-1);  // nothing chosen: off
  EXPECT_EQ(dialog.answer(), (StopAlarmsArguments{false, 0}));

  // "Remind on" keeps the opening's time of day: today is no postponement at all, tomorrow a day,
  // yesterday a day back.
  dialog.remindOnButton()->click();
  EXPECT_EQ(dialog.answer(), (StopAlarmsArguments{false, 0}));
  dialog.datePicker()->setDate(QDate(2026, 5, 8));
  EXPECT_EQ(dialog.remindOn(), COleDateTime(2026, 5, 8, 9, 30, 0));
  EXPECT_EQ(dialog.answer(), (StopAlarmsArguments{false, 86400}));
  dialog.datePicker()->setDate(QDate(2026, 5, 6));
  EXPECT_EQ(dialog.answer(), (StopAlarmsArguments{false, -86400}));
}

// The whole program: "Turn off" from any place opens one dialog; its answer reaches the ringing
// reminder and the lists, Cancel leaves it ringing.
TEST(TurnOffFeature, OneDialogWhoseAnswerSettlesTheRingingReminders) {
  FrameFixture fixture;
  DesktopProgram& program = *fixture.program;
  program.activate();
  CAlarmLine due(fixture.now);
  due.text = "Ring";
  fixture.document.AddAlarm(due);
  program.alarms().tick();
  ASSERT_TRUE(program.alarms().isRinging());

  program.actions().runCommand(ID_TURN_OFF);
  CPostPoneDlg* first = program.turnOff().dialog();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->isVisible());
  program.actions().runCommand(ID_TURN_OFF);
  EXPECT_EQ(program.turnOff().dialog(), first);
  // The alarm check goes on while the question waits.
  fixture.tick();
  EXPECT_TRUE(program.alarms().isRinging());

  first->reject();
  QCoreApplication::processEvents();
  EXPECT_EQ(program.turnOff().dialog(), nullptr);
  EXPECT_TRUE(program.alarms().isRinging());

  int settled = 0;
  QObject::connect(&program.alarms(), &AlarmController::alarmsSettled, [&] { ++settled; });
  program.actions().runCommand(ID_TURN_OFF);
  CPostPoneDlg* second = program.turnOff().dialog();
  ASSERT_NE(second, nullptr);
  second->remindInButton()->click();
  second->minutesList()->setCurrentIndex(2);
  second->accept();
  EXPECT_EQ(settled, 1);
  EXPECT_FALSE(program.alarms().isRinging());
  EXPECT_EQ(fixture.document.GetAlarmAt(0)->time, COleDateTime(2026, 5, 7, 9, 45, 0));
  EXPECT_EQ(fixture.document.GetAlarmAt(0)->state, ReminderState::Armed);

  // It rings again at the new time.
  fixture.now = COleDateTime(2026, 5, 7, 9, 45, 0);
  fixture.tick();
  EXPECT_TRUE(program.alarms().isRinging());
}

}  // namespace
}  // namespace kalvory
