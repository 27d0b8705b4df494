// A pointer for a headless wlroots compositor (sway), which has no input devices of its own: a
// virtual pointer (wlr-virtual-pointer) that the compositor treats as a real mouse, so that
// programs get their pointer events from the compositor as they would from a user's hand.
//
// Reads commands from its standard input, one a line, and answers each with "ok" once the
// compositor has taken it:
//   move X Y      the pointer to X, Y of the WIDTH x HEIGHT output
//   press | release   the left button
//   wayland_pointer_helper WIDTH HEIGHT
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

struct Globals {
  wl_seat* seat = nullptr;
  zwlr_virtual_pointer_manager_v1* manager = nullptr;
};

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
  auto* globals = static_cast<Globals*>(data);
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat)
    globals->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
    globals->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}
void globalRemoved(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistryListener = {global, globalRemoved};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: wayland_pointer_helper WIDTH HEIGHT\n");
    return 2;
  }
  const auto width = std::uint32_t(std::atoi(argv[1]));
  const auto height = std::uint32_t(std::atoi(argv[2]));
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    std::fprintf(stderr, "wayland_pointer_helper: no compositor\n");
    return 1;
  }
  Globals globals;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, &globals);
  wl_display_roundtrip(display);
  if (!globals.manager) {
    std::fprintf(stderr, "wayland_pointer_helper: the compositor has no virtual pointers\n");
    return 1;
  }
  zwlr_virtual_pointer_v1* pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, globals.seat);
  wl_display_roundtrip(display);
  std::printf("ready\n");
  std::fflush(stdout);

  std::uint32_t time = 0;
  char line[128];
  while (std::fgets(line, sizeof line, stdin)) {
    unsigned x = 0;
    unsigned y = 0;
    time += 10;
    if (std::sscanf(line, "move %u %u", &x, &y) == 2) {
      zwlr_virtual_pointer_v1_motion_absolute(pointer, time, x, y, width, height);
    } else if (std::strncmp(line, "press", 5) == 0) {
      zwlr_virtual_pointer_v1_button(pointer, time, BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
    } else if (std::strncmp(line, "release", 7) == 0) {
      zwlr_virtual_pointer_v1_button(pointer, time, BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
    } else {
      std::fprintf(stderr, "wayland_pointer_helper: unknown command %s", line);
      return 2;
    }
    zwlr_virtual_pointer_v1_frame(pointer);
    if (wl_display_roundtrip(display) < 0) return 1;
    std::printf("ok\n");
    std::fflush(stdout);
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
