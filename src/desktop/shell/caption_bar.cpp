#include "desktop/shell/caption_bar.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWindow>

#include "desktop/common/date_icon.h"
#include "desktop/common/program_title.h"

namespace kalvory {

namespace {

// The built-in logo: the program's name as a small wordmark, drawn at twice the size it shows.
QImage builtInLogo() {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(26);
  font.setBold(true);
  font.setLetterSpacing(QFont::PercentageSpacing, 104);
  const QString name = programTitle();
  const QSize size(QFontMetrics(font).horizontalAdvance(name) + 8, 40);
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setFont(font);
  painter.setPen(QColor(0, 0, 0, 70));
  painter.drawText(QRect(5, 2, size.width(), size.height()), Qt::AlignVCenter | Qt::AlignLeft, name);
  painter.setPen(Qt::white);
  painter.drawText(QRect(3, 0, size.width(), size.height()), Qt::AlignVCenter | Qt::AlignLeft, name);
  return image;
}

// Text on the caption stays readable whatever colour a skin picks.
QColor textColorOn(const QColor& background) { return background.lightnessF() > 0.62 ? QColor(25, 30, 40) : Qt::white; }

}  // namespace

CCaptionBar::CCaptionBar(QWidget* parent) : QWidget(parent), logo_(builtInLogo()) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFixedHeight(kHeight);
}

QSize CCaptionBar::sizeHint() const { return {380, kHeight}; }

void CCaptionBar::setCaptionColor(const QColor& color) {
  color_ = color.isValid() ? color : QColor(128, 128, 128);
  update();
}

void CCaptionBar::setLogo(const QImage& logo) {
  customLogo_ = !logo.isNull();
  logo_ = customLogo_ ? logo : builtInLogo();
  update();
}

void CCaptionBar::setTitle(const QString& title) {
  title_ = title;
  update();
}

QRect CCaptionBar::partRect(Part part) const {
  const int w = width();
  switch (part) {
    case Part::SystemIcon:
      return {2, 3, 20, 20};
    case Part::Logo: {
      // The logo picture is drawn at half size so that a picture made for sharp screens fits.
      const QSize logoSize = logo_.size() / (logo_.height() > kHeight - 4 ? 2 : 1);
      return {26, (kHeight - logoSize.height()) / 2, logoSize.width(), logoSize.height()};
    }
    case Part::CloseButton:
      return {w - kButtonSize, 0, kButtonSize, kButtonSize};
    case Part::HideButton:
      return {w - 2 * kButtonSize, 0, kButtonSize, kButtonSize};
    case Part::Title:
      return rect();
    case Part::None:
      break;
  }
  return {};
}

CCaptionBar::Part CCaptionBar::partAt(const QPoint& point) const {
  for (Part part : {Part::CloseButton, Part::HideButton, Part::SystemIcon, Part::Logo})
    if (partRect(part).contains(point)) return part;
  return rect().contains(point) ? Part::Title : Part::None;
}

void CCaptionBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  QLinearGradient fill(0, 0, 0, height());
  fill.setColorAt(0, color_.lighter(118));
  fill.setColorAt(1, color_.darker(108));
  painter.fillRect(rect(), fill);
  painter.setPen(color_.darker(135));
  painter.drawLine(0, height() - 1, width(), height() - 1);

  programIcon().paint(&painter, partRect(Part::SystemIcon).adjusted(2, 2, -2, -2));
  painter.drawImage(partRect(Part::Logo), logo_);

  const QColor ink = textColorOn(color_);
  // The built-in logo is the program's name already; a skin's logo is a picture beside the title.
  if (customLogo_ && !title_.trimmed().isEmpty()) {
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(ink);
    const int left = partRect(Part::Logo).right() + 10;
    const QRect textRect(left, 0, partRect(Part::HideButton).left() - left - 6, height());
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, title_.trimmed());
  }

  for (Part part : {Part::HideButton, Part::CloseButton}) {
    const QRect box = partRect(part).adjusted(3, 3, -3, -3);
    const bool hot = hover_ == part;
    const bool down = pressed_ == part && hot;
    if (hot || down) {
      QColor back = part == Part::CloseButton ? QColor(214, 52, 58) : ink;
      back.setAlpha(part == Part::CloseButton ? (down ? 255 : 220) : (down ? 90 : 55));
      painter.setPen(Qt::NoPen);
      painter.setBrush(back);
      painter.drawRoundedRect(box, 4, 4);
    }
    painter.setPen(QPen(hot && part == Part::CloseButton ? QColor(Qt::white) : ink, 1.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF c = QRectF(box).center();
    if (part == Part::CloseButton) {
      painter.drawLine(c + QPointF(-4.5, -4.5), c + QPointF(4.5, 4.5));
      painter.drawLine(c + QPointF(-4.5, 4.5), c + QPointF(4.5, -4.5));
    } else {
      painter.drawLine(c + QPointF(-5, 3.5), c + QPointF(5, 3.5));
    }
  }
}

void CCaptionBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const Part part = partAt(event->position().toPoint());
  switch (part) {
    case Part::Logo:
      emit aboutRequested();
      return;
    case Part::SystemIcon:
      emit windowMenuRequested(event->globalPosition().toPoint() + QPoint(3, 3));
      return;
    case Part::HideButton:
    case Part::CloseButton:
      pressed_ = part;
      update();
      return;
    default:
      break;
  }
  // Let the window manager move the window when there is one; otherwise move it ourselves.
  QWidget* frame = window();
  if (frame->windowHandle() && frame->windowHandle()->startSystemMove()) return;
  dragging_ = true;
  dragOffset_ = event->globalPosition().toPoint() - frame->frameGeometry().topLeft();
}

void CCaptionBar::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) {
    window()->move(event->globalPosition().toPoint() - dragOffset_);
    return;
  }
  const Part part = partAt(event->position().toPoint());
  const Part hover = (part == Part::HideButton || part == Part::CloseButton) ? part : Part::None;
  if (hover != hover_) {
    hover_ = hover;
    update();
  }
  setCursor(part == Part::Logo ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void CCaptionBar::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  const Part released = partAt(event->position().toPoint());
  const Part pressed = pressed_;
  pressed_ = Part::None;
  update();
  if (pressed == Part::None || released != pressed) return;
  if (pressed == Part::CloseButton) emit closeRequested();
  if (pressed == Part::HideButton) emit hideRequested();
}

void CCaptionBar::mouseDoubleClickEvent(QMouseEvent* event) {
  // A double click on the window menu's icon must not close the program, and the window has
  // no maximised state for a caption double click to reach.
  event->accept();
}

void CCaptionBar::leaveEvent(QEvent*) {
  if (hover_ != Part::None) {
    hover_ = Part::None;
    update();
  }
}

}  // namespace kalvory
