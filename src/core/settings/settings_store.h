#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kalvory {

// The per-user key-value store behind the application settings: sections of keys, each value
// an integer (32-bit, signed), a text (UTF-8) or raw bytes. A read gives nullopt when the key
// is missing or holds a value that cannot be taken as the asked type; callers then use their
// default. Failures of the store are never reported through these calls.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  virtual std::optional<std::int32_t> readInt(std::string_view section, std::string_view key) const = 0;
  virtual std::optional<std::string> readString(std::string_view section, std::string_view key) const = 0;
  virtual std::optional<std::vector<std::uint8_t>> readBinary(std::string_view section, std::string_view key) const = 0;

  virtual void writeInt(std::string_view section, std::string_view key, std::int32_t value) = 0;
  virtual void writeString(std::string_view section, std::string_view key, std::string_view value) = 0;
  virtual void writeBinary(std::string_view section, std::string_view key, const std::vector<std::uint8_t>& value) = 0;
  // Deletes one key; a missing key is not an error.
  virtual void remove(std::string_view section, std::string_view key) = 0;
};

// A store in memory with typed values, as the registry keeps them: a value of another type
// than the one asked for reads as missing. For tests and for tools that only look.
class MemorySettingsStore final : public SettingsStore {
 public:
  using Value = std::variant<std::int32_t, std::string, std::vector<std::uint8_t>>;
  using Section = std::map<std::string, Value, std::less<>>;

  std::optional<std::int32_t> readInt(std::string_view section, std::string_view key) const override;
  std::optional<std::string> readString(std::string_view section, std::string_view key) const override;
  std::optional<std::vector<std::uint8_t>> readBinary(std::string_view section, std::string_view key) const override;

  void writeInt(std::string_view section, std::string_view key, std::int32_t value) override;
  void writeString(std::string_view section, std::string_view key, std::string_view value) override;
  void writeBinary(std::string_view section, std::string_view key, const std::vector<std::uint8_t>& value) override;
  void remove(std::string_view section, std::string_view key) override;

  // The stored value, or nullptr.
  const Value* find(std::string_view section, std::string_view key) const;
  const std::map<std::string, Section, std::less<>>& sections() const { return sections_; }

 private:
  void put(std::string_view section, std::string_view key, Value value);

  std::map<std::string, Section, std::less<>> sections_;
};

}  // namespace kalvory
