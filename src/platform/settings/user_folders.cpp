#include "platform/settings/user_folders.h"

#include <QDir>
#include <QStandardPaths>
#include <cstdlib>

#include "core/common/config_home.h"

namespace kalvory {

std::string configHomeFolder() {
  // Qt's home folder has a fallback when $HOME is unset.
  const std::string folder = configHomeFolderOf(std::getenv("XDG_CONFIG_HOME"), QDir::homePath().toStdString().c_str());
  return QDir::cleanPath(QString::fromStdString(folder)).toStdString();
}

std::string picturesFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation).toStdString();
}

}  // namespace kalvory
