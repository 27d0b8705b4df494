#pragma once

#include <QDBusConnection>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <string>

namespace kalvory {

// The bus name that MPRIS2 players take: "org.mpris.MediaPlayer2.<identity>", where a second
// instance may add ".<anything>" (".instance<pid>" by custom).
inline constexpr const char* kMprisNamePrefix = "org.mpris.MediaPlayer2.";

// The player identity that a "WinampPath" program line stands for: its program, split off the
// way a reminder's program line is (splitCommandLine: up to ".exe", else the first word with
// double quotes keeping blanks), without folders (either slash), without ".exe", in lower case,
// with every character that a bus name may not hold turned into "_". "vlc", "/usr/bin/vlc" and
// "C:\Program Files\VLC\VLC.EXE" all give "vlc"; an empty line gives "".
QString playerIdentity(const std::string& program);

// Synchronous requests to one player, each bounded by kCallTimeoutMs so that a hung player
// cannot freeze the program (the answers are needed in order, one after the other).
class PlayerBus {
 public:
  static constexpr int kCallTimeoutMs = 1000;

  explicit PlayerBus(QDBusConnection connection) : connection_(std::move(connection)) {}

  QDBusConnection& connection() { return connection_; }
  bool hasOwner(const QString& service);
  // Every name on the bus (unique names left out).
  QStringList names();

  // The first return value of a method, or an invalid QVariant when the call failed.
  QVariant call(const QString& service, const QString& path, const QString& interface, const QString& method,
                const QVariantList& arguments = {});
  // A property through org.freedesktop.DBus.Properties.Get; invalid when it could not be read.
  QVariant property(const QString& service, const QString& path, const QString& interface, const QString& name);

 private:
  QDBusConnection connection_;
};

}  // namespace kalvory
