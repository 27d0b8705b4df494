#include "core/settings/settings_store.h"

namespace kalvory {

namespace {

template <class T>
std::optional<T> valueAs(const MemorySettingsStore::Value* value) {
  if (value == nullptr) return std::nullopt;
  if (const T* typed = std::get_if<T>(value)) return *typed;
  return std::nullopt;
}

}  // namespace

const MemorySettingsStore::Value* MemorySettingsStore::find(std::string_view section, std::string_view key) const {
  const auto sectionIt = sections_.find(section);
  if (sectionIt == sections_.end()) return nullptr;
  const auto keyIt = sectionIt->second.find(key);
  return keyIt == sectionIt->second.end() ? nullptr : &keyIt->second;
}

std::optional<std::int32_t> MemorySettingsStore::readInt(std::string_view section, std::string_view key) const {
  return valueAs<std::int32_t>(find(section, key));
}

std::optional<std::string> MemorySettingsStore::readString(std::string_view section, std::string_view key) const {
  return valueAs<std::string>(find(section, key));
}

std::optional<std::vector<std::uint8_t>> MemorySettingsStore::readBinary(std::string_view section,
                                                                         std::string_view key) const {
  return valueAs<std::vector<std::uint8_t>>(find(section, key));
}

void MemorySettingsStore::put(std::string_view section, std::string_view key, Value value) {
  auto sectionIt = sections_.find(section);
  if (sectionIt == sections_.end()) sectionIt = sections_.emplace(std::string(section), Section{}).first;
  sectionIt->second.insert_or_assign(std::string(key), std::move(value));
}

void MemorySettingsStore::writeInt(std::string_view section, std::string_view key, std::int32_t value) {
  put(section, key, value);
}

void MemorySettingsStore::writeString(std::string_view section, std::string_view key, std::string_view value) {
  put(section, key, std::string(value));
}

void MemorySettingsStore::writeBinary(std::string_view section, std::string_view key,
                                      const std::vector<std::uint8_t>& value) {
  put(section, key, value);
}

void MemorySettingsStore::remove(std::string_view section, std::string_view key) {
  const auto sectionIt = sections_.find(section);
  if (sectionIt == sections_.end()) return;
  if (const auto keyIt = sectionIt->second.find(key); keyIt != sectionIt->second.end()) sectionIt->second.erase(keyIt);
  if (sectionIt->second.empty()) sections_.erase(sectionIt);
}

}  // namespace kalvory
