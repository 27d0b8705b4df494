// Holds Ctrl+Shift+<key> on the X root window (every lock variant) until killed, standing in for
// another program that took the same hotkey. Prints "ready" once the grab is in place.
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

int main(int argc, char** argv) {
  const unsigned keysym = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 0)) : 0x71;
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection)) return 1;
  xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
  xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
  if (!codes) return 1;
  const uint16_t base = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;
  const uint16_t variants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK};
  for (uint16_t extra : variants) {
    xcb_void_cookie_t cookie = xcb_grab_key_checked(connection, 1, root, static_cast<uint16_t>(base | extra), codes[0],
                                                    XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
      std::free(error);
      return 2;
    }
  }
  std::free(codes);
  std::puts("ready");
  std::fflush(stdout);
  for (;;) pause();
}
