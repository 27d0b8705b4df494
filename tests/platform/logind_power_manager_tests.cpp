#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "platform/dbus/logind_power_manager.h"
#include "private_system_bus.h"
#include "support/missing_tool.h"
#include "support/result_assertions.h"

namespace kalvory {
namespace {

QStringList loggedCalls(const QString& log) {
  QFile file(log);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QStringList calls;
  // Each line is "<time> <method> <arguments>".
  for (const QByteArray& line : file.readAll().split('\n')) {
    const qsizetype blank = line.indexOf(' ');
    if (blank > 0) calls << QString::fromUtf8(line.mid(blank + 1)).trimmed();
  }
  return calls;
}

TEST(LogindPowerManager, WithoutABusEveryRequestFailsQuietly) {
  LogindPowerManager power(
      QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/kalvory-no-bus"), QStringLiteral("no bus")));
  EXPECT_FALSE(power.powerOff().ok());
  EXPECT_FALSE(power.reboot().ok());
  const Result<void> suspended = power.suspend();
  EXPECT_EQ(suspended.error().rfind("no system bus", 0), 0u) << suspended.error();
  QDBusConnection::disconnectFromBus(QStringLiteral("no bus"));
}

TEST(LogindPowerManager, RequestsReachLogindOnTheSystemBus) {
  if (!test::PrivateSystemBus::toolsPresent()) KALVORY_SKIP_WITHOUT_TOOL("dbus-daemon or /usr/bin/python3 missing");
  test::PrivateSystemBus bus;
  ASSERT_TRUE(bus.start()) << bus.problem().toStdString();
  // The process's system bus connection is made on first use, which is below.
  qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus.address().toUtf8());
  LogindPowerManager power;

  // No logind on the bus: refused at once, not after the reply timeout.
  QElapsedTimer waited;
  waited.start();
  const Result<void> refused = power.powerOff();
  EXPECT_FALSE(refused.ok());
  EXPECT_LT(waited.elapsed(), LogindPowerManager::kReplyTimeoutMs);
  EXPECT_NE(refused.error().find("ServiceUnknown"), std::string::npos) << refused.error();

  QTemporaryDir folder;
  const QString log = folder.filePath(QStringLiteral("calls.log"));
  ASSERT_TRUE(bus.startLogind(log)) << bus.problem().toStdString();
  EXPECT_TRUE(test::Succeeded(power.powerOff()));
  EXPECT_TRUE(test::Succeeded(power.reboot()));
  EXPECT_TRUE(test::Succeeded(power.suspend()));
  EXPECT_EQ(loggedCalls(log), QStringList({"PowerOff False", "Reboot False", "Suspend False"}));

  // logind gone again: the request fails and nothing more is logged.
  bus.stopLogind();
  EXPECT_FALSE(power.suspend().ok());
  EXPECT_EQ(loggedCalls(log).size(), 3);
}

}  // namespace
}  // namespace kalvory
