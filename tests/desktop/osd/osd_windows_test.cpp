// The message and clock windows inside the program, offscreen: the message's display time, the
// clock's format and timer, and the places stored at closing. The configuration dialog's pages
// reaching the running windows are tested with the dialog (tests/desktop/config).
#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "core/clock/time_format.h"
#include "desktop/common/frame_fixture.h"
#include "desktop/config/configuration_feature.h"
#include "desktop/config/settings_dialog.h"
#include "desktop/osd/clock_static.h"
#include "desktop/osd/on_screen_display.h"
#include "desktop/osd/osd_font_page.h"
#include "desktop/osd/symbol_dialog.h"
#include "desktop/osd/text_static.h"

namespace kalvory::test {
namespace {

TEST(OsdMessage, ShowsForAFiringReminderAndHidesAfterShowTime) {
  FrameFixture fixture;
  CAlarmLine line(fixture.now);
  line.text = "Call %~Anna%-\r\nback";
  line.show_seconds = 600;
  line.osd = 1;
  fixture.document.AddAlarm(line);
  fixture.program->activate();
  fixture.program->alarms().tick();

  OnScreenDisplay& osd = fixture.program->onScreen();
  CTextStatic* message = osd.textWindow();
  ASSERT_NE(message, nullptr);
  EXPECT_TRUE(message->isVisible());
  EXPECT_EQ(message->GetText(),
            "Call \xC2\x81"
            "Anna\xC2\x82\nback");
  EXPECT_EQ(message->objectName(), QStringLiteral("AlarmText"));
  EXPECT_FALSE(message->shape().isEmpty());
  EXPECT_EQ(message->size(), message->rendering().image.size());
  EXPECT_TRUE(message->timerRunning());
  EXPECT_EQ(message->displayTime().left(), 60u * 600u);

  // "ShowTime" 1: 600 tenths, 120 ticks of half a second.
  fixture.settings.text.show_time = 1;
  osd.ShowAlarmText("Again", true);
  EXPECT_EQ(message->displayTime().left(), 600u);
  for (int tick = 0; tick < 119; ++tick) message->tick();
  EXPECT_TRUE(message->isVisible());
  message->tick();
  EXPECT_FALSE(message->isVisible());
  EXPECT_FALSE(message->timerRunning());  // nothing wakes the program while it is gone

  // The next showing starts the count again; hiding stops the timer.
  osd.ShowAlarmText("Again", true);
  EXPECT_TRUE(message->isVisible());
  EXPECT_TRUE(message->timerRunning());
  EXPECT_EQ(message->displayTime().left(), 600u);
  osd.HideAlarmText();
  EXPECT_FALSE(message->isVisible());
  EXPECT_FALSE(message->timerRunning());
  EXPECT_EQ(osd.GetAlarmText(), "Again");
}

TEST(OsdClock, FallsBackToHoursAndRaisedMinutesAndFollowsTheSettings) {
  FrameFixture fixture;
  fixture.settings.clock.format = "%Q %H";  // %Q is no format code
  fixture.program->activate();
  OnScreenDisplay& osd = fixture.program->onScreen();
  CClockStatic* clock = osd.clockWindow();
  ASSERT_NE(clock, nullptr);
  EXPECT_EQ(clock->objectName(), QStringLiteral("AlarmClock"));
  EXPECT_EQ(clock->format(), insertRaisedTextMarks(kFallbackClockFormat));
  EXPECT_EQ(clock->GetText(),
            "09\xC2\x81"
            "30");
  EXPECT_TRUE(clock->isVisible());
  EXPECT_TRUE(clock->timerRunning());

  // A format and looks changed in the settings show at the next tick.
  fixture.settings.clock.format = "%H:%M%~%S%-!";
  fixture.settings.clock.color = makeColorRef(1, 2, 3);
  fixture.now = COleDateTime(2026, 5, 7, 9, 31, 5);
  clock->tick();
  EXPECT_EQ(clock->GetText(),
            "09:31\xC2\x81"
            "05\xC2\x82!");
  EXPECT_EQ(clock->looks().textColor, makeColorRef(1, 2, 3));

  // Hidden by the command, the clock's timer stops; shown again it shows the time at once.
  fixture.program->actions().runCommand(ID_SHOW_CLOCK);
  EXPECT_FALSE(clock->isVisible());
  EXPECT_FALSE(clock->timerRunning());
  EXPECT_EQ(fixture.settings.clock.is_visible, 0);
  fixture.now = COleDateTime(2026, 5, 7, 9, 45, 0);
  fixture.program->actions().runCommand(ID_SHOW_CLOCK);
  EXPECT_TRUE(clock->isVisible());
  EXPECT_TRUE(clock->timerRunning());
  EXPECT_EQ(clock->GetText(),
            "09:45\xC2\x81"
            "00\xC2\x82!");
}

TEST(OsdWindows, PlacesAreStoredWhenTheProgramCloses) {
  FrameFixture fixture;
  fixture.settings.clock.position_x = 5000;  // beyond the screen: put back on it
  fixture.program->activate();
  OnScreenDisplay& osd = fixture.program->onScreen();
  const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
  EXPECT_EQ(osd.clockWindow()->x(), screen.width() / 2 - 100);
  osd.ShowAlarmText("Tea", true);
  osd.clockWindow()->move(300, 40);
  osd.textWindow()->move(20, 500);
  ASSERT_TRUE(fixture.program->close());
  EXPECT_EQ(fixture.settings.clock.position_x, 300);
  EXPECT_EQ(fixture.settings.clock.position_y, 40);
  EXPECT_EQ(fixture.settings.text.position_x, 20);
  EXPECT_EQ(fixture.settings.text.position_y, 500);
}

TEST(OsdWindows, StayOnScreenAndGoBackToTheirFirstPlaceOnReset) {
  std::function<int(CSettingsDlg&)> answer;
  FrameFixture fixture(1, {}, [&](DesktopProgram::Services& services) {
    services.runConfiguration = [&](CSettingsDlg& dialog) { return answer(dialog); };
  });
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  // Stored where only the first word would show (another scale, a monitor since unplugged).
  fixture.settings.clock.position_x = screen.right() - 20;
  fixture.settings.clock.position_y = screen.bottom() - 5;
  fixture.settings.text.position_x = -300;
  fixture.settings.text.position_y = 40;
  fixture.program->activate();
  OnScreenDisplay& osd = fixture.program->onScreen();
  CClockStatic* clock = osd.clockWindow();
  ASSERT_NE(clock, nullptr);
  EXPECT_TRUE(screen.contains(clock->geometry())) << clock->geometry().x() << "," << clock->geometry().y();
  osd.ShowAlarmText("Tea at five", true);
  EXPECT_TRUE(screen.contains(osd.textWindow()->geometry()));
  EXPECT_EQ(osd.textWindow()->y(), 40);  // moved only as far as needed

  // The settings follow a drag, so the configuration dialog's copy knows where the clock is:
  // confirming the dialog leaves it there.
  clock->move(300, 40);
  EXPECT_EQ(fixture.settings.clock.position_x, 300);
  EXPECT_EQ(fixture.settings.clock.position_y, 40);
  const auto configure = [&](bool reset) {
    answer = [reset](CSettingsDlg& dialog) {
      CSetOSDDlgBar& page = *dialog.findPage<CSetOSDDlgBar>();
      EXPECT_TRUE(page.resetPositionButton()->isEnabled());
      EXPECT_EQ(page.resetPositionButton()->text(), "&Reset position");
      if (reset) {
        page.selectTab(CSetOSDDlgBar::kReminderTextTab);
        page.resetPositionButton()->click();
        EXPECT_FALSE(page.resetPositionButton()->isEnabled());
        page.selectTab(CSetOSDDlgBar::kClockTab);
        page.resetPositionButton()->click();
      }
      dialog.accept();
      return static_cast<int>(QDialog::Accepted);
    };
    fixture.program->actions().runCommand(ID_CONFIGURATION);
  };
  configure(false);
  EXPECT_EQ(clock->pos(), QPoint(300, 40));

  // "Reset position" puts the clock back at the top, centred as for a new installation, and the
  // message at the top-left corner, once the dialog is confirmed.
  configure(true);
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(clock->pos(), QPoint(screen.x() + (screen.width() - 100) / 2, work.y()));
  EXPECT_EQ(osd.textWindow()->pos(), work.topLeft());
  ASSERT_TRUE(fixture.program->close());
  EXPECT_EQ(fixture.settings.clock.position_x, clock->x());
}

TEST(SpecialSymbols, OkPutsTheSymbolMarkOnTheClipboard) {
  CSpecialSymDlg dialog(UiLanguage::Russian);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Специальные символы"));
  EXPECT_EQ(dialog.symbolList()->count(), 224);
  EXPECT_FALSE(dialog.okButton()->isEnabled());
  EXPECT_TRUE(dialog.preview()->text().isEmpty());
  QGuiApplication::clipboard()->setText(QStringLiteral("before"));
  dialog.accept();  // nothing chosen: nothing happens
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));

  dialog.selectCode(0xE8);  // Windows-1251 "и"
  EXPECT_TRUE(dialog.okButton()->isEnabled());
  EXPECT_EQ(dialog.preview()->text(), symbolDisplayText(0xE8));
  dialog.okButton()->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("\xC2\x80и"));
}

}  // namespace
}  // namespace kalvory::test
