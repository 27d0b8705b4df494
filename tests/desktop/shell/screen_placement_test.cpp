// Where a window with a stored place may stand: always within reach on the screens there are
// now, whatever screen layout the place was stored under.
#include "desktop/common/screen_placement.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace kalvory {
namespace {

TEST(ScreenPlacement, AStoredPlaceIsMovedIntoTheNearestWorkArea) {
  const QRect laptop(0, 0, 1280, 770);  // a panel takes the lowest 30 pixels of 800
  const QRect window(100, 100, 380, 250);
  // On the screen: stays where it is.
  EXPECT_EQ(keptInArea(window, {laptop}), window);
  // Stored at 1x and read at a scale of 2 (a 640x385 area): half off the screen, it moves in.
  EXPECT_EQ(keptInArea(QRect(600, 300, 380, 250), {QRect(0, 0, 640, 385)}), QRect(260, 135, 380, 250));
  // Only its last word on the screen, at the right edge: all of it comes back.
  EXPECT_EQ(keptInArea(QRect(1260, 10, 120, 40), {laptop}), QRect(1160, 10, 120, 40));
  // Above and left of the screen.
  EXPECT_EQ(keptInArea(QRect(-500, -20, 380, 250), {laptop}), QRect(0, 0, 380, 250));
  // Under the panel: lifted onto the work area.
  EXPECT_EQ(keptInArea(QRect(10, 700, 380, 250), {laptop}), QRect(10, 520, 380, 250));
  // Larger than the screen: its top-left corner (the caption) stays within reach.
  EXPECT_EQ(keptInArea(QRect(50, 50, 2000, 900), {laptop}), QRect(0, 0, 2000, 900));
  // No screens known: left alone.
  EXPECT_EQ(keptInArea(window, {}), window);
}

TEST(ScreenPlacement, SeveralMonitorsAndOneUnplugged) {
  const QRect left(0, 0, 1920, 1080);
  const QRect right(1920, 200, 1280, 800);
  // A window mostly on the right monitor is kept on that one, not pulled to the other.
  EXPECT_EQ(keptInArea(QRect(1800, 150, 400, 300), {left, right}), QRect(1920, 200, 400, 300));
  // A window across the gap below the right monitor goes to the one it overlaps.
  EXPECT_EQ(keptInArea(QRect(1900, 900, 400, 300), {left, right}), QRect(1920, 700, 400, 300));
  // The monitor it was on was unplugged: it goes to the nearest of those left...
  EXPECT_EQ(keptInArea(QRect(4000, 300, 400, 300), {left, right}), QRect(2800, 300, 400, 300));
  EXPECT_EQ(keptInArea(QRect(2500, 300, 400, 300), {left}), QRect(1520, 300, 400, 300));
  // ...and a window on a monitor that stood above the others comes down to the closest one.
  EXPECT_EQ(keptInArea(QRect(100, -900, 400, 300), {left, right}), QRect(100, 0, 400, 300));
}

TEST(ScreenPlacement, AWindowLeftOffTheScreensComesBackWhenShown) {
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint);
  window.resize(200, 100);
  keepOnScreenWhenScreensChange(&window);
  // Hidden in the tray while a monitor at the right went away.
  window.move(work.right() + 500, work.top() + 10);
  window.show();
  EXPECT_TRUE(work.contains(window.frameGeometry()));
  EXPECT_EQ(window.y(), work.top() + 10);
}

}  // namespace
}  // namespace kalvory
