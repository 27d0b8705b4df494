// The wallpaper services' tests run with a GUI application on the offscreen platform (the sticker
// text needs Qt's fonts) and never near the user's session bus.
#include <gtest/gtest.h>

#include <QGuiApplication>

// Under the leak checker: what the system libraries below Qt keep until exit is not ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\nleak:libQt6\nleak:libdbus\nleak:libglib\nleak:libX11\nleak:libxcb\n";
}

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // A test that needs a session bus starts its own and points this variable at it.
  qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/kalvory-test-session-bus");
  QGuiApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
