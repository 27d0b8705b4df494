// The media services' tests: a core application (QtDBus and QProcess want one) on a session bus
// of its own.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdio>

#include "session_bus.h"

// Under the leak checker: what the system libraries below Qt keep until exit is not ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libQt6\nleak:libdbus\n"; }

int main(int argc, char** argv) {
  qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/kalvory-test-session-bus");
  qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/kalvory-test-system-bus");
  QCoreApplication application(argc, argv);
  kalvory::test::PrivateSessionBus bus;
  if (bus.start().isEmpty()) {
    std::fprintf(stderr, "dbus-daemon could not be started\n");
    return 1;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
