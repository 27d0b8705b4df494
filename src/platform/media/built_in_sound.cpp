#include "platform/media/built_in_sound.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMediaPlayer>
#include <QUrl>

Q_LOGGING_CATEGORY(lcBuiltInSound, "kalvory.sound", QtInfoMsg)

namespace kalvory {

BuiltInSound::BuiltInSound() : output_(std::make_unique<QAudioOutput>()), player_(std::make_unique<QMediaPlayer>()) {
  player_->setAudioOutput(output_.get());
  connect(player_.get(), &QMediaPlayer::errorOccurred, this, [](QMediaPlayer::Error, const QString& message) {
    qCInfo(lcBuiltInSound) << "the alarm sound cannot be played:" << message;
  });
}

BuiltInSound::~BuiltInSound() {
  player_->stop();
  player_->setAudioOutput(nullptr);
}

bool BuiltInSound::play(const QString& path) {
  const QFileInfo file(path);
  if (!file.isFile()) {
    qCInfo(lcBuiltInSound) << "no alarm sound file" << path;
    return false;
  }
  player_->stop();
  player_->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
  player_->play();
  return true;
}

void BuiltInSound::stop() {
  player_->stop();
  player_->setSource(QUrl());
}

bool BuiltInSound::playing() const { return player_->playbackState() == QMediaPlayer::PlayingState; }

}  // namespace kalvory
