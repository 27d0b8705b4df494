#include "platform/x11/hotkey_service.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <cstdlib>
#include <memory>

namespace kalvory {

namespace {

constexpr std::uint32_t kNumLockKeysym = 0xff7f;
constexpr int kBadAccess = 10;
constexpr int kBadImplementation = 17;

xcb_connection_t* qtConnection() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

std::uint16_t toXModifiers(unsigned modifiers) {
  std::uint16_t mask = 0;
  if (modifiers & kHotkeyControl) mask |= XCB_MOD_MASK_CONTROL;
  if (modifiers & kHotkeyShift) mask |= XCB_MOD_MASK_SHIFT;
  if (modifiers & kHotkeyAlt) mask |= XCB_MOD_MASK_1;
  if (modifiers & kHotkeySuper) mask |= XCB_MOD_MASK_4;
  return mask;
}

QString describeKey(unsigned modifiers, std::uint32_t keysym) {
  QString text;
  if (modifiers & kHotkeyControl) text += QStringLiteral("Ctrl+");
  if (modifiers & kHotkeyShift) text += QStringLiteral("Shift+");
  if (modifiers & kHotkeyAlt) text += QStringLiteral("Alt+");
  if (modifiers & kHotkeySuper) text += QStringLiteral("Super+");
  if (keysym >= 0x20 && keysym < 0x7f)
    text += QChar(static_cast<char16_t>(keysym)).toUpper();
  else
    text += QStringLiteral("0x%1").arg(keysym, 0, 16);
  return text;
}

struct KeySymbolsDeleter {
  void operator()(xcb_key_symbols_t* symbols) const { xcb_key_symbols_free(symbols); }
};

}  // namespace

class XcbHotkeyService::EventFilter final : public QAbstractNativeEventFilter {
 public:
  explicit EventFilter(XcbHotkeyService* owner) : owner_(owner) {}
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
    if (eventType != "xcb_generic_event_t") return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_KEY_PRESS) return false;
    auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
    return owner_->handleKeyPress(press->detail, press->state);
  }

 private:
  XcbHotkeyService* owner_;
};

XcbHotkeyService::XcbHotkeyService(QObject* parent) : HotkeyService(parent) {
  auto* connection = qtConnection();
  if (!connection) return;
  connection_ = connection;
  const xcb_setup_t* setup = xcb_get_setup(connection);
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
  if (!screens.rem) {
    connection_ = nullptr;
    return;
  }
  root_ = screens.data->root;

  // NumLock sits on whichever of Mod1..Mod5 the keyboard map gives it.
  std::unique_ptr<xcb_key_symbols_t, KeySymbolsDeleter> symbols(xcb_key_symbols_alloc(connection));
  std::unique_ptr<xcb_keycode_t, decltype(&std::free)> numLockCodes(
      symbols ? xcb_key_symbols_get_keycode(symbols.get(), kNumLockKeysym) : nullptr, &std::free);
  auto cookie = xcb_get_modifier_mapping(connection);
  std::unique_ptr<xcb_get_modifier_mapping_reply_t, decltype(&std::free)> mapping(
      xcb_get_modifier_mapping_reply(connection, cookie, nullptr), &std::free);
  if (mapping && numLockCodes) {
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
      for (int i = 0; i < perModifier; ++i) {
        const xcb_keycode_t code = codes[modifier * perModifier + i];
        for (const xcb_keycode_t* n = numLockCodes.get(); code && *n != XCB_NO_SYMBOL; ++n)
          if (*n == code) numLockMask_ = static_cast<std::uint16_t>(1u << modifier);
      }
    }
  }
  filter_ = new EventFilter(this);
  qGuiApp->installNativeEventFilter(filter_);
}

XcbHotkeyService::~XcbHotkeyService() {
  unregisterAll();
  if (filter_ && qGuiApp) qGuiApp->removeNativeEventFilter(filter_);
  delete filter_;
}

bool XcbHotkeyService::hasDisplay() const { return connection_ != nullptr; }

std::vector<std::uint16_t> XcbHotkeyService::lockVariants() const {
  std::vector<std::uint16_t> variants{0, XCB_MOD_MASK_LOCK};
  if (numLockMask_) {
    variants.push_back(numLockMask_);
    variants.push_back(static_cast<std::uint16_t>(numLockMask_ | XCB_MOD_MASK_LOCK));
  }
  return variants;
}

