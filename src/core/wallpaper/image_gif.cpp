// GIF files, with the variable-length LZW decoder of the format.

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/wallpaper/image_readers.h"

namespace kalvory::image_readers {

namespace {

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr int kMaxCodes = 4096;

const char* const kTruncated = "The GIF file is truncated";

class Cursor {
 public:
  explicit Cursor(Bytes data) : data_(data) {}
  bool Byte(std::uint8_t& value) {
    if (pos_ >= data_.size()) return false;
    value = data_[pos_++];
    return true;
  }
  const std::uint8_t* Take(std::size_t count) {
    if (count > data_.size() - pos_) return nullptr;
    const std::uint8_t* p = data_.data() + pos_;
    pos_ += count;
    return p;
  }
  // Walks a chain of sub-blocks up to its zero-length terminator; appends their bytes to
  // collected when given.
  bool SubBlocks(std::vector<std::uint8_t>* collected) {
    for (;;) {
      std::uint8_t length = 0;
      if (!Byte(length)) return false;
      if (length == 0) return true;
      const std::uint8_t* p = Take(length);
      if (p == nullptr) return false;
      if (collected) collected->insert(collected->end(), p, p + length);
    }
  }

 private:
  Bytes data_;
  std::size_t pos_ = 0;
};

// Receives decoded palette indices in the file's row order, which for interlaced pictures is
// rows 0, 8, 16, ... then 4, 12, ... then 2, 6, ... then 1, 3, ...
class RowWriter {
 public:
  RowWriter(CDibImage& image, bool interlaced)
      : image_(image), width_(image.Width()), height_(image.Height()), interlaced_(interlaced) {
    row_ = image_.ScanLine(0);
  }
  bool Full() const { return done_; }
  void Put(const std::uint8_t* indices, int count) {
    while (count > 0 && !done_) {
      const int n = std::min(count, width_ - x_);
      std::memcpy(row_ + x_, indices, static_cast<std::size_t>(n));
      indices += n;
      count -= n;
      x_ += n;
      if (x_ == width_) NextRow();
    }
  }

 private:
  void NextRow() {
    x_ = 0;
    if (++rowsDone_ == height_) {
      done_ = true;
      return;
    }
    if (interlaced_) {
      static constexpr int kStart[4] = {0, 4, 2, 1};
      static constexpr int kStep[4] = {8, 8, 4, 2};
      y_ += kStep[pass_];
      while (y_ >= height_) {
        ++pass_;  // rowsDone_ < height_ guarantees a pass with rows left
        y_ = kStart[pass_];
      }
    } else {
      ++y_;
    }
    row_ = image_.ScanLine(y_);
  }

