#include "platform/wayland/layer_surface.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QPointer>
#include <QSocketNotifier>
#include <algorithm>
#include <cstring>
#include <vector>

#include "wlr-layer-shell-unstable-v1-client-protocol.h"

Q_LOGGING_CATEGORY(lcLayerShell, "kalvory.wayland.layershell")

namespace kalvory {

namespace {

// linux/input-event-codes.h
constexpr std::uint32_t kButtonLeft = 0x110;
constexpr std::uint32_t kButtonRight = 0x111;
constexpr std::uint32_t kButtonMiddle = 0x112;

// A window of ours is never as large as this; a larger picture would be an error of ours, not a
// reason to ask the kernel for gigabytes.
constexpr int kLargestSide = 16384;

bool waylandNamed() {
  return qEnvironmentVariableIsSet("WAYLAND_DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_SOCKET");
}

// One shared-memory buffer of the surface's picture; the compositor holds it from the commit until
// it releases it.
struct ShmBuffer {
  wl_buffer* buffer = nullptr;
  void* data = nullptr;
  std::size_t bytes = 0;
  QSize size;
  bool busy = false;

  ~ShmBuffer() {
    if (buffer) wl_buffer_destroy(buffer);
    if (data) munmap(data, bytes);
  }
};

void bufferReleased(void* data, wl_buffer*) { static_cast<ShmBuffer*>(data)->busy = false; }
const wl_buffer_listener kBufferListener = {bufferReleased};

std::unique_ptr<ShmBuffer> newBuffer(wl_shm* shm, QSize size) {
  const std::size_t stride = std::size_t(size.width()) * 4;
  const std::size_t bytes = stride * std::size_t(size.height());
  const int fd = memfd_create("kalvory-overlay", MFD_CLOEXEC);
  if (fd < 0) return nullptr;
  if (ftruncate(fd, off_t(bytes)) != 0) {
    close(fd);
    return nullptr;
  }
  void* data = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (data == MAP_FAILED) {
    close(fd);
    return nullptr;
  }
  auto result = std::make_unique<ShmBuffer>();
  result->data = data;
  result->bytes = bytes;
  result->size = size;
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, int(bytes));
  // wl_shm's ARGB8888 is premultiplied, a little-endian 0xAARRGGBB word: QImage's
  // ARGB32_Premultiplied on this machine.
  result->buffer = wl_shm_pool_create_buffer(pool, 0, size.width(), size.height(), int(stride), WL_SHM_FORMAT_ARGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  wl_buffer_add_listener(result->buffer, &kBufferListener, result.get());
  return result;
}

}  // namespace

struct LayerSurfaceState {
  QString role;
  wl_surface* surface = nullptr;
  zwlr_layer_surface_v1* layer = nullptr;
  QString createdOnOutput;  // the output the surface was made for (fixed for its life)
  bool configured = false;
  bool wanted = false;
  QImage picture;
  QRegion input;
  QRegion appliedInput;
  bool inputApplied = false;
  QSize committedSize;  // in the surface's coordinates
  int bufferScale = 1;
  int appliedBufferScale = 1;
  QString output;
  QPoint offset;
  std::vector<std::unique_ptr<ShmBuffer>> buffers;
};

// The program's own connection to the compositor, made at the first overlay surface and kept for
// the program's life.
class LayerShellConnection final : public QObject {
 public:
  static LayerShellConnection* instance();
  ~LayerShellConnection() override;

  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  zwlr_layer_shell_v1* layerShell = nullptr;
  wl_seat* seat = nullptr;
  wl_pointer* pointer = nullptr;
  struct Output {
    std::uint32_t globalName = 0;
    wl_output* output = nullptr;
    QString name;
    int scale = 1;
  };
  std::vector<Output> outputs;
  std::vector<LayerSurface*> surfaces;
  QPointer<LayerSurface> pointerFocus;
  bool broken = false;

  void flush() {
    if (!broken && wl_display_flush(display) < 0 && errno != EAGAIN) lose();
  }
  wl_output* outputNamed(const QString& name) const {
    for (const Output& output : outputs)
      if (!name.isEmpty() && output.name == name) return output.output;
    return nullptr;
  }
  LayerSurface* surfaceOf(wl_surface* surface) const {
    for (LayerSurface* candidate : surfaces)
      if (candidate->state_->surface == surface && surface) return candidate;
    return nullptr;
  }

