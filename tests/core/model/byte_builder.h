#pragma once

// Builds document-stream bytes by hand, field by field, in the layout of the file format tables.

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kalvory::test {

class Bytes {
 public:
  Bytes& byte(std::uint8_t value) {
    data_.push_back(static_cast<char>(value));
    return *this;
  }
  Bytes& bytes(std::initializer_list<std::uint8_t> values) {
    for (auto value : values) byte(value);
    return *this;
  }
  Bytes& word(std::uint16_t value) { return byte(value & 0xFF).byte(value >> 8); }
  Bytes& dword(std::uint32_t value) { return word(value & 0xFFFF).word(value >> 16); }
  Bytes& i32(std::int32_t value) { return dword(static_cast<std::uint32_t>(value)); }
  Bytes& f64(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return dword(bits & 0xFFFFFFFF).dword(bits >> 32);
  }
  Bytes& dateTime(std::int32_t status, double days) { return i32(status).f64(days); }
  Bytes& raw(std::string_view text) {
    data_.append(text);
    return *this;
  }
  // A string of fewer than 255 single-byte characters: length byte and the bytes.
  Bytes& shortString(std::string_view cp1251) { return byte(static_cast<std::uint8_t>(cp1251.size())).raw(cp1251); }
  Bytes& newClass(std::uint16_t schema, std::string_view name) {
    return word(0xFFFF).word(schema).word(static_cast<std::uint16_t>(name.size())).raw(name);
  }
  Bytes& append(const Bytes& other) {
    data_ += other.data_;
    return *this;
  }

  const std::string& str() const { return data_; }
  std::size_t size() const { return data_.size(); }
  operator std::string_view() const& { return data_; }
  operator std::string_view() const&& = delete;  // a reader must not outlive its bytes

 private:
  std::string data_;
};

// The tail every document ends with when the stored settings keep their defaults:
// "%m/%d/%Y", the three QuickPaste formats and a valid countdown target of 0.0.
inline Bytes defaultSettingsTail() {
  Bytes tail;
  tail.shortString("%m/%d/%Y").word(3).shortString("%Y%d%m").shortString("%x %X").shortString("%V").dateTime(0, 0.0);
  return tail;
}

}  // namespace kalvory::test
