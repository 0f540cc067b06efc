#pragma once

// The PNG decoders the benchmarks compare, each behind one call: decode a whole PNG file held
// in memory to 8-bit RGBA (bytes red, green, blue, alpha) in a buffer it allocates itself.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace bench {

struct Decoded {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  // The pixels, width × height × 4 bytes, kept alive by `owner`; null when the decoder refused
  // the file.
  std::shared_ptr<void> owner;
  const std::uint8_t* pixels = nullptr;
};

struct Decoder {
  const char* name;
  Decoded (*decode)(std::span<const std::uint8_t> png);
};

// vantrix first; then libspng, libpng, stb_image and lodepng.
const std::vector<Decoder>& decoders();

}  // namespace bench
