#pragma once

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QRegion>
#include <QString>
#include <memory>

namespace kalvory {

class LayerShellConnection;
struct LayerSurfaceState;

// Whether the compositor of this session (WAYLAND_DISPLAY) offers wlr-layer-shell. Asked on a
// short connection of its own, so that it can be asked before Qt chooses its platform.
bool compositorOffersLayerShell();

// A picture shown by the compositor in its top-most layer (wlr-layer-shell "overlay"): above every
// window, at a place the program chooses (the top-left corner of an output plus an offset), never
// given the keyboard, taking the pointer only over the part the program names. Wayland lets no
// ordinary window choose its place or stay on top, so the program's on-screen windows are shown
// this way where the compositor allows it.
//
// The surfaces live on a Wayland connection of the program's own, read on the GUI thread when its
// socket has something to read: no thread, no timer, and nothing of Qt's own connection touched.
class LayerSurface final : public QObject {
  Q_OBJECT
 public:
  // Null where there is no layer shell (no Wayland compositor, or one that does not offer it).
  // `role` names the surface for the compositor (its rules and its lists of layer surfaces).
  static std::unique_ptr<LayerSurface> create(const QString& role);
  ~LayerSurface() override;

  // Shows `picture` (premultiplied ARGB, transparent where nothing is drawn, its size a multiple of
  // `bufferScale`, which is the output's scale for a sharp picture); only `inputShape` takes the
  // pointer. Places, shapes and pointer positions are in the surface's coordinates: the compositor's
  // logical pixels, the picture's divided by `bufferScale`.
  void present(const QImage& picture, const QRegion& inputShape, int bufferScale = 1);
  // The top-left corner `offset` from the top-left corner of the output named `output` (Qt's
  // screen name); an unknown output leaves the choice to the compositor.
  void place(const QString& output, const QPoint& offset);
  // The scale the compositor gives the output named `output` (1 when unknown).
  int outputScale(const QString& output) const;
  // Takes the surface off the screen; the next present() shows it again.
  void hide();
  bool shown() const;

 signals:
  // The pointer, in picture coordinates.
  void pointerEntered(const QPointF& position);
  void pointerMoved(const QPointF& position);
  void pointerLeft();
  void buttonChanged(Qt::MouseButton button, bool pressed);
  // The compositor took the surface away (its output went); the next present() makes a new one.
  void closed();

 private:
  friend class LayerShellConnection;
  explicit LayerSurface(LayerShellConnection& connection, const QString& role);
  // The compositor's answer to a new surface: from now on pictures may be shown.
  void configured();
  void commitPicture();
  void destroySurface();

  LayerShellConnection* connection_;  // null once the application has gone
  std::unique_ptr<LayerSurfaceState> state_;
};

}  // namespace kalvory
