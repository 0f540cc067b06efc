#pragma once

#include <cstddef>

namespace vantrix {

// Bounds the picture decoders hold on hostile headers. No face set comes near them.
struct DecodeLimits {
  // Most bytes a decode holds for a picture at once: its output image with the row padding
  // of the widest output form, plus the inflated PNG scanlines beside it (XYZ's true-colour
  // form: its index image too). XYZ's index image is inflated in place with the 1 MiB its
  // stream may run on after the pixels, which is not counted. With a 16 MiB input file held twice (the file and PNG's
  // joined image data), a conversion then stays under 256 MiB.
  std::size_t maxDecodedBytes = std::size_t{200} << 20;
  // A zlib stream of n bytes cannot inflate to more than maxInflateRatio × n bytes: the
  // cheapest deflate code is a 258-byte match in 2 bits (1-bit length and distance codes),
  // 4 of them a byte, and the stream's header and checksum inflate to nothing.
  std::size_t maxInflateRatio = 1032;
};

inline constexpr DecodeLimits kDefaultDecodeLimits{};

}  // namespace vantrix
