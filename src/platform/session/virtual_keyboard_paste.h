#pragma once

#include <QByteArray>
#include <QSocketNotifier>
#include <QString>
#include <memory>

#include "platform/x11/synthetic_paste.h"

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;
struct zwlr_data_control_manager_v1;
struct zwlr_data_control_device_v1;
struct zwlr_data_control_source_v1;

namespace kalvory {

// Whether the compositor of $WAYLAND_DISPLAY offers the virtual keyboard protocol
// (zwp_virtual_keyboard_manager_v1: sway and other wlroots compositors).
bool compositorOffersVirtualKeyboard();

// Ctrl+V on a wlroots compositor, through a virtual keyboard of the seat on a Wayland connection
// of its own (never Qt's). Its keymap holds just Control_L and v, so the keys mean the same
// whatever the user's layout, and its modifiers are its own: the Shift of a Ctrl+Shift key the
// user still holds does not turn the keystroke into Ctrl+Shift+V. The keyboard is made at once
// and kept for the program's life: programs learn of a new keyboard only after it is made, and
// keys it typed in the same moment would reach nobody on a seat that had no keyboard before.
class VirtualKeyboardPasteInjector final : public PasteInjector {
 public:
  VirtualKeyboardPasteInjector();
  ~VirtualKeyboardPasteInjector() override;
  VirtualKeyboardPasteInjector(const VirtualKeyboardPasteInjector&) = delete;
  VirtualKeyboardPasteInjector& operator=(const VirtualKeyboardPasteInjector&) = delete;

  // False, with `problem()` saying why, when the compositor offers no virtual keyboard or
  // refuses this program one.
  bool paste() override;
  void holdClipboardText(const QString& text) override;
  const QString& problem() const { return problem_; }

  // For the registry's listener.
  void globalAnnounced(wl_registry* registry, uint32_t name, const char* interface, uint32_t version);
  // For the data source's listener: a program asks for the text, or another took the clipboard.
  void sendText(zwlr_data_control_source_v1* source, int fd);
  void sourceCancelled(zwlr_data_control_source_v1* source);
  void deviceFinished();

 private:
  bool connectKeyboard();
  void disconnect();

  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_seat* seat_ = nullptr;
  zwp_virtual_keyboard_manager_v1* manager_ = nullptr;
  zwp_virtual_keyboard_v1* keyboard_ = nullptr;
  zwlr_data_control_manager_v1* dataControl_ = nullptr;
  zwlr_data_control_device_v1* dataDevice_ = nullptr;
  zwlr_data_control_source_v1* source_ = nullptr;
  QByteArray text_;  // what source_ holds, in UTF-8
  std::unique_ptr<QSocketNotifier> events_;
  QString problem_;
};

}  // namespace kalvory
