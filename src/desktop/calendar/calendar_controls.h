#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QComboBox>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

class QLineEdit;

namespace kalvory {

// The colours the calendar hands its child controls (the skin's "Calendar" values).
struct CalendarControlColors {
  QColor background;  // clBackground1: the field
  QColor text;        // clText
  QColor shadow;      // clButtonShadow: the frame
  QColor highlight;   // clButtonHighlight: the frame's lit side and the focus mark
};

// A 21 x 21 button shaped as a triangle (the month buttons), drawn from a strip of four
// states: normal, under the mouse, pressed, disabled.
class CMonthButton final : public QAbstractButton {
  Q_OBJECT
 public:
  static constexpr int kSize = 21;
  enum class Direction { Previous, Next };

  explicit CMonthButton(Direction direction, QWidget* parent = nullptr);

  QSize sizeHint() const override { return {kSize, kSize}; }
  // 0 normal, 1 under the mouse, 2 pressed, 3 disabled: the strip's picture now shown.
  int stateIndex() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QPixmap strip_;
  bool hovered_ = false;
};

// The month drop-down list, drawn flat in the skin's colours; the open list is the standard one.
class CMonthList final : public QComboBox {
  Q_OBJECT
 public:
  explicit CMonthList(QWidget* parent = nullptr);
  void setColors(const CalendarControlColors& colors);
  // The width that shows the longest item whole.
  int widthForItems() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CalendarControlColors colors_;
};

// The year field with its up-down control beside it: a four-digit edit and two arrows. The
// arrows (held: repeating), the Up and Down keys and the wheel step the year; a year typed and
// confirmed with Enter is gone to as a whole.
class CYearField final : public QWidget {
  Q_OBJECT
 public:
  explicit CYearField(QWidget* parent = nullptr);

  void setColors(const CalendarControlColors& colors);
  void setText(const QString& text);
  QString text() const;
  QLineEdit* edit() const { return edit_; }
  // The width that holds four digits and the arrows.
  int preferredWidth() const;

 signals:
  // The up-down control moved by `delta` years.
  void stepped(int delta);
  // A year was typed and confirmed.
  void yearEntered(int year);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QRect arrowsRect() const;
  void step();

  QLineEdit* edit_ = nullptr;
  QString written_;  // what the calendar last wrote; an unconfirmed edit goes back to it
  CalendarControlColors colors_;
  QTimer repeat_;
  int heldDelta_ = 0;  // the arrow held down: +1, -1, or 0
};

}  // namespace kalvory
