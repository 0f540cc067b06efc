#include "support/png_builder.hpp"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace vantrix::testing {
namespace {

void writeBe32(std::uint8_t* out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    out[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

}  // namespace

Bytes bytesOf(std::initializer_list<int> values) {
  Bytes out;
  for (int v : values)
    out.push_back(static_cast<std::uint8_t>(v));
  return out;
}

ChunkRecipe chunk(std::string type, Bytes data) {
  return {std::move(type), std::move(data)};
}

ChunkRecipe ihdr(std::uint32_t width, std::uint32_t height, std::uint8_t bitDepth,
                 std::uint8_t colourType, std::uint8_t interlace) {
  Bytes data(13, 0);
  writeBe32(data.data(), width);
  writeBe32(data.data() + 4, height);
  data[8] = bitDepth;
  data[9] = colourType;
  data[12] = interlace;
  return chunk("IHDR", data);
}

ChunkRecipe idat(Bytes zlibData) {
  return chunk("IDAT", std::move(zlibData));
}

ChunkRecipe plte(std::uint32_t entries) {
  Bytes data;
  for (std::uint32_t i = 0; i < entries; ++i) {
    data.push_back(static_cast<std::uint8_t>(i));
    data.push_back(static_cast<std::uint8_t>(255 - i));
    data.push_back(static_cast<std::uint8_t>(i / 2));
  }
  return chunk("PLTE", data);
}

ChunkRecipe trns(Bytes data) {
  return chunk("tRNS", std::move(data));
}

ChunkRecipe iend() {
  return chunk("IEND", {});
}

ChunkRecipe withBadCrc(ChunkRecipe recipe) {
  recipe.breakCrc = true;
  return recipe;
}

Bytes chunkBytes(const ChunkRecipe& recipe) {
  if (recipe.type.size() != 4) throw std::invalid_argument("a chunk type has four letters");
  const std::size_t length = recipe.data.size();
  Bytes out(12 + length);
  writeBe32(out.data(), static_cast<std::uint32_t>(length));
  std::copy(recipe.type.begin(), recipe.type.end(), out.begin() + 4);
  std::copy(recipe.data.begin(), recipe.data.end(), out.begin() + 8);
  uLong crc = crc32(0L, out.data() + 4, static_cast<uInt>(length + 4));
  if (recipe.breakCrc) crc ^= 1;
  writeBe32(out.data() + 8 + length, static_cast<std::uint32_t>(crc));
  return out;
}

Bytes pngFile(const std::vector<ChunkRecipe>& chunks) {
  Bytes out = bytesOf({137, 80, 78, 71, 13, 10, 26, 10});
  for (const ChunkRecipe& recipe : chunks) {
    Bytes bytes = chunkBytes(recipe);
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

Bytes pngFile(std::initializer_list<ChunkRecipe> chunks) {
  return pngFile(std::vector<ChunkRecipe>(chunks));
}

Bytes zlib(ByteView bytes) {
  uLongf size = compressBound(static_cast<uLong>(bytes.size()));
  Bytes out(size);
  if (compress2(out.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()), 9) != Z_OK) {
    throw std::runtime_error("compress2 failed");
  }
  out.resize(size);
  return out;
}

Bytes rows(const std::vector<Bytes>& rowData) {
  Bytes out;
  for (const Bytes& row : rowData) {
    out.push_back(0);
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

Bytes filterRow(std::uint8_t filterType, const Bytes& row, const Bytes& prior,
                std::size_t filterUnit) {
  Bytes out{filterType};
  for (std::size_t i = 0; i < row.size(); ++i) {
    const int a = i >= filterUnit ? row[i - filterUnit] : 0;
    const int b = prior[i];
    const int c = i >= filterUnit ? prior[i - filterUnit] : 0;
    int predictor = 0;
    switch (filterType) {
      case 1:
        predictor = a;
        break;
      case 2:
        predictor = b;
        break;
      case 3:
        predictor = (a + b) / 2;
        break;
      case 4: {
        const int p = a + b - c;
        const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        break;
      }
      default:
        break;
    }
    out.push_back(static_cast<std::uint8_t>(row[i] - predictor));
  }
  return out;
}

}  // namespace vantrix::testing
