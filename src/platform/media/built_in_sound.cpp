#include "platform/media/built_in_sound.h"

#include <QAudioOutput>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMediaPlayer>
#include <QTemporaryFile>
#include <QUrl>
#include <QtEndian>
#include <algorithm>
#include <cmath>

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

bool BuiltInSound::playChime() {
  if (!chime_) {
    auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/kalvory-chime-XXXXXX.wav"));
    const QByteArray wave = chimeWave();
    if (!file->open() || file->write(wave) != wave.size() || !file->flush()) {
      qCInfo(lcBuiltInSound) << "the chime could not be written:" << file->errorString();
      return false;
    }
    chime_ = std::move(file);
  }
  return play(chime_->fileName());
}

QByteArray chimeWave() {
  constexpr int kRate = 22050;
  constexpr double kPi = 3.14159265358979323846;
  // Two strikes, each a bell tone with an overtone, fading out.
  struct Strike {
    double start, frequency;
  };
  constexpr Strike kStrikes[] = {{0.0, 880.0}, {0.45, 659.25}};
  constexpr double kLength = 2.0;
  const int samples = static_cast<int>(kLength * kRate);
  QByteArray data(samples * 2, Qt::Uninitialized);
  for (int i = 0; i < samples; ++i) {
    const double t = static_cast<double>(i) / kRate;
    double value = 0.0;
    for (const Strike& strike : kStrikes) {
      const double local = t - strike.start;
      if (local < 0) continue;
      const double envelope = std::exp(-3.0 * local) * std::min(1.0, local * 200.0);
      value += envelope * (0.6 * std::sin(2 * kPi * strike.frequency * local) +
                           0.2 * std::sin(2 * kPi * strike.frequency * 2.76 * local));
    }
    const auto sample = static_cast<qint16>(std::clamp(value * 0.5, -1.0, 1.0) * 32000);
    qToLittleEndian(sample, data.data() + 2 * i);
  }
  QByteArray wave;
  const auto put32 = [&wave](quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    wave.append(bytes, 4);
  };
  const auto put16 = [&wave](quint16 value) {
    char bytes[2];
    qToLittleEndian(value, bytes);
    wave.append(bytes, 2);
  };
  wave.append("RIFF");
  put32(static_cast<quint32>(36 + data.size()));
  wave.append("WAVEfmt ");
  put32(16);
  put16(1);  // PCM
  put16(1);  // mono
  put32(kRate);
  put32(kRate * 2);
  put16(2);
  put16(16);
  wave.append("data");
  put32(static_cast<quint32>(data.size()));
  wave.append(data);
  return wave;
}

void BuiltInSound::stop() {
  player_->stop();
  player_->setSource(QUrl());
}

bool BuiltInSound::playing() const { return player_->playbackState() == QMediaPlayer::PlayingState; }

}  // namespace kalvory
