#include "core/model/archive.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/common/text.h"
#include "core/model/alarm_line.h"
#include "core/model/day_info.h"

namespace kalvory {

namespace {

constexpr std::uint16_t kNullTag = 0x0000;
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint32_t kBigClassTag = 0x80000000;
constexpr std::uint32_t kMaxNumber = 0x7FFFFFFE;
constexpr std::size_t kCopySlack =
    std::size_t{64} * 1024;  // stored bytes that repeated references may copy beyond the file's size

constexpr std::uint8_t kLongLength = 0xFF;
constexpr std::uint16_t kWideStringMark = 0xFFFE;
constexpr std::uint16_t kDwordLength = 0xFFFF;
constexpr std::uint16_t kDwordCount = 0xFFFF;

// The classes a document stream may hold; their names point at static storage.
constexpr std::string_view kKnownClasses[] = {CAlarmLine::kClassName, CDayInfo::kClassName};

bool isAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Bytes taken from the file, shown in an error message: printable ASCII as it is, the rest escaped.
std::string printable(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < bytes.size() && i < 64; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out.push_back(static_cast<char>(c));
    } else {
      out += "\\x";
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  if (bytes.size() > 64) out += "...";
  return out;
}

std::string describeLength(std::uint64_t count, std::string_view unit) {
  return std::to_string(count) + " " + std::string(unit) + (count == 1 ? "" : "s");
}

}  // namespace

ArchiveError::ArchiveError(std::size_t offset, std::string reason)
    : std::runtime_error("offset " + std::to_string(offset) + ": " + reason),
      offset_(offset),
      reason_(std::move(reason)) {}

// ---------------------------------------------------------------- reading

void ArchiveReader::failAt(std::size_t offset, std::string reason) const {
  throw ArchiveError(offset, std::move(reason));
}

const std::uint8_t* ArchiveReader::take(std::size_t count) {
  if (count > remaining()) {
    failAt(position_, "unexpected end of file: " + describeLength(count, "byte") + " needed, " +
                          describeLength(remaining(), "byte") + " left");
  }
  const std::uint8_t* start = data_.data() + position_;
  position_ += count;
  return start;
}

std::uint8_t ArchiveReader::readByte() { return *take(1); }

std::uint16_t ArchiveReader::readWord() {
  const std::uint8_t* p = take(2);
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ArchiveReader::readDword() {
  const std::uint8_t* p = take(4);
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::int32_t ArchiveReader::readInt() { return static_cast<std::int32_t>(readDword()); }

bool ArchiveReader::readBool() { return readByte() != 0; }

std::uint32_t ArchiveReader::readCount() {
  const std::uint16_t count = readWord();
  return count != kDwordCount ? count : readDword();
}

std::size_t ArchiveReader::readStringLength() {
  const std::uint8_t byteLength = readByte();
  if (byteLength < kLongLength) return byteLength;
  const std::uint16_t wordLength = readWord();
  if (wordLength < kDwordLength) return wordLength;
  return readDword();
}

std::string ArchiveReader::readString() {
  const std::size_t start = position_;
  bool wide = false;
  std::size_t length = readByte();
  if (length == kLongLength) {
    const std::uint16_t wordLength = readWord();
    if (wordLength == kWideStringMark) {
      // 0xFF 0xFE 0xFF announces 16-bit characters; an ordinary length prefix follows.
      wide = true;
      length = readStringLength();
    } else {
      length = wordLength < kDwordLength ? wordLength : readDword();
    }
  }
  const std::uint64_t bytes = wide ? std::uint64_t{length} * 2 : std::uint64_t{length};
  if (bytes > remaining()) {
    failAt(start, "string of " + describeLength(length, wide ? "16-bit character" : "character") +
                      " is longer than the " + describeLength(remaining(), "byte") + " left");
  }
  const std::uint8_t* chars = take(static_cast<std::size_t>(bytes));
  if (!wide) {
    const std::string_view raw(reinterpret_cast<const char*>(chars), length);
    return isAscii(raw) ? std::string(raw) : cp1251ToUtf8(raw);
  }
  std::u16string units(length, u'\0');
  for (std::size_t i = 0; i < length; ++i) {
    units[i] = static_cast<char16_t>(chars[2 * i] | (chars[2 * i + 1] << 8));
  }
  return utf16ToUtf8(units);
}

COleDateTime ArchiveReader::readDateTime() {
  const std::size_t start = position_;
  const std::int32_t status = readInt();
  const std::uint8_t* p = take(8);
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | p[i];
  double days = 0.0;
  std::memcpy(&days, &bits, sizeof days);
  if (status < COleDateTime::valid || status > COleDateTime::null) {
    failAt(start, "date-time status " + std::to_string(status) + " is none of 0 (valid), 1 (invalid), 2 (null)");
  }
  if (!std::isfinite(days)) failAt(start, "date-time holds no finite number of days");
  return COleDateTime(days, static_cast<COleDateTime::DateTimeStatus>(status));
}

void ArchiveReader::requireItems(std::uint64_t count, std::size_t minimumBytes, std::string_view what,
                                 std::size_t countOffset) const {
  if (count > remaining() / std::max<std::size_t>(minimumBytes, 1)) {
    failAt(countOffset, "count of " + describeLength(count, std::string(what)) + " exceeds what the " +
                            describeLength(remaining(), "byte") + " left can hold");
  }
}

std::vector<std::string> ArchiveReader::readStringArray() {
  const std::size_t start = position_;
  const std::uint32_t count = readCount();
  requireItems(count, 1, "string", start);  // each string takes at least its length byte
  std::vector<std::string> strings;
  strings.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) strings.push_back(readString());
  return strings;
}

std::uint32_t ArchiveReader::addEntry(Entry entry, std::size_t tagOffset) {
  if (entries_.size() > kMaxNumber) failAt(tagOffset, "more classes and objects than a file can number");
  entries_.push_back(entry);
  return static_cast<std::uint32_t>(entries_.size() - 1);
}

ArchiveReader::ObjectStart ArchiveReader::beginObject(std::string_view className) {
  const std::size_t tagOffset = position_;
  const std::uint16_t tag = readWord();
  if (tag == kNullTag) return {};

  std::uint32_t classNumber = 0;
  std::uint32_t objectNumber = 0;
  bool isClass = false;
  if (tag == kNewClassTag) {
    const std::uint16_t schema = readWord();
    const std::uint16_t nameLength = readWord();
    const std::uint8_t* nameBytes = take(nameLength);
    const std::string_view name(reinterpret_cast<const char*>(nameBytes), nameLength);
    const auto known = std::find(std::begin(kKnownClasses), std::end(kKnownClasses), name);
    if (known == std::end(kKnownClasses)) failAt(tagOffset, "unknown class \"" + printable(name) + "\"");
    classNumber = addEntry({*known, false, schema, false, 0, 0}, tagOffset);
    isClass = true;
  } else if (tag == kBigObjectTag) {
    const std::uint32_t big = readDword();
    isClass = (big & kBigClassTag) != 0;
    (isClass ? classNumber : objectNumber) = big & ~kBigClassTag;
  } else if ((tag & kClassTag) != 0) {
    classNumber = tag & ~kClassTag;
    isClass = true;
  } else {
    objectNumber = tag;
  }

  if (isClass) {
    if (classNumber == 0 || classNumber >= entries_.size() || entries_[classNumber].isObject) {
      failAt(tagOffset, "bad tag: class number " + std::to_string(classNumber) + " was not defined before");
    }
    const Entry& entry = entries_[classNumber];
    if (entry.className != className) {
      failAt(tagOffset, "a " + std::string(entry.className) + " record stands where a " + std::string(className) +
                            " record belongs");
    }
    ObjectStart start;
    start.kind = ObjectStart::Fresh;
    start.schema = entry.schema;
    start.number = addEntry({entry.className, true, entry.schema, false, position_, position_}, tagOffset);
    return start;
  }

  if (objectNumber == 0 || objectNumber >= entries_.size() || !entries_[objectNumber].isObject ||
      !entries_[objectNumber].complete) {
    failAt(tagOffset, "bad tag: object number " + std::to_string(objectNumber) + " was not read before");
  }
  const Entry& entry = entries_[objectNumber];
  if (entry.className != className) {
    failAt(tagOffset, "a reference to a " + std::string(entry.className) + " record stands where a " +
                          std::string(className) + " record belongs");
  }
  // Each repeated reference becomes a record of its own; their total is held to about the size
  // of the file, so a few bytes of references cannot ask for a huge amount of memory.
  copiedBytes_ += entry.end - entry.start + 2;
  if (copiedBytes_ > data_.size() + kCopySlack) {
    failAt(tagOffset, "repeated references copy more records than the file holds");
  }
  ObjectStart start;
  start.kind = ObjectStart::Earlier;
  start.number = objectNumber;
  start.schema = entry.schema;
  start.fieldsOffset = entry.start;
  return start;
}

void ArchiveReader::finishObject(std::uint32_t number) {
  entries_[number].complete = true;
  entries_[number].end = position_;
}

// ---------------------------------------------------------------- writing

void ArchiveWriter::putWord(std::uint16_t value) {
  bytes_.push_back(static_cast<char>(value & 0xFF));
  bytes_.push_back(static_cast<char>(value >> 8));
}

void ArchiveWriter::putDword(std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void ArchiveWriter::writeInt(std::int32_t value) { putDword(static_cast<std::uint32_t>(value)); }

void ArchiveWriter::writeBool(bool value) { bytes_.push_back(value ? 1 : 0); }

namespace {

// The length prefix shared by both string forms.
void putStringLength(std::string& bytes, std::size_t length) {
  auto word = [&bytes](std::uint32_t value) {
    bytes.push_back(static_cast<char>(value & 0xFF));
    bytes.push_back(static_cast<char>((value >> 8) & 0xFF));
  };
  if (length < kLongLength) {
    bytes.push_back(static_cast<char>(length));
  } else if (length < kWideStringMark) {
    bytes.push_back(static_cast<char>(kLongLength));
    word(static_cast<std::uint32_t>(length));
  } else {
    if (length > 0xFFFFFFFEu) throw std::length_error("string too long for the document stream");
    bytes.push_back(static_cast<char>(kLongLength));
    word(kDwordLength);
    const auto value = static_cast<std::uint32_t>(length);
    word(value & 0xFFFF);
    word(value >> 16);
  }
}

}  // namespace

void ArchiveWriter::writeString(std::string_view utf8) {
  if (isAscii(utf8)) {
    putStringLength(bytes_, utf8.size());
    bytes_.append(utf8);
    return;
  }
  if (const auto narrow = utf8ToCp1251(utf8)) {
    putStringLength(bytes_, narrow->size());
    bytes_.append(*narrow);
    return;
  }
  // A character Windows-1251 cannot hold: the whole string goes in 16-bit characters.
  const std::u16string wide = utf8ToUtf16(utf8);
  bytes_.push_back(static_cast<char>(kLongLength));
  putWord(kWideStringMark);
  putStringLength(bytes_, wide.size());
  for (const char16_t unit : wide) putWord(static_cast<std::uint16_t>(unit));
}

void ArchiveWriter::writeCount(std::size_t count) {
  if (count < kDwordCount) {
    putWord(static_cast<std::uint16_t>(count));
    return;
  }
  if (count > 0xFFFFFFFFu) throw std::length_error("too many items for the document stream");
  putWord(kDwordCount);
  putDword(static_cast<std::uint32_t>(count));
}

void ArchiveWriter::writeDateTime(const COleDateTime& value) {
  writeInt(value.GetStatus());
  const double days = value.days();
  std::uint64_t bits = 0;
  std::memcpy(&bits, &days, sizeof bits);
  for (int i = 0; i < 8; ++i) bytes_.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

void ArchiveWriter::writeStringArray(const std::vector<std::string>& strings) {
  writeCount(strings.size());
  for (const auto& string : strings) writeString(string);
}

void ArchiveWriter::beginObject(std::string_view className, int schema) {
  if (schema < 0 || schema > 0xFFFF) {
    throw std::invalid_argument("schema " + std::to_string(schema) + " is outside 0..65535");
  }
  const auto written =
      std::find_if(classes_.begin(), classes_.end(), [&](const WrittenClass& c) { return c.name == className; });
  if (written == classes_.end()) {
    putWord(kNewClassTag);
    putWord(static_cast<std::uint16_t>(schema));
    putWord(static_cast<std::uint16_t>(className.size()));
    bytes_.append(className);
    classes_.push_back({className, nextNumber_++, schema});
  } else {
    if (written->schema != schema) {
      throw std::invalid_argument(std::string(className) + " records were already written with schema " +
                                  std::to_string(written->schema) + ", not " + std::to_string(schema));
    }
    if (written->number < kBigObjectTag) {
      putWord(static_cast<std::uint16_t>(kClassTag | written->number));
    } else {
      putWord(kBigObjectTag);
      putDword(kBigClassTag | written->number);
    }
  }
  if (nextNumber_ > kMaxNumber) throw std::length_error("too many objects for the document stream");
  ++nextNumber_;  // the object itself
}

}  // namespace kalvory
