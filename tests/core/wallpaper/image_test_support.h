#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/wallpaper/dib_image.h"
#include "image_builders.h"
#include "support/result_assertions.h"

namespace kalvory::test {

inline Result<void> Decode(CDibImage& image, const ByteVector& bytes, int format) {
  return image.LoadFromMemory(std::span<const std::uint8_t>(bytes.data(), bytes.size()), format);
}

// Every shortened copy of a good file must be refused with an error and leave the picture
// already held untouched.
inline void ExpectEveryTruncationFails(const ByteVector& bytes, int format) {
  CDibImage image;
  ASSERT_TRUE(test::Succeeded(image.Create(3, 2, 24)));
  image.ScanLine(0)[0] = 0x5A;
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    ByteVector cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    // A refusal always says why.
    EXPECT_FALSE(Decode(image, cut, format).error().empty())
        << "a file cut to " << size << " of " << bytes.size() << " bytes was read";
    ASSERT_EQ(image.Width(), 3) << size;
    ASSERT_EQ(image.ScanLine(0)[0], 0x5A) << size;
  }
  EXPECT_TRUE(test::Succeeded(Decode(image, bytes, format)));
}

inline std::string Colour(const RgbQuad& c) {
  return std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue);
}

}  // namespace kalvory::test
