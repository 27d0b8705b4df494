#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <vector>

namespace kalvory {

// Sides a window may dock to, as bit flags.
enum DockSide : int { kDockAny = 1, kDockLeft = 2, kDockRight = 4, kDockTop = 8, kDockBottom = 16 };

// How close (in pixels, either side of a frame edge) a window must come to snap to it.
inline constexpr int kDockBand = 50;

// The side (one of kDockLeft..kDockBottom) whose band holds the midpoint of the window's
// facing edge, or 0 when none of the allowed sides is near.
int findDockSide(const QRect& frame, const QRect& window, int allowedSides);

// The window's offset along the frame edge of `side`: vertical for left and right, horizontal
// for top and bottom.
int dockOffset(const QRect& frame, const QRect& window, int side);

// Where a window of the given size sits when docked to `side` of `frame` at `offset`.
QRect dockedGeometry(const QRect& frame, const QSize& window, int side, int offset);

// Magnetic docking of tool windows (the lists window) to the main window: a window dragged
// near an allowed side snaps to it, follows the main window while docked, and lets go when
// dragged away.
class DockingHelper : public QObject {
  Q_OBJECT
 public:
  explicit DockingHelper(QWidget* frame);

  void registerWindow(QWidget* window, int allowedSides);
  void unregisterWindow(QWidget* window);

  bool isDocked(const QWidget* window) const;
  int dockedSide(const QWidget* window) const;
  int dockedOffset(const QWidget* window) const;

  // The user dragged `window` to `proposed`: returns where it should be (snapped, held
  // against its side, or where the user put it once undocked) and updates the record.
  QRect windowDragged(QWidget* window, const QRect& proposed);
  // The frame moved: every docked, visible window goes along.
  void frameMoved();
  // A docked window about to be shown is placed at its docked position.
  void windowShown(QWidget* window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Record {
    QPointer<QWidget> window;
    int allowedSides = kDockAny;
    bool docked = false;
    int side = 0;
    int offset = 0;
  };
  Record* find(const QWidget* window);
  const Record* find(const QWidget* window) const;
  void place(Record& record);

  QWidget* frame_;
  std::vector<Record> records_;
  bool moving_ = false;  // set while this helper moves a window itself
};

}  // namespace kalvory
