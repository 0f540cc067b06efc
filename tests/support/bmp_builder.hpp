#pragma once

// Builds small BMP files for tests from readable recipes: the header fields by name, the
// palette as canvas colours and the pixels as rows of indices.

#include <cstdint>
#include <optional>
#include <vector>

#include "support/bytes_io.hpp"

namespace vantrix::testing {

using IndexRows = std::vector<std::vector<std::uint8_t>>;

struct BmpRecipe {
  std::int32_t width = 1;
  std::int32_t height = 1;  // negative: rows stored top row first
  std::uint16_t bitsPerPixel = 8;
  std::uint16_t planes = 1;
  std::uint32_t compression = 0;
  std::uint32_t infoSize = 40;         // 12 writes the OS/2 header and 3-byte palette entries
  std::vector<std::uint32_t> palette;  // 0x00BBGGRR, written as blue, green, red (, 0)
  // Where the pixels start; by default right after the palette. 0 is written as 0, with the
  // pixels right after the palette.
  std::optional<std::uint32_t> dataOffset;
  Bytes pixelData;  // exactly as stored after the data offset
};

Bytes buildBmp(const BmpRecipe& recipe);

// Rows given top row first, packed at 1, 4 or 8 bits a pixel (most significant bits first),
// each padded to 4 bytes, stored bottom row first unless `topDown`.
Bytes packRows(const IndexRows& rows, int bitsPerPixel, bool topDown = false);

// A palette of `count` distinct colours that are not the canvas's default ones.
std::vector<std::uint32_t> distinctPalette(std::size_t count);

}  // namespace vantrix::testing
