#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

class QAudioOutput;
class QMediaPlayer;
class QTemporaryFile;

namespace kalvory {

// The program's own sound output (Qt Multimedia on GStreamer), used when no media player
// answers. One sound at a time: a new one replaces the one playing.
class BuiltInSound final : public QObject {
  Q_OBJECT

 public:
  BuiltInSound();
  ~BuiltInSound() override;

  // Starts `path` from its beginning; false when the file does not exist. A file that turns
  // out not to be playable ends the sound (playing() becomes false) and is logged.
  bool play(const QString& path);
  // Plays the program's own chime (made once, into a temporary file); false when it could not
  // be written.
  bool playChime();
  void stop();
  bool playing() const;
  QMediaPlayer& mediaPlayer() { return *player_; }

 private:
  std::unique_ptr<QAudioOutput> output_;
  std::unique_ptr<QMediaPlayer> player_;
  std::unique_ptr<QTemporaryFile> chime_;
};

// The chime as a 16-bit mono WAVE file: two bell tones that fade, about two seconds long.
QByteArray chimeWave();

}  // namespace kalvory
