#include "desktop/common/overlay_window.h"

#include <QEnterEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyleHints>
#include <QTransform>
#include <QWidget>
#include <QWindow>

#include "platform/wayland/layer_surface.h"

namespace kalvory {

OverlayWindow* OverlayWindow::attach(QWidget* widget) {
  // Only a window of its own: a widget inside another window is drawn by that window.
  if (!widget || !widget->isWindow() || !QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
    return nullptr;
  std::unique_ptr<LayerSurface> surface = LayerSurface::create(QStringLiteral("kalvory"));
  if (!surface) return nullptr;
  return new OverlayWindow(widget, std::move(surface));
}

bool OverlayWindow::isOverlay(const QWidget* widget) {
  return widget && widget->findChild<OverlayWindow*>(QString(), Qt::FindDirectChildrenOnly) != nullptr;
}

OverlayWindow::OverlayWindow(QWidget* widget, std::unique_ptr<LayerSurface> surface)
    : QObject(widget), widget_(widget), surface_(std::move(surface)) {
  // The widget lives on as a window (visible, placed, painted when updated) that Qt never puts on
  // the screen: the surface shows it instead.
  widget_->setAttribute(Qt::WA_DontShowOnScreen);
  widget_->installEventFilter(this);
  connect(surface_.get(), &LayerSurface::pointerEntered, this, [this](const QPointF& surfacePosition) {
    const QPointF position = surfacePosition / surfaceScale_;
    pointer_ = position;
    const QPointF global = QPointF(widget_->pos()) + position;
    QEnterEvent enter(position, position, global);
    QCoreApplication::sendEvent(widget_, &enter);
  });
  connect(surface_.get(), &LayerSurface::pointerMoved, this,
          [this](const QPointF& surfacePosition) { pointerMoved(surfacePosition / surfaceScale_); });
  connect(surface_.get(), &LayerSurface::pointerLeft, this, [this] {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(widget_, &leave);
  });
  connect(surface_.get(), &LayerSurface::buttonChanged, this, &OverlayWindow::buttonChanged);
  // The compositor took the surface away (its output went): the window comes back at its next
  // picture, or at once when it is showing.
  connect(surface_.get(), &LayerSurface::closed, this, [this] {
    if (widget_->isVisible()) scheduleFrame();
  });
}

OverlayWindow::~OverlayWindow() = default;

bool OverlayWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched != widget_) return false;
  switch (event->type()) {
    case QEvent::Show:
      placeSurface();
      scheduleFrame();
      break;
    case QEvent::Hide:
      surface_->hide();
      break;
    case QEvent::Move:
      placeSurface();
      break;
    case QEvent::Resize:
    case QEvent::UpdateRequest:
      scheduleFrame();
      break;
    case QEvent::Paint:
      // Qt's own paint goes to a window nobody sees; the surface's picture is drawn instead.
      return !drawing_;
    default:
      break;
  }
  return false;
}

void OverlayWindow::scheduleFrame() {
  // Several changes in one pass of the event loop make one picture.
  if (framePending_) return;
  framePending_ = true;
  QMetaObject::invokeMethod(this, &OverlayWindow::presentFrame, Qt::QueuedConnection);
}

QRegion OverlayWindow::shape() const {
  QRegion shape = widget_->mask();
  if (shape.isEmpty() && widget_->windowHandle()) shape = widget_->windowHandle()->mask();
  if (shape.isEmpty()) shape = QRegion(widget_->rect());
  return shape;
}

QScreen* OverlayWindow::screen() const {
  QScreen* screen = QGuiApplication::screenAt(widget_->pos());
  if (!screen) screen = widget_->screen();
  return screen ? screen : QGuiApplication::primaryScreen();
}

