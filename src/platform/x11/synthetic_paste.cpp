#include "platform/x11/synthetic_paste.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace kalvory {

namespace {

constexpr std::uint32_t kShiftLeft = 0xffe1;
constexpr std::uint32_t kShiftRight = 0xffe2;
constexpr std::uint32_t kControlLeft = 0xffe3;
constexpr std::uint32_t kLetterV = 0x76;

xcb_keycode_t firstKeycode(xcb_key_symbols_t* symbols, std::uint32_t keysym) {
  std::unique_ptr<xcb_keycode_t, decltype(&std::free)> codes(xcb_key_symbols_get_keycode(symbols, keysym), &std::free);
  return codes ? codes.get()[0] : XCB_NO_SYMBOL;
}

}  // namespace

bool XTestPasteInjector::paste() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection) return false;
  const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(connection, &xcb_test_id);
  if (!xtest || !xtest->present) return false;
  std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(xcb_key_symbols_alloc(connection),
                                                                              &xcb_key_symbols_free);
  if (!symbols) return false;
  const xcb_keycode_t control = firstKeycode(symbols.get(), kControlLeft);
  const xcb_keycode_t letter = firstKeycode(symbols.get(), kLetterV);
  if (control == XCB_NO_SYMBOL || letter == XCB_NO_SYMBOL) return false;

  auto send = [&](std::uint8_t type, xcb_keycode_t code) {
    if (code != XCB_NO_SYMBOL) xcb_test_fake_input(connection, type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  };
  send(XCB_KEY_RELEASE, firstKeycode(symbols.get(), kShiftLeft));
  send(XCB_KEY_RELEASE, firstKeycode(symbols.get(), kShiftRight));
  send(XCB_KEY_PRESS, control);
  send(XCB_KEY_PRESS, letter);
  send(XCB_KEY_RELEASE, letter);
  send(XCB_KEY_RELEASE, control);
  xcb_flush(connection);
  return true;
}

}  // namespace kalvory
