#include "desktop/shell/docking.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QTest>
#include <QWidget>

namespace kalvory::test {
namespace {

// Counts the move events a window receives, so a test can wait until a move has been handled.
class MoveCounter : public QObject {
 public:
  explicit MoveCounter(QWidget* window) { window->installEventFilter(this); }
  int moves() const { return moves_; }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Move) ++moves_;
    return false;
  }

 private:
  int moves_ = 0;
};

TEST(Docking, BandsAroundEachSide) {
  const QRect frame(100, 100, 380, 270);  // right edge 480, bottom edge 370
  // Bottom: the window's top-edge midpoint within 50 pixels of the frame's bottom.
  EXPECT_EQ(findDockSide(frame, QRect(100, 410, 380, 200), kDockBottom), kDockBottom);
  EXPECT_EQ(findDockSide(frame, QRect(100, 421, 380, 200), kDockBottom), 0);
  EXPECT_EQ(findDockSide(frame, QRect(100, 320, 380, 200), kDockBottom), kDockBottom);
  EXPECT_EQ(findDockSide(frame, QRect(100, 319, 380, 200), kDockBottom), 0);
  // Along the edge the band reaches 50 past either end of the frame.
  EXPECT_EQ(findDockSide(frame, QRect(-140, 380, 380, 200), kDockBottom), kDockBottom);  // midpoint x 50
  EXPECT_EQ(findDockSide(frame, QRect(-141, 380, 380, 200), kDockBottom), 0);
  // Only allowed sides count.
  EXPECT_EQ(findDockSide(frame, QRect(100, 380, 380, 200), kDockLeft | kDockTop), 0);
  EXPECT_EQ(findDockSide(frame, QRect(-100, 150, 195, 100), kDockLeft), kDockLeft);
  EXPECT_EQ(findDockSide(frame, QRect(490, 150, 100, 100), kDockRight), kDockRight);
  EXPECT_EQ(findDockSide(frame, QRect(150, -20, 100, 100), kDockTop), kDockTop);
  EXPECT_EQ(findDockSide(frame, QRect(490, 150, 100, 100), kDockAny), kDockRight);

  EXPECT_EQ(dockedGeometry(frame, QSize(300, 200), kDockBottom, 20), QRect(120, 370, 300, 200));
  EXPECT_EQ(dockedGeometry(frame, QSize(300, 200), kDockTop, -5), QRect(95, -100, 300, 200));
  EXPECT_EQ(dockedGeometry(frame, QSize(100, 200), kDockLeft, 30), QRect(0, 130, 100, 200));
  EXPECT_EQ(dockedGeometry(frame, QSize(100, 200), kDockRight, 0), QRect(480, 100, 100, 200));
}

TEST(Docking, WindowSnapsFollowsAndLetsGo) {
  QWidget frame(nullptr, Qt::Window | Qt::FramelessWindowHint);
  frame.setGeometry(100, 100, 380, 270);
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
  QWidget lists(nullptr, Qt::Window | Qt::FramelessWindowHint);
  lists.setGeometry(700, 600, 300, 150);
  lists.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&lists));

  DockingHelper docking(&frame);
  docking.registerWindow(&lists, kDockBottom);
  EXPECT_FALSE(docking.isDocked(&lists));

  // Dragged near the bottom edge it snaps below the frame, keeping its horizontal offset.
  lists.move(130, 400);
  EXPECT_TRUE(QTest::qWaitFor([&] { return docking.isDocked(&lists); }, 2000));
  EXPECT_EQ(docking.dockedSide(&lists), kDockBottom);
  EXPECT_EQ(docking.dockedOffset(&lists), 30);
  EXPECT_TRUE(QTest::qWaitFor([&] { return lists.frameGeometry().topLeft() == QPoint(130, 370); }, 2000));

  // The frame moves; the docked window goes along.
  frame.move(200, 50);
  EXPECT_TRUE(QTest::qWaitFor([&] { return lists.frameGeometry().topLeft() == QPoint(230, 320); }, 2000));

  // A hidden docked window stays put, and is placed when shown again.
  MoveCounter frameMoves(&frame);
  lists.hide();
  frame.move(210, 60);
  ASSERT_TRUE(QTest::qWaitFor([&] { return frameMoves.moves() == 1; }, 2000));
  lists.show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return lists.frameGeometry().topLeft() == QPoint(240, 330); }, 2000));

  // Dragged away it lets go and stays where it was put.
  lists.move(800, 700);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !docking.isDocked(&lists); }, 2000));
  EXPECT_EQ(lists.frameGeometry().topLeft(), QPoint(800, 700));
  frame.move(100, 100);
  ASSERT_TRUE(QTest::qWaitFor([&] { return frameMoves.moves() == 2; }, 2000));
  EXPECT_EQ(lists.frameGeometry().topLeft(), QPoint(800, 700));
}

}  // namespace
}  // namespace kalvory::test
