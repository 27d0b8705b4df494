#include "platform/session/virtual_keyboard_paste.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace kalvory {

Q_LOGGING_CATEGORY(lcVirtualKeyboard, "kalvory.paste.keyboard", QtInfoMsg)

namespace {

// Evdev codes (the protocol's keys) and their XKB keycodes (evdev + 8) in the keymap below.
constexpr uint32_t kControlEvdev = 29;
constexpr uint32_t kLetterVEvdev = 47;
constexpr uint32_t kControlMask = 1u << 2;  // the third real modifier, Control
constexpr uint32_t kReleased = 0;
constexpr uint32_t kPressed = 1;

// A keymap of two keys; its types and compatibility come from the compositor's XKB data.
constexpr std::string_view kKeymap =
    "xkb_keymap {\n"
    "  xkb_keycodes \"kalvory\" { minimum = 8; maximum = 255; <LCTL> = 37; <AB04> = 55; };\n"
    "  xkb_types \"kalvory\" { include \"complete\" };\n"
    "  xkb_compat \"kalvory\" { include \"complete\" };\n"
    "  xkb_symbols \"kalvory\" {\n"
    "    key <LCTL> { [ Control_L ] };\n"
    "    key <AB04> { [ v, V ] };\n"
    "    modifier_map Control { <LCTL> };\n"
    "  };\n"
    "};\n";

void announced(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  static_cast<VirtualKeyboardPasteInjector*>(data)->globalAnnounced(registry, name, interface, version);
}

void removed(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener = {announced, removed};

// Another program's selection is of no interest: its offers are let go at once.
void dataOffer(void*, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
  zwlr_data_control_offer_v1_destroy(offer);
}
void selection(void*, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1*) {}
void finished(void* data, zwlr_data_control_device_v1*) {
  static_cast<VirtualKeyboardPasteInjector*>(data)->deviceFinished();
}
const zwlr_data_control_device_v1_listener kDeviceListener = {dataOffer, selection, finished};

void send(void* data, zwlr_data_control_source_v1* source, const char*, int32_t fd) {
  static_cast<VirtualKeyboardPasteInjector*>(data)->sendText(source, fd);
}
void cancelled(void* data, zwlr_data_control_source_v1* source) {
  static_cast<VirtualKeyboardPasteInjector*>(data)->sourceCancelled(source);
}
const zwlr_data_control_source_v1_listener kSourceListener = {send, cancelled};

// The types a program may ask a text in.
constexpr const char* kTextTypes[] = {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING", "STRING", "TEXT"};

struct Offers {
  bool virtualKeyboard = false;
};

void offered(void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
  if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
    static_cast<Offers*>(data)->virtualKeyboard = true;
}

const wl_registry_listener kProbeListener = {offered, removed};

// The milliseconds of the keys' time stamps.
uint32_t nowMilliseconds() { return static_cast<uint32_t>(QDeadlineTimer::current().deadline()); }

}  // namespace

bool compositorOffersVirtualKeyboard() {
  wl_display* display = wl_display_connect(nullptr);
  if (!display) return false;
  Offers offers;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kProbeListener, &offers);
  wl_display_roundtrip(display);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return offers.virtualKeyboard;
}

VirtualKeyboardPasteInjector::VirtualKeyboardPasteInjector() {
  if (!connectKeyboard()) qCWarning(lcVirtualKeyboard).noquote() << "no virtual keyboard:" << problem_;
}

VirtualKeyboardPasteInjector::~VirtualKeyboardPasteInjector() { disconnect(); }

void VirtualKeyboardPasteInjector::globalAnnounced(wl_registry* registry, uint32_t name, const char* interface,
                                                   uint32_t /*version*/) {
  if (!seat_ && std::strcmp(interface, wl_seat_interface.name) == 0)
    seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  else if (!manager_ && std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
    manager_ = static_cast<zwp_virtual_keyboard_manager_v1*>(
        wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
  else if (!dataControl_ && std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0)
    dataControl_ = static_cast<zwlr_data_control_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_data_control_manager_v1_interface, 1));
}

bool VirtualKeyboardPasteInjector::connectKeyboard() {
  if (keyboard_) return true;
  display_ = wl_display_connect(nullptr);
  if (!display_) {
    problem_ = QStringLiteral("no Wayland display");
    return false;
  }
  registry_ = wl_display_get_registry(display_);
  wl_registry_add_listener(registry_, &kRegistryListener, this);
  wl_display_roundtrip(display_);
  if (!seat_ || !manager_) {
    problem_ = QStringLiteral("the compositor offers no virtual keyboard");
    disconnect();
    return false;
  }
  keyboard_ = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager_, seat_);

