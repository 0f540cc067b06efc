#pragma once

// Builds XYZ files for tests: the header and a zlib stream of exactly the bytes given, as
// another writer might make them.

#include <cstdint>

#include "support/bytes_io.hpp"

namespace vantrix::testing {

// zlib's stream of `bytes` at the given level.
Bytes zlibStream(const Bytes& bytes, int level = 6);

// "XYZ1", width and height, then `stream`.
Bytes xyzFile(std::uint16_t width, std::uint16_t height, const Bytes& stream);

// What an XYZ stream inflates to: 768 palette bytes (entry i is red i, green 255 - i, blue
// i / 2), the pixels (x + 3y) mod 256, then `trailing` bytes of 0x77.
Bytes xyzContent(std::uint16_t width, std::uint16_t height, std::size_t trailing = 0);

}  // namespace vantrix::testing