 private:
  explicit LayerShellConnection(wl_display* connected);
  bool bindGlobals();
  void readEvents();
  void lose();

  QSocketNotifier* notifier_ = nullptr;

 public:
  // The listeners of the compositor's events.
  static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version);
  static void globalRemoved(void* data, wl_registry* registry, std::uint32_t name);
  static void seatCapabilities(void* data, wl_seat* seat, std::uint32_t capabilities);
  static void layerConfigured(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
                              std::uint32_t height);
  static void layerClosed(void* data, zwlr_layer_surface_v1* layer);
};

namespace {

const wl_registry_listener kRegistryListener = {LayerShellConnection::global, LayerShellConnection::globalRemoved};

void shmFormat(void*, wl_shm*, std::uint32_t) {}
const wl_shm_listener kShmListener = {shmFormat};

void seatName(void*, wl_seat*, const char*) {}

void outputGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                    const char*, const char*, std::int32_t) {}
void outputMode(void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {}
void outputDone(void*, wl_output*) {}
void outputScale(void* data, wl_output* output, std::int32_t scale) {
  auto* connection = static_cast<LayerShellConnection*>(data);
  for (auto& known : connection->outputs)
    if (known.output == output) known.scale = std::max(1, int(scale));
}
void outputName(void* data, wl_output* output, const char* name) {
  auto* connection = static_cast<LayerShellConnection*>(data);
  for (auto& known : connection->outputs)
    if (known.output == output) known.name = QString::fromUtf8(name);
}
void outputDescription(void*, wl_output*, const char*) {}
const wl_output_listener kOutputListener = {outputGeometry, outputMode, outputDone,
                                            outputScale,    outputName, outputDescription};

QPointF pointOf(wl_fixed_t x, wl_fixed_t y) { return QPointF(wl_fixed_to_double(x), wl_fixed_to_double(y)); }

void pointerEnter(void* data, wl_pointer*, std::uint32_t, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
  auto* connection = static_cast<LayerShellConnection*>(data);
  connection->pointerFocus = connection->surfaceOf(surface);
  if (connection->pointerFocus) emit connection->pointerFocus->pointerEntered(pointOf(x, y));
}
void pointerLeave(void* data, wl_pointer*, std::uint32_t, wl_surface*) {
  auto* connection = static_cast<LayerShellConnection*>(data);
  const QPointer<LayerSurface> left = connection->pointerFocus;
  connection->pointerFocus = nullptr;
  if (left) emit left->pointerLeft();
}
void pointerMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
  auto* connection = static_cast<LayerShellConnection*>(data);
  if (connection->pointerFocus) emit connection->pointerFocus->pointerMoved(pointOf(x, y));
}
void pointerButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button, std::uint32_t state) {
  auto* connection = static_cast<LayerShellConnection*>(data);
  const Qt::MouseButton which = button == kButtonLeft     ? Qt::LeftButton
                                : button == kButtonRight  ? Qt::RightButton
                                : button == kButtonMiddle ? Qt::MiddleButton
                                                          : Qt::NoButton;
  if (connection->pointerFocus && which != Qt::NoButton)
    emit connection->pointerFocus->buttonChanged(which, state == WL_POINTER_BUTTON_STATE_PRESSED);
}
void pointerAxis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
// The seat is bound at version 3, so the later events never come; they are listed all the same.
void pointerFrame(void*, wl_pointer*) {}
void pointerAxisSource(void*, wl_pointer*, std::uint32_t) {}
void pointerAxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
void pointerAxisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
const wl_pointer_listener kPointerListener = {
    pointerEnter, pointerLeave,      pointerMotion,   pointerButton,       pointerAxis,
    pointerFrame, pointerAxisSource, pointerAxisStop, pointerAxisDiscrete, pointerAxisDiscrete};

const wl_seat_listener kSeatListener = {LayerShellConnection::seatCapabilities, seatName};

const zwlr_layer_surface_v1_listener kLayerListener = {LayerShellConnection::layerConfigured,
                                                       LayerShellConnection::layerClosed};

}  // namespace

// --- the connection

namespace {
// The one connection, once made.
QPointer<LayerShellConnection> connection;
}  // namespace

