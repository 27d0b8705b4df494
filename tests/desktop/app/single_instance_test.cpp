#include "platform/instance/single_instance.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

namespace kalvory::test {
namespace {

TEST(SingleInstance, SecondCopyAsksTheFirstToShowItself) {
  QTemporaryDir folder;
  SingleInstance first(QStringLiteral("Orlendix Alarm"), folder.path());
  ASSERT_EQ(first.start(), SingleInstance::Role::Primary);
  QSignalSpy shown(&first, &SingleInstance::showRequested);

  SingleInstance second(QStringLiteral("Orlendix Alarm"), folder.path());
  EXPECT_EQ(second.start(), SingleInstance::Role::Secondary);
  EXPECT_TRUE(QTest::qWaitFor([&] { return shown.count() == 1; }, 3000));

  // The lock of a copy that has run for a long time still holds.
  QFile lock(first.lockPath());
  ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
  lock.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime);
  lock.close();
  SingleInstance third(QStringLiteral("Orlendix Alarm"), folder.path());
  EXPECT_EQ(third.start(), SingleInstance::Role::Secondary);

  // Anything but "show" and the verbs with a handler is ignored. Lines of one connection are read
  // in order, so once the "ping" after it has been answered, "quit" has been read and dropped.
  bool pinged = false;
  first.setRequestHandler("ping", [&](const QByteArray&) {
    pinged = true;
    return QByteArrayLiteral("pong");
  });
  EXPECT_TRUE(SingleInstance::sendRequest(first.socketPath(), "quit\nping now\n", 2000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return pinged; }, 3000));
  EXPECT_EQ(shown.count(), 2);
}

TEST(SingleInstance, LeftoversOfACrashedCopyAreTakenOver) {
  QTemporaryDir folder;
  // A lock naming a process that no longer runs, and its socket file.
  QFile lock(folder.path() + "/Orlendix Alarm.lock");
  ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
  lock.write("2147480000\nkalvory\n" + QSysInfo::machineHostName().toLocal8Bit() + "\n");
  lock.close();
  QFile socket(folder.path() + "/Orlendix Alarm");
  ASSERT_TRUE(socket.open(QIODevice::WriteOnly));
  socket.close();

  SingleInstance instance(QStringLiteral("Orlendix Alarm"), folder.path());
  ASSERT_EQ(instance.start(), SingleInstance::Role::Primary);
  QSignalSpy shown(&instance, &SingleInstance::showRequested);
  EXPECT_TRUE(SingleInstance::sendRequest(instance.socketPath(), "show\n", 2000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return shown.count() == 1; }, 3000));
}

}  // namespace
}  // namespace kalvory::test
