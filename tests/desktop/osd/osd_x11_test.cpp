// The message window on a real X server with a compositor: its shape cuts away everything but
// the lettering, and half opacity blends the lettering with what lies below. The test starts its
// own Xvfb and xcompmgr (their errors go to a log printed when the test fails).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <string>
#include <vector>

#include "desktop/osd/text_static.h"
#include "support/missing_tool.h"

extern char** environ;

// Under the leak checker: what the system libraries below Qt keep until exit is not ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\nleak:libQt6\nleak:libdbus\nleak:libglib\nleak:libX11\nleak:libxcb\n";
}

namespace {

QString gLogFile;
QString gSkipReason;

pid_t spawn(const std::vector<std::string>& arguments, int stdoutFd) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, gLogFile.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_APPEND,
                                   0600);
  if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

void stop(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

// Whether a compositing manager owns the screen's _NET_WM_CM_S0 selection.
bool compositorRunning() {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->connection()) return false;
  xcb_connection_t* connection = x11->connection();
  const char name[] = "_NET_WM_CM_S0";
  xcb_intern_atom_reply_t* atom =
      xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
  if (!atom) return false;
  xcb_get_selection_owner_reply_t* owner =
      xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
  const bool owned = owner && owner->owner != XCB_NONE;
  free(owner);
  free(atom);
  return owned;
}

QRgb screenPixel(QPoint at) {
  return QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), 1, 1).toImage().pixel(0, 0);
}

TEST(OsdOnX11, HalfOpaqueMessageIsShapedAndBlended) {
  if (!gSkipReason.isEmpty()) KALVORY_SKIP_WITHOUT_TOOL(gSkipReason.toStdString());
  ASSERT_TRUE(QTest::qWaitFor(compositorRunning, 10000)) << "xcompmgr did not take the screen";

  QWidget backdrop(nullptr, Qt::FramelessWindowHint);
  backdrop.setStyleSheet(QStringLiteral("background: #ff0000;"));
  backdrop.setGeometry(0, 0, 640, 480);
  backdrop.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&backdrop));

  kalvory::CTextStatic message;
  kalvory::OsdLooks looks;
  looks.font = kalvory::FontDescription{"Arimo", -80, 900, false};
  looks.textColor = kalvory::makeColorRef(0, 0, 255);
  looks.opacity = 50;
  looks.placement = kalvory::kOsdCentred;
  message.SetLooks(looks);
  message.SetText("HI");
  message.SetDefaultTime(100);
  message.Show(0);
  message.Create(QStringLiteral("AlarmText"), QRect(100, 100, 400, 120));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&message));

  // A point deep inside a letter (its neighbours all in the shape), and the window's margin.
  const QRegion shape = message.shape();
  QPoint inside(-1, -1);
  for (int y = 0; y < message.height() && inside.x() < 0; ++y)
    for (int x = 0; x < message.width() && inside.x() < 0; ++x) {
      bool deep = true;
      for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx) deep = deep && shape.contains(QPoint(x + dx, y + dy));
      if (deep) inside = QPoint(x, y);
    }
  ASSERT_GE(inside.x(), 0);
  const QPoint letter = message.pos() + inside;
  const QPoint margin = message.pos() + QPoint(1, 1);

  // Blue at alpha 127 over red.
  const auto blended = [&] {
    const QRgb pixel = screenPixel(letter);
    return std::abs(qRed(pixel) - 128) <= 2 && qGreen(pixel) == 0 && std::abs(qBlue(pixel) - 127) <= 2;
  };
  EXPECT_TRUE(QTest::qWaitFor(blended, 5000)) << std::hex << screenPixel(letter);
  EXPECT_EQ(screenPixel(margin) & 0xFFFFFFu, 0xFF0000u);  // cut away by the shape
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QTemporaryDir home;
  gLogFile = home.path() + "/servers.log";
  const bool listing = GTEST_FLAG_GET(list_tests);
  if (listing || QStandardPaths::findExecutable("Xvfb").isEmpty() ||
      QStandardPaths::findExecutable("xcompmgr").isEmpty()) {
    gSkipReason = "Xvfb or xcompmgr missing";
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
  }

  // Xvfb chooses a free display and writes its number once it accepts clients.
  int displayPipe[2];
  if (pipe(displayPipe) != 0) return 2;
  const pid_t xvfb = spawn({"Xvfb", "-displayfd", std::to_string(displayPipe[1]), "-screen", "0", "640x480x24",
                            "-nolisten", "tcp", "-noreset"},
                           -1);
  close(displayPipe[1]);
  std::string number;
  char c;
  while (read(displayPipe[0], &c, 1) == 1 && c != '\n') number += c;
  close(displayPipe[0]);
  if (xvfb <= 0 || number.empty()) {
    std::fprintf(stderr, "Xvfb did not start\n");
    stop(xvfb);
    return 2;
  }
  qputenv("DISPLAY", QByteArray(":") + number.c_str());
  qputenv("QT_QPA_PLATFORM", "xcb");
  qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
  const pid_t compositor = spawn({"xcompmgr"}, -1);

  int result = 0;
  {
    QApplication app(argc, argv);
    result = RUN_ALL_TESTS();
  }
  stop(compositor);
  stop(xvfb);
  if (result != 0) {
    QFile log(gLogFile);
    if (log.open(QIODevice::ReadOnly))
      std::fprintf(stderr, "--- Xvfb and xcompmgr said:\n%s\n", log.readAll().constData());
  }
  return result;
}
