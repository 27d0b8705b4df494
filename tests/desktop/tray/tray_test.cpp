#include <gtest/gtest.h>

#include <QMenu>
#include <QTest>

#include "core/resources/resource_menus.h"
#include "desktop/alarms/postpone_dialog.h"
#include "desktop/alarms/turn_off_feature.h"
#include "desktop/common/date_icon.h"
#include "desktop/common/frame_fixture.h"

namespace kalvory::test {
namespace {

TEST(Tray, MenuEnablingAndDefaultItem) {
  FrameFixture fixture;
  CSystemTray& tray = *fixture.program->tray();
  QMenu* menu = tray.contextMenu();
  tray.refreshMenu();
  const QList<QAction*> items = menu->actions();
  const std::vector<int> expected = {ID_TURN_OFF,  ID_SHOW_HIDE, ID_SHOW_CLOCK, ID_CALENDAR_IN_TRAY,
                                     ID_COPY_DATE, ID_APP_ABOUT, ID_APP_EXIT};
  std::vector<int> commands;
  for (QAction* item : items)
    if (!item->isSeparator()) commands.push_back(item->data().toInt());
  EXPECT_EQ(commands, expected);

  // Nothing rings: "Turn off" greyed, "Show" the default, and a double click shows the window.
  EXPECT_FALSE(items[0]->isEnabled());
  EXPECT_EQ(menu->defaultAction(), items[1]);
  EXPECT_EQ(tray.defaultCommand(), ID_SHOW_HIDE);
  EXPECT_EQ(items[1]->text(), "Show");
  tray.handleActivation(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(fixture.frame->isVisible());
  tray.refreshMenu();
  EXPECT_EQ(items[1]->text(), "Hide");
  // A single click does nothing where the tray reports double clicks.
  tray.handleActivation(QSystemTrayIcon::Trigger);
  EXPECT_TRUE(fixture.frame->isVisible());
  tray.handleActivation(QSystemTrayIcon::DoubleClick);
  EXPECT_FALSE(fixture.frame->isVisible());

  // Ringing: "Turn off" enabled and the default, and a double click asks how to turn off.
  tray.setAlarmRinging(true);
  EXPECT_TRUE(items[0]->isEnabled());
  EXPECT_EQ(menu->defaultAction(), items[0]);
  EXPECT_EQ(tray.defaultCommand(), ID_TURN_OFF);
  tray.handleActivation(QSystemTrayIcon::DoubleClick);
  ASSERT_NE(fixture.program->turnOff().dialog(), nullptr);
  fixture.program->turnOff().dialog()->accept();
  EXPECT_FALSE(tray.alarmRinging());
  EXPECT_FALSE(fixture.frame->isVisible());

  // The exit item is the exit command.
  items.back()->trigger();
  EXPECT_EQ(fixture.exitRequests, 1);
}

TEST(Tray, AnimationWithAndWithoutAnEnd) {
  FrameFixture fixture;
  CSystemTray& tray = *fixture.program->tray();
  qint64 clock = 1'000'000;
  tray.setClock([&] { return clock; });
  const QIcon before = programIcon();
  tray.SetIcon(before);

  tray.Animate(5, -1);
  ASSERT_TRUE(tray.isAnimating());
  clock += 3'600'000;  // an hour later it still runs
  EXPECT_TRUE(QTest::qWaitFor([&] { return tray.animationStep() >= 2; }, 2000));
  EXPECT_TRUE(tray.isAnimating());
  tray.StopAnimation();
  EXPECT_FALSE(tray.isAnimating());
  EXPECT_EQ(tray.icon().cacheKey(), before.cacheKey());

  // With five seconds it runs while the rounded seconds are at most five.
  tray.Animate(5, 5);
  clock += 5'400;  // rounds to 5
  const int stepBefore = tray.animationStep();
  EXPECT_TRUE(QTest::qWaitFor([&] { return tray.animationStep() != stepBefore; }, 2000));
  EXPECT_TRUE(tray.isAnimating());
  clock += 200;  // 5.6 rounds to 6
  EXPECT_TRUE(QTest::qWaitFor([&] { return !tray.isAnimating(); }, 2000));
  EXPECT_EQ(tray.icon().cacheKey(), before.cacheKey());
  EXPECT_EQ(tray.trayIcon()->icon().cacheKey(), before.cacheKey());

  // Showing an alarm message animates without end.
  fixture.program->onScreen().ShowAlarmText("Wake up", true);
  EXPECT_TRUE(tray.isAnimating());
  fixture.program->trayFeature().StopTrayAnimation();
  EXPECT_FALSE(tray.isAnimating());
}

TEST(Tray, DayIconAndTooltip) {
  // The digits are drawn in the note's colour on a clear ground.
  const QIcon seven = drawDateIcon(7, colorFromReference(0x008000));
  ASSERT_FALSE(seven.isNull());
  const QImage image = seven.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
  bool green = false;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.alpha() == 255 && c.green() >= 120 && c.red() < 20 && c.blue() < 20) green = true;
    }
  EXPECT_TRUE(green);
  EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
  EXPECT_TRUE(drawDateIcon(0, Qt::black).isNull());
  EXPECT_TRUE(drawDateIcon(32, Qt::black).isNull());
  EXPECT_FALSE(dayFallbackIcon(31).isNull());

  FrameFixture fixture;
  TrayDayInfo day;
  day.today = COleDateTime(2026, 5, 7, 9, 30, 0);
  day.dayOfMonth = 7;
  day.iconColour = 0x008000;
  day.notesText = "Anna's birthday ";
  fixture.program->trayFeature().RefreshTrayDay(day);
  EXPECT_EQ(fixture.program->tray()->tooltip(), "Thursday, May 7, 2026 - Anna's birthday ");
  day.notesText.clear();
  fixture.program->trayFeature().RefreshTrayDay(day);
  EXPECT_EQ(fixture.program->tray()->tooltip(), "Thursday, May 7, 2026");
  fixture.program->actions().runCommand(ID_LANGUAGE_RUSSIAN);
  fixture.program->trayFeature().RefreshTrayDay(day);
  EXPECT_TRUE(fixture.program->tray()->tooltip().contains(QStringLiteral("мая")))
      << fixture.program->tray()->tooltip().toStdString();

  // Many notes: at most 127 characters, cut with an ellipsis, never inside a character.
  day.notesText = std::string(60, 'x') + " " + std::string(200, 'y');
  fixture.program->actions().runCommand(ID_LANGUAGE_ENGLISH);
  fixture.program->trayFeature().RefreshTrayDay(day);
  const QString tip = fixture.program->tray()->tooltip();
  EXPECT_EQ(tip.size(), 127);
  EXPECT_TRUE(tip.endsWith(QChar(0x2026)));
  EXPECT_EQ(shortenTooltip(QString(127, QChar('a'))).size(), 127);
  const QString emoji =
      QString(125, QChar('a')) + QString::fromUtf8("\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80");
  const QString cut = shortenTooltip(emoji);
  EXPECT_EQ(cut.toUcs4().size(), 127);
  EXPECT_FALSE(cut.at(cut.size() - 2).isHighSurrogate());
}

}  // namespace
}  // namespace kalvory::test