LayerShellConnection* LayerShellConnection::instance() {
  static bool tried = false;
  if (connection || tried) return connection && !connection->broken ? connection.data() : nullptr;
  tried = true;
  if (!QCoreApplication::instance() || !waylandNamed()) return nullptr;
  wl_display* display = wl_display_connect(nullptr);
  if (!display) return nullptr;
  auto* made = new LayerShellConnection(display);
  if (!made->bindGlobals()) {
    delete made;
    return nullptr;
  }
  connection = made;
  return made;
}

LayerShellConnection::LayerShellConnection(wl_display* connected)
    : QObject(QCoreApplication::instance()), display(connected) {}

LayerShellConnection::~LayerShellConnection() {
  delete notifier_;
  // A window that outlives the application keeps a surface that no longer reaches anything.
  for (LayerSurface* surface : surfaces) {
    surface->destroySurface();
    surface->connection_ = nullptr;
  }
  if (pointer) wl_pointer_destroy(pointer);
  if (seat) wl_seat_destroy(seat);
  for (const Output& output : outputs) wl_output_destroy(output.output);
  // The shell's destructor came with version 3; before it the object is only forgotten.
  if (layerShell && zwlr_layer_shell_v1_get_version(layerShell) >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
    zwlr_layer_shell_v1_destroy(layerShell);
  else if (layerShell)
    wl_proxy_destroy(reinterpret_cast<wl_proxy*>(layerShell));
  if (shm) wl_shm_destroy(shm);
  if (compositor) wl_compositor_destroy(compositor);
  if (registry) wl_registry_destroy(registry);
  wl_display_disconnect(display);
}

bool LayerShellConnection::bindGlobals() {
  registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, this);
  // The first round trip lists the globals, the second brings the outputs' names.
  if (wl_display_roundtrip(display) < 0 || wl_display_roundtrip(display) < 0) return false;
  if (!compositor || !shm || !layerShell) return false;
  notifier_ = new QSocketNotifier(wl_display_get_fd(display), QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &LayerShellConnection::readEvents);
  return true;
}

void LayerShellConnection::global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                                  std::uint32_t version) {
  auto* self = static_cast<LayerShellConnection*>(data);
  const auto bind = [&](const wl_interface* kind, std::uint32_t highest) {
    return wl_registry_bind(registry, name, kind, std::min(version, highest));
  };
  if (std::strcmp(interface, wl_compositor_interface.name) == 0 && !self->compositor) {
    self->compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
  } else if (std::strcmp(interface, wl_shm_interface.name) == 0 && !self->shm) {
    self->shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
    wl_shm_add_listener(self->shm, &kShmListener, self);
  } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0 && !self->layerShell) {
    // Nothing of version 4 is used; version 1 has all the rest.
    self->layerShell = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 3));
  } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !self->seat) {
    self->seat = static_cast<wl_seat*>(bind(&wl_seat_interface, 3));
    wl_seat_add_listener(self->seat, &kSeatListener, self);
  } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
    // Version 4 tells the output's name, by which it is matched with Qt's screen.
    auto* output = static_cast<wl_output*>(bind(&wl_output_interface, 4));
    self->outputs.push_back({name, output, QString(), 1});
    wl_output_add_listener(output, &kOutputListener, self);
  }
}

