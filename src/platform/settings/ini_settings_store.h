#pragma once

#include <QString>
#include <QVariant>
#include <map>
#include <optional>
#include <string>

#include "core/settings/settings_store.h"

namespace kalvory {

// The settings file: $XDG_CONFIG_HOME/Kalvory/Kalvory.conf (~/.config/... when unset).
std::string defaultSettingsFilePath();

// The user settings in an INI file written through QSettings: one group per section, one
// entry per key. The file is read once when the store is made; changes collect in memory and
// reach the file on save(), which merges them into the file as it is then, so entries written
// by others in the meantime are kept. Integers are stored as decimal text; a text that is not a
// whole number within 32 bits reads as missing. Strings are UTF-8; raw bytes use QSettings'
// "@ByteArray(...)" form.
class IniSettingsStore final : public SettingsStore {
 public:
  enum class FileState {
    Missing,     // no file yet: every key is missing; the first save creates the file
    Ok,          // read as it is
    Unreadable,  // exists but could not be read; it is never written over
    Damaged,     // not well-formed: what could be read is used; the first save keeps the old file as "<file>.damaged"
    TooLarge,    // larger than kMaxFileSize: not read at all; the first save moves it to "<file>.damaged"
  };
  // A settings file is a few kilobytes; anything near this is not one of ours.
  static constexpr qint64 kMaxFileSize = 1024 * 1024;

  explicit IniSettingsStore(std::string filePath);
  // Saves changes that were not saved yet.
  ~IniSettingsStore() override;

  IniSettingsStore(const IniSettingsStore&) = delete;
  IniSettingsStore& operator=(const IniSettingsStore&) = delete;

  const std::string& filePath() const { return filePath_; }
  FileState fileState() const { return state_; }
  // One sentence for the user when the file is unreadable, damaged or too large; empty otherwise.
  std::string problem() const;

  // Writes the changes made since the last save. False when the file could not be written
  // (or is unreadable and so is left alone); the changes then stay pending.
  bool save();
  bool hasPendingChanges() const { return !pending_.empty(); }

  std::optional<std::int32_t> readInt(std::string_view section, std::string_view key) const override;
  std::optional<std::string> readString(std::string_view section, std::string_view key) const override;
  std::optional<std::vector<std::uint8_t>> readBinary(std::string_view section, std::string_view key) const override;

  void writeInt(std::string_view section, std::string_view key, std::int32_t value) override;
  void writeString(std::string_view section, std::string_view key, std::string_view value) override;
  void writeBinary(std::string_view section, std::string_view key, const std::vector<std::uint8_t>& value) override;
  void remove(std::string_view section, std::string_view key) override;

 private:
  const QVariant* find(std::string_view section, std::string_view key) const;
  void set(std::string_view section, std::string_view key, std::optional<QVariant> value);
  bool setAsideDamagedFile();

  std::string filePath_;
  FileState state_ = FileState::Missing;
  std::map<QString, QVariant> values_;                  // "Section/Key" to the value as read or written
  std::map<QString, std::optional<QVariant>> pending_;  // unsaved changes; nullopt removes the key
};

}  // namespace kalvory
