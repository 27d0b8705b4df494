#include "platform/x11/pointer_catcher.h"

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <cstdlib>
#include <memory>

namespace kalvory {

namespace {

template <typename T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

// The window's ancestor that is a child of the root: the frame a window manager put it in.
xcb_window_t topLevelOf(xcb_connection_t* connection, xcb_window_t window, xcb_window_t root) {
  for (int depth = 0; depth < 16; ++depth) {
    XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr),
                                          &std::free);
    if (!tree || tree->parent == XCB_NONE || tree->parent == root) return window;
    window = tree->parent;
  }
  return window;
}

}  // namespace

class PointerCatcher::EventFilter final : public QAbstractNativeEventFilter {
 public:
  explicit EventFilter(PointerCatcher* owner) : owner_(owner) {}
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
    return eventType == "xcb_generic_event_t" && owner_->handle(message);
  }

 private:
  PointerCatcher* owner_;
};

PointerCatcher* PointerCatcher::create(QObject* parent) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection) return nullptr;
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  if (!screens.rem) return nullptr;
  return new PointerCatcher(connection, screens.data->root, parent);
}

PointerCatcher::PointerCatcher(void* connection, std::uint32_t root, QObject* parent)
    : QObject(parent), connection_(connection), root_(root) {
  auto* xcb = static_cast<xcb_connection_t*>(connection_);
  window_ = xcb_generate_id(xcb);
  // Not managed by the window manager: it must neither frame nor restack it.
  const std::uint32_t values[] = {
      1, XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_BUTTON_MOTION};
  xcb_create_window(xcb, XCB_COPY_FROM_PARENT, window_, root_, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
  xcb_flush(xcb);
  filter_ = new EventFilter(this);
  qGuiApp->installNativeEventFilter(filter_);
}

PointerCatcher::~PointerCatcher() {
  if (filter_ && qGuiApp) qGuiApp->removeNativeEventFilter(filter_);
  delete filter_;
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (x11 && x11->connection() == connection_) {
    xcb_destroy_window(static_cast<xcb_connection_t*>(connection_), window_);
    xcb_flush(static_cast<xcb_connection_t*>(connection_));
  }
}

// Called on every redraw of the covered window: the catcher is moved and restacked only when its
// place, the window's frame or the frame's place in the stack changed (the frame's ConfigureNotify
// says so), so that an idle clock sends the server nothing.
void PointerCatcher::cover(const QRect& area, WId window) {
  if (area.isEmpty()) return;
  auto* xcb = static_cast<xcb_connection_t*>(connection_);
  const std::uint32_t sibling = topLevelFor(static_cast<std::uint32_t>(window));
  if (shown_ && !restack_ && area == area_ && sibling == sibling_) return;
  const std::uint32_t values[] = {static_cast<std::uint32_t>(area.x()),
                                  static_cast<std::uint32_t>(area.y()),
                                  static_cast<std::uint32_t>(area.width()),
                                  static_cast<std::uint32_t>(area.height()),
                                  sibling,
                                  XCB_STACK_MODE_ABOVE};
  xcb_configure_window(xcb, window_,
                       XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT |
                           XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE,
                       values);
  if (!shown_) xcb_map_window(xcb, window_);
  shown_ = true;
  restack_ = false;
  area_ = area;
  sibling_ = sibling;
  xcb_flush(xcb);
}

// Asking the server for the frame is a round trip; the answer is kept until the window is
// reparented, which a window manager does when it frames the window after it was first mapped,
// and again when it lets it go. The frame's own changes (a restack by the window manager) are
// asked for, as Qt asks for its windows' own.
std::uint32_t PointerCatcher::topLevelFor(std::uint32_t window) {
  if (window != covered_ || topLevel_ == 0) {
    auto* xcb = static_cast<xcb_connection_t*>(connection_);
    covered_ = window;
    topLevel_ = topLevelOf(xcb, window, root_);
    if (topLevel_ != window) {
      const std::uint32_t mask[] = {XCB_EVENT_MASK_STRUCTURE_NOTIFY};
      xcb_change_window_attributes(xcb, topLevel_, XCB_CW_EVENT_MASK, mask);
    }
  }
  return topLevel_;
}

void PointerCatcher::hide() {
  if (!shown_) return;
  auto* xcb = static_cast<xcb_connection_t*>(connection_);
  xcb_unmap_window(xcb, window_);
  xcb_flush(xcb);
  shown_ = false;
  restack_ = true;
}

bool PointerCatcher::handle(void* message) {
  auto* event = static_cast<xcb_generic_event_t*>(message);
  switch (event->response_type & ~0x80) {
    case XCB_BUTTON_PRESS: {
      auto* press = reinterpret_cast<xcb_button_press_event_t*>(event);
      if (press->event != window_) return false;
      if (press->detail == XCB_BUTTON_INDEX_1) emit pressed(QPoint(press->root_x, press->root_y));
      return true;
    }
    case XCB_MOTION_NOTIFY: {
      auto* motion = reinterpret_cast<xcb_motion_notify_event_t*>(event);
      if (motion->event != window_) return false;
      if (motion->state & XCB_BUTTON_MASK_1) emit dragged(QPoint(motion->root_x, motion->root_y));
      return true;
    }
    case XCB_BUTTON_RELEASE: {
      auto* release = reinterpret_cast<xcb_button_release_event_t*>(event);
      if (release->event != window_) return false;
      if (release->detail == XCB_BUTTON_INDEX_1) emit released();
      return true;
    }
    case XCB_REPARENT_NOTIFY: {
      // Seen because Qt watches its own windows' structure; Qt handles the event as well.
      auto* reparent = reinterpret_cast<xcb_reparent_notify_event_t*>(event);
      if (reparent->window == covered_) topLevel_ = 0;
      return false;
    }
    case XCB_CONFIGURE_NOTIFY: {
      // The covered window or its frame moved or went elsewhere in the stack; Qt's too.
      auto* configure = reinterpret_cast<xcb_configure_notify_event_t*>(event);
      if (configure->window == topLevel_ || configure->window == covered_) restack_ = true;
      return false;
    }
    default:
      return false;
  }
}

}  // namespace kalvory
