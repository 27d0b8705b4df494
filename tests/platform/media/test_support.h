#pragma once

// Shared pieces of the media service tests: a stand-in player process on the private session
// bus, its request log, and inert stand-ins for the other alarm action services.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <ostream>

#include "core/alarms/action_services.h"

// Readable failures.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QStringList& list, std::ostream* out) {
  *out << "{\n";
  for (const QString& text : list) *out << "  " << text.toStdString() << "\n";
  *out << "}";
}
QT_END_NAMESPACE

namespace kalvory::test {

inline bool nameOnBus(const QString& name) {
  return QDBusConnection::sessionBus().interface()->isServiceRegistered(name).value();
}

// Runs the event loop until `done` or the deadline; returns `done()`.
inline bool spinUntil(const std::function<bool()>& done, int milliseconds = 10000) {
  QDeadlineTimer deadline(milliseconds);
  while (!done() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  return done();
}

// The request log of a stand-in player; repeated polls of the same request (the bounded wait
// for a playlist to grow) count once.
inline QStringList readRequests(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QStringList lines;
  for (const QByteArray& line : file.readAll().split('\n')) {
    if (line.isEmpty()) continue;
    const QString text = QString::fromUtf8(line);
    if (lines.isEmpty() || lines.last() != text) lines.push_back(text);
  }
  return lines;
}

#ifdef FAKE_MEDIA_PLAYER
class FakePlayerProcess {
 public:
  FakePlayerProcess() : log_(folder_.filePath(QStringLiteral("requests.log"))) {}
  ~FakePlayerProcess() { stop(); }

  const QString& logPath() const { return log_; }
  QString folder() const { return folder_.path(); }

  // Starts the stand-in and waits for `busName`.
  bool start(const QStringList& arguments, const QString& busName) {
    busName_ = busName;
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(FAKE_MEDIA_PLAYER), QStringList{QStringLiteral("--log"), log_} + arguments);
    return process_.waitForStarted(5000) && spinUntil([&] { return nameOnBus(busName); });
  }
  void stop() {
    if (process_.state() != QProcess::NotRunning) {
      process_.terminate();
      if (!process_.waitForFinished(5000)) process_.kill();
    }
    if (!busName_.isEmpty()) spinUntil([&] { return !nameOnBus(busName_); });
  }
  qint64 pid() const { return process_.processId(); }
  // The requests since the last call.
  QStringList takeRequests() {
    const QStringList all = readRequests(log_);
    const QStringList fresh = all.mid(seen_);
    seen_ = all.size();
    return fresh;
  }

 private:
  QTemporaryDir folder_;
  QString log_;
  QString busName_;
  QProcess process_;
  qsizetype seen_ = 0;
};
#endif

// "<position> <status> <time ms> <playlist length> <url at position>" of a stand-in player.
inline QString fakeState(const QString& service) {
  const QDBusMessage reply = QDBusConnection::sessionBus().call(
      QDBusMessage::createMethodCall(service, QStringLiteral("/org/mpris/MediaPlayer2"),
                                     QStringLiteral("org.kalvory.FakePlayer"), QStringLiteral("State")));
  return reply.arguments().isEmpty() ? QStringLiteral("(no answer)") : reply.arguments().first().toString();
}

inline bool writeScript(const QString& path, const QByteArray& body) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write("#!/bin/sh\n" + body + "\n");
  file.close();
  return file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A media player that is never there: for tests whose reminders play no sound.
class NoPlayer final : public MediaPlayer {
 public:
  bool findPlayer() override { return false; }
  bool startPlayerProgram(const std::string&) override { return false; }
  int playlistPosition() override { return 0; }
  int playState() override { return kStopped; }
  int outputTime() override { return 0; }
  int trackLength() override { return 0; }
  void addFile(const std::string&) override {}
  int playlistLength() override { return 0; }
  void setPlaylistPosition(int) override {}
  void stop() override {}
  void play() override {}
  void seek(int) override {}
  void close() override {}
};

class InertLauncher final : public ProgramLauncher {
 public:
  std::vector<std::string> opened;
  bool open(const std::string& file, const std::string&) override {
    opened.push_back(file);
    return true;
  }
};
class InertPower final : public PowerManager {
 public:
  Result<void> powerOff() override { return Failure{"inert"}; }
  Result<void> reboot() override { return Failure{"inert"}; }
  Result<void> suspend() override { return Failure{"inert"}; }
};
class InertSpeech final : public SpeechLibrary {
 public:
  void callOnce(std::string_view, std::string_view) override {}
};

}  // namespace kalvory::test
