// The real program under a private X server, as a user meets it: the paste hotkeys type into
// a text field of another program, the windows open on screen whatever was stored and at
// whatever scale, and the on-screen clock follows a drag of its lettering under a window manager.
#include <gtest/gtest.h>
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <memory>
#include <vector>

#include "core/model/alarm_doc.h"
#include "core/model/document_file.h"
#include "program_session.h"
#include "support/missing_tool.h"

namespace {

using kalvory::test::haveTool;

class ScreenSession : public kalvory::test::ProgramSessionTest {
 protected:
  QProcess& start(const QString& program, const QStringList& arguments = {},
                  const QProcessEnvironment& environment = {}) {
    return launch(program, arguments, environment);
  }

  // Runs xdotool on the test display; its output, or an empty text when it failed.
  QString xdotool(const QStringList& arguments) {
    QProcess tool;
    tool.setProcessEnvironment(environment_);
    tool.start("xdotool", arguments);
    tool.waitForFinished(10000);
    const bool ok = tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    return ok ? QString::fromUtf8(tool.readAllStandardOutput()) + " " : QString();
  }

  // The place of the visible window of that title on the screen; an empty rectangle while
  // there is none.
  QRect windowGeometry(const QString& title) {
    const QString found = xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"}).trimmed();
    if (found.isEmpty()) return {};
    const QString geometry = xdotool({"getwindowgeometry", "--shell", found.split('\n').first()});
    const auto value = [&](const char* key) {
      return QRegularExpression(QStringLiteral("%1=(-?\\d+)").arg(key)).match(geometry).captured(1).toInt();
    };
    return QRect(value("X"), value("Y"), value("WIDTH"), value("HEIGHT"));
  }
};

// Collects the lines a helper prints.
struct Lines {
  explicit Lines(QProcess& process) : process_(process) {}
  bool waitFor(const QString& line, int milliseconds = 10000) {
    return QTest::qWaitFor(
        [&] {
          while (process_.canReadLine()) seen.append(QString::fromUtf8(process_.readLine()).trimmed());
          return seen.contains(line);
        },
        milliseconds);
  }
  QProcess& process_;
  QStringList seen;
};

TEST_F(ScreenSession, PasteHotkeysTypeIntoTheFocusedProgram) {
  kalvory::CAlarmDoc document;
  document.paste_formats = {"first", "second", "%V"};
  const std::string path = (home_.path() + "/paste.alr").toStdString();
  EXPECT_TRUE(kalvory::saveDocumentFile(document, path).ok());
  start(KALVORY_BINARY, {QString::fromStdString(path)});
  // The keys are taken when the main window first shows.
  ASSERT_TRUE(QTest::qWaitFor([&] { return windowGeometry(".+Kalvory").isValid(); }, 15000));

  QProcess& target = start(PASTE_TARGET_HELPER);
  Lines lines(target);
  ASSERT_TRUE(lines.waitFor("focused"));

  // Typed and let go at once: the text arrives as a plain Ctrl+V, not as Ctrl+Shift+V.
  ASSERT_FALSE(xdotool({"key", "ctrl+shift+1"}).isEmpty());
  ASSERT_TRUE(lines.waitFor("text: first")) << lines.seen.join('\n').toStdString();
  EXPECT_FALSE(lines.seen.contains("key: Ctrl+Shift+V"));

  // Held down: the paste still comes, while the keys are down.
  ASSERT_FALSE(xdotool({"keydown", "ctrl+shift+2"}).isEmpty());
  EXPECT_TRUE(lines.waitFor("text: firstsecond")) << lines.seen.join('\n').toStdString();
  ASSERT_FALSE(xdotool({"keyup", "ctrl+shift+2"}).isEmpty());

  // The song with no player running gives nothing to paste: the clipboard keeps "second", which
  // the field's own Ctrl+V then pastes.
  ASSERT_FALSE(xdotool({"key", "ctrl+shift+3"}).isEmpty());
  ASSERT_FALSE(xdotool({"key", "ctrl+v"}).isEmpty());
  EXPECT_TRUE(lines.waitFor("text: firstsecondsecond")) << lines.seen.join('\n').toStdString();
}

TEST_F(ScreenSession, WindowsOpenOnScreenAtScaleTwo) {
  // Places that suited the 1280x800 screen at a scale of 1; at a scale of 2 it is 640x400.
  writeSettings(
      "[AppSettings]\nMainPositionX=600\nMainPositionY=300\nMainFrameVisible=1\n"
      "[ClockSettings]\nisClockVisible=1\nClockPositionX=620\nClockPositionY=380\n");
  QProcessEnvironment scaled = environment_;
  scaled.insert("QT_SCALE_FACTOR", "2");
  start(KALVORY_BINARY, {}, scaled);
  const QRect screen(0, 0, 1280, 800);
  QRect frame;
  QRect clock;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        frame = windowGeometry(".+Kalvory");
        clock = windowGeometry("AlarmClock");
        return frame.isValid() && clock.isValid() && screen.contains(frame) && screen.contains(clock);
      },
      15000))
      << "main window " << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height() << "; clock "
      << clock.x() << "," << clock.y() << " " << clock.width() << "x" << clock.height();
}