void LayerShellConnection::globalRemoved(void* data, wl_registry*, std::uint32_t name) {
  auto* self = static_cast<LayerShellConnection*>(data);
  // The compositor closes the surfaces on an output that goes; the output object only goes here.
  auto gone = std::find_if(self->outputs.begin(), self->outputs.end(),
                           [name](const Output& output) { return output.globalName == name; });
  if (gone == self->outputs.end()) return;
  if (wl_output_get_version(gone->output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
    wl_output_release(gone->output);
  else
    wl_output_destroy(gone->output);
  self->outputs.erase(gone);
}

void LayerShellConnection::seatCapabilities(void* data, wl_seat* seat, std::uint32_t capabilities) {
  auto* self = static_cast<LayerShellConnection*>(data);
  const bool hasPointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
  if (hasPointer && !self->pointer) {
    self->pointer = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(self->pointer, &kPointerListener, self);
  } else if (!hasPointer && self->pointer) {
    wl_pointer_destroy(self->pointer);
    self->pointer = nullptr;
    self->pointerFocus = nullptr;
  }
}

void LayerShellConnection::layerConfigured(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                                           std::uint32_t, std::uint32_t) {
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  static_cast<LayerSurface*>(data)->configured();
}

void LayerShellConnection::layerClosed(void* data, zwlr_layer_surface_v1*) {
  auto* surface = static_cast<LayerSurface*>(data);
  surface->destroySurface();
  emit surface->closed();
}

void LayerShellConnection::readEvents() {
  if (broken) return;
  // The socket has data: read it and run the listeners, on the GUI thread.
  if (wl_display_dispatch(display) < 0) lose();
}

void LayerShellConnection::lose() {
  if (broken) return;
  broken = true;
  if (notifier_) notifier_->setEnabled(false);
  qCWarning(lcLayerShell) << "the connection to the compositor was lost; on-screen windows stay hidden:"
                          << std::strerror(wl_display_get_error(display));
}

// --- a surface

bool compositorOffersLayerShell() {
  if (!waylandNamed()) return false;
  if (connection && !connection->broken) return true;
  wl_display* display = wl_display_connect(nullptr);
  if (!display) return false;
  bool offered = false;
  wl_registry* registry = wl_display_get_registry(display);
  const wl_registry_listener listener = {
      [](void* data, wl_registry*, std::uint32_t, const char* interface, std::uint32_t) {
        if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) *static_cast<bool*>(data) = true;
      },
      [](void*, wl_registry*, std::uint32_t) {}};
  wl_registry_add_listener(registry, &listener, &offered);
  if (wl_display_roundtrip(display) < 0) offered = false;
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return offered;
}

std::unique_ptr<LayerSurface> LayerSurface::create(const QString& role) {
  LayerShellConnection* connection = LayerShellConnection::instance();
  if (!connection) return nullptr;
  return std::unique_ptr<LayerSurface>(new LayerSurface(*connection, role));
}

LayerSurface::LayerSurface(LayerShellConnection& connection, const QString& role)
    : connection_(&connection), state_(std::make_unique<LayerSurfaceState>()) {
  state_->role = role;
  connection_->surfaces.push_back(this);
}

LayerSurface::~LayerSurface() {
  if (!connection_) return;
  destroySurface();
  auto& surfaces = connection_->surfaces;
  surfaces.erase(std::remove(surfaces.begin(), surfaces.end(), this), surfaces.end());
}

bool LayerSurface::shown() const { return state_->wanted && state_->surface; }

int LayerSurface::outputScale(const QString& output) const {
  if (!connection_) return 1;
  for (const auto& known : connection_->outputs)
    if (!output.isEmpty() && known.name == output) return known.scale;
  return 1;
}

void LayerSurface::present(const QImage& picture, const QRegion& inputShape, int bufferScale) {
  if (picture.isNull() || picture.width() > kLargestSide || picture.height() > kLargestSide) return;
  state_->bufferScale = std::max(1, bufferScale);
  state_->picture = picture.format() == QImage::Format_ARGB32_Premultiplied
                        ? picture
                        : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  state_->input = inputShape;
  state_->wanted = true;
  if (!connection_ || connection_->broken) return;
  if (!state_->surface) {
    LayerSurfaceState& s = *state_;
    s.surface = wl_compositor_create_surface(connection_->compositor);
    s.createdOnOutput = s.output;
    wl_output* output = connection_->outputNamed(s.output);
    s.layer = zwlr_layer_shell_v1_get_layer_surface(connection_->layerShell, s.surface, output,
                                                    ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, s.role.toUtf8().constData());
    zwlr_layer_surface_v1_add_listener(s.layer, &kLayerListener, this);
    const QSize size = s.picture.size() / s.bufferScale;
    zwlr_layer_surface_v1_set_size(s.layer, std::uint32_t(size.width()), std::uint32_t(size.height()));
    // Anchored to the top-left corner and offset from it, the place means what a window's place
    // means on X11; -1: not pushed aside by panels, as an overlay over them may stand.
    zwlr_layer_surface_v1_set_anchor(s.layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
    zwlr_layer_surface_v1_set_margin(s.layer, s.offset.y(), 0, 0, s.offset.x());
    zwlr_layer_surface_v1_set_exclusive_zone(s.layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(s.layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    s.committedSize = size;
    s.appliedBufferScale = 1;
    // The first commit carries no picture: the compositor answers with a configure first.
    wl_surface_commit(s.surface);
    connection_->flush();
    return;
  }
  commitPicture();
}

void LayerSurface::configured() {
  state_->configured = true;
  commitPicture();
}

void LayerSurface::commitPicture() {
  LayerSurfaceState& s = *state_;
  if (!connection_ || !s.configured || s.picture.isNull() || connection_->broken) return;
  const QSize size = s.picture.size();
  // A buffer the compositor has given back and of this size, else a new one; the others go.
  ShmBuffer* free = nullptr;
  for (auto& buffer : s.buffers)
    if (!buffer->busy && buffer->size == size) free = buffer.get();
  std::erase_if(s.buffers, [&](const auto& buffer) { return !buffer->busy && buffer.get() != free; });
  if (!free) {
    auto made = newBuffer(connection_->shm, size);
    if (!made) {
      qCWarning(lcLayerShell) << "no memory for an on-screen picture of" << size;
      return;
    }
    free = made.get();
    s.buffers.push_back(std::move(made));
  }
  const qsizetype rowBytes = qsizetype(size.width()) * 4;
  for (int row = 0; row < size.height(); ++row)
    std::memcpy(static_cast<char*>(free->data) + row * rowBytes, s.picture.constScanLine(row), std::size_t(rowBytes));

  if (!s.inputApplied || s.appliedInput != s.input) {
    wl_region* region = wl_compositor_create_region(connection_->compositor);
    for (const QRect& rect : s.input) wl_region_add(region, rect.x(), rect.y(), rect.width(), rect.height());
    wl_surface_set_input_region(s.surface, region);
    wl_region_destroy(region);
    s.appliedInput = s.input;
    s.inputApplied = true;
  }
  // On an output of scale 2 the picture has twice the pixels of the surface's size.
  const QSize surfaceSize = size / s.bufferScale;
  if (s.appliedBufferScale != s.bufferScale &&
      wl_proxy_get_version(reinterpret_cast<wl_proxy*>(s.surface)) >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION) {
    wl_surface_set_buffer_scale(s.surface, s.bufferScale);
    s.appliedBufferScale = s.bufferScale;
  }
  if (s.committedSize != surfaceSize) {
    zwlr_layer_surface_v1_set_size(s.layer, std::uint32_t(surfaceSize.width()), std::uint32_t(surfaceSize.height()));
    s.committedSize = surfaceSize;
  }
  zwlr_layer_surface_v1_set_margin(s.layer, s.offset.y(), 0, 0, s.offset.x());
  wl_surface_attach(s.surface, free->buffer, 0, 0);
  wl_surface_damage(s.surface, 0, 0, surfaceSize.width(), surfaceSize.height());
  wl_surface_commit(s.surface);
  free->busy = true;
  connection_->flush();
}

void LayerSurface::place(const QString& output, const QPoint& offset) {
  LayerSurfaceState& s = *state_;
  if (s.output == output && s.offset == offset) return;
  s.output = output;
  s.offset = offset;
  if (!connection_ || !s.surface || connection_->broken) return;
  if (s.createdOnOutput != output && connection_->outputNamed(output)) {
    // A layer surface stays on the output it was made for: moving to another is a new surface.
    destroySurface();
    if (s.wanted) present(s.picture, s.input, s.bufferScale);
    return;
  }
  if (!s.configured) return;  // the margin goes with the first picture
  zwlr_layer_surface_v1_set_margin(s.layer, offset.y(), 0, 0, offset.x());
  wl_surface_commit(s.surface);
  connection_->flush();
}

void LayerSurface::hide() {
  state_->wanted = false;
  destroySurface();
}

void LayerSurface::destroySurface() {
  if (!connection_) return;
  LayerSurfaceState& s = *state_;
  if (connection_->pointerFocus == this) connection_->pointerFocus = nullptr;
  if (s.layer) zwlr_layer_surface_v1_destroy(s.layer);
  if (s.surface) wl_surface_destroy(s.surface);
  s.layer = nullptr;
  s.surface = nullptr;
  s.configured = false;
  s.inputApplied = false;
  s.committedSize = QSize();
  // The surface is gone, so the compositor no longer reads the buffers.
  s.buffers.clear();
  if (!connection_->broken) connection_->flush();
}

}  // namespace kalvory
