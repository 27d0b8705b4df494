#include "platform/x11/synthetic_paste.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace kalvory {

namespace {

constexpr std::uint32_t kControlLeft = 0xffe3;
constexpr std::uint32_t kLetterV = 0x76;
constexpr int kPollMilliseconds = 10;

template <typename T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

xcb_connection_t* qtConnection() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

bool hasXTest(xcb_connection_t* connection) {
  const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(connection, &xcb_test_id);
  return xtest && xtest->present;
}

xcb_keycode_t firstKeycode(xcb_key_symbols_t* symbols, std::uint32_t keysym) {
  XcbReply<xcb_keycode_t> codes(xcb_key_symbols_get_keycode(symbols, keysym), &std::free);
  return codes ? codes.get()[0] : XCB_NO_SYMBOL;
}

// The keys down now, by keycode.
std::vector<xcb_keycode_t> keysDown(xcb_connection_t* connection) {
  std::vector<xcb_keycode_t> down;
  XcbReply<xcb_query_keymap_reply_t> keymap(xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr),
                                            &std::free);
  if (!keymap) return down;
  for (int byte = 0; byte < 32; ++byte)
    for (int bit = 0; bit < 8; ++bit)
      if (keymap->keys[byte] & (1u << bit)) down.push_back(static_cast<xcb_keycode_t>(byte * 8 + bit));
  return down;
}

// The keys that act as Shift, Control and Mod1..Mod5 (not Caps Lock, whose state is a lock).
std::vector<xcb_keycode_t> modifierKeys(xcb_connection_t* connection) {
  std::vector<xcb_keycode_t> keys;
  XcbReply<xcb_get_modifier_mapping_reply_t> mapping(
      xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr), &std::free);
  if (!mapping) return keys;
  const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
  const int perModifier = mapping->keycodes_per_modifier;
  for (int modifier = 0; modifier < 8; ++modifier) {
    if (modifier == 1) continue;  // Lock
    for (int i = 0; i < perModifier; ++i)
      if (const xcb_keycode_t code = codes[modifier * perModifier + i]) keys.push_back(code);
  }
  return keys;
}

bool clipboardIsOurs() {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  return clipboard && clipboard->ownsClipboard();
}

}  // namespace

XTestPasteInjector::XTestPasteInjector(int patienceMilliseconds, QObject* parent)
    : QObject(parent), patience_(patienceMilliseconds) {
  poll_.setInterval(kPollMilliseconds);
  connect(&poll_, &QTimer::timeout, this, &XTestPasteInjector::check);
}

bool XTestPasteInjector::paste() {
  xcb_connection_t* connection = qtConnection();
  if (!connection || !hasXTest(connection)) return false;
  if (poll_.isActive()) return true;
  deadline_.setRemainingTime(patience_);
  poll_.start();
  // Keys that are already up need no wait.
  check();
  return true;
}

void XTestPasteInjector::check() {
  xcb_connection_t* connection = qtConnection();
  if (!connection) {
    poll_.stop();
    return;
  }
  // The event loop runs between the checks, so a program that asks for the clipboard before
  // the keystroke (some do, to see what they would paste) is answered.
  const bool keysUp = keysDown(connection).empty();
  const bool late = deadline_.hasExpired();
  if (!late && !(keysUp && clipboardIsOurs())) return;
  poll_.stop();
  // The clipboard may have gone to another program meanwhile: its text is not ours to paste.
  if (!clipboardIsOurs()) return;
  if (send(!keysUp)) emit sent();
}

bool XTestPasteInjector::send(bool keysStillDown) {
  xcb_connection_t* connection = qtConnection();
  std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(xcb_key_symbols_alloc(connection),
                                                                              &xcb_key_symbols_free);
  if (!symbols) return false;
  const xcb_keycode_t control = firstKeycode(symbols.get(), kControlLeft);
  const xcb_keycode_t letter = firstKeycode(symbols.get(), kLetterV);
  if (control == XCB_NO_SYMBOL || letter == XCB_NO_SYMBOL) return false;
  const auto fake = [connection](std::uint8_t type, xcb_keycode_t code) {
    xcb_test_fake_input(connection, type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  };
  if (keysStillDown) {
    // The hotkey's key may still hold the grab that sends every key here: end it, and let go
    // of the modifiers that XTest itself holds (those of a real keyboard stay down).
    xcb_ungrab_keyboard(connection, XCB_CURRENT_TIME);
    const std::vector<xcb_keycode_t> modifiers = modifierKeys(connection);
    for (const xcb_keycode_t key : keysDown(connection))
      if (std::find(modifiers.begin(), modifiers.end(), key) != modifiers.end()) fake(XCB_KEY_RELEASE, key);
  }
  fake(XCB_KEY_PRESS, control);
  fake(XCB_KEY_PRESS, letter);
  fake(XCB_KEY_RELEASE, letter);
  fake(XCB_KEY_RELEASE, control);
  xcb_flush(connection);
  return true;
}

}  // namespace kalvory
