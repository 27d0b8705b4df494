#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/common/result.h"

namespace kalvory {

// The outside media player, with the requests the alarm sound needs. The Linux backend talks
// to a player over D-Bus; tests use a recording fake.
class MediaPlayer {
 public:
  // Play states as the player reports them.
  static constexpr int kStopped = 0;
  static constexpr int kPlaying = 1;
  static constexpr int kPaused = 3;

  virtual ~MediaPlayer() = default;

  // How long a freshly started player has to answer.
  static constexpr int kPlayerStartWaitMs = 5000;

  // Looks for a running player and binds to it; false when none runs.
  virtual bool findPlayer() = 0;
  // Starts the configured player program; false when it could not be started at all.
  virtual bool startPlayerProgram(const std::string& program) = 0;
  // After startPlayerProgram: calls `whenReady` exactly once, with true as soon as the player
  // answers and is bound, or with false when it has not answered within kPlayerStartWaitMs. A
  // real backend calls back from the event loop, so the program goes on (and the alarm check
  // keeps ticking) while the player starts. This default suits players that are there at once:
  // it looks once and answers straight away.
  virtual void waitForPlayer(std::function<void(bool found)> whenReady) { whenReady(findPlayer()); }

  virtual int playlistPosition() = 0;  // zero-based
  virtual int playState() = 0;         // kStopped, kPlaying or kPaused
  virtual int outputTime() = 0;        // position in the current track, milliseconds
  virtual int trackLength() = 0;       // length of the current track, seconds
  virtual void addFile(const std::string& path) = 0;
  virtual int playlistLength() = 0;
  // A position at or past the end selects the last entry, so the playlist length selects the
  // file added last.
  virtual void setPlaylistPosition(int position) = 0;
  virtual void stop() = 0;
  virtual void play() = 0;
  virtual void seek(int milliseconds) = 0;
  virtual void close() = 0;  // ends the player program

  // The program's own sound, for when no player could be had: plays `path` once and returns
  // whether it started. A backend without a sound output of its own plays nothing.
  virtual bool playBuiltInSound(const std::string& path) {
    (void)path;
    return false;
  }
  virtual void stopBuiltInSound() {}

  // Why the alarm sound `path` cannot be played ("... does not exist", "... cannot be read"),
  // or empty when it can. Such a sound is never handed to the player, which would otherwise
  // play whatever its playlist held before. By default the file itself is looked at.
  virtual std::string soundFileProblem(const std::string& path);
  // The program's own chime, played instead of a sound file that cannot be played; `reason`
  // (from soundFileProblem) goes to the log. Returns whether it started.
  virtual bool playFallbackSound(const std::string& reason) {
    (void)reason;
    return false;
  }
  // Takes the entry at `position` out of the playlist, provided it still holds `path`: the
  // alarm's own entry goes when the player is put back, and an entry the user has moved or
  // replaced meanwhile is left alone.
  virtual void removeEntry(int position, const std::string& path) {
    (void)position;
    (void)path;
  }
};

// Starts programs and opens documents the way the desktop's "open" does.
class ProgramLauncher {
 public:
  virtual ~ProgramLauncher() = default;
  // Starts `file` with `parameters` (passed on as one string, empty for none); false on failure.
  virtual bool open(const std::string& file, const std::string& parameters) = 0;
};

// The computer's power requests; a refusal says why.
class PowerManager {
 public:
  virtual ~PowerManager() = default;
  virtual Result<void> powerOff() = 0;
  virtual Result<void> reboot() = 0;
  virtual Result<void> suspend() = 0;
};

// A speech library loaded for one call: the Linux backend opens lib<library>.so from the
// program's library folder, calls the argument-less `function` and frees the library again.
// A missing library or function does nothing.
class SpeechLibrary {
 public:
  virtual ~SpeechLibrary() = default;
  virtual void callOnce(std::string_view library, std::string_view function) = 0;
};

}  // namespace kalvory
