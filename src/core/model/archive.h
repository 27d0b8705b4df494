#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/common/date_time.h"

namespace kalvory {

// A damaged or unreadable document stream: where it went wrong and why.
class ArchiveError : public std::runtime_error {
 public:
  ArchiveError(std::size_t offset, std::string reason);
  std::size_t offset() const { return offset_; }
  const std::string& reason() const { return reason_; }

 private:
  std::size_t offset_;
  std::string reason_;
};

// Reads the document stream: little-endian numbers, counted strings (Windows-1251 or
// 16-bit), counts, date-times and tagged object records with class and object numbers
// handed out across the whole stream. Every read checks the bytes left first, so damaged
// input ends in ArchiveError and never in a large allocation.
class ArchiveReader {
 public:
  explicit ArchiveReader(std::span<const std::uint8_t> bytes) : data_(bytes) {}
  explicit ArchiveReader(std::string_view bytes)
      : data_(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()) {}
  explicit ArchiveReader(std::string&&) = delete;  // the reader does not keep its bytes alive

  std::int32_t readInt();
  bool readBool();           // one byte; any non-zero value is true
  std::string readString();  // UTF-8
  std::uint32_t readCount();
  COleDateTime readDateTime();
  std::vector<std::string> readStringArray();

  // One object record of class T (T::kClassName, T::Serialize(ArchiveReader&, int schema)).
  // Returns nullptr for a null element. A fresh object is made by `make` (which gives the
  // defaults of a new record) and filled with the schema its class was stored with. A second
  // reference to an earlier object gives a new record read again from that object's bytes, so
  // no two owners ever share a record and nothing depends on what the caller kept.
  template <class T, class Make>
  std::unique_ptr<T> readObject(Make&& make) {
    const ObjectStart start = beginObject(T::kClassName);
    if (start.kind == ObjectStart::Null) return nullptr;
    std::unique_ptr<T> object = std::forward<Make>(make)();
    if (start.kind == ObjectStart::Earlier) {
      ArchiveReader replay(data_);
      replay.position_ = start.fieldsOffset;
      object->Serialize(replay, start.schema);
      return object;
    }
    object->Serialize(*this, start.schema);
    finishObject(start.number);
    return object;
  }

  std::size_t offset() const { return position_; }
  std::size_t size() const { return data_.size(); }
  std::size_t remaining() const { return data_.size() - position_; }

  // Throws (at `countOffset`, where the count was read) unless `count` items of at least
  // `minimumBytes` each can still follow.
  void requireItems(std::uint64_t count, std::size_t minimumBytes, std::string_view what,
                    std::size_t countOffset) const;
  [[noreturn]] void failAt(std::size_t offset, std::string reason) const;

 private:
  struct ObjectStart {
    enum Kind { Null, Fresh, Earlier } kind = Null;
    int schema = 0;
    std::uint32_t number = 0;
    std::size_t fieldsOffset = 0;  // Earlier: where the earlier object's fields begin
  };
  // What a class or object number stands for.
  struct Entry {
    std::string_view className;  // one of the program's class names (static storage)
    bool isObject = false;
    int schema = 0;                  // the schema the class was stored with
    bool complete = false;           // objects: all fields were read
    std::size_t start = 0, end = 0;  // objects: where its fields lie in the stream
  };

  const std::uint8_t* take(std::size_t count);
  std::uint8_t readByte();
  std::uint16_t readWord();
  std::uint32_t readDword();
  std::size_t readStringLength();
  ObjectStart beginObject(std::string_view className);
  void finishObject(std::uint32_t number);
  std::uint32_t addEntry(Entry entry, std::size_t tagOffset);

  std::span<const std::uint8_t> data_;
  std::size_t position_ = 0;
  std::vector<Entry> entries_ = std::vector<Entry>(1);  // number 0 is the null element
  std::size_t copiedBytes_ = 0;
};

// Writes the document stream in the form the reader reads. Strings that Windows-1251 can
// hold are written in it; any other string is written in the 16-bit form, so no text is lost.
class ArchiveWriter {
 public:
  void writeInt(std::int32_t value);
  void writeBool(bool value);
  void writeString(std::string_view utf8);
  void writeCount(std::size_t count);
  void writeDateTime(const COleDateTime& value);
  void writeStringArray(const std::vector<std::string>& strings);

  // One object record: the class announcement the first time the class appears (with `schema`),
  // a class reference afterwards, then the fields `schema` has. One stream holds one schema per
  // class, so a different schema for a class already written throws std::invalid_argument.
  template <class T>
  void writeObject(const T& object, int schema = T::kSchema) {
    beginObject(T::kClassName, schema);
    object.Serialize(*this, schema);
  }

  const std::string& bytes() const { return bytes_; }
  std::string takeBytes() { return std::move(bytes_); }

 private:
  void beginObject(std::string_view className, int schema);
  void putWord(std::uint16_t value);
  void putDword(std::uint32_t value);

  struct WrittenClass {
    std::string_view name;
    std::uint32_t number;
    int schema;
  };
  std::string bytes_;
  std::vector<WrittenClass> classes_;
  std::uint32_t nextNumber_ = 1;
};

}  // namespace kalvory
