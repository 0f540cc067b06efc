// The chunk CRC against zlib's crc32: every length up to 300 (the folding loop takes 64 bytes
// and more, in steps of 16 and 64), long buffers, continued sums and unaligned starts.

#include "codecs/crc32.hpp"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <vector>

namespace vantrix {
namespace {

std::vector<std::uint8_t> noise(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  std::uint32_t state = 2463534242u;
  for (auto& b : bytes) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    b = static_cast<std::uint8_t>(state);
  }
  return bytes;
}

std::uint32_t zlibCrc(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
  return static_cast<std::uint32_t>(crc32_z(crc, data, size));
}

TEST(Crc32, EqualsZlibsForEveryLengthAndStart) {
  const auto bytes = noise(400);
  for (std::size_t start : {0u, 1u, 3u, 8u, 15u}) {
    for (std::size_t size = 0; size + start <= 300 + 15; ++size) {
      ASSERT_EQ(crc32Of(0, bytes.data() + start, size), zlibCrc(0, bytes.data() + start, size))
          << "start " << start << ", size " << size;
    }
  }
}

TEST(Crc32, EqualsZlibsForLongAndContinuedSums) {
  const auto bytes = noise(1 << 20);
  EXPECT_EQ(crc32Of(0, bytes.data(), bytes.size()), zlibCrc(0, bytes.data(), bytes.size()));
  // A chunk's CRC starts over its type, then goes on over its data.
  std::uint32_t crc = crc32Of(0, bytes.data(), 4);
  crc = crc32Of(crc, bytes.data() + 4, 100000);
  EXPECT_EQ(crc, zlibCrc(0, bytes.data(), 100004));
  for (std::uint32_t seed : {0u, 1u, 0xFFFFFFFFu, 0x12345678u}) {
    EXPECT_EQ(crc32Of(seed, bytes.data() + 7, 5000), zlibCrc(seed, bytes.data() + 7, 5000)) << seed;
  }
  // All zero and all one bytes.
  const std::vector<std::uint8_t> zeros(1000, 0), ones(1000, 0xFF);
  EXPECT_EQ(crc32Of(0, zeros.data(), zeros.size()), zlibCrc(0, zeros.data(), zeros.size()));
  EXPECT_EQ(crc32Of(0, ones.data(), ones.size()), zlibCrc(0, ones.data(), ones.size()));
}

}  // namespace
}  // namespace vantrix
