#pragma once

#include <QDBusConnection>
#include <QLoggingCategory>
#include <QString>
#include <optional>

#include "core/alarms/action_services.h"

Q_DECLARE_LOGGING_CATEGORY(lcPower)

namespace kalvory {

// The computer's power requests through systemd-logind on the system bus
// (org.freedesktop.login1.Manager PowerOff, Reboot and Suspend, never interactive). A refusal
// or an absent logind is not shown to the user: the request fails with the reason, which also
// goes to the debug log.
class LogindPowerManager final : public PowerManager {
 public:
  // How long a request may keep the program waiting for logind's answer.
  static constexpr int kReplyTimeoutMs = 5000;

  // The system bus ($DBUS_SYSTEM_BUS_ADDRESS when set), connected at the first request so that a
  // program that never asks pays nothing for it.
  LogindPowerManager();
  // Any other connection (tests).
  explicit LogindPowerManager(QDBusConnection connection);

  Result<void> powerOff() override;
  Result<void> reboot() override;
  Result<void> suspend() override;

 private:
  Result<void> request(const QString& method);

  std::optional<QDBusConnection> connection_;
};

}  // namespace kalvory
