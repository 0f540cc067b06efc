#pragma once

// XYZ pictures, RPG Maker 2000's own format (see README.md here): "XYZ1", a 16-bit width and
// height, then one zlib stream of 256 RGB colours and the palette indices.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/arena.hpp"
#include "common/bytes.hpp"
#include "common/decode_limits.hpp"
#include "image/picture_target.hpp"
#include "vantrix/codecs.hpp"

namespace vantrix {

// Why an XYZ picture gave no image.
enum class XyzError {
  none,
  badMagic,        // the first four bytes are not "XYZ1"
  shortHeader,     // the file ends before its width and height
  emptyImage,      // width or height is 0
  tooLarge,        // the pixels would take more than the decode limit
  cannotHoldData,  // the compressed data is too short to inflate to the palette and pixels
  damagedStream,   // the zlib stream is corrupt
  cutStream,       // the zlib stream ends before its end marker
  overCapacity,    // the stream inflates to more than the pixels and 1 MiB of trailing bytes
  shortStream,     // the stream ends before the palette and every pixel
  outOfMemory,     // the target could not take the picture
  badImage,        // writing: a side is 0 or above 65,535, or the indices are not all there
  compressFailed,  // writing: zlib could not compress
};

std::string_view toString(XyzError error);

// The colours of an XYZ picture as the file holds them: red, green, blue of each of 256.
using XyzColours = std::array<std::uint8_t, 768>;

// Decodes an XYZ file: its colours into `colours`, and the kept corner of its palette indices
// (see DecodeLimits) into `target`, a row at a time, top first. The whole stream is inflated
// and checked all the same. On any result but XyzError::none what the target and `colours`
// hold is of no use.
XyzError decodeXyz(ByteView file, PictureTarget& target, XyzColours& colours,
                   const DecodeLimits& limits, Arena& memory);

#ifndef VANTRIX_NO_ZLIB
// The bytes of an XYZ file of the picture (its palette's colours 0xRRGGBB), compressed by
// zlib; the stream carries 1 MiB of zero bytes after the pixels, as the engine's writer
// leaves them. Left out of builds without zlib.
std::optional<Bytes> encodeXyz(const IndexedImage& image, XyzError& why);
#endif

}  // namespace vantrix
