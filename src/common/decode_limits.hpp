#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrix {

// Columns [left, right) of rows [top, bottom) of a picture.
struct PixelArea {
  std::uint32_t left = 0;
  std::uint32_t top = 0;
  std::uint32_t right = UINT32_MAX;
  std::uint32_t bottom = UINT32_MAX;
};

// Bounds the picture decoders refuse hostile headers by. No face set comes near them.
struct DecodeLimits {
  // Most bytes a picture may take decoded: PNG's whole picture of 32-bit pixels in rows padded
  // to 32 bytes plus its inflated scanlines, XYZ's palette indices in rows padded to 16 bytes,
  // counted for the whole picture whatever part of it is kept. (A decode holds far less: the
  // data is inflated through a window and only the kept part goes to the caller.)
  std::size_t maxDecodedBytes = std::size_t{200} << 20;
  // A zlib stream of n bytes cannot inflate to more than maxInflateRatio × n bytes: the
  // cheapest deflate code is a 258-byte match in 2 bits (1-bit length and distance codes),
  // 4 of them a byte, and the stream's header and checksum inflate to nothing.
  std::size_t maxInflateRatio = 1032;
  // The caller is given only the top-left keptWidth × keptHeight pixels; the rest is decoded
  // and checked all the same but not held, so a caller that needs a corner (a face set's 192 ×
  // 192) pays memory for that corner only. The refusal above still counts the whole picture.
  std::uint32_t keptWidth = UINT32_MAX;
  std::uint32_t keptHeight = UINT32_MAX;
  // The kept pixels a caller looks at; the others are left unspecified. A PNG decode checks
  // the whole file all the same (every chunk, the whole image data with its checksum, every
  // row's filter type), but of a plain image it undoes the filters only left of and above
  // the area's right and bottom edges (a pixel depends on none below or right of it) and
  // converts only the pixels in it.
  PixelArea shown{};
  // The window the data is inflated through; each time it fills, its last 32 KiB move back
  // to its start. A 64 KiB window moves a byte for each byte inflated, a 1 MiB one a byte
  // for thirty; a smaller one takes fewer fresh pages, which in a conversion, whose face
  // sets are small, cost more than the moves. At least 36 KiB.
  std::size_t window = std::size_t{64} << 10;
};

inline constexpr DecodeLimits kDefaultDecodeLimits{};

}  // namespace vantrix
