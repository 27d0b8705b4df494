#pragma once

// A sine tone as a 16-bit mono WAV file, made by the tests themselves.
#include <QFile>
#include <QString>
#include <QtEndian>
#include <cmath>

namespace kalvory::test {

inline bool writeToneWav(const QString& path, int seconds, double frequency, int rate = 8000) {
  const quint32 samples = quint32(seconds) * quint32(rate);
  QByteArray data(int(samples * 2), Qt::Uninitialized);
  for (quint32 i = 0; i < samples; ++i) {
    const auto value = qint16(8000 * std::sin(2 * M_PI * frequency * i / rate));
    qToLittleEndian(value, data.data() + i * 2);
  }
  QByteArray header;
  auto add32 = [&](quint32 v) { header.append(reinterpret_cast<const char*>(&(v = qToLittleEndian(v))), 4); };
  auto add16 = [&](quint16 v) { header.append(reinterpret_cast<const char*>(&(v = qToLittleEndian(v))), 2); };
  header.append("RIFF");
  add32(36 + quint32(data.size()));
  header.append("WAVEfmt ");
  add32(16);
  add16(1);  // PCM
  add16(1);  // mono
  add32(quint32(rate));
  add32(quint32(rate) * 2);
  add16(2);
  add16(16);
  header.append("data");
  add32(quint32(data.size()));
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(header + data) == header.size() + data.size();
}

}  // namespace kalvory::test
