// Answers whether an X drawable (a window or pixmap id, decimal or 0x-hex) exists on $DISPLAY:
// exit 0 when it does, 1 when it does not, 2 when the display cannot be reached.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: x_drawable_probe ID\n");
    return 2;
  }
  const auto id = static_cast<xcb_drawable_t>(std::strtoul(argv[1], nullptr, 0));
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection) != 0) {
    xcb_disconnect(connection);
    return 2;
  }
  xcb_generic_error_t* error = nullptr;
  xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), &error);
  const bool exists = geometry != nullptr;
  if (exists) std::printf("%ux%u depth %u\n", geometry->width, geometry->height, geometry->depth);
  std::free(geometry);
  std::free(error);
  xcb_disconnect(connection);
  return exists ? 0 : 1;
}
