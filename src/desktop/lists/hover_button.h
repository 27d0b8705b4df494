#pragma once

#include <QAbstractButton>
#include <QPainterPath>

namespace kalvory {

// The small picture buttons of the lists window: an oval 36 x 19 with a plus (add), a pencil
// (modify) or a cross (delete), and a triangle in the window's lower-right corner that hides
// the window. Only the shape takes clicks; the button lights up under the mouse.
class HoverButton final : public QAbstractButton {
  Q_OBJECT
 public:
  enum class Picture { Add, Modify, Delete, Close };

  HoverButton(Picture picture, QWidget* parent = nullptr);

  Picture picture() const { return picture_; }
  bool hovered() const { return hovered_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  bool hitButton(const QPoint& position) const override;

 private:
  QPainterPath outline() const;

  Picture picture_;
  bool hovered_ = false;
};

}  // namespace kalvory
