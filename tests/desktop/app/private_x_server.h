#pragma once

// An X server of the test's own. Xvfb chooses a free display itself and names it through a pipe
// once it accepts clients (-displayfd), so tests never race for a number. It never resets
// (-noreset), and this object keeps a connection open for the server's whole life: an Xvfb that
// starts afresh whenever its last client leaves drops, or leaves hanging, a client that is
// connecting at that moment (a program starting just after a short-lived tool has gone), and it
// frees the pixmaps that programs leave on the root window. Xvfb's messages go to a log that is
// printed when the test has failed.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>

namespace kalvory::test {

class PrivateXServer {
 public:
  explicit PrivateXServer(QString screen = QStringLiteral("1280x800x24")) : screen_(std::move(screen)) {}
  PrivateXServer(const PrivateXServer&) = delete;
  PrivateXServer& operator=(const PrivateXServer&) = delete;

  ~PrivateXServer() {
    if (connection_) xcb_disconnect(connection_);
    if (xvfb_.state() != QProcess::NotRunning) {
      xvfb_.terminate();
      if (!xvfb_.waitForFinished(5000)) {
        xvfb_.kill();
        xvfb_.waitForFinished(5000);
      }
    }
    if (::testing::Test::HasFailure()) std::fprintf(stderr, "--- Xvfb log ---\n%s\n", qPrintable(log()));
  }

  // Starts the server and connects to it; false with the reason in problem().
  bool start() {
    if (!folder_.isValid()) return fail(QStringLiteral("no temporary folder"));
    xvfb_.setStandardErrorFile(logPath());
    // Xvfb writes the display number to our end of its standard output, a pipe.
    xvfb_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                                         QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-screen"),
                                         QStringLiteral("0"), screen_});
    if (!xvfb_.waitForStarted(5000)) return fail(QStringLiteral("Xvfb did not start"));
    QDeadlineTimer deadline(20000);
    while (!xvfb_.canReadLine() && xvfb_.state() == QProcess::Running && !deadline.hasExpired())
      xvfb_.waitForReadyRead(100);
    bool numbered = false;
    const int number = xvfb_.readLine().trimmed().toInt(&numbered);
    if (!numbered) return fail(QStringLiteral("Xvfb named no display"));
    display_ = QStringLiteral(":%1").arg(number);
    connection_ = xcb_connect(display_.toLatin1().constData(), nullptr);
    if (xcb_connection_has_error(connection_)) return fail(QStringLiteral("cannot connect to Xvfb on ") + display_);
    return true;
  }

  // ":N", for DISPLAY.
  const QString& display() const { return display_; }
  const QString& problem() const { return problem_; }
  // Whether the server still runs and our connection to it is whole.
  bool alive() const { return xvfb_.state() == QProcess::Running && connection_ && !xcb_connection_has_error(connection_); }

  QString log() const {
    QFile file(logPath());
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
  }

 private:
  QString logPath() const { return folder_.filePath(QStringLiteral("xvfb.log")); }
  bool fail(const QString& why) {
    problem_ = why + QStringLiteral("\n") + log();
    return false;
  }

  QString screen_;
  QTemporaryDir folder_;
  QProcess xvfb_;
  QString display_;
  QString problem_;
  xcb_connection_t* connection_ = nullptr;
};

}  // namespace kalvory::test
