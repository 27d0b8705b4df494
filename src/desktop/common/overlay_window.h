#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <memory>

class QScreen;
class QWidget;

namespace kalvory {

class LayerSurface;

// Shows a frameless top-level window (the on-screen clock and message, the notifier, the
// stopwatch) as an overlay surface of a Wayland compositor that offers wlr-layer-shell: above
// every window, at the window's own place, without the keyboard, taking the pointer only over its
// shape, translucent outside it. Wayland gives an ordinary window none of that.
//
// The widget keeps its whole life as it is on X11 (show, hide, move, update, its mouse handlers):
// it is only never shown on screen itself. Its pictures are drawn into the surface whenever Qt
// would have painted it, and the pointer over the surface comes back to it as mouse events.
class OverlayWindow final : public QObject {
  Q_OBJECT
 public:
  // Makes `widget` (a top-level window not shown yet) such an overlay and returns the bridge,
  // owned by the widget; null where windows are ordinary windows (X11, a test's offscreen
  // platform, a Wayland compositor without the layer shell), and the widget is left as it was.
  static OverlayWindow* attach(QWidget* widget);
  // Whether `widget` is shown as an overlay: its place is then the place the user sees.
  static bool isOverlay(const QWidget* widget);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  OverlayWindow(QWidget* widget, std::unique_ptr<LayerSurface> surface);
  ~OverlayWindow() override;
  void scheduleFrame();
  void presentFrame();
  void placeSurface();
  QScreen* screen() const;
  QRegion shape() const;
  void pointerMoved(const QPointF& position);
  void buttonChanged(Qt::MouseButton button, bool pressed);
  void sendMouse(QWidget* receiver, int type, const QPointF& position, Qt::MouseButton button);

  QWidget* widget_;
  std::unique_ptr<LayerSurface> surface_;
  // The surface's coordinates per window coordinate (QT_SCALE_FACTOR's share of the scale).
  qreal surfaceScale_ = 1.0;
  bool framePending_ = false;
  bool drawing_ = false;
  // The shape as an alpha mask, made again only when the shape changes.
  QRegion maskShape_;
  QImage mask_;
  // The pointer: where it is, which buttons are down, who takes its events until the release.
  QPointF pointer_;
  Qt::MouseButtons buttons_;
  QPointer<QWidget> grabber_;
  QElapsedTimer lastPress_;
  Qt::MouseButton lastPressButton_ = Qt::NoButton;
};

}  // namespace kalvory
