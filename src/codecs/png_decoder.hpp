#pragma once

// The PNG decoder: every colour type and bit depth, plain or Adam7, to 32-bit pixels.
// Sixteen-bit samples keep their high byte, a "tRNS" colour key gives alpha 0, and no gamma,
// background or colour-space correction is applied.

#include <array>
#include <cstdint>
#include <span>

#include "codecs/png_error.hpp"
#include "common/arena.hpp"
#include "common/bytes.hpp"
#include "common/decode_limits.hpp"
#include "image/picture_target.hpp"

namespace vantrix {

// Where a PNG decode puts its pixels. A plain picture of 8-bit palette indices may be taken as
// the indices themselves, one byte a pixel.
class PngTarget : public PictureTarget {
 public:
  // Asked, in a decode to PngPixels::argb, before begin of a plain picture of 8-bit palette
  // indices whose kept corner is `width` × `height`: true has its rows come as the indices,
  // which stand for `colours` (0xAARRGGBB).
  virtual bool takesIndices(std::uint32_t /*width*/, std::uint32_t /*height*/,
                            const std::array<std::uint32_t, 256>& /*colours*/) {
    return false;
  }

 protected:
  ~PngTarget() = default;
};

// How a 32-bit pixel is stored: the value 0xAARRGGBB little-endian (blue first), or the bytes
// red, green, blue, alpha.
enum class PngPixels { argb, rgba };

// Decodes a whole PNG file held in memory into `target`: the kept corner of the picture (see
// DecodeLimits), and of a plain picture only the shown part of it. The file is checked whole
// all the same: every chunk and its CRC, the whole image data with its checksum, every row's
// filter type. On any result but PngError::none what the target holds is of no use.
PngError decodePng(ByteView file, PngTarget& target, PngPixels pixels, const DecodeLimits& limits,
                   Arena& memory);

// decodePng that may overwrite the file's bytes, to join image data held in several chunks
// without a copy of it.
PngError decodePngInPlace(std::span<std::uint8_t> file, PngTarget& target, PngPixels pixels,
                          const DecodeLimits& limits, Arena& memory);

}  // namespace vantrix
