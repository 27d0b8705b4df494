#include "platform/media/shared_object_speech_library.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSpeech, "kalvory.speech", QtInfoMsg)

namespace kalvory {

void SharedObjectSpeechLibrary::callOnce(std::string_view library, std::string_view function) {
  const QString name = QString::fromUtf8(library.data(), static_cast<qsizetype>(library.size()));
  // A name is a name, never a path into another folder.
  if (name.isEmpty() || name.contains(u'/')) return;
  const QString fileName = QStringLiteral("lib") + name + QStringLiteral(".so");
  for (const QString& folder : folders_) {
    const QString path = QDir(folder).filePath(fileName);
    if (!QFileInfo(path).isFile()) continue;
    void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      qCInfo(lcSpeech) << "cannot load" << path << dlerror();
      return;
    }
    const std::string symbol(function);
    if (auto* entry = reinterpret_cast<void (*)()>(dlsym(handle, symbol.c_str()))) {
      if (language_) qputenv("KALVORY_LANGUAGE", QByteArray::number(language_()));
      entry();
    }
    dlclose(handle);
    return;
  }
}

QStringList SharedObjectSpeechLibrary::programLibraryFolders() {
  QStringList folders;
  const QString fromEnvironment = qEnvironmentVariable("KALVORY_LIBRARY_DIR");
  if (!fromEnvironment.isEmpty()) folders.push_back(fromEnvironment);
  if (QCoreApplication::instance() != nullptr) {
    const QString programFolder = QCoreApplication::applicationDirPath();
    folders.push_back(programFolder);
    folders.push_back(
        QDir::cleanPath(programFolder + QStringLiteral("/") + QStringLiteral(KALVORY_RELATIVE_LIBRARY_DIR)));
  }
  return folders;
}

}  // namespace kalvory
