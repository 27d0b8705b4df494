#include "desktop/notifier/taskbar_notifier.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTextLayout>
#include <QTimerEvent>
#include <algorithm>

#include "desktop/common/overlay_window.h"
#include "desktop/common/picture_shape.h"

namespace kalvory {

namespace {

QColor colorOf(ColorRef color) {
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

QFont styledFont(QFont font, int style) {
  font.setWeight((style & 1) != 0 ? QFont::Bold : QFont::Normal);
  font.setItalic((style & 2) != 0);
  font.setUnderline((style & 4) != 0);
  return font;
}

// Right and bottom as the window system counts them: one past the last pixel.
int rightOf(const QRect& r) { return r.x() + r.width(); }
int bottomOf(const QRect& r) { return r.y() + r.height(); }

// Centred lines wrapped at word boundaries; the last line that fits ends in an ellipsis when
// text remains below it. Lines start at the top: with wrapping the vertical centring has no effect.
void drawWrappedText(QPainter& painter, const QRect& rect, const QString& text) {
  if (rect.width() <= 0 || rect.height() <= 0 || text.isEmpty()) return;
  const QFontMetrics metrics(painter.font());
  QTextLayout layout(text, painter.font());
  QTextOption option(Qt::AlignHCenter);
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  struct Line {
    int start;
    int length;
  };
  std::vector<Line> lines;
  for (;;) {
    QTextLine line = layout.createLine();
    if (!line.isValid()) break;
    line.setLineWidth(rect.width());
    lines.push_back({line.textStart(), line.textLength()});
  }
  layout.endLayout();
  const int lineHeight = metrics.height();
  const auto fitting = static_cast<std::size_t>(std::max(1, rect.height() / std::max(1, lineHeight)));
  int y = rect.top();
  for (std::size_t i = 0; i < lines.size() && i < fitting; ++i) {
    QString piece = text.mid(lines[i].start, lines[i].length);
    if (i + 1 == fitting && i + 1 < lines.size())
      piece = metrics.elidedText(text.mid(lines[i].start).simplified(), Qt::ElideRight, rect.width());
    else
      piece = piece.trimmed();
    painter.drawText(QRect(rect.left(), y, rect.width(), lineHeight), Qt::AlignHCenter | Qt::AlignTop, piece);
    y += lineHeight;
  }
}

}  // namespace

TaskbarEdge taskbarEdge(const QRect& screen, const QRect& workArea) {
  if (workArea.width() < screen.width()) return workArea.x() == 0 ? TaskbarEdge::Right : TaskbarEdge::Left;
  if (workArea.height() < screen.height() && workArea.y() > 0) return TaskbarEdge::Top;
  return TaskbarEdge::Bottom;
}

int notifierAlpha(int opacity) { return (opacity * 255 / 100) & 0xFF; }

QRegion notifierRegion(const QImage& picture, ColorRef transparent) {
  const int width = picture.width() / 4 * 4;
  const int height = picture.height();
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
  const QRgb key = qRgb(static_cast<int>(transparent & 0xFF), static_cast<int>((transparent >> 8) & 0xFF),
                        static_cast<int>((transparent >> 16) & 0xFF));
  // Built from runs of kept pixels: the same shape as cutting each key pixel out one by one.
  QList<QRect> runs;
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    int x = 0;
    while (x < width) {
      while (x < width && (row[x] & 0xFFFFFF) == (key & 0xFFFFFF)) ++x;
      const int begin = x;
      while (x < width && (row[x] & 0xFFFFFF) != (key & 0xFFFFFF)) ++x;
      if (x > begin) runs.append(QRect(begin, y, x - begin, 1));
    }
  }
  QRegion region;
  region.setRects(runs.constData(), static_cast<int>(runs.size()));
  return region;
}

CTaskbarNotifier::CTaskbarNotifier(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TranslucentBackground, false);
  setCursor(Qt::PointingHandCursor);
  setMouseTracking(true);
  resize(0, 0);
  // On a Wayland compositor with a layer shell the popup slides out above every window, as on X11.
  OverlayWindow::attach(this);
}

CTaskbarNotifier::~CTaskbarNotifier() = default;

