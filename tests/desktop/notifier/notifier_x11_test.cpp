// The taskbar notifier on a real X server (a private Xvfb): the shape the server holds for the
// window, the slide out of the work area's bottom edge and back, and the window unmapped at the
// end. Xvfb has no panel, so the test announces a work area 40 pixels short of the screen's bottom
// the way a window manager does (_NET_WORKAREA on the root window): the popup must rise from
// behind that "panel", not from the screen's edge.
#include <gtest/gtest.h>
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QImage>
#include <QRegion>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "desktop/app/private_x_server.h"
#include "desktop/notifier/taskbar_notifier.h"
#include "support/missing_tool.h"

// Under the leak checker: what the system libraries below Qt keep until exit is not ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\nleak:libQt6\nleak:libdbus\nleak:libglib\nleak:libX11\nleak:libxcb\n";
}

namespace {

QString gSkipReason;
constexpr int kPanelHeight = 40;

template <typename Reply>
using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
Owned<Reply> own(Reply* reply) {
  return Owned<Reply>(reply, &std::free);
}

// The program's own connection: a query on it is answered after every request Qt sent before,
// so what it reports is what the server holds for the window at this point of the program.
xcb_connection_t* qtConnection() {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
  auto reply = own(xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

bool viewable(xcb_window_t window) {
  xcb_connection_t* c = qtConnection();
  auto attributes = own(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
  return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

// The window's top left on the root window, as the server has it.
std::optional<QPoint> serverPosition(xcb_window_t window) {
  xcb_connection_t* c = qtConnection();
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  auto reply = own(xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr));
  if (!reply) return std::nullopt;
  return QPoint(reply->dst_x, reply->dst_y);
}

QRegion serverShape(xcb_window_t window) {
  xcb_connection_t* c = qtConnection();
  auto reply =
      own(xcb_shape_get_rectangles_reply(c, xcb_shape_get_rectangles(c, window, XCB_SHAPE_SK_BOUNDING), nullptr));
  QRegion region;
  if (!reply) return region;
  const xcb_rectangle_t* rects = xcb_shape_get_rectangles_rectangles(reply.get());
  for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply.get()); ++i)
    region += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
  return region;
}

std::uint32_t serverOpacity(xcb_window_t window) {
  xcb_connection_t* c = qtConnection();
  auto reply = own(xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, atom(c, "_NET_WM_WINDOW_OPACITY"), XCB_ATOM_CARDINAL, 0, 1), nullptr));
  if (!reply || xcb_get_property_value_length(reply.get()) != 4) return 0;
  return *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
}

// Runs the event loop one pass at a time until `done`, calling `observe` after each pass; a
// heartbeat keeps the passes coming. False when the deadline passed first.
template <typename Done, typename Observe>
bool runUntil(Done done, Observe observe, int milliseconds = 10000) {
  QTimer heartbeat;
  heartbeat.start(5);
  const QDeadlineTimer deadline(milliseconds);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    observe();
  }
  return true;
}

// 201 x 40, grey, with pixels of exactly the key colour (magenta) and pixels one step off it.
QImage testPicture() {
  QImage picture(201, 40, QImage::Format_RGB32);
  picture.fill(QColor(90, 110, 130));
  for (int x = 10; x < 30; ++x) picture.setPixel(x, 5, qRgb(255, 0, 255));  // a slit
  picture.setPixel(100, 20, qRgb(255, 0, 255));                             // a single hole
  picture.setPixel(101, 20, qRgb(254, 0, 255));                             // near the key: kept
  picture.setPixel(102, 20, qRgb(255, 1, 255));                             // near the key: kept
  for (int y = 0; y < 40; ++y) picture.setPixel(0, y, qRgb(255, 0, 255));   // the left column
  return picture;
}

