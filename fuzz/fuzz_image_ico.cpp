// Fuzzes the ICO reader.
#include "fuzz_image_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return kalvory::fuzzing::FuzzImageReader(data, size, kalvory::kImageFormatIco);
}
