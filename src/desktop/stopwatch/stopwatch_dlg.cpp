#include "desktop/stopwatch/stopwatch_dlg.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QShortcut>
#include <QWindow>
#include <chrono>

#include "desktop/common/overlay_window.h"
#include "desktop/common/picture_shape.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

namespace {

constexpr int kCloseSize = 26;
// The picture's see-through colour, magenta, cut away as from every skinned picture.
constexpr ColorRef kPictureKeyColor = makeColorRef(255, 0, 255);
constexpr ColorRef kPictureKeyTolerance = makeColorRef(0x10, 0x10, 0x10);
// The display's brush behind the time.
const QColor kDisplayColor(0x96, 0xAA, 0xAE);

std::int64_t steadyMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QRegion closeCornerShape() {
  return QRegion(QPolygon({QPoint(0, 0), QPoint(kCloseSize, 0), QPoint(kCloseSize, kCloseSize)}));
}

}  // namespace

// --- the close corner

CStopWatchCloseButton::CStopWatchCloseButton(QWidget* parent)
    : QAbstractButton(parent), states_(QStringLiteral(":/pictures/stopwatch_close.png")) {
  setFixedSize(kCloseSize, kCloseSize);
  setAttribute(Qt::WA_Hover);
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::ArrowCursor);
  setMask(closeCornerShape());
}

bool CStopWatchCloseButton::hitButton(const QPoint& position) const { return mask().contains(position); }

void CStopWatchCloseButton::paintEvent(QPaintEvent*) {
  int state = 0;
  if (!isEnabled())
    state = 3;
  else if (isDown())
    state = 2;
  else if (underMouse())
    state = 1;
  QPainter painter(this);
  painter.drawImage(QPoint(0, 0), states_, QRect(state * kCloseSize, 0, kCloseSize, kCloseSize));
}

// --- the window

CStopWatchDlg::CStopWatchDlg(MonotonicMilliseconds now, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint),
      count_(now ? std::move(now) : MonotonicMilliseconds(steadyMilliseconds)),
      picture_(QImage(QStringLiteral(":/pictures/stopwatch.png")).convertToFormat(QImage::Format_RGB32)) {
  setObjectName(QStringLiteral("stopwatch"));
  setFixedSize(kWidth, kHeight);
  shape_ = pictureShape(picture_, kPictureKeyColor, kPictureKeyTolerance);
  if (!shape_.isEmpty()) setMask(shape_);

  closeButton_ = new CStopWatchCloseButton(this);
  closeButton_->move(kCloseButtonPosition);
  connect(closeButton_, &QAbstractButton::clicked, this, &QWidget::close);
  // On a Wayland compositor with a layer shell the stopwatch floats above the windows where it
  // was put, as it does on X11.
  OverlayWindow::attach(this);

  const auto addKey = [this](const QKeySequence& keys, void (CStopWatchDlg::*action)()) {
    connect(new QShortcut(keys, this), &QShortcut::activated, this, action);
  };
  addKey(QKeySequence(Qt::CTRL | Qt::Key_F2), &CStopWatchDlg::Restart);
  addKey(QKeySequence(Qt::CTRL | Qt::Key_F3), &CStopWatchDlg::Hold);
  addKey(QKeySequence(Qt::CTRL | Qt::Key_F4), &CStopWatchDlg::Hold);
  // Escape closes it, as it closes any dialog.
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);

  timer_.setInterval(kRefreshMilliseconds);
  connect(&timer_, &QTimer::timeout, this, &CStopWatchDlg::Refresh);
  Refresh();
}

void CStopWatchDlg::Restart() {
  count_.Restart();
  Refresh();
}

void CStopWatchDlg::Hold() { count_.ToggleHold(); }

void CStopWatchDlg::Refresh() {
  if (count_.Refresh()) update(kDisplayRect);
}

QString CStopWatchDlg::displayedText() const { return toQString(count_.displayedText()); }

void CStopWatchDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, picture_);
  painter.fillRect(kDisplayRect, kDisplayColor);
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(15);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(kDisplayRect, Qt::AlignCenter, displayedText());
}

void CStopWatchDlg::showEvent(QShowEvent*) {
  // The display is refreshed only while it can be seen; the count itself runs on regardless.
  Refresh();
  timer_.start();
}

void CStopWatchDlg::hideEvent(QHideEvent*) { timer_.stop(); }

void CStopWatchDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    Restart();
  } else if (event->button() == Qt::LeftButton) {
    pressed_ = true;
    movingByHand_ = false;
    pressGlobal_ = event->globalPosition().toPoint();
    pressWindow_ = pos();
  }
}

void CStopWatchDlg::mouseMoveEvent(QMouseEvent* event) {
  if (!pressed_ || !(event->buttons() & Qt::LeftButton)) return;
  const QPoint moved = event->globalPosition().toPoint() - pressGlobal_;
  if (!movingByHand_) {
    // The move starts only once the mouse has really moved, so that the presses of a double
    // click stay clicks.
    if (moved.manhattanLength() < QApplication::startDragDistance()) return;
    // The window manager moves the window when it can; otherwise (and always as an overlay, which
    // the program places itself) it follows the mouse here.
    if (!OverlayWindow::isOverlay(this) && windowHandle() && windowHandle()->startSystemMove()) {
      pressed_ = false;
      return;
    }
    movingByHand_ = true;
  }
  move(pressWindow_ + moved);
}

void CStopWatchDlg::mouseReleaseEvent(QMouseEvent*) {
  pressed_ = false;
  movingByHand_ = false;
}

void CStopWatchDlg::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) Hold();
}

}  // namespace kalvory
