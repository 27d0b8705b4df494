#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QWindow>
#include <cstdint>

namespace kalvory {

// An invisible X11 window that takes the left button over the whole rectangle of another
// window, stacked just above it. A window shaped to its lettering shows only the strokes and
// takes presses only there (X11 takes input only where a window shows itself, unless a
// compositor runs); this one lets a press between the strokes reach the program as well.
// Positions are the X server's own pixels, relative to the root window.
class PointerCatcher final : public QObject {
  Q_OBJECT
 public:
  // Null when the program has no X11 connection (offscreen, Wayland).
  static PointerCatcher* create(QObject* parent = nullptr);
  ~PointerCatcher() override;

  // Covers `area` (the X server's pixels) and stands just above `window`, the window that shows
  // there; shown until hide(). The caller gives the place it asked for: the server may not have
  // moved the window yet, when the window manager still has the request.
  void cover(const QRect& area, WId window);
  void hide();
  bool shown() const { return shown_; }

 signals:
  void pressed(const QPoint& rootPosition);
  void dragged(const QPoint& rootPosition);
  void released();

 private:
  class EventFilter;
  PointerCatcher(void* connection, std::uint32_t root, QObject* parent);
  bool handle(void* event);
  std::uint32_t topLevelFor(std::uint32_t window);

  void* connection_;  // xcb_connection_t*, owned by Qt
  std::uint32_t root_;
  std::uint32_t window_ = 0;
  bool shown_ = false;
  std::uint32_t covered_ = 0;   // the window last covered
  std::uint32_t topLevel_ = 0;  // its frame (or itself when unframed); 0 until asked
  QRect area_;                  // where the catcher stands
  std::uint32_t sibling_ = 0;   // the window it stands just above
  bool restack_ = true;         // the covered window or its frame changed since
  EventFilter* filter_ = nullptr;
};

}  // namespace kalvory
