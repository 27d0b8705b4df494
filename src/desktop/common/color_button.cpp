#include "desktop/common/color_button.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>
#include <utility>

namespace kalvory {

QColor toQColor(ColorRef color) { return QColor(redOf(color), greenOf(color), blueOf(color)); }

ColorRef toColorRef(const QColor& color) {
  return makeColorRef(static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
                      static_cast<std::uint8_t>(color.blue()));
}

ColorButton::ColorButton(QWidget* parent, Chooser chooser) : QPushButton(parent), chooser_(std::move(chooser)) {
  setIconSize(QSize(32, 14));
  updateSwatch();
  connect(this, &QPushButton::clicked, this, &ColorButton::choose);
}

void ColorButton::setColor(ColorRef color) {
  color_ = color;
  updateSwatch();
}

void ColorButton::choose() {
  std::optional<QColor> picked;
  if (chooser_) {
    picked = chooser_(toQColor(color_), this);
  } else {
    const QColor color = QColorDialog::getColor(toQColor(color_), this);
    if (color.isValid()) picked = color;
  }
  if (!picked) return;
  setColor(toColorRef(*picked));
  emit colorChosen(color_);
}

void ColorButton::updateSwatch() {
  QPixmap swatch(iconSize());
  swatch.fill(toQColor(color_));
  QPainter painter(&swatch);
  painter.setPen(isEnabled() ? palette().color(QPalette::WindowText) : palette().color(QPalette::Mid));
  painter.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
  painter.end();
  setIcon(QIcon(swatch));
}

}  // namespace kalvory
