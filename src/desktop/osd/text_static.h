#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "core/clock/osd_layout.h"
#include "desktop/common/second_timer.h"
#include "desktop/osd/osd_drawing.h"

namespace kalvory {

class PointerCatcher;

// The on-screen alarm message: a frameless, top-most tool window that never takes the focus,
// shaped exactly to its lettering and shadow, translucent with a constant opacity, and dragged
// with the left mouse button. It counts its display time down every 500 ms while it is visible
// and hides itself when the time is up. The clock window builds on it.
class CTextStatic : public QWidget {
  Q_OBJECT
 public:
  explicit CTextStatic(QWidget* parent = nullptr);
  ~CTextStatic() override;

  // Places the window at the rectangle's corner, draws its shape and shows it (without taking
  // the focus) when it is showing.
  void Create(const QString& windowName, const QRect& rect);
  bool created() const { return created_; }

  // Stores the text without carriage returns and with "%~" and "%-" turned into the raised-text
  // marks; the window is redrawn at the next Update when that changed the text.
  void SetText(const std::string& text);
  const std::string& GetText() const { return text_; }

  // Each setter marks the window for a new shape when the value changes.
  void SetTextColor(ColorRef color);
  void SetGradientColor(ColorRef color);
  void SetShadowColor(ColorRef color);
  void SetGradient(bool on, bool vertical);
  void SetShadow(bool on);
  void SetShadowOffset(int x, int y);
  void SetFont(const FontDescription& font);
  void SetPlacement(int placement);
  // Takes effect at once: alpha = opacity x 255 / 100.
  void SetOpacity(int opacity);
  // Every look at once, as the settings give them.
  void SetLooks(const OsdLooks& looks);
  const OsdLooks& looks() const { return looks_; }

  // Display time in tenths of a second.
  void SetDefaultTime(std::uint32_t tenths) { displayTime_.SetDefaultTime(tenths); }
  // Time left := `tenths`, or the default display time for 0; then Update.
  void Show(std::uint32_t tenths);
  const OsdDisplayTime& displayTime() const { return displayTime_; }

  // Whether the window should be visible; its owner sets it directly.
  void setShowing(bool showing) { showing_ = showing; }
  bool showing() const { return showing_; }

  // Redraws the shape when the text or looks changed; while display time is left, the window's
  // visibility follows its showing mark.
  void Update();

  // What the window shows now: the shape (window coordinates) and the image.
  QRegion shape() const { return shape_; }
  const OsdRendering& rendering() const { return rendering_; }
  // The window as the screen shows it, alpha 0 outside the shape.
  QImage picture() const;
  bool timerRunning() const { return timer_.isActive() || secondTimer_.isActive(); }

  // One tick of the 500 ms timer, or of the whole-second one (the timer calls it; tests call
  // it directly).
  void tick();

 signals:
  // The window's top-left corner changed: dragged by the user or put back on the screen.
  void moved(const QPoint& topLeft);

 protected:
  // The message counts its time down; the clock reads the time instead.
  virtual void onTick();

  // The timer runs while the window is showing and has display time left, so a hidden
  // message or clock never wakes the program.
  void syncTimer();
  // Ticks just after each whole second instead of every 500 ms: a clock's text changes no more
  // often, and the program then wakes once a second for the clock and the alarm check together.
  void tickOnWholeSeconds() { onWholeSeconds_ = true; }

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

  OsdDisplayTime displayTime_;

 private:
  void setLook(bool changed);
  void updateShape();
  // Shows (without taking the focus) or hides the window; a window with nothing to draw stays
  // hidden, since an empty shape would show the whole rectangle.
  void setShown(bool shown);

  std::string text_;
  OsdLooks looks_;
  bool showing_ = true;
  bool dirty_ = true;
  bool created_ = false;
  OsdRendering rendering_;
  QRegion shape_;
  QRegion appliedShape_;  // what the native window is cut to
  bool shapeApplied_ = false;
  QTimer timer_;
  SecondTimer secondTimer_;
  bool onWholeSeconds_ = false;
  // A drag the window follows itself (on X11 always; elsewhere where the window system cannot
  // move it).
  bool dragging_ = false;
  QPoint dragOffset_;
  // On X11: takes presses over the whole rectangle, between the strokes too (null elsewhere).
  PointerCatcher* catcher_ = nullptr;
  QPoint catcherPress_;  // where a press on it began, in the X server's pixels
  QPoint pressedAt_;     // the window's corner then
  void coverWithCatcher();
};

}  // namespace kalvory