bool CTaskbarNotifier::SetSkin(const QString& pictureFile, int red, int green, int blue) {
  QImage picture(pictureFile);
  if (picture.isNull()) return false;
  return SetSkin(picture, makeColorRef(static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                                       static_cast<std::uint8_t>(blue)));
}

bool CTaskbarNotifier::SetSkin(const QImage& picture, ColorRef transparent) {
  if (picture.isNull()) return false;
  picture_ = picture.convertToFormat(QImage::Format_RGB32);
  textRect_ = picture_.rect();
  region_ = notifierRegion(picture_, transparent);
  setFixedSize(picture_.size());
  setMask(region_);
  return true;
}

void CTaskbarNotifier::SetFonts(const QString& face, int sizeTenths, int normalStyle, int selectedStyle) {
  QFont font(face);
  font.setPointSizeF(std::max(1, sizeTenths) / 10.0);
  normalFont_ = styledFont(font, normalStyle);
  selectedFont_ = styledFont(font, selectedStyle);
}

void CTaskbarNotifier::SetTextColors(ColorRef normal, ColorRef selected) {
  normalColor_ = normal;
  selectedColor_ = selected;
  update();
}

std::pair<QRect, QRect> CTaskbarNotifier::screenAreas() const {
  if (areas_) return *areas_;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {QRect(0, 0, 1024, 768), QRect(0, 0, 1024, 768)};
  return {screen->geometry(), screen->availableGeometry()};
}

void CTaskbarNotifier::Show(const QString& text, unsigned timeToAppear, unsigned timeToStay, unsigned timeToDisappear) {
  text_ = text;
  timeToAppear_ = timeToAppear;
  timeToStay_ = timeToStay;
  timeToDisappear_ = timeToDisappear;
  // A popup whose picture did not load has no size and no shape: there is nothing to show.
  if (picture_.isNull()) return;
  const auto [screen, work] = screenAreas();
  work_ = work;
  edge_ = taskbarEdge(screen, work);
  const int width = picture_.width();
  const int height = picture_.height();
  switch (state_) {
    case Hidden: {
      setWindowOpacity(notifierAlpha(normalOpacity_) / 255.0);
      const bool sideways = edge_ == TaskbarEdge::Left || edge_ == TaskbarEdge::Right;
      // A picture under 2 pixels along the slide still moves in one step rather than dividing by zero.
      const int halfSize = std::max(1, (sideways ? width : height) / 2);
      appearPeriod_ = static_cast<int>(timeToAppear_ / static_cast<unsigned>(halfSize));
      disappearPeriod_ = static_cast<int>(timeToDisappear_ / static_cast<unsigned>(halfSize));
      switch (edge_) {
        case TaskbarEdge::Right:
          start_ = {rightOf(work), bottomOf(work) - height};
          break;
        case TaskbarEdge::Left:
          start_ = {work.x() - width, bottomOf(work) - height};
          break;
        case TaskbarEdge::Top:
          start_ = {rightOf(work) - width, work.y() - height};
          break;
        case TaskbarEdge::Bottom:
          start_ = {rightOf(work) - width, bottomOf(work)};
          break;
      }
      current_ = start_;
      startTimer(1, appearPeriod_);
      break;
    }
    case Appearing:
      update();
      break;
    case Showing:
      update();
      stopTimer(3);  // the stay may just have ended: it starts again in full
      startTimer(2, static_cast<int>(timeToStay_));
      break;
    case Disappearing:
      stopTimer(3);
      startTimer(2, static_cast<int>(timeToStay_));
      switch (edge_) {
        case TaskbarEdge::Right:
          current_.setX(rightOf(work) - width);
          break;
        case TaskbarEdge::Left:
          current_.setX(work.x());
          break;
        case TaskbarEdge::Top:
          current_.setY(work.y());
          break;
        case TaskbarEdge::Bottom:
          current_.setY(bottomOf(work) - height);
          break;
      }
      move(current_);
      update();
      break;
  }
}

void CTaskbarNotifier::Hide() {
  // Every timer, not only the current state's: between the stay's end and the first step back
  // the state still reads "showing" while the disappearing timer already runs.
  for (int id = 1; id <= 3; ++id) stopTimer(id);
  hide();
  state_ = Hidden;
  move(0, 0);
}

