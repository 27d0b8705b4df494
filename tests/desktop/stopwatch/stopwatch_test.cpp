#include <gtest/gtest.h>

#include <QTest>
#include <cstdint>

#include "desktop/common/frame_fixture.h"
#include "desktop/stopwatch/stopwatch_dlg.h"
#include "desktop/stopwatch/stopwatch_feature.h"
#include "desktop/stopwatch/stopwatch_render.h"

namespace kalvory {
namespace {

constexpr std::int64_t kHour = 3'600'000;

// A monotonic clock the test moves by hand.
struct ManualClock {
  std::int64_t now = 5'000'000;
  CStopWatchDlg::MonotonicMilliseconds function() {
    return [this] { return now; };
  }
};

// A point on the window's body, away from the close corner.
const QPoint kOnBody(60, 20);

TEST(StopWatchDlg, ShowsTheElapsedTimeToTheMillisecondWithHoursWithinTheDay) {
  ManualClock clock;
  CStopWatchDlg window(clock.function());
  EXPECT_EQ(window.displayedText(), "00:00:00.000");
  clock.now += kHour + 2 * 60'000 + 3'456;
  window.Refresh();
  EXPECT_EQ(window.displayedText(), "01:02:03.456");
  clock.now += 24 * kHour - (2 * 60'000 + 3'456);
  window.Refresh();
  EXPECT_EQ(window.displayedText(), "01:00:00.000");  // 25 hours
}

TEST(StopWatchDlg, DoubleClickHoldsTheDisplayAndRightClickRestarts) {
  ManualClock clock;
  CStopWatchDlg window(clock.function());
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_TRUE(window.refreshing());

  clock.now += 1'500;
  window.Refresh();
  QTest::mouseDClick(&window, Qt::LeftButton, {}, kOnBody);
  EXPECT_TRUE(window.held());
  clock.now += 2'000;
  window.Refresh();
  EXPECT_EQ(window.displayedText(), "00:00:01.500");  // frozen while the count goes on
  QTest::mouseDClick(&window, Qt::LeftButton, {}, kOnBody);
  EXPECT_FALSE(window.held());
  window.Refresh();
  EXPECT_EQ(window.displayedText(), "00:00:03.500");

  // The right button restarts, and unfreezes a held display.
  QTest::mouseDClick(&window, Qt::LeftButton, {}, kOnBody);
  ASSERT_TRUE(window.held());
  QTest::mouseClick(&window, Qt::RightButton, {}, kOnBody);
  EXPECT_FALSE(window.held());
  EXPECT_EQ(window.displayedText(), "00:00:00.000");
  clock.now += 250;
  window.Refresh();
  EXPECT_EQ(window.displayedText(), "00:00:00.250");

  // The same from the keyboard: Ctrl+F3 and Ctrl+F4 hold, Ctrl+F2 restarts.
  QTest::keyClick(&window, Qt::Key_F3, Qt::ControlModifier);
  EXPECT_TRUE(window.held());
  QTest::keyClick(&window, Qt::Key_F4, Qt::ControlModifier);
  EXPECT_FALSE(window.held());
  clock.now += 700;
  QTest::keyClick(&window, Qt::Key_F2, Qt::ControlModifier);
  EXPECT_EQ(window.displayedText(), "00:00:00.000");

  window.hide();
  EXPECT_FALSE(window.refreshing());
}

TEST(StopWatchDlg, MovesWithTheMouseAndClosesFromItsTriangularCorner) {
  ManualClock clock;
  CStopWatchDlg window(clock.function());
  window.move(100, 100);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  // Without a window manager to hand the move to, the window follows the mouse itself.
  const QPoint start = window.pos();
  QTest::mousePress(&window, Qt::LeftButton, {}, kOnBody);
  QTest::mouseMove(&window, kOnBody + QPoint(30, 12));
  QTest::mouseRelease(&window, Qt::LeftButton, {}, kOnBody + QPoint(30, 12));
  EXPECT_EQ(window.pos(), start + QPoint(30, 12));

  // Below the corner's diagonal is the window's body; above it, the button.
  const QPoint corner = CStopWatchDlg::kCloseButtonPosition;
  EXPECT_EQ(window.childAt(corner + QPoint(3, 22)), nullptr);
  QTest::mouseClick(window.closeButton(), Qt::LeftButton, {}, QPoint(3, 22));
  EXPECT_TRUE(window.isVisible());
  ASSERT_EQ(window.childAt(corner + QPoint(20, 4)), window.closeButton());
  QTest::mouseClick(window.closeButton(), Qt::LeftButton, {}, QPoint(20, 4));
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(window.refreshing());

  // Escape closes it too, as it closes a dialog.
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());
}

TEST(StopwatchFeature, TheCommandAndItsKeyOpenOneStopwatchNamedInTheInterfaceLanguage) {
  test::FrameFixture fixture(0);  // Russian
  StopwatchFeature& stopwatch = fixture.program->stopwatch();
  EXPECT_EQ(stopwatch.window(), nullptr);
  // Started as the program starts, which builds the menu (and its keys) a second time.
  fixture.program->activate();
  fixture.frame->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(fixture.frame));
  QTest::keyClick(fixture.frame, Qt::Key_F2, Qt::ControlModifier);
  QPointer<CStopWatchDlg> first = stopwatch.window();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->isVisible());
  EXPECT_EQ(first->windowTitle(), QStringLiteral("Секундомер"));
  // One at a time: the command shows the open one.
  first->hide();
  fixture.program->actions().runCommand(ID_STOPWATCH);
  EXPECT_EQ(stopwatch.window(), first);
  EXPECT_TRUE(first->isVisible());

  fixture.program->actions().runCommand(ID_LANGUAGE_ENGLISH);
  EXPECT_EQ(first->windowTitle(), QStringLiteral("Stopwatch"));

  // Closing it ends it; the command then opens a new one.
  first->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(first, nullptr);
  EXPECT_EQ(stopwatch.window(), nullptr);
  fixture.program->actions().runCommand(ID_STOPWATCH);
  ASSERT_NE(stopwatch.window(), nullptr);
  // A new count on the system's clock: well under a second old.
  EXPECT_TRUE(stopwatch.window()->displayedText().startsWith(QStringLiteral("00:00:00.")));
}

