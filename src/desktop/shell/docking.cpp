#include "desktop/shell/docking.h"

#include <QEvent>
#include <QMoveEvent>
#include <algorithm>

namespace kalvory {

namespace {

bool inBand(const QPoint& point, int left, int right, int top, int bottom) {
  return point.x() >= left && point.x() <= right && point.y() >= top && point.y() <= bottom;
}

// Right and bottom edges as the window system counts them (one past the last pixel).
int rightEdge(const QRect& rect) { return rect.x() + rect.width(); }
int bottomEdge(const QRect& rect) { return rect.y() + rect.height(); }

}  // namespace

int findDockSide(const QRect& frame, const QRect& window, int allowedSides) {
  const auto allowed = [&](int side) { return (allowedSides & kDockAny) || (allowedSides & side); };
  const int band = kDockBand;
  const int midX = window.x() + window.width() / 2;
  const int midY = window.y() + window.height() / 2;
  // The window's top edge meets the frame's bottom, and so on round the frame.
  if (allowed(kDockBottom) && inBand({midX, window.y()}, frame.x() - band, rightEdge(frame) + band,
                                     bottomEdge(frame) - band, bottomEdge(frame) + band))
    return kDockBottom;
  if (allowed(kDockTop) &&
      inBand({midX, bottomEdge(window)}, frame.x() - band, rightEdge(frame) + band, frame.y() - band, frame.y() + band))
    return kDockTop;
  if (allowed(kDockLeft) &&
      inBand({rightEdge(window), midY}, frame.x() - band, frame.x() + band, frame.y() - band, bottomEdge(frame) + band))
    return kDockLeft;
  if (allowed(kDockRight) && inBand({window.x(), midY}, rightEdge(frame) - band, rightEdge(frame) + band,
                                    frame.y() - band, bottomEdge(frame) + band))
    return kDockRight;
  return 0;
}

int dockOffset(const QRect& frame, const QRect& window, int side) {
  return (side == kDockLeft || side == kDockRight) ? window.y() - frame.y() : window.x() - frame.x();
}

QRect dockedGeometry(const QRect& frame, const QSize& window, int side, int offset) {
  switch (side) {
    case kDockLeft:
      return {QPoint(frame.x() - window.width(), frame.y() + offset), window};
    case kDockRight:
      return {QPoint(rightEdge(frame), frame.y() + offset), window};
    case kDockTop:
      return {QPoint(frame.x() + offset, frame.y() - window.height()), window};
    case kDockBottom:
      return {QPoint(frame.x() + offset, bottomEdge(frame)), window};
    default:
      return {frame.topLeft(), window};
  }
}

DockingHelper::DockingHelper(QWidget* frame) : QObject(frame), frame_(frame) { frame_->installEventFilter(this); }

void DockingHelper::registerWindow(QWidget* window, int allowedSides) {
  if (!window || find(window)) return;
  records_.push_back({window, allowedSides, false, 0, 0});
  window->installEventFilter(this);
}

void DockingHelper::unregisterWindow(QWidget* window) {
  if (window) window->removeEventFilter(this);
  std::erase_if(records_, [&](const Record& record) { return record.window == window || !record.window; });
}

DockingHelper::Record* DockingHelper::find(const QWidget* window) {
  auto found = std::find_if(records_.begin(), records_.end(), [&](const Record& r) { return r.window == window; });
  return found == records_.end() ? nullptr : &*found;
}

const DockingHelper::Record* DockingHelper::find(const QWidget* window) const {
  return const_cast<DockingHelper*>(this)->find(window);
}

bool DockingHelper::isDocked(const QWidget* window) const {
  const Record* record = find(window);
  return record && record->docked;
}

int DockingHelper::dockedSide(const QWidget* window) const {
  const Record* record = find(window);
  return record && record->docked ? record->side : 0;
}

int DockingHelper::dockedOffset(const QWidget* window) const {
  const Record* record = find(window);
  return record && record->docked ? record->offset : 0;
}

QRect DockingHelper::windowDragged(QWidget* window, const QRect& proposed) {
  Record* record = find(window);
  if (!record) return proposed;
  const QRect frame = frame_->frameGeometry();
  const int side = findDockSide(frame, proposed, record->docked ? record->side : record->allowedSides);
  if (!side) {
    record->docked = false;
    record->side = 0;
    record->offset = 0;
    return proposed;
  }
  // Docked: pinned to the side, free to slide along it.
  record->docked = true;
  record->side = side;
  record->offset = dockOffset(frame, proposed, side);
  return dockedGeometry(frame, proposed.size(), side, record->offset);
}

void DockingHelper::place(Record& record) {
  QWidget* window = record.window;
  const QRect target =
      dockedGeometry(frame_->frameGeometry(), window->frameGeometry().size(), record.side, record.offset);
  if (target.topLeft() == window->frameGeometry().topLeft()) return;
  moving_ = true;
  window->move(target.topLeft());
  moving_ = false;
}

void DockingHelper::frameMoved() {
  for (Record& record : records_)
    if (record.window && record.docked && record.window->isVisible()) place(record);
}

void DockingHelper::windowShown(QWidget* window) {
  Record* record = find(window);
  if (record && record->docked) place(*record);
}

bool DockingHelper::eventFilter(QObject* watched, QEvent* event) {
  if (watched == frame_) {
    if (event->type() == QEvent::Move) frameMoved();
    return false;
  }
  auto* window = qobject_cast<QWidget*>(watched);
  if (!window || moving_) return false;
  if (event->type() == QEvent::Move && window->isVisible()) {
    const QRect proposed = window->frameGeometry();
    const QRect wanted = windowDragged(window, proposed);
    if (wanted.topLeft() != proposed.topLeft()) {
      moving_ = true;
      window->move(wanted.topLeft());
      moving_ = false;
    }
  } else if (event->type() == QEvent::Show) {
    windowShown(window);
  }
  return false;
}

}  // namespace kalvory