// Whether a window manager has taken the screen: it names its check window on the root.
bool windowManagerRunning(const QString& display) {
  xcb_connection_t* connection = xcb_connect(display.toLatin1().constData(), nullptr);
  if (xcb_connection_has_error(connection)) {
    xcb_disconnect(connection);
    return false;
  }
  const char name[] = "_NET_SUPPORTING_WM_CHECK";
  xcb_intern_atom_reply_t* atom =
      xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof name - 1, name), nullptr);
  bool running = false;
  if (atom && atom->atom != XCB_NONE) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_get_property_reply_t* property = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr);
    running = property && xcb_get_property_value_length(property) == 4;
    std::free(property);
  }
  std::free(atom);
  xcb_disconnect(connection);
  return running;
}

// The clock's shape: its lettering, as rectangles in the window.
std::vector<QRect> windowShape(const QString& display, unsigned window) {
  std::vector<QRect> rectangles;
  xcb_connection_t* connection = xcb_connect(display.toLatin1().constData(), nullptr);
  if (xcb_connection_has_error(connection)) {
    xcb_disconnect(connection);
    return rectangles;
  }
  xcb_shape_get_rectangles_reply_t* reply = xcb_shape_get_rectangles_reply(
      connection, xcb_shape_get_rectangles(connection, window, XCB_SHAPE_SK_BOUNDING), nullptr);
  if (reply) {
    const xcb_rectangle_t* parts = xcb_shape_get_rectangles_rectangles(reply);
    for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply); ++i)
      rectangles.emplace_back(parts[i].x, parts[i].y, parts[i].width, parts[i].height);
    std::free(reply);
  }
  xcb_disconnect(connection);
  return rectangles;
}

TEST_F(ScreenSession, ClockFollowsAQuickDragAnywhereOnItsLetteringUnderOpenbox) {
  if (!haveTool("openbox")) KALVORY_SKIP_WITHOUT_TOOL("openbox missing");
  writeSettings("[ClockSettings]\nisClockVisible=1\nClockPositionX=300\nClockPositionY=200\n");
  start("openbox", {"--sm-disable"});
  ASSERT_TRUE(QTest::qWaitFor([&] { return windowManagerRunning(x_.display()); }, 10000));
  start(KALVORY_BINARY);
  QRect clock;
  ASSERT_TRUE(QTest::qWaitFor([&] { return (clock = windowGeometry("AlarmClock")).isValid(); }, 15000));
  const unsigned id =
      xdotool({"search", "--onlyvisible", "--name", "^AlarmClock$"}).trimmed().split('\n').first().toUInt();
  // A point of the lettering: the middle of its widest piece.
  QRect piece;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        for (const QRect& part : windowShape(x_.display(), id))
          if (part.width() > piece.width()) piece = part;
        return piece.width() >= 3;
      },
      10000));
  const QPoint press = clock.topLeft() + piece.center();

  // Pressed, moved twice and let go in one go, as a quick hand does.
  ASSERT_FALSE(xdotool({"mousemove", QString::number(press.x()), QString::number(press.y()), "mousedown", "1",
                        "mousemove_relative", "10", "10", "mousemove_relative", "40", "30", "mouseup", "1"})
                   .isEmpty());
  QRect moved;
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return (moved = windowGeometry("AlarmClock")).topLeft() == clock.topLeft() + QPoint(50, 40); }, 5000))
      << "from " << clock.x() << "," << clock.y() << " to " << moved.x() << "," << moved.y();

  // A press between the strokes (here in the margin around them) drags it too, rather than
  // reaching the desktop below.
  const QPoint gap(2, 2);
  for (const QRect& part : windowShape(x_.display(), id)) ASSERT_FALSE(part.contains(gap));
  const QPoint from = moved.topLeft() + gap;
  ASSERT_FALSE(
      xdotool({"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1",
               "mousemove_relative", "--", "-10", "-10", "mousemove_relative", "--", "-20", "-10", "mouseup", "1"})
          .isEmpty());
  QRect again;
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return (again = windowGeometry("AlarmClock")).topLeft() == moved.topLeft() - QPoint(30, 20); }, 5000))
      << "from " << moved.x() << "," << moved.y() << " to " << again.x() << "," << again.y();
}

}  // namespace

extern "C" const char* __lsan_default_suppressions() { return "leak:libQt6\nleak:libdbus\nleak:libglib\n"; }

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
