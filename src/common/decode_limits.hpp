#pragma once

#include <cstddef>

namespace vantrix {

// Bounds the picture decoders hold on hostile headers. No face set comes near them.
struct DecodeLimits {
  // Largest decoded picture (pixel bytes of the output) a decoder will allocate.
  std::size_t maxDecodedBytes = std::size_t{256} << 20;
  // A zlib stream of n bytes cannot inflate to more than maxInflateRatio × n bytes: the
  // cheapest deflate code is a 258-byte match in 2 bits (1-bit length and distance codes),
  // 4 of them a byte, and the stream's header and checksum inflate to nothing.
  std::size_t maxInflateRatio = 1032;
};

inline constexpr DecodeLimits kDefaultDecodeLimits{};

}  // namespace vantrix
