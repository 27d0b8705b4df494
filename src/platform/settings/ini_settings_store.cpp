#include "platform/settings/ini_settings_store.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <limits>

#include "platform/settings/user_folders.h"

namespace kalvory {

namespace {

QString fromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString entryName(std::string_view section, std::string_view key) {
  return fromUtf8(section) + QLatin1Char('/') + fromUtf8(key);
}

bool isNumber(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
      return true;
    default:
      return false;
  }
}

QString damagedFilePath(const QString& path) { return path + QStringLiteral(".damaged"); }

}  // namespace

std::string defaultSettingsFilePath() { return configHomeFolder() + "/Kalvory/Kalvory.conf"; }

IniSettingsStore::IniSettingsStore(std::string filePath) : filePath_(std::move(filePath)) {
  if (filePath_.empty()) {
    state_ = FileState::Unreadable;
    return;
  }
  const QString path = QString::fromStdString(filePath_);
  const QFileInfo info(path);
  if (!info.exists()) {
    state_ = FileState::Missing;
    return;
  }
  if (info.isFile() && info.size() > kMaxFileSize) {
    state_ = FileState::TooLarge;
    return;
  }
  const QSettings file(path, QSettings::IniFormat);
  switch (file.status()) {
    case QSettings::NoError:
      state_ = FileState::Ok;
      break;
    case QSettings::FormatError:
      state_ = FileState::Damaged;
      break;
    case QSettings::AccessError:
      state_ = FileState::Unreadable;
      return;
  }
  for (const QString& name : file.allKeys()) values_.emplace(name, file.value(name));
}

IniSettingsStore::~IniSettingsStore() {
  if (hasPendingChanges()) save();
}

std::string IniSettingsStore::problem() const {
  const std::string quoted = "\"" + filePath_ + "\"";
  switch (state_) {
    case FileState::Missing:
    case FileState::Ok:
      break;
    case FileState::Unreadable:
      if (filePath_.empty()) return "No settings file could be chosen because there is no home folder.";
      return "The settings file " + quoted + " cannot be read; it is left as it is and nothing is saved to it.";
    case FileState::Damaged:
      return "The settings file " + quoted + " is damaged; the values that could be read are used, and the file is " +
             "kept as " + quoted.substr(0, quoted.size() - 1) + ".damaged\" when the settings are next saved.";
    case FileState::TooLarge:
      return "The settings file " + quoted + " is too large to be a settings file; it is not read, and it is moved " +
             "to " + quoted.substr(0, quoted.size() - 1) + ".damaged\" when the settings are next saved.";
  }
  return {};
}

bool IniSettingsStore::setAsideDamagedFile() {
  const QString path = QString::fromStdString(filePath_);
  // A failed earlier save may have moved it already.
  if (!QFileInfo::exists(path)) return true;
  const QString aside = damagedFilePath(path);
  QFile::remove(aside);
  return QFile::rename(path, aside);
}

bool IniSettingsStore::save() {
  if (pending_.empty()) return true;
  if (state_ == FileState::Unreadable) return false;
  // A damaged file is rewritten whole from what could be read, after keeping the original.
  const bool rewriteWhole = state_ == FileState::Damaged || state_ == FileState::TooLarge;
  if (rewriteWhole && !setAsideDamagedFile()) return false;

  QSettings file(QString::fromStdString(filePath_), QSettings::IniFormat);
  // Someone else may have broken the file since it was read: never write over it then.
  if (file.status() != QSettings::NoError) return false;
  if (rewriteWhole) {
    file.clear();
    for (const auto& [name, value] : values_) file.setValue(name, value);
  } else {
    for (const auto& [name, change] : pending_) {
      if (change) {
        file.setValue(name, *change);
      } else {
        file.remove(name);
      }
    }
  }
  file.sync();
  if (file.status() != QSettings::NoError) return false;
  pending_.clear();
  state_ = FileState::Ok;
  return true;
}

const QVariant* IniSettingsStore::find(std::string_view section, std::string_view key) const {
  const auto it = values_.find(entryName(section, key));
  return it == values_.end() ? nullptr : &it->second;
}

void IniSettingsStore::set(std::string_view section, std::string_view key, std::optional<QVariant> value) {
  const QString name = entryName(section, key);
  if (value) {
    values_.insert_or_assign(name, *value);
  } else {
    values_.erase(name);
  }
  pending_.insert_or_assign(name, std::move(value));
}

std::optional<std::int32_t> IniSettingsStore::readInt(std::string_view section, std::string_view key) const {
  const QVariant* value = find(section, key);
  if (value == nullptr) return std::nullopt;
  bool ok = false;
  qlonglong number = 0;
  if (value->typeId() == QMetaType::QString) {
    number = value->toString().toLongLong(&ok, 10);
  } else if (isNumber(*value)) {
    number = value->toLongLong(&ok);
  }
  if (!ok || number < std::numeric_limits<std::int32_t>::min() || number > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(number);
}

std::optional<std::string> IniSettingsStore::readString(std::string_view section, std::string_view key) const {
  const QVariant* value = find(section, key);
  if (value == nullptr) return std::nullopt;
  switch (value->typeId()) {
    case QMetaType::QString:
      return value->toString().toStdString();
    case QMetaType::QStringList:
      // QSettings splits a hand-written value at unquoted commas; put the text back together.
      return value->toStringList().join(QStringLiteral(", ")).toStdString();
    default:
      // A number written in this run reads as the text the file will hold.
      if (isNumber(*value)) return value->toString().toStdString();
      return std::nullopt;
  }
}

std::optional<std::vector<std::uint8_t>> IniSettingsStore::readBinary(std::string_view section,
                                                                      std::string_view key) const {
  const QVariant* value = find(section, key);
  if (value == nullptr || value->typeId() != QMetaType::QByteArray) return std::nullopt;
  const QByteArray bytes = value->toByteArray();
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void IniSettingsStore::writeInt(std::string_view section, std::string_view key, std::int32_t value) {
  set(section, key, QVariant(static_cast<int>(value)));
}

void IniSettingsStore::writeString(std::string_view section, std::string_view key, std::string_view value) {
  set(section, key, QVariant(fromUtf8(value)));
}

void IniSettingsStore::writeBinary(std::string_view section, std::string_view key,
                                   const std::vector<std::uint8_t>& value) {
  set(section, key,
      QVariant(QByteArray(reinterpret_cast<const char*>(value.data()), static_cast<qsizetype>(value.size()))));
}

void IniSettingsStore::remove(std::string_view section, std::string_view key) { set(section, key, std::nullopt); }

}  // namespace kalvory