TEST(StopwatchFeature, ItsKeysAreCommandsThatReachItFromAnywhere) {
  test::FrameFixture fixture(1);
  StopwatchFeature& stopwatch = fixture.program->stopwatch();
  // Holding with no stopwatch open opens one, counting and not held.
  fixture.program->actions().runCommand(ID_STOPWATCH_HOLD);
  QPointer<CStopWatchDlg> window = stopwatch.window();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->held());
  fixture.program->actions().runCommand(ID_STOPWATCH_HOLD);
  EXPECT_TRUE(window->held());
  fixture.program->actions().runCommand(ID_STOPWATCH_HOLD);
  EXPECT_FALSE(window->held());
  // Restart keeps the one window.
  fixture.program->actions().runCommand(ID_STOPWATCH_RESTART);
  EXPECT_EQ(stopwatch.window(), window);
  EXPECT_TRUE(window->displayedText().startsWith(QStringLiteral("00:00:00.")));
}

TEST(StopwatchRender, DrawsTheGivenElapsedSecondsInTheWindowsShape) {
  EXPECT_EQ(stopwatchRenderMilliseconds(QStringLiteral("3723.456")), 3'723'456);
  EXPECT_EQ(stopwatchRenderMilliseconds(QStringLiteral("90000.5")), 90'000'500);
  EXPECT_EQ(stopwatchRenderMilliseconds(QString()), 0);
  for (const char* bad : {"-1", "1.2345", "abc", "1e3", "12345678901", "1,5"})
    EXPECT_EQ(stopwatchRenderMilliseconds(QString::fromLatin1(bad)), -1) << bad;

  RenderRequest request;
  request.text = QStringLiteral("abc");
  EXPECT_FALSE(renderStopwatch(request).error.isEmpty());

  request.text = QStringLiteral("3723.456");
  const QImage shown = renderStopwatch(request).image;
  request.text = QStringLiteral("0");
  const QImage zero = renderStopwatch(request).image;
  ASSERT_EQ(shown.size(), QSize(CStopWatchDlg::kWidth, CStopWatchDlg::kHeight));
  EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(shown.pixel(CStopWatchDlg::kWidth - 1, CStopWatchDlg::kHeight - 1)), 0);
  EXPECT_EQ(qAlpha(shown.pixel(75, 40)), 255);
  // Only the display differs between two times; the close corner is drawn within its triangle.
  QRect changed;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x)
      if (shown.pixel(x, y) != zero.pixel(x, y)) changed |= QRect(x, y, 1, 1);
  EXPECT_FALSE(changed.isEmpty());
  EXPECT_TRUE(CStopWatchDlg::kDisplayRect.contains(changed));
  const QPoint corner = CStopWatchDlg::kCloseButtonPosition;
  EXPECT_NE(shown.pixel(corner + QPoint(3, 22)) & 0xFFFFFF, 0xFF00FFu);
}

}  // namespace
}  // namespace kalvory
