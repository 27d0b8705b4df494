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
  // How a colour is picked: `chooser`, the standard colour dialog when empty.
  using Chooser = std::function<std::optional<QColor>(const QColor& current, QWidget* parent)>;
  explicit ColorButton(QWidget* parent = nullptr, Chooser chooser = {});

  ColorRef color() const { return color_; }
  void setColor(ColorRef color);

 signals:
  // The user picked a colour (not emitted by setColor).
  void colorChosen(ColorRef color);

 private:
  void choose();
  void updateSwatch();

  Chooser chooser_;
  ColorRef color_ = 0;
};

QColor toQColor(ColorRef color);
ColorRef toColorRef(const QColor& color);

}  // namespace kalvory
