#include "platform/settings/user_folders.h"

#include <QDir>
#include <QStandardPaths>

namespace kalvory {

std::string configHomeFolder() {
  // A relative value is invalid by the base directory rules and would depend on the current folder.
  const QString fromEnvironment = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (!fromEnvironment.isEmpty() && QDir::isAbsolutePath(fromEnvironment))
    return QDir::cleanPath(fromEnvironment).toStdString();
  return (QDir::homePath() + QStringLiteral("/.config")).toStdString();
}

std::string picturesFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation).toStdString();
}

}  // namespace kalvory
