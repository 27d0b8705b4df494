#include "desktop/osd/text_static.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QWindow>

#include "desktop/common/overlay_window.h"
#include "platform/x11/pointer_catcher.h"

namespace kalvory {

namespace {

constexpr int kTickMilliseconds = 500;

// The message window's looks before its owner hands it the settings.
OsdLooks initialMessageLooks() {
  OsdLooks looks;
  looks.font = FontDescription{"Arial", 60, 150, false};
  looks.gradient = true;
  looks.verticalGradient = true;
  looks.gradientColor = 0x800000;
  looks.shadow = true;
  looks.shadowX = 2;
  looks.shadowY = 2;
  looks.opacity = 100;
  looks.placement = kOsdInitialPlacement;
  return looks;
}

}  // namespace

CTextStatic::CTextStatic(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      displayTime_(10, 0),
      looks_(initialMessageLooks()) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::ArrowCursor);
  // A tick that comes late comes once: Qt timers never queue up missed ticks.
  timer_.setInterval(kTickMilliseconds);
  connect(&timer_, &QTimer::timeout, this, &CTextStatic::tick);
  connect(&secondTimer_, &SecondTimer::timeout, this, &CTextStatic::tick);
  // On a Wayland compositor with a layer shell the window is an overlay surface: top-most, at its
  // place, never focused, translucent outside its lettering.
  OverlayWindow::attach(this);
}

CTextStatic::~CTextStatic() = default;

void CTextStatic::Create(const QString& windowName, const QRect& rect) {
  setObjectName(windowName);
  setWindowTitle(windowName);
  move(rect.topLeft());
  resize(rect.size());
  created_ = true;
  // A press between two strokes reaches the window below: on X11 an invisible window over the
  // whole rectangle takes it, so that a press anywhere on the lettering drags.
  catcher_ = PointerCatcher::create(this);
  if (catcher_) {
    connect(catcher_, &PointerCatcher::pressed, this, [this](const QPoint& root) {
      dragging_ = true;
      catcherPress_ = root;
      pressedAt_ = pos();
    });
    connect(catcher_, &PointerCatcher::dragged, this, [this](const QPoint& root) {
      if (!dragging_) return;
      const qreal ratio = devicePixelRatioF() > 0 ? devicePixelRatioF() : 1.0;
      move(pressedAt_ + (root - catcherPress_) / ratio);
    });
    connect(catcher_, &PointerCatcher::released, this, [this] { dragging_ = false; });
  }
  updateShape();
  dirty_ = false;
  SetOpacity(looks_.opacity);
  setShown(showing_);
  syncTimer();
}

void CTextStatic::SetText(const std::string& text) {
  OsdText result = osdSetText(text_, text);
  if (!result.changed) return;
  text_ = std::move(result.text);
  dirty_ = true;
}

void CTextStatic::setLook(bool changed) {
  if (!changed) return;
  dirty_ = true;
  if (created_) update();
}

void CTextStatic::SetTextColor(ColorRef color) {
  const bool changed = looks_.textColor != color;
  looks_.textColor = color;
  setLook(changed);
}

void CTextStatic::SetGradientColor(ColorRef color) {
  const bool changed = looks_.gradientColor != color;
  looks_.gradientColor = color;
  setLook(changed);
}

void CTextStatic::SetShadowColor(ColorRef color) {
  const bool changed = looks_.shadowColor != color;
  looks_.shadowColor = color;
  setLook(changed);
}

void CTextStatic::SetGradient(bool on, bool vertical) {
  const bool changed = looks_.gradient != on || looks_.verticalGradient != vertical;
  looks_.gradient = on;
  looks_.verticalGradient = vertical;
  setLook(changed);
}

void CTextStatic::SetShadow(bool on) {
  const bool changed = looks_.shadow != on;
  looks_.shadow = on;
  setLook(changed);
}

void CTextStatic::SetShadowOffset(int x, int y) {
  const bool changed = looks_.shadowX != x || looks_.shadowY != y;
  looks_.shadowX = x;
  looks_.shadowY = y;
  setLook(changed);
}

void CTextStatic::SetFont(const FontDescription& font) {
  const bool changed = !(looks_.font == font);
  looks_.font = font;
  setLook(changed);
}

void CTextStatic::SetPlacement(int placement) {
  const bool changed = looks_.placement != placement;
  looks_.placement = placement;
  setLook(changed);
}

void CTextStatic::SetOpacity(int opacity) {
  looks_.opacity = opacity;
  // Honoured where a compositor runs; without one the window stays fully opaque.
  setWindowOpacity(osdAlpha(opacity) / 255.0);
}

