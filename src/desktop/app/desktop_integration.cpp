#include "desktop/app/desktop_integration.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace kalvory {

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(bytes);
  return file.commit();
}

// The desktop's cache tools are optional: without them the files are still found on login.
void runIfPresent(const QString& program, const QStringList& arguments) {
  const QString found = QStandardPaths::findExecutable(program);
  if (found.isEmpty()) return;
  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process.start(found, arguments);
  process.waitForFinished(10000);
}

}  // namespace

QString DesktopIntegration::userDataHome() {
  const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
  if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return xdg;
  return QDir::homePath() + QStringLiteral("/.local/share");
}

QString DesktopIntegration::desktopEntry(const QString& executable) {
  QString quoted = executable;
  // Exec keys quote arguments with double quotes; the reserved characters inside get a backslash.
  if (quoted.contains(QRegularExpression(QStringLiteral("[\\s\"'\\\\$`]")))) {
    quoted.replace(QStringLiteral("\\"), QStringLiteral("\\\\\\\\"));
    quoted.replace(QStringLiteral("\""), QStringLiteral("\\\\\""));
    quoted.replace(QStringLiteral("$"), QStringLiteral("\\\\$"));
    quoted.replace(QStringLiteral("`"), QStringLiteral("\\\\`"));
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
  }
  return QStringLiteral(
             "[Desktop Entry]\n"
             "Type=Application\n"
             "Name=Kalvory\n"
             "GenericName=Reminder\n"
             "GenericName[ru]=Напоминания\n"
             "GenericName[uk]=Нагадування\n"
             "Comment=Reminders, day notes, a month calendar and clocks on the desktop\n"
             "Comment[ru]=Напоминания, заметки по дням, календарь и часы на рабочем столе\n"
             "Comment[uk]=Нагадування, нотатки за днями, календар і годинники на робочому столі\n"
             "Exec=%1 %f\n"
             "Icon=kalvory\n"
             "Terminal=false\n"
             "MimeType=application/x-kalvory-document;\n"
             "Categories=Utility;Clock;Calendar;\n"
             "Keywords=alarm;reminder;calendar;clock;\n"
             "StartupNotify=false\n")
      .arg(quoted);
}

QString DesktopIntegration::mimeTypeXml() {
  return QStringLiteral(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
      "  <mime-type type=\"application/x-kalvory-document\">\n"
      "    <comment>Kalvory document</comment>\n"
      "    <comment xml:lang=\"ru\">Документ Kalvory</comment>\n"
      "    <comment xml:lang=\"uk\">Документ Kalvory</comment>\n"
      "    <icon name=\"kalvory\"/>\n"
      "    <glob pattern=\"*.alr\"/>\n"
      "  </mime-type>\n"
      "</mime-info>\n");
}

QString DesktopIntegration::install(const QString& dataHome, const QString& executable) {
  const QString entry = dataHome + QStringLiteral("/applications/kalvory.desktop");
  if (!writeFile(entry, desktopEntry(executable).toUtf8())) return entry;
  const QString mime = dataHome + QStringLiteral("/mime/packages/kalvory.xml");
  if (!writeFile(mime, mimeTypeXml().toUtf8())) return mime;
  for (const int size : {16, 22, 32, 48, 64, 128, 256}) {
    QFile icon(QStringLiteral(":/icons/kalvory-%1.png").arg(size));
    if (!icon.open(QIODevice::ReadOnly)) continue;
    const QString target = dataHome + QStringLiteral("/icons/hicolor/%1x%1/apps/kalvory.png").arg(size);
    if (!writeFile(target, icon.readAll())) return target;
  }
  QFile scalable(QStringLiteral(":/icons/kalvory.svg"));
  if (scalable.open(QIODevice::ReadOnly)) {
    const QString target = dataHome + QStringLiteral("/icons/hicolor/scalable/apps/kalvory.svg");
    if (!writeFile(target, scalable.readAll())) return target;
  }
  runIfPresent(QStringLiteral("update-mime-database"), {dataHome + QStringLiteral("/mime")});
  runIfPresent(QStringLiteral("update-desktop-database"), {dataHome + QStringLiteral("/applications")});
  return {};
}

}  // namespace kalvory
