#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "core/alarms/action_services.h"
#include "core/alarms/alarm_settings.h"

class QDBusServiceWatcher;

namespace kalvory {

class BuiltInSound;
class BusPlayerBackend;
class PlayerBus;

// The media player of the alarm sounds on a Linux desktop: the player that the "WinampPath"
// program line names, reached over the session bus. "audacious" (the default) is driven through
// Audacious's own interface plus MPRIS2; any other program is taken for an MPRIS2 player whose
// bus name carries the program's name (see playerIdentity). Starting the player does not block:
// the wait is driven by the bus announcing the player's name, bounded by a precise timer. When
// no player can be had, the program plays the sound itself (Qt Multimedia, set up at the first
// such sound).
class DesktopMediaPlayer final : public QObject, public MediaPlayer {
  Q_OBJECT

 public:
  // Gives the current "WinampPath" each time the player is looked for, so that a changed
  // setting takes effect at the next request.
  using ProgramSource = std::function<std::string()>;

  explicit DesktopMediaPlayer(ProgramSource program, QDBusConnection connection = QDBusConnection::sessionBus(),
                              QObject* parent = nullptr);
  ~DesktopMediaPlayer() override;

  // How long a started player has to appear (kPlayerStartWaitMs unless a test shortens it).
  void setStartWaitMs(int milliseconds) { startWaitMs_ = milliseconds; }

  bool findPlayer() override;
  // Starts the program line detached, split as a reminder's program line is (splitCommandLine,
  // its parameters then the way a shell would), with its standard streams sent to /dev/null.
  bool startPlayerProgram(const std::string& program) override;
  void waitForPlayer(std::function<void(bool found)> whenReady) override;
  int playlistPosition() override;
  int playState() override;
  int outputTime() override;
  int trackLength() override;
  void addFile(const std::string& path) override;
  int playlistLength() override;
  void setPlaylistPosition(int position) override;
  void stop() override;
  void play() override;
  void seek(int milliseconds) override;
  void close() override;
  bool playBuiltInSound(const std::string& path) override;
  void stopBuiltInSound() override;
  bool playFallbackSound(const std::string& reason) override;
  void removeEntry(int position, const std::string& path) override;

  // The current song as "artist - title" (the title alone without an artist); empty without a
  // bound player.
  std::string songText();
  // The built-in sound, or nullptr while it has never been needed.
  BuiltInSound* builtInSound() const { return builtInSound_.get(); }
  bool waiting() const { return whenReady_ != nullptr; }

 private:
  BusPlayerBackend* currentBackend();
  void playerNameAppeared();
  void finishWait(bool found);

  ProgramSource program_;
  std::unique_ptr<PlayerBus> bus_;
  std::unique_ptr<BusPlayerBackend> backend_;
  QString backendIdentity_;
  bool bound_ = false;

  int startWaitMs_ = kPlayerStartWaitMs;
  std::function<void(bool)> whenReady_;
  QDBusServiceWatcher* watcher_ = nullptr;
  QTimer waitTimer_;

  std::unique_ptr<BuiltInSound> builtInSound_;
};

// The player for a program line that never changes (tools and tests).
std::unique_ptr<DesktopMediaPlayer> createMediaPlayer(const std::string& winampPath);
// The player that follows the "WinampPath" setting; `settings` must outlive it.
std::unique_ptr<DesktopMediaPlayer> createMediaPlayer(const AlarmSettings& settings);

}  // namespace kalvory