void CTextStatic::SetLooks(const OsdLooks& looks) {
  OsdLooks withOldOpacity = looks;
  withOldOpacity.opacity = looks_.opacity;
  const bool changed = !(withOldOpacity == looks_);
  const int opacity = looks.opacity;
  looks_ = withOldOpacity;
  setLook(changed);
  if (opacity != looks_.opacity) SetOpacity(opacity);
}

void CTextStatic::Show(std::uint32_t tenths) {
  displayTime_.Show(tenths);
  Update();
}

void CTextStatic::Update() {
  if (!created_) return;
  if (dirty_) {
    updateShape();
    update();
    dirty_ = false;
  }
  if (displayTime_.followsShowing()) setShown(showing_);
  // The catcher follows a move or a restack of the window since (it does nothing otherwise).
  coverWithCatcher();
  syncTimer();
}

void CTextStatic::setShown(bool shown) {
  shown = shown && !shape_.isEmpty();
  if (shown == isVisible()) return;
  if (shown) {
    show();
    raise();
  } else {
    hide();
  }
}

void CTextStatic::syncTimer() {
  const bool run = created_ && showing_ && displayTime_.left() > 0;
  if (onWholeSeconds_) {
    if (run && !secondTimer_.isActive()) secondTimer_.start();
    if (!run && secondTimer_.isActive()) secondTimer_.stop();
    return;
  }
  if (run && !timer_.isActive()) timer_.start();
  if (!run && timer_.isActive()) timer_.stop();
}

void CTextStatic::tick() { onTick(); }

void CTextStatic::onTick() {
  if (displayTime_.Tick(isVisible())) hide();
  syncTimer();
}

void CTextStatic::updateShape() {
  rendering_ = renderOsd(looks_, text_);
  shape_ = osdShape(rendering_.mask);
  // The corner stays where it is; the window takes the size of its lettering.
  if (size() != rendering_.image.size()) resize(rendering_.image.size());
  // The window is cut to its lettering on the native window rather than by a widget mask: a
  // widget mask also clips every paint to the lettering's many rectangles, and Qt hands such
  // fills to its thread pool (three pool wake-ups a second for a clock that shows seconds). An
  // empty region lifts the shape. Each new shape is a request to the X server, so a clock whose
  // digits keep their outline keeps the shape it has.
  if (!windowHandle()) create();
  if (QWindow* window = windowHandle(); window && (!shapeApplied_ || appliedShape_ != shape_)) {
    window->setMask(shape_);
    appliedShape_ = shape_;
    shapeApplied_ = true;
  }
  if (shape_.isEmpty() && isVisible()) hide();
  coverWithCatcher();
}

QImage CTextStatic::picture() const { return osdWindowPicture(rendering_, looks_.opacity); }

void CTextStatic::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, rendering_.image);
}

// A left press anywhere on the lettering moves the window; double and right clicks do nothing.
// On X11 the window follows the pointer itself: the press holds the pointer (the server's
// implicit grab) until the release, so every motion arrives here, whereas a move handed to the
// window manager starts only once the manager has taken the pointer, and a quick drag, or one
// under a manager that cannot take it, leaves the window where it was. Other window systems
// (Wayland) let a program move its windows only through them.
void CTextStatic::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
  if (!x11 && !OverlayWindow::isOverlay(this) && windowHandle() && windowHandle()->startSystemMove()) return;
  dragging_ = true;
  dragOffset_ = event->globalPosition().toPoint() - pos();
}

void CTextStatic::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ && (event->buttons() & Qt::LeftButton)) move(event->globalPosition().toPoint() - dragOffset_);
}

void CTextStatic::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragging_ = false;
}

void CTextStatic::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  coverWithCatcher();
  emit moved(pos());
}

void CTextStatic::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  coverWithCatcher();
}

void CTextStatic::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (catcher_) catcher_->hide();
}

void CTextStatic::coverWithCatcher() {
  if (!catcher_) return;
  if (isVisible() && !shape_.isEmpty()) {
    // In the X server's pixels (a scale set with QT_SCALE_FACTOR applies to the whole desktop).
    const qreal ratio = devicePixelRatioF() > 0 ? devicePixelRatioF() : 1.0;
    catcher_->cover(QRect((QPointF(pos()) * ratio).toPoint(), (QSizeF(size()) * ratio).toSize()), winId());
  } else
    catcher_->hide();
}

}  // namespace kalvory