  CDibImage& image_;
  int width_, height_;
  bool interlaced_;
  int x_ = 0, y_ = 0, pass_ = 0, rowsDone_ = 0;
  bool done_ = false;
  std::uint8_t* row_ = nullptr;
};

Result<void> DecodeLzw(const std::vector<std::uint8_t>& data, int minimumCodeSize, RowWriter& writer) {
  if (minimumCodeSize < 1 || minimumCodeSize > 8) return Failure{"Invalid LZW code size in the GIF file"};
  std::vector<std::uint16_t> prefix(kMaxCodes);
  std::vector<std::uint8_t> suffix(kMaxCodes), first(kMaxCodes);
  std::vector<std::uint8_t> stack(kMaxCodes);
  const int clear = 1 << minimumCodeSize;
  const int endOfInformation = clear + 1;
  for (int i = 0; i < clear; ++i) {
    suffix[i] = first[i] = static_cast<std::uint8_t>(i);
  }
  int codeSize = minimumCodeSize + 1;
  int next = clear + 2;
  int previous = -1;

  std::uint32_t bits = 0;
  int bitCount = 0;
  std::size_t pos = 0;
  while (!writer.Full()) {
    while (bitCount < codeSize && pos < data.size()) {
      bits |= static_cast<std::uint32_t>(data[pos++]) << bitCount;
      bitCount += 8;
    }
    if (bitCount < codeSize) break;  // the data ended without an end code
    const int code = static_cast<int>(bits & ((1u << codeSize) - 1));
    bits >>= codeSize;
    bitCount -= codeSize;

    if (code == clear) {
      codeSize = minimumCodeSize + 1;
      next = clear + 2;
      previous = -1;
      continue;
    }
    if (code == endOfInformation) break;
    if (previous < 0) {
      if (code > clear) return Failure{"Invalid LZW code in the GIF file"};
      const auto literal = static_cast<std::uint8_t>(code);
      writer.Put(&literal, 1);
      previous = code;
      continue;
    }
    if (code > next || (code == next && next >= kMaxCodes)) return Failure{"Invalid LZW code in the GIF file"};
    // Unwind the string of the code (or, for the code being defined, of the previous code
    // followed by its own first byte) from its last byte to its first.
    int top = kMaxCodes;
    int walk = code;
    if (code == next) {
      stack[--top] = first[previous];
      walk = previous;
    }
    while (walk > endOfInformation) {
      stack[--top] = suffix[walk];
      walk = prefix[walk];
    }
    stack[--top] = static_cast<std::uint8_t>(walk);
    if (next < kMaxCodes) {
      prefix[next] = static_cast<std::uint16_t>(previous);
      suffix[next] = stack[top];
      first[next] = first[previous];
      ++next;
      if (next == (1 << codeSize) && codeSize < 12) ++codeSize;
    }
    writer.Put(stack.data() + top, kMaxCodes - top);
    previous = code;
  }
  if (!writer.Full()) return Failure{"The GIF picture data are incomplete"};
  return {};
}

Result<void> DecodeFrame(const std::uint8_t* descriptor, const std::uint8_t* table, int tableEntries, int transparent,
                         const std::vector<std::uint8_t>& lzw, int minimumCodeSize, CDibImage& out) {
  const int width = ReadU16(descriptor + 4);
  const int height = ReadU16(descriptor + 6);
  const bool interlaced = (descriptor[8] & 0x40) != 0;
  if (width == 0 || height == 0) return Failure{"Invalid picture size"};
  if (auto created = out.Create(width, height, 8); !created.ok()) return created;
  bool hasWhite = false;
  for (int i = 0; i < 256; ++i) {
    if (i < tableEntries) {
      const std::uint8_t* e = table + 3 * i;
      out.SetPaletteColor(i, {e[2], e[1], e[0], 0});
      hasWhite = hasWhite || (e[0] == 255 && e[1] == 255 && e[2] == 255);
    } else {
      out.SetPaletteColor(i, {255, 255, 255, 0});
    }
  }
  if (transparent >= 0) out.SetPaletteColor(transparent, {0, 0, 0, 0});

  // A picture with a transparent colour always keeps a white entry: a full table without one
  // gives up its last entry to white, and pixels of that entry are drawn white.
  if (transparent >= 0 && !hasWhite && tableEntries == 256) out.SetPaletteColor(255, {255, 255, 255, 0});

  RowWriter writer(out, interlaced);
  return DecodeLzw(lzw, minimumCodeSize, writer);
}

}  // namespace

// The requested frame (0 is the first image) is decoded at its own size; the reader walks the
// file to count the frames and refuses a file whose block structure is cut short.
Result<void> ReadGif(Bytes data, CDibImage& out) {
  if (data.size() < 4 || std::memcmp(data.data(), "GIF8", 4) != 0) return Failure{"Not a GIF file"};
  Cursor cursor(data);
  const std::uint8_t* screen = cursor.Take(13);
  if (screen == nullptr) return Failure{kTruncated};
  const std::uint8_t* globalTable = nullptr;
  int globalEntries = 0;
  if (screen[10] & 0x80) {
    globalEntries = 2 << (screen[10] & 7);
    globalTable = cursor.Take(3 * static_cast<std::size_t>(globalEntries));
    if (globalTable == nullptr) return Failure{kTruncated};
  }

  const int wanted = out.GetFrame();
  int frames = 0;
  int transparent = -1;  // from the graphic control extension of the coming image
  bool decoded = false;
  std::vector<std::uint8_t> lzw;
  for (;;) {
    std::uint8_t block = 0;
    if (!cursor.Byte(block)) return Failure{kTruncated};
    if (block == kTrailer) break;
    if (block == kExtensionIntroducer) {
      std::uint8_t label = 0;
      if (!cursor.Byte(label)) return Failure{kTruncated};
      std::vector<std::uint8_t> body;
      if (!cursor.SubBlocks(label == kGraphicControlLabel ? &body : nullptr)) return Failure{kTruncated};
      if (label == kGraphicControlLabel && body.size() >= 4) transparent = (body[0] & 1) ? body[3] : -1;
      continue;
    }
    if (block == kImageSeparator) {
      const std::uint8_t* descriptor = cursor.Take(9);
      if (descriptor == nullptr) return Failure{kTruncated};
      const std::uint8_t* table = globalTable;
      int entries = globalEntries;
      if (descriptor[8] & 0x80) {
        entries = 2 << (descriptor[8] & 7);
        table = cursor.Take(3 * static_cast<std::size_t>(entries));
      }
      std::uint8_t minimumCodeSize = 0;
      if ((descriptor[8] & 0x80 && table == nullptr) || !cursor.Byte(minimumCodeSize)) return Failure{kTruncated};
      const bool selected = frames == wanted;
      lzw.clear();
      if (!cursor.SubBlocks(selected ? &lzw : nullptr)) return Failure{kTruncated};
      if (selected) {
        Result<void> frame = DecodeFrame(descriptor, table, entries, transparent, lzw, minimumCodeSize, out);
        if (!frame.ok()) return frame;
        out.SetTransIndex(transparent);
        decoded = true;
      }
      ++frames;
      transparent = -1;
      continue;
    }
    // Anything else ends the file once the wanted frame is in hand; before that, a stray
    // byte (some writers leave an extra zero between blocks) is passed over.
    if (decoded) break;
  }
  if (!decoded) return Failure{frames == 0 ? "The GIF file holds no image" : "The GIF frame is not present"};
  out.SetNumFrames(frames);
  return {};
}

}  // namespace kalvory::image_readers