TEST(NotifierOnX11, ShapedPopupSlidesOutOfTheWorkAreaAndBackAndIsUnmapped) {
  if (!gSkipReason.isEmpty()) KALVORY_SKIP_WITHOUT_TOOL(gSkipReason.toStdString());
  ASSERT_NE(qtConnection(), nullptr);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  ASSERT_EQ(work, screen.adjusted(0, 0, 0, -kPanelHeight)) << "Qt did not take the announced work area";

  QTemporaryDir folder;
  const QString file = folder.filePath(QStringLiteral("skin.bmp"));
  ASSERT_TRUE(testPicture().save(file, "BMP"));
  kalvory::CTaskbarNotifier popup;
  ASSERT_TRUE(popup.SetSkin(file, 255, 0, 255));
  const auto window = static_cast<xcb_window_t>(popup.winId());

  // The shape on the server: 200 of the 201 columns (the width rounded down to a multiple of 4),
  // with holes exactly where the key colour is.
  const QRegion shape = serverShape(window);
  EXPECT_TRUE(shape.xored(popup.shape()).isEmpty());  // the same pixels, however banded
  EXPECT_EQ(shape.boundingRect(), QRect(1, 0, 199, 40));
  EXPECT_FALSE(shape.contains(QPoint(200, 20)));
  EXPECT_FALSE(shape.contains(QPoint(100, 20)));
  EXPECT_FALSE(shape.contains(QPoint(20, 5)));
  EXPECT_TRUE(shape.contains(QPoint(101, 20)));
  EXPECT_TRUE(shape.contains(QPoint(102, 20)));
  EXPECT_TRUE(shape.contains(QPoint(20, 6)));
  EXPECT_TRUE(shape.contains(QPoint(199, 39)));

  // Short times: 200 ms to appear over 20 steps, 300 ms of stay, 200 ms to go.
  popup.Show(QStringLiteral("Tea"), 200, 300, 200);
  const int x = work.x() + work.width() - 201;
  const int shownY = work.y() + work.height() - 40;
  const int hiddenY = work.y() + work.height();
  std::vector<int> rising;
  auto follow = [&](std::vector<int>& ys) {
    return [&] {
      if (!viewable(window)) return;
      const auto at = serverPosition(window);
      ASSERT_TRUE(at.has_value());
      EXPECT_EQ(at->x(), x);  // it slides straight up and down
      if (ys.empty() || ys.back() != at->y()) ys.push_back(at->y());
    };
  };
  ASSERT_TRUE(runUntil([&] { return popup.state() == kalvory::CTaskbarNotifier::Showing; }, follow(rising)));
  ASSERT_TRUE(viewable(window));
  EXPECT_EQ(serverPosition(window), QPoint(x, shownY));
  EXPECT_EQ(serverOpacity(window) >> 24, 254u);  // "Transparency" 200
  // Every place seen lies between the panel and the shown place, each higher than the last,
  // and the popup was seen on its way, not only at its end.
  ASSERT_FALSE(rising.empty());
  EXPECT_TRUE(std::is_sorted(rising.rbegin(), rising.rend()));
  EXPECT_LT(rising.front(), hiddenY);
  EXPECT_EQ(rising.back(), shownY);
  EXPECT_GE(std::count_if(rising.begin(), rising.end(), [&](int y) { return y > shownY && y < hiddenY; }), 3);

  std::vector<int> sinking;
  ASSERT_TRUE(runUntil([&] { return popup.state() == kalvory::CTaskbarNotifier::Hidden; }, follow(sinking)));
  EXPECT_TRUE(std::is_sorted(sinking.begin(), sinking.end()));
  EXPECT_GE(std::count_if(sinking.begin(), sinking.end(), [&](int y) { return y > shownY && y < hiddenY; }), 3);
  EXPECT_FALSE(viewable(window));
  EXPECT_EQ(popup.runningTimer(), 0);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QTemporaryDir home;
  if (GTEST_FLAG_GET(list_tests) || QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
    gSkipReason = QStringLiteral("Xvfb missing");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
  }
  kalvory::test::PrivateXServer server(QStringLiteral("1024x600x24"));
  if (!server.start()) {
    std::fprintf(stderr, "%s\n", qPrintable(server.problem()));
    return 2;
  }
  {
    // The work area, announced before the program connects, as a window manager with a panel
    // at the bottom would announce it.
    xcb_connection_t* c = xcb_connect(server.display().toLatin1().constData(), nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const std::uint32_t area[4] = {0, 0, 1024, 600 - kPanelHeight};
    const xcb_atom_t workArea = atom(c, "_NET_WORKAREA");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, workArea, XCB_ATOM_CARDINAL, 32, 4, area);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 32, 1, &workArea);
    // A round trip, so that both properties are set before the connection goes.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    xcb_disconnect(c);
  }
  qputenv("DISPLAY", server.display().toLatin1());
  qputenv("QT_QPA_PLATFORM", "xcb");
  qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
  int result = 0;
  {
    QApplication app(argc, argv);
    result = RUN_ALL_TESTS();
  }
  if (result != 0) std::fprintf(stderr, "--- Xvfb said:\n%s\n", qPrintable(server.log()));
  return result;
}
