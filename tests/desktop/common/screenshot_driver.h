#pragma once

// What the screenshot drivers share: they show a window on the current X display and print the
// part of the screen to capture, for tests/desktop/common/take_screenshots.sh.
#include <QColor>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QRect>
#include <QScreen>
#include <cstdio>

namespace kalvory::test {

// Something like a desktop behind shaped windows, so that their shape shows.
inline QLabel* screenshotBackdrop() {
  const QSize size = QGuiApplication::primaryScreen()->geometry().size();
  QPixmap picture(size);
  QPainter painter(&picture);
  QLinearGradient gradient(0, 0, size.width(), size.height());
  gradient.setColorAt(0, QColor(38, 84, 124));
  gradient.setColorAt(1, QColor(120, 170, 160));
  painter.fillRect(picture.rect(), gradient);
  painter.end();
  auto* label = new QLabel(nullptr, Qt::FramelessWindowHint);
  label->setPixmap(picture);
  label->setGeometry(QRect(QPoint(0, 0), size));
  label->show();
  return label;
}

// "WxH+X+Y", the geometry ImageMagick's import crops to.
inline void printScreenshotArea(const QRect& area) {
  std::printf("%dx%d+%d+%d\n", area.width(), area.height(), area.x(), area.y());
  std::fflush(stdout);
}

}  // namespace kalvory::test