void OverlayWindow::presentFrame() {
  framePending_ = false;
  const QSize size = widget_->size();
  if (!widget_->isVisible() || size.isEmpty()) return;
  // The picture has the pixels the window would have (Qt's device pixel ratio: the output's scale
  // times QT_SCALE_FACTOR); the compositor counts in its logical pixels, which are Qt's times
  // QT_SCALE_FACTOR, and is told the output's scale for the buffer.
  const QScreen* where = screen();
  const int outputScale = surface_->outputScale(where ? where->name() : QString());
  const qreal ratio = widget_->devicePixelRatioF() > 0 ? widget_->devicePixelRatioF() : 1.0;
  surfaceScale_ = ratio / outputScale;
  QSize pixels = (QSizeF(size) * ratio).toSize();
  // A buffer's size must divide by its scale.
  pixels = QSize((pixels.width() + outputScale - 1) / outputScale * outputScale,
                 (pixels.height() + outputScale - 1) / outputScale * outputScale);
  QImage picture(pixels, QImage::Format_ARGB32_Premultiplied);
  picture.setDevicePixelRatio(ratio);
  picture.fill(Qt::transparent);
  drawing_ = true;
  widget_->render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
  drawing_ = false;

  // Cut to the shape and made translucent as the window's opacity says, as a compositing window
  // manager shows the window on X11: nothing of the rectangle outside the shape is drawn.
  const QRegion shape = this->shape();
  if (mask_.size() != pixels || maskShape_ != shape || !qFuzzyCompare(mask_.devicePixelRatio(), ratio)) {
    mask_ = QImage(pixels, QImage::Format_Alpha8);
    mask_.setDevicePixelRatio(ratio);
    mask_.fill(0);
    QPainter painter(&mask_);
    for (const QRect& rect : shape) painter.fillRect(rect, QColor(0, 0, 0, 255));
    maskShape_ = shape;
  }
  {
    QPainter painter(&picture);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.setOpacity(widget_->windowOpacity());
    painter.drawImage(0, 0, mask_);
  }
  placeSurface();
  const QRegion input =
      qFuzzyCompare(surfaceScale_, 1.0) ? shape : QTransform::fromScale(surfaceScale_, surfaceScale_).map(shape);
  surface_->present(picture, input, outputScale);
}

void OverlayWindow::placeSurface() {
  // The window's place is in the whole desktop's coordinates; the surface stands on the output
  // that holds it, offset from that output's corner.
  const QScreen* where = screen();
  if (!where) return;
  const QPointF offset = QPointF(widget_->pos() - where->geometry().topLeft()) * surfaceScale_;
  surface_->place(where->name(), offset.toPoint());
}

void OverlayWindow::pointerMoved(const QPointF& position) {
  pointer_ = position;
  QWidget* receiver = grabber_ ? grabber_.data() : widget_->childAt(position.toPoint());
  sendMouse(receiver ? receiver : widget_, QEvent::MouseMove, position, Qt::NoButton);
}

void OverlayWindow::buttonChanged(Qt::MouseButton button, bool pressed) {
  const QPointer<OverlayWindow> alive(this);
  if (pressed) {
    QWidget* receiver = widget_->childAt(pointer_.toPoint());
    if (!receiver) receiver = widget_;
    grabber_ = receiver;
    buttons_ |= button;
    // A second press soon after the first, with the same button, is a double click, as Qt makes
    // it for a window of its own.
    const bool doubleClick = lastPress_.isValid() && lastPressButton_ == button &&
                             lastPress_.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval();
    if (doubleClick) {
      lastPress_.invalidate();
    } else {
      lastPress_.start();
      lastPressButton_ = button;
    }
    sendMouse(receiver, doubleClick ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress, pointer_, button);
    return;
  }
  buttons_ &= ~button;
  QWidget* receiver = grabber_ ? grabber_.data() : widget_;
  sendMouse(receiver, QEvent::MouseButtonRelease, pointer_, button);
  if (alive && !buttons_) grabber_ = nullptr;
}

void OverlayWindow::sendMouse(QWidget* receiver, int type, const QPointF& position, Qt::MouseButton button) {
  const QPointF global = QPointF(widget_->pos()) + position;
  const auto send = [&](QWidget* target) {
    const QPointF local = target == widget_ ? position : target->mapFrom(widget_, position);
    QMouseEvent event(QEvent::Type(type), local, position, global, button, buttons_,
                      QGuiApplication::keyboardModifiers());
    QCoreApplication::sendEvent(target, &event);
    return event.isAccepted();
  };
  // A child that does not want the event hands it to the window, as Qt does.
  const QPointer<QWidget> window(widget_);
  if (!send(receiver) && receiver != widget_ && window) send(widget_);
}

}  // namespace kalvory
