#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include "core/clock/stopwatch.h"

namespace kalvory {

// The close corner of the stopwatch: a triangular hover button drawn from a strip of four
// 26 x 26 states (normal, under the mouse, pressed, disabled).
class CStopWatchCloseButton final : public QAbstractButton {
  Q_OBJECT
 public:
  explicit CStopWatchCloseButton(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& position) const override;

 private:
  QImage states_;
};

// The stopwatch: a small captionless picture window counting the time since it opened (or was
// restarted) to the millisecond. Right button or Ctrl+F2 restarts it; a double click, Ctrl+F3 or
// Ctrl+F4 freezes or unfreezes what it shows while the count goes on; it is moved by dragging
// and closed by its corner.
class CStopWatchDlg final : public QWidget {
  Q_OBJECT
 public:
  using MonotonicMilliseconds = StopwatchCount::MonotonicMilliseconds;

  // The picture and its parts, in the window's pixels.
  static constexpr int kWidth = 150;
  static constexpr int kHeight = 80;
  static constexpr QRect kDisplayRect{10, 33, 130, 32};
  static constexpr QPoint kCloseButtonPosition{122, 2};
  static constexpr int kRefreshMilliseconds = 100;

  // Starts counting at once. `now` is a monotonic clock in milliseconds; the system's steady
  // clock when empty.
  explicit CStopWatchDlg(MonotonicMilliseconds now = {}, QWidget* parent = nullptr);

  void Restart();
  void Hold();
  // The refresh: takes the elapsed time and shows it unless held.
  void Refresh();

  QString displayedText() const;
  bool held() const { return count_.held(); }
  bool refreshing() const { return timer_.isActive(); }
  QAbstractButton* closeButton() const { return closeButton_; }
  const QRegion& shape() const { return shape_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  StopwatchCount count_;
  QImage picture_;
  QRegion shape_;
  QTimer timer_;
  CStopWatchCloseButton* closeButton_ = nullptr;
  // A left press that may become a drag: where it started, and where the window was.
  bool pressed_ = false;
  bool movingByHand_ = false;
  QPoint pressGlobal_;
  QPoint pressWindow_;
};

}  // namespace kalvory
