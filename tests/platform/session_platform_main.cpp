// The session tests: a core application (QtDBus wants one) that can only reach the private
// session buses the tests start themselves.
#include <gtest/gtest.h>

#include <QCoreApplication>

// Under the leak checker: what the system libraries below Qt keep until exit is not ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libQt6\nleak:libdbus\n"; }

int main(int argc, char** argv) {
  qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/kalvory-test-system-bus");
  qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/kalvory-test-session-bus");
  QCoreApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
