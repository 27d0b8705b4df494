#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "platform/dbus/logind_power_manager.h"
#include "private_system_bus.h"
#include "support/missing_tool.h"

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
  EXPECT_FALSE(power.powerOff());
  EXPECT_FALSE(power.reboot());
  EXPECT_FALSE(power.suspend());
  EXPECT_TRUE(power.lastError().startsWith(QStringLiteral("no system bus"))) << power.lastError().toStdString();
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
  EXPECT_FALSE(power.powerOff());
  EXPECT_LT(waited.elapsed(), LogindPowerManager::kReplyTimeoutMs);
  EXPECT_TRUE(power.lastError().contains(QStringLiteral("ServiceUnknown"))) << power.lastError().toStdString();

  QTemporaryDir folder;
  const QString log = folder.filePath(QStringLiteral("calls.log"));
  ASSERT_TRUE(bus.startLogind(log)) << bus.problem().toStdString();
  EXPECT_TRUE(power.powerOff()) << power.lastError().toStdString();
  EXPECT_TRUE(power.lastError().isEmpty());
  EXPECT_TRUE(power.reboot()) << power.lastError().toStdString();
  EXPECT_TRUE(power.suspend()) << power.lastError().toStdString();
  EXPECT_EQ(loggedCalls(log), QStringList({"PowerOff False", "Reboot False", "Suspend False"}));

  // logind gone again: the request fails and nothing more is logged.
  bus.stopLogind();
  EXPECT_FALSE(power.suspend());
  EXPECT_EQ(loggedCalls(log).size(), 3);
}

}  // namespace
}  // namespace kalvory
