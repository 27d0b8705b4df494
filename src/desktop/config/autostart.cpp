#include "desktop/config/autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

#include "platform/settings/user_folders.h"

namespace kalvory {

QString autostartEntryPath() {
  return QString::fromStdString(configHomeFolder()) + QStringLiteral("/autostart/kalvory.desktop");
}

bool autostartEnabled() { return QFileInfo::exists(autostartEntryPath()); }

namespace {

// The Exec key quotes an argument that holds blanks or the characters the format reserves.
QString execQuoted(const QString& program) {
  static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
  if (std::none_of(program.begin(), program.end(), [](QChar c) { return reserved.contains(c); })) return program;
  QString quoted = program;
  quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
      .replace(QLatin1Char('"'), QStringLiteral("\\\""))
      .replace(QLatin1Char('`'), QStringLiteral("\\`"))
      .replace(QLatin1Char('$'), QStringLiteral("\\$"));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace

bool setAutostart(bool enabled, const QString& program) {
  const QString path = autostartEntryPath();
  if (!enabled) return !QFileInfo::exists(path) || QFile::remove(path);
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
  const QString entry = QStringLiteral(
                            "[Desktop Entry]\n"
                            "Type=Application\n"
                            "Name=Kalvory\n"
                            "Exec=%1 --autostart\n"
                            "Icon=kalvory\n"
                            "X-GNOME-Autostart-enabled=true\n")
                            .arg(execQuoted(program));
  file.write(entry.toUtf8());
  return file.commit();
}

}  // namespace kalvory
