// The root window's background pixmap, on a connection of its own (never Qt's), so that the
// pixmap can be kept by the X server after the connection closes.
#include <xcb/xcb.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "core/wallpaper/picture_file.h"
#include "platform/wallpaper/wallpaper_setter.h"

namespace kalvory {

namespace {

struct ConnectionCloser {
  void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, ConnectionCloser>;

template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPointer<Reply> Owned(Reply* reply) {
  return ReplyPointer<Reply>(reply, &std::free);
}

xcb_screen_t* ScreenOf(xcb_connection_t* connection, int number) {
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (; it.rem > 0; --number, xcb_screen_next(&it)) {
    if (number == 0) return it.data;
  }
  return nullptr;
}

xcb_visualtype_t* VisualOf(const xcb_screen_t* screen, xcb_visualid_t id) {
  for (xcb_depth_iterator_t depth = xcb_screen_allowed_depths_iterator(screen); depth.rem > 0; xcb_depth_next(&depth)) {
    for (xcb_visualtype_iterator_t visual = xcb_depth_visuals_iterator(depth.data); visual.rem > 0;
         xcb_visualtype_next(&visual)) {
      if (visual.data->visual_id == id) return visual.data;
    }
  }
  return nullptr;
}

const xcb_format_t* FormatOf(const xcb_setup_t* setup, std::uint8_t depth) {
  for (xcb_format_iterator_t it = xcb_setup_pixmap_formats_iterator(setup); it.rem > 0; xcb_format_next(&it)) {
    if (it.data->depth == depth) return it.data;
  }
  return nullptr;
}

constexpr xcb_pixmap_t kNoPixmap = 0;

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  auto reply = Owned(xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
  return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// The pixmap a root property names, or none.
xcb_pixmap_t PixmapProperty(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t atom) {
  if (atom == XCB_ATOM_NONE) return kNoPixmap;
  auto reply = Owned(
      xcb_get_property_reply(connection, xcb_get_property(connection, 0, root, atom, XCB_ATOM_PIXMAP, 0, 1), nullptr));
  if (!reply || reply->type != XCB_ATOM_PIXMAP || reply->format != 32 ||
      xcb_get_property_value_length(reply.get()) < 4) {
    return kNoPixmap;
  }
  xcb_pixmap_t pixmap = kNoPixmap;
  std::memcpy(&pixmap, xcb_get_property_value(reply.get()), sizeof pixmap);
  return pixmap;
}

// One colour channel of a true-colour visual.
struct Channel {
  int shift = 0;
  int bits = 0;
  explicit Channel(std::uint32_t mask) : shift(mask == 0 ? 0 : std::countr_zero(mask)), bits(std::popcount(mask)) {}
  std::uint32_t Place(std::uint32_t value8) const {
    if (bits <= 0) return 0;
    const std::uint32_t scaled = bits >= 8 ? value8 << (bits - 8) : value8 >> (8 - bits);
    return scaled << shift;
  }
};

// The screen-sized picture, 0xffRRGGBB, top row first: centred on black, tiled or stretched.
std::vector<std::uint32_t> RootPicture(const CDibImage& picture, int width, int height, int style) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xFF000000u);
  PixelSurface surface{pixels.data(), width, height, width};
  if (style == kWallpaperCentre) {
    picture.Draw(surface, (width - picture.Width()) / 2, (height - picture.Height()) / 2, picture.Width(),
                 picture.Height());
  } else if (style == kWallpaperTile) {
    // One copy at the origin, then every other tile copied from it.
    const int tileWidth = std::min(picture.Width(), width);
    const int tileHeight = std::min(picture.Height(), height);
    picture.Draw(surface, 0, 0, picture.Width(), picture.Height());
    for (int y = 0; y < height; ++y) {
      std::uint32_t* row = pixels.data() + static_cast<std::size_t>(y) * width;
      const std::uint32_t* source = pixels.data() + static_cast<std::size_t>(y % tileHeight) * width;
      for (int x = (y < tileHeight ? tileWidth : 0); x < width; x += tileWidth) {
        const int count = std::min(tileWidth, width - x);
        std::memmove(row + x, source, static_cast<std::size_t>(count) * sizeof(std::uint32_t));
      }
    }
  } else {
    picture.Draw(surface, 0, 0, width, height);
  }
  return pixels;
}

}  // namespace

RootWindowWallpaperSetter::RootWindowWallpaperSetter(std::string display) : display_(std::move(display)) {}

Result<void> RootWindowWallpaperSetter::SetWallpaper(const std::string& path, int style) {
  CDibImage picture;
  if (Result<void> loaded = LoadPictureFile(picture, path); !loaded.ok()) return loaded;

  int screenNumber = 0;
  Connection connection(xcb_connect(display_.empty() ? nullptr : display_.c_str(), &screenNumber));
  if (!connection || xcb_connection_has_error(connection.get()) != 0) {
    return Failure{"Cannot connect to the X display"};
  }
  xcb_connection_t* c = connection.get();
  const xcb_setup_t* setup = xcb_get_setup(c);
  xcb_screen_t* screen = ScreenOf(c, screenNumber);
  if (screen == nullptr) {
    return Failure{"The X display has no such screen"};
  }
  const xcb_visualtype_t* visual = VisualOf(screen, screen->root_visual);
  const xcb_format_t* format = FormatOf(setup, screen->root_depth);
  if (visual == nullptr || format == nullptr ||
      (visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR && visual->_class != XCB_VISUAL_CLASS_DIRECT_COLOR) ||
      (format->bits_per_pixel != 16 && format->bits_per_pixel != 24 && format->bits_per_pixel != 32)) {
    return Failure{"The X display's colour format is not supported"};
  }

  const int width = screen->width_in_pixels;
  const int height = screen->height_in_pixels;
  const std::vector<std::uint32_t> pixels = RootPicture(picture, width, height, style);

  // The rows in the server's own pixel layout.
  const int bytesPerPixel = format->bits_per_pixel / 8;
  const int pad = std::max<int>(format->scanline_pad, 8);
  const std::size_t stride =
      (static_cast<std::size_t>(width) * format->bits_per_pixel + pad - 1) / pad * (static_cast<std::size_t>(pad) / 8);
  const Channel red(visual->red_mask);
  const Channel green(visual->green_mask);
  const Channel blue(visual->blue_mask);
  const bool mostSignificantFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
  std::vector<std::uint8_t> data(stride * static_cast<std::size_t>(height), 0);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* out = data.data() + stride * static_cast<std::size_t>(y);
    const std::uint32_t* in = pixels.data() + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x, out += bytesPerPixel) {
      const std::uint32_t p = in[x];
      const std::uint32_t value = red.Place((p >> 16) & 0xFF) | green.Place((p >> 8) & 0xFF) | blue.Place(p & 0xFF);
      for (int i = 0; i < bytesPerPixel; ++i) {
        const int byte = mostSignificantFirst ? bytesPerPixel - 1 - i : i;
        out[i] = static_cast<std::uint8_t>(value >> (8 * byte));
      }
    }
  }

  const xcb_window_t root = screen->root;
  const xcb_atom_t rootPixmapAtom = Atom(c, "_XROOTPMAP_ID");
  const xcb_atom_t setRootAtom = Atom(c, "ESETROOT_PMAP_ID");
  if (rootPixmapAtom == XCB_ATOM_NONE || setRootAtom == XCB_ATOM_NONE) {
    return Failure{"The X display refused the root pixmap properties"};
  }
  // The pixmap an earlier setter left behind is freed with the client that kept it; only when
  // both properties name it is it known to be such a kept pixmap.
  const xcb_pixmap_t previous = PixmapProperty(c, root, rootPixmapAtom);
  if (previous != kNoPixmap && previous == PixmapProperty(c, root, setRootAtom)) {
    std::free(xcb_request_check(c, xcb_kill_client_checked(c, previous)));
  }

  const xcb_pixmap_t pixmap = xcb_generate_id(c);
  if (auto failure = Owned(xcb_request_check(
          c, xcb_create_pixmap_checked(c, screen->root_depth, pixmap, root, static_cast<std::uint16_t>(width),
                                       static_cast<std::uint16_t>(height))))) {
    return Failure{"The X display could not make the background pixmap"};
  }
  const xcb_gcontext_t gc = xcb_generate_id(c);
  xcb_create_gc(c, gc, pixmap, 0, nullptr);
  // Strips that each fit into one request.
  const std::size_t maxRequestBytes = static_cast<std::size_t>(xcb_get_maximum_request_length(c)) * 4;
  const std::size_t rowsPerStrip = std::max<std::size_t>(
      1, (maxRequestBytes > 64 ? maxRequestBytes - 64 : stride) / std::max<std::size_t>(stride, 1));
  for (int y = 0; y < height;) {
    const int rows = static_cast<int>(std::min<std::size_t>(rowsPerStrip, static_cast<std::size_t>(height - y)));
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, static_cast<std::uint16_t>(width),
                  static_cast<std::uint16_t>(rows), 0, static_cast<std::int16_t>(y), 0, screen->root_depth,
                  static_cast<std::uint32_t>(stride * static_cast<std::size_t>(rows)),
                  data.data() + stride * static_cast<std::size_t>(y));
    y += rows;
  }
  xcb_free_gc(c, gc);

  xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, rootPixmapAtom, XCB_ATOM_PIXMAP, 32, 1, &pixmap);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, setRootAtom, XCB_ATOM_PIXMAP, 32, 1, &pixmap);
  const std::uint32_t background = pixmap;
  xcb_change_window_attributes(c, root, XCB_CW_BACK_PIXMAP, &background);
  xcb_clear_area(c, 0, root, 0, 0, 0, 0);
  // The pixmap stays with the server after this connection closes.
  xcb_set_close_down_mode(c, XCB_CLOSE_DOWN_RETAIN_PERMANENT);
  // A round trip makes sure every request above has been carried out before disconnecting.
  auto focus = Owned(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  if (!focus || xcb_connection_has_error(c) != 0) {
    return Failure{"The X display closed the connection"};
  }
  return {};
}

}  // namespace kalvory
