#pragma once

#include <QPushButton>
#include <functional>
#include <optional>

#include "core/settings/system_colors.h"

namespace kalvory {

// A button that shows a colour and lets the user pick another: a click opens the colour
// chooser, started from the current colour.
class ColorButton : public QPushButton {
  Q_OBJECT
 public:
  explicit ColorButton(QWidget* parent = nullptr);

  ColorRef color() const { return color_; }
  void setColor(ColorRef color);

  // How a colour is picked; the standard colour dialog unless a caller (a test) sets another.
  std::function<std::optional<QColor>(const QColor& current, QWidget* parent)> chooser;

 signals:
  // The user picked a colour (not emitted by setColor).
  void colorChosen(ColorRef color);

 private:
  void choose();
  void updateSwatch();

  ColorRef color_ = 0;
};

QColor toQColor(ColorRef color);
ColorRef toColorRef(const QColor& color);

}  // namespace kalvory
