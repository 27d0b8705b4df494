#include "desktop/shell/document_recovery.h"

#include <QFile>
#include <QSaveFile>
#include <filesystem>
#include <system_error>

#include "core/model/document_file.h"

namespace kalvory {

namespace {

std::string inFolder(const std::string& folder, std::string_view name) {
  return (std::filesystem::path(folder) / std::filesystem::path(name)).string();
}

QString qtPath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

}  // namespace

std::string RecoveryCopy::documentPath() const { return inFolder(folder_, kDocumentName); }

std::string RecoveryCopy::notePath() const { return inFolder(folder_, kNoteName); }

bool RecoveryCopy::exists() const {
  std::error_code ignored;
  return std::filesystem::is_regular_file(documentPath(), ignored);
}

DocumentFileResult RecoveryCopy::write(CAlarmDoc& document, const std::string& originalPath) const {
  std::error_code error;
  std::filesystem::create_directories(folder_, error);
  if (error)
    return DocumentFileResult(DocumentFileError(folder_, std::nullopt, "cannot create the folder: " + error.message()));
  // Without its note a new copy counts as untitled, never as a copy of the previous file.
  std::filesystem::remove(notePath(), error);

  const bool modified = document.IsModified();
  DocumentFileResult saved = saveDocumentFile(document, documentPath());
  document.SetModifiedFlag(modified);
  if (!saved.ok()) return saved;

  QSaveFile note(qtPath(notePath()));
  if (!note.open(QIODevice::WriteOnly) ||
      note.write(originalPath.data(), static_cast<qint64>(originalPath.size())) !=
          static_cast<qint64>(originalPath.size()) ||
      !note.commit())
    return DocumentFileResult(DocumentFileError(notePath(), std::nullopt, note.errorString().toStdString()));
  return {};
}

std::string RecoveryCopy::originalPath() const {
  QFile note(qtPath(notePath()));
  if (!note.open(QIODevice::ReadOnly) || note.size() > static_cast<qint64>(kMaxNoteSize)) return {};
  const QByteArray bytes = note.read(static_cast<qint64>(kMaxNoteSize) + 1);
  if (bytes.size() > static_cast<qsizetype>(kMaxNoteSize) || bytes.contains('\0')) return {};
  std::string path = bytes.toStdString();
  // Only a full path can name the file again; anything else is treated as untitled.
  if (!std::filesystem::path(path).is_absolute()) return {};
  return path;
}

DocumentFileResult RecoveryCopy::read(CAlarmDoc& document) const { return loadDocumentFile(document, documentPath()); }

void RecoveryCopy::remove() const {
  std::error_code ignored;
  std::filesystem::remove(documentPath(), ignored);
  std::filesystem::remove(notePath(), ignored);
}

void RecoveryCopy::setAside() const {
  std::error_code ignored;
  std::filesystem::rename(documentPath(), inFolder(folder_, kDamagedName), ignored);
  std::filesystem::remove(notePath(), ignored);
}

}  // namespace kalvory
