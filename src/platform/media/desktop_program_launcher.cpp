#include "platform/media/desktop_program_launcher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>

namespace kalvory {

namespace {

// "https://…", "mailto:…" and the like; a one-letter scheme is a drive letter ("C:\…") of a
// line written on another system, not an address.
bool isAddress(const QString& text) {
  const QUrl url(text, QUrl::StrictMode);
  return url.isValid() && url.scheme().size() > 1 && !url.isRelative();
}

bool startDetached(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.setProgram(program);
  process.setArguments(arguments);
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  return process.startDetached();
}

}  // namespace

bool DesktopProgramLauncher::openWithDesktop(const QUrl& url) {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) return QDesktopServices::openUrl(url);
  return startDetached(QStringLiteral("xdg-open"), {url.toString(QUrl::FullyEncoded)});
}

bool DesktopProgramLauncher::open(const std::string& file, const std::string& parameters) {
  const QString target = QString::fromStdString(file);
  if (target.isEmpty()) return false;
  const QFileInfo info(target);
  if (info.exists() && (info.isDir() || !info.isExecutable())) {
    return opener_(QUrl::fromLocalFile(info.absoluteFilePath()));
  }
  if (!info.exists() && isAddress(target)) return opener_(QUrl(target));
  return startDetached(target, QProcess::splitCommand(QString::fromStdString(parameters)));
}

}  // namespace kalvory
