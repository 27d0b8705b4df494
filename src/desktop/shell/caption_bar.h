#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

namespace kalvory {

// The main window's own caption (CCaptionPainter with its CCloseMinimizeButton pair): the
// skin's caption colour, the program icon (the window menu), the logo (the about box), the
// title, and the hide and close buttons on the right. Dragging it moves the window.
class CCaptionBar : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kHeight = 26;  // at 96 dots per inch
  static constexpr int kButtonSize = 26;

  enum class Part { None, SystemIcon, Logo, HideButton, CloseButton, Title };

  explicit CCaptionBar(QWidget* parent = nullptr);

  void setCaptionColor(const QColor& color);
  QColor captionColor() const { return color_; }
  // A null image puts the built-in logo back.
  void setLogo(const QImage& logo);
  bool hasCustomLogo() const { return customLogo_; }
  void setTitle(const QString& title);
  QString title() const { return title_; }

  Part partAt(const QPoint& point) const;
  QRect partRect(Part part) const;

  QSize sizeHint() const override;

 signals:
  void aboutRequested();
  void windowMenuRequested(const QPoint& globalPosition);
  void hideRequested();
  void closeRequested();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QColor color_{128, 128, 128};
  QImage logo_;
  bool customLogo_ = false;
  QString title_;
  Part hover_ = Part::None;
  Part pressed_ = Part::None;
  bool dragging_ = false;
  QPoint dragOffset_;
};

}  // namespace kalvory
