#include "desktop/common/screen_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cstdint>

namespace kalvory {

namespace {

std::int64_t overlapOf(const QRect& a, const QRect& b) {
  const QRect common = a.intersected(b);
  return common.isEmpty() ? 0 : static_cast<std::int64_t>(common.width()) * common.height();
}

// The squared gap between two rectangles that do not meet.
std::int64_t gapBetween(const QRect& a, const QRect& b) {
  const std::int64_t dx = std::max({0, b.left() - a.right(), a.left() - b.right()});
  const std::int64_t dy = std::max({0, b.top() - a.bottom(), a.top() - b.bottom()});
  return dx * dx + dy * dy;
}

// The start of a span of `length` that lies inside [low, high], or `low` when it does not fit.
int keptInside(int start, int length, int low, int high) { return std::max(low, std::min(start, high - length + 1)); }

}  // namespace

QList<QRect> screenWorkAreas() {
  QList<QRect> areas;
  for (const QScreen* screen : QGuiApplication::screens())
    if (screen->availableGeometry().isValid()) areas.append(screen->availableGeometry());
  return areas;
}

QList<QRect> screenAreas() {
  QList<QRect> areas;
  for (const QScreen* screen : QGuiApplication::screens())
    if (screen->geometry().isValid()) areas.append(screen->geometry());
  return areas;
}

QRect keptInArea(const QRect& window, const QList<QRect>& areas) {
  if (areas.isEmpty()) return window;
  const QRect* nearest = nullptr;
  std::int64_t bestOverlap = 0;
  for (const QRect& area : areas) {
    const std::int64_t overlap = overlapOf(window, area);
    if (overlap > bestOverlap) {
      bestOverlap = overlap;
      nearest = &area;
    }
  }
  if (nearest == nullptr) {
    std::int64_t bestGap = 0;
    for (const QRect& area : areas) {
      const std::int64_t gap = gapBetween(window, area);
      if (nearest == nullptr || gap < bestGap) {
        bestGap = gap;
        nearest = &area;
      }
    }
  }
  QRect kept = window;
  kept.moveTo(keptInside(window.x(), window.width(), nearest->left(), nearest->right()),
              keptInside(window.y(), window.height(), nearest->top(), nearest->bottom()));
  return kept;
}

QRect keptOnScreen(const QRect& window, ScreenBounds bounds) {
  return keptInArea(window, bounds == ScreenBounds::WorkArea ? screenWorkAreas() : screenAreas());
}

void moveOntoScreen(QWidget* window, ScreenBounds bounds) {
  if (window == nullptr) return;
  // The frame the window manager adds counts: a caption above the screen cannot be grabbed.
  const QRect frame = window->frameGeometry();
  const QRect kept = keptOnScreen(frame, bounds);
  if (kept.topLeft() != frame.topLeft()) window->move(kept.topLeft());
}

namespace {

// Brings a window that was hidden while the screens changed back onto them when it shows.
class OnScreenWhenShown final : public QObject {
 public:
  OnScreenWhenShown(QWidget* window, ScreenBounds bounds) : QObject(window), bounds_(bounds) {
    window->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) moveOntoScreen(static_cast<QWidget*>(watched), bounds_);
    return false;
  }

 private:
  ScreenBounds bounds_;
};

}  // namespace

void keepOnScreenWhenScreensChange(QWidget* window, ScreenBounds bounds) {
  if (window == nullptr) return;
  new OnScreenWhenShown(window, bounds);
  const QPointer<QWidget> guarded(window);
  const auto refit = [guarded, bounds] {
    if (guarded && guarded->isVisible()) moveOntoScreen(guarded, bounds);
  };
  const auto watch = [window, refit](QScreen* screen) {
    QObject::connect(screen, &QScreen::geometryChanged, window, refit);
    QObject::connect(screen, &QScreen::availableGeometryChanged, window, refit);
  };
  for (QScreen* screen : QGuiApplication::screens()) watch(screen);
  auto* application = qGuiApp;
  QObject::connect(application, &QGuiApplication::screenAdded, window, [watch, refit](QScreen* screen) {
    watch(screen);
    refit();
  });
  // Qt sends this before the screen leaves the list: the move waits until it has gone.
  QObject::connect(application, &QGuiApplication::screenRemoved, window, refit, Qt::QueuedConnection);
}

}  // namespace kalvory