void CTaskbarNotifier::appearStep() {
  state_ = Appearing;
  const int width = picture_.width();
  const int height = picture_.height();
  bool moving = false;
  switch (edge_) {
    case TaskbarEdge::Top:
      if ((moving = current_.y() - start_.y() < height)) current_.ry() += kStep;
      break;
    case TaskbarEdge::Left:
      if ((moving = current_.x() - start_.x() < width)) current_.rx() += kStep;
      break;
    case TaskbarEdge::Bottom:
      if ((moving = start_.y() - height < current_.y())) current_.ry() -= kStep;
      break;
    case TaskbarEdge::Right:
      if ((moving = start_.x() - width < current_.x())) current_.rx() -= kStep;
      break;
  }
  if (!moving) {
    stopTimer(1);
    startTimer(2, static_cast<int>(timeToStay_));
    state_ = Showing;
  }
  placeOnTop();
}

void CTaskbarNotifier::stayOver() {
  stopTimer(2);
  startTimer(3, disappearPeriod_);
  placeOnTop();
}

void CTaskbarNotifier::disappearStep() {
  state_ = Disappearing;
  bool moving = false;
  switch (edge_) {
    case TaskbarEdge::Top:
      if ((moving = start_.y() < current_.y())) current_.ry() -= kStep;
      break;
    case TaskbarEdge::Left:
      if ((moving = start_.x() < current_.x())) current_.rx() -= kStep;
      break;
    case TaskbarEdge::Right:
      if ((moving = current_.x() < start_.x())) current_.rx() += kStep;
      break;
    case TaskbarEdge::Bottom:
      if ((moving = current_.y() < start_.y())) current_.ry() += kStep;
      break;
  }
  if (!moving) {
    stopTimer(3);
    Hide();
    return;
  }
  placeOnTop();
}

void CTaskbarNotifier::placeOnTop() {
  move(current_);
  // The window stays on top by its flags; raising once when it appears is enough.
  if (!isVisible()) {
    show();
    raise();
  }
}

int CTaskbarNotifier::runningTimer() const {
  for (int id = 1; id <= 3; ++id)
    if (timers_[id - 1].isActive()) return id;
  return 0;
}

void CTaskbarNotifier::startTimer(int id, int period) { timers_[id - 1].start(std::max(0, period), this); }
void CTaskbarNotifier::stopTimer(int id) { timers_[id - 1].stop(); }

void CTaskbarNotifier::timerEvent(QTimerEvent* event) {
  if (event->timerId() == timers_[0].timerId())
    appearStep();
  else if (event->timerId() == timers_[1].timerId())
    stayOver();
  else if (event->timerId() == timers_[2].timerId())
    disappearStep();
  else
    QWidget::timerEvent(event);
}

int CTaskbarNotifier::currentAlpha() const { return notifierAlpha(mouseOver_ ? selectedOpacity_ : normalOpacity_); }
QColor CTaskbarNotifier::currentTextColor() const { return colorOf(mouseOver_ ? selectedColor_ : normalColor_); }
QFont CTaskbarNotifier::currentFont() const { return mouseOver_ ? selectedFont_ : normalFont_; }

void CTaskbarNotifier::drawContents(QPainter& painter) const {
  painter.drawImage(0, 0, picture_);
  painter.setFont(currentFont());
  painter.setPen(currentTextColor());
  drawWrappedText(painter, textRect_, text_);
}

void CTaskbarNotifier::paintEvent(QPaintEvent*) {
  setWindowOpacity(currentAlpha() / 255.0);
  QPainter painter(this);
  drawContents(painter);
}

QImage CTaskbarNotifier::renderImage() const {
  QImage image(picture_.size(), QImage::Format_RGB32);
  image.fill(Qt::black);
  {
    QPainter painter(&image);
    drawContents(painter);
  }
  return imageWithShape(image, region_);
}

void CTaskbarNotifier::setHover(bool over) {
  if (mouseOver_ == over) return;
  mouseOver_ = over;
  setWindowOpacity(currentAlpha() / 255.0);
  update();
}

void CTaskbarNotifier::enterEvent(QEnterEvent*) { setHover(true); }
void CTaskbarNotifier::leaveEvent(QEvent*) { setHover(false); }

void CTaskbarNotifier::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (closeBox_.contains(event->position().toPoint())) {
    emit stopClicked();
  } else {
    emit postponeClicked();
  }
}

}  // namespace kalvory