  // The keymap goes over a file descriptor, with its closing zero.
  const int fd = memfd_create("kalvory-keymap", MFD_CLOEXEC);
  const bool written =
      fd >= 0 && write(fd, kKeymap.data(), kKeymap.size()) == ssize_t(kKeymap.size()) && write(fd, "", 1) == 1;
  if (!written) {
    problem_ =
        QStringLiteral("cannot hand the compositor a keymap: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    if (fd >= 0) close(fd);
    disconnect();
    return false;
  }
  zwp_virtual_keyboard_v1_keymap(keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, uint32_t(kKeymap.size() + 1));
  close(fd);
  // A compositor that refuses the keyboard (unauthorized) ends the connection: seen here.
  if (wl_display_roundtrip(display_) < 0) {
    problem_ =
        QStringLiteral("the compositor refused a virtual keyboard (error %1)").arg(wl_display_get_error(display_));
    disconnect();
    return false;
  }
  if (dataControl_) {
    dataDevice_ = zwlr_data_control_manager_v1_get_data_device(dataControl_, seat_);
    zwlr_data_control_device_v1_add_listener(dataDevice_, &kDeviceListener, this);
  }
  // The compositor's events (a program asking for the text) are read as they come.
  events_ = std::make_unique<QSocketNotifier>(wl_display_get_fd(display_), QSocketNotifier::Read);
  QObject::connect(events_.get(), &QSocketNotifier::activated, events_.get(), [this] {
    if (wl_display_dispatch(display_) < 0) {
      qCWarning(lcVirtualKeyboard) << "the compositor ended the connection";
      disconnect();
      return;
    }
    wl_display_flush(display_);
  });
  qCInfo(lcVirtualKeyboard) << "typing through a virtual keyboard" << (dataDevice_ ? "with data control" : "");
  return true;
}

void VirtualKeyboardPasteInjector::holdClipboardText(const QString& text) {
  if (!connectKeyboard() || !dataDevice_) return;
  if (source_) zwlr_data_control_source_v1_destroy(source_);
  text_ = text.toUtf8();
  source_ = zwlr_data_control_manager_v1_create_data_source(dataControl_);
  zwlr_data_control_source_v1_add_listener(source_, &kSourceListener, this);
  for (const char* type : kTextTypes) zwlr_data_control_source_v1_offer(source_, type);
  zwlr_data_control_device_v1_set_selection(dataDevice_, source_);
  wl_display_flush(display_);
}

void VirtualKeyboardPasteInjector::sendText(zwlr_data_control_source_v1* source, int fd) {
  // A source that was replaced may still be asked: it answers with what it held, which is gone,
  // so with nothing.
  if (source == source_) {
    const char* data = text_.constData();
    qsizetype left = text_.size();
    while (left > 0) {
      const ssize_t written = write(fd, data, size_t(left));
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) break;
      data += written;
      left -= written;
    }
  }
  close(fd);
}

void VirtualKeyboardPasteInjector::sourceCancelled(zwlr_data_control_source_v1* source) {
  zwlr_data_control_source_v1_destroy(source);
  if (source == source_) source_ = nullptr;
}

void VirtualKeyboardPasteInjector::deviceFinished() {
  if (dataDevice_) zwlr_data_control_device_v1_destroy(dataDevice_);
  dataDevice_ = nullptr;
}

bool VirtualKeyboardPasteInjector::paste() {
  if (!connectKeyboard()) {
    qCWarning(lcVirtualKeyboard).noquote() << "cannot type:" << problem_;
    return false;
  }
  const uint32_t time = nowMilliseconds();
  zwp_virtual_keyboard_v1_key(keyboard_, time, kControlEvdev, kPressed);
  zwp_virtual_keyboard_v1_modifiers(keyboard_, kControlMask, 0, 0, 0);
  zwp_virtual_keyboard_v1_key(keyboard_, time, kLetterVEvdev, kPressed);
  zwp_virtual_keyboard_v1_key(keyboard_, time + 1, kLetterVEvdev, kReleased);
  zwp_virtual_keyboard_v1_key(keyboard_, time + 1, kControlEvdev, kReleased);
  zwp_virtual_keyboard_v1_modifiers(keyboard_, 0, 0, 0, 0);
  if (wl_display_roundtrip(display_) < 0) {
    // The compositor went away or ended the connection: the next paste connects again.
    problem_ =
        QStringLiteral("the compositor ended the virtual keyboard (error %1)").arg(wl_display_get_error(display_));
    qCWarning(lcVirtualKeyboard).noquote() << problem_;
    disconnect();
    return false;
  }
  return true;
}

void VirtualKeyboardPasteInjector::disconnect() {
  events_.reset();
  if (source_) zwlr_data_control_source_v1_destroy(source_);
  if (dataDevice_) zwlr_data_control_device_v1_destroy(dataDevice_);
  if (dataControl_) zwlr_data_control_manager_v1_destroy(dataControl_);
  source_ = nullptr;
  dataDevice_ = nullptr;
  dataControl_ = nullptr;
  if (keyboard_) zwp_virtual_keyboard_v1_destroy(keyboard_);
  if (manager_) zwp_virtual_keyboard_manager_v1_destroy(manager_);
  if (seat_) wl_seat_destroy(seat_);
  if (registry_) wl_registry_destroy(registry_);
  if (display_) wl_display_disconnect(display_);
  keyboard_ = nullptr;
  manager_ = nullptr;
  seat_ = nullptr;
  registry_ = nullptr;
  display_ = nullptr;
}

}  // namespace kalvory
