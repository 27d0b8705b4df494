// Windows icon files: a directory of pictures, each a bare bitmap (colour rows followed by a
// transparency mask) or, in newer icons, a whole PNG file.

#include <cstring>

#include "core/wallpaper/image_readers.h"

namespace kalvory::image_readers {

Result<void> ReadIco(Bytes data, CDibImage& out) {
  constexpr std::size_t kHeaderSize = 6;
  constexpr std::size_t kEntrySize = 16;
  if (data.size() < kHeaderSize) return Failure{"The icon file is truncated"};
  if (ReadU16(data.data()) != 0 || ReadU16(data.data() + 2) != 1) return Failure{"Not an icon file"};
  const int count = ReadU16(data.data() + 4);
  if (count == 0) return Failure{"The icon file holds no image"};
  if (kHeaderSize + kEntrySize * static_cast<std::size_t>(count) > data.size())
    return Failure{"The icon file is truncated"};
  const int wanted = out.GetFrame();
  if (wanted < 0 || wanted >= count) return Failure{"The icon image is not present"};
  const std::uint8_t* entry = data.data() + kHeaderSize + kEntrySize * static_cast<std::size_t>(wanted);
  const std::uint64_t size = ReadU32(entry + 8);
  const std::uint64_t offset = ReadU32(entry + 12);
  if (offset > data.size() || size > data.size() - offset) return Failure{"The icon file is truncated"};
  const Bytes picture = data.subspan(offset, size);
  // The depth and size come from the picture's own header, which also decodes 24- and 32-bit
  // icons correctly; the directory's colour count is often zero or wrong.
  static constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Result<void> read;
  if (picture.size() >= 8 && std::memcmp(picture.data(), kPngSignature, 8) == 0) {
    const int frame = out.GetFrame();
    out.SetFrame(0);
    read = ReadPng(picture, out);
    out.SetFrame(frame);
  } else {
    read = ReadIconBitmap(picture, out);
  }
  out.SetNumFrames(count);
  return read;
}

}  // namespace kalvory::image_readers
