#pragma once

// Builds small PNG files for the tests from readable recipes, for example
//   pngFile({ihdr(2, 1, 8, 0), idat(zlib(rows({{0, 10, 20}}))), iend()})
// Every chunk gets its correct CRC unless a recipe asks for a wrong one.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "common/bytes.hpp"

namespace vantrix::testing {

struct ChunkRecipe {
  std::string type;  // four letters
  Bytes data;
  bool breakCrc = false;  // store a CRC that differs from the right one
};

ChunkRecipe chunk(std::string type, Bytes data);
ChunkRecipe ihdr(std::uint32_t width, std::uint32_t height, std::uint8_t bitDepth,
                 std::uint8_t colourType, std::uint8_t interlace = 0);
ChunkRecipe idat(Bytes zlibData);
ChunkRecipe plte(std::uint32_t entries);  // entry i is (i, 255 - i, i / 2), by wrap
ChunkRecipe trns(Bytes data);
ChunkRecipe iend();
ChunkRecipe withBadCrc(ChunkRecipe recipe);

// The chunk with its length, type, data and CRC.
Bytes chunkBytes(const ChunkRecipe& recipe);
// The PNG signature followed by the chunks.
Bytes pngFile(std::initializer_list<ChunkRecipe> chunks);
Bytes pngFile(const std::vector<ChunkRecipe>& chunks);

// A zlib stream of the bytes (level 9).
Bytes zlib(ByteView bytes);

// Unfiltered scanlines of rows given as data bytes: each row gets filter type 0 in front.
Bytes rows(const std::vector<Bytes>& rowData);

// Filters one row of data bytes with filter type 0 to 4 (`prior` is the previous row's data
// bytes, all zero for the first row); the result starts with the filter type byte.
Bytes filterRow(std::uint8_t filterType, const Bytes& row, const Bytes& prior,
                std::size_t filterUnit);

Bytes bytesOf(std::initializer_list<int> values);

}  // namespace vantrix::testing