bool XcbHotkeyService::registerHotkey(int id, unsigned modifiers, std::uint32_t keysym, HotkeyFailure* failure) {
  auto fail = [&](int code, QString reason) {
    if (failure) *failure = {code, std::move(reason)};
    return false;
  };
  if (!connection_)
    return fail(kBadImplementation, QStringLiteral("global hotkeys need an X11 display, and this session has none"));
  unregisterHotkey(id);
  auto* connection = static_cast<xcb_connection_t*>(connection_);
  std::unique_ptr<xcb_key_symbols_t, KeySymbolsDeleter> symbols(xcb_key_symbols_alloc(connection));
  std::unique_ptr<xcb_keycode_t, decltype(&std::free)> codes(
      symbols ? xcb_key_symbols_get_keycode(symbols.get(), keysym) : nullptr, &std::free);
  Grab grab;
  grab.modifiers = toXModifiers(modifiers);
  for (const xcb_keycode_t* code = codes.get(); code && *code != XCB_NO_SYMBOL; ++code) grab.keycodes.push_back(*code);
  if (grab.keycodes.empty())
    return fail(kBadImplementation,
                QStringLiteral("the keyboard has no key for %1").arg(describeKey(modifiers, keysym)));

  // Every variant is requested checked, so that a refusal is known here and not later.
  Grab held{grab.modifiers, {}};
  for (const std::uint8_t keycode : grab.keycodes) {
    for (const std::uint16_t variant : lockVariants()) {
      auto cookie = xcb_grab_key_checked(connection, 1, root_, static_cast<std::uint16_t>(grab.modifiers | variant),
                                         keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
      std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> error(xcb_request_check(connection, cookie),
                                                                       &std::free);
      if (error) {
        // Give back what was taken so that a half-grabbed key does not linger.
        held.keycodes.push_back(keycode);
        ungrab(held);
        const int code = error->error_code;
        const QString what = describeKey(modifiers, keysym);
        return fail(code, code == kBadAccess
                              ? QStringLiteral("%1 is already taken by another program (BadAccess)").arg(what)
                              : QStringLiteral("the X server refused %1").arg(what));
      }
    }
    held.keycodes.push_back(keycode);
  }
  grabs_[id] = grab;
  xcb_flush(connection);
  return true;
}

void XcbHotkeyService::ungrab(const Grab& grab) {
  auto* connection = static_cast<xcb_connection_t*>(connection_);
  for (const std::uint8_t keycode : grab.keycodes)
    for (const std::uint16_t variant : lockVariants())
      xcb_ungrab_key(connection, keycode, root_, static_cast<std::uint16_t>(grab.modifiers | variant));
  xcb_flush(connection);
}

void XcbHotkeyService::unregisterHotkey(int id) {
  auto found = grabs_.find(id);
  if (found == grabs_.end()) return;
  if (connection_ && qtConnection()) ungrab(found->second);
  grabs_.erase(found);
}

void XcbHotkeyService::unregisterAll() {
  while (!grabs_.empty()) unregisterHotkey(grabs_.begin()->first);
}

bool XcbHotkeyService::handleKeyPress(std::uint8_t keycode, std::uint16_t state) {
  constexpr std::uint16_t kRelevant = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
  const std::uint16_t pressed = state & kRelevant;
  for (const auto& [id, grab] : grabs_) {
    if (grab.modifiers != pressed) continue;
    for (const std::uint8_t code : grab.keycodes) {
      if (code == keycode) {
        emit activated(id);
        return true;
      }
    }
  }
  return false;
}

bool FakeHotkeyService::registerHotkey(int id, unsigned modifiers, std::uint32_t keysym, HotkeyFailure* failure) {
  registrationOrder.push_back(id);
  if (taken.count({modifiers, keysym})) {
    if (failure)
      *failure = {
          kBadAccess,
          QStringLiteral("%1 is already taken by another program (BadAccess)").arg(describeKey(modifiers, keysym))};
    return false;
  }
  registered[id] = {modifiers, keysym};
  return true;
}

bool FakeHotkeyService::press(int id) {
  if (!registered.count(id)) return false;
  emit activated(id);
  return true;
}

}  // namespace kalvory
