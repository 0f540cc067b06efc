#include "support/bmp_builder.hpp"

namespace vantrix::testing {

Bytes buildBmp(const BmpRecipe& recipe) {
  const bool os2 = recipe.infoSize == 12;
  const std::uint32_t entrySize = os2 ? 3 : 4;
  const auto paletteBytes = static_cast<std::uint32_t>(recipe.palette.size()) * entrySize;
  const std::uint32_t offset = recipe.dataOffset.value_or(14 + recipe.infoSize + paletteBytes);
  Bytes file;
  file.push_back('B');
  file.push_back('M');
  putLe32(file, offset + static_cast<std::uint32_t>(recipe.pixelData.size()));
  putLe32(file, 0);
  putLe32(file, offset);
  putLe32(file, recipe.infoSize);
  if (os2) {
    putLe16(file, static_cast<std::uint32_t>(recipe.width));
    putLe16(file, static_cast<std::uint32_t>(recipe.height));
    putLe16(file, recipe.planes);
    putLe16(file, recipe.bitsPerPixel);
  } else {
    putLe32(file, static_cast<std::uint32_t>(recipe.width));
    putLe32(file, static_cast<std::uint32_t>(recipe.height));
    putLe16(file, recipe.planes);
    putLe16(file, recipe.bitsPerPixel);
    putLe32(file, recipe.compression);
    putLe32(file, static_cast<std::uint32_t>(recipe.pixelData.size()));
    putLe32(file, 2834);
    putLe32(file, 2834);
    putLe32(file, static_cast<std::uint32_t>(recipe.palette.size()));
    putLe32(file, 0);
    // Larger headers (masks, colour space) are zeros here.
    file.resize(14 + recipe.infoSize, 0);
  }
  for (std::uint32_t colour : recipe.palette) {
    file.push_back(static_cast<std::uint8_t>(colour >> 16));
    file.push_back(static_cast<std::uint8_t>(colour >> 8));
    file.push_back(static_cast<std::uint8_t>(colour));
    if (!os2) file.push_back(0);
  }
  // A data offset of 0 stands for "right after the palette".
  const std::uint32_t pixelsAt = offset != 0 ? offset : 14 + recipe.infoSize + paletteBytes;
  file.resize(pixelsAt, 0);
  file.insert(file.end(), recipe.pixelData.begin(), recipe.pixelData.end());
  return file;
}

Bytes packRows(const IndexRows& rows, int bitsPerPixel, bool topDown) {
  Bytes data;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto& row = rows[topDown ? i : rows.size() - 1 - i];
    const std::size_t start = data.size();
    const auto bits = static_cast<std::size_t>(bitsPerPixel);
    Bytes packed((row.size() * bits + 7) / 8, 0);
    for (std::size_t x = 0; x < row.size(); ++x) {
      const std::size_t bit = x * bits;
      const auto shift = static_cast<int>(8 - bits - bit % 8);
      packed[bit / 8] = static_cast<std::uint8_t>(packed[bit / 8] | (row[x] << shift));
    }
    data.insert(data.end(), packed.begin(), packed.end());
    while ((data.size() - start) % 4 != 0)
      data.push_back(0);
  }
  return data;
}

std::vector<std::uint32_t> distinctPalette(std::size_t count) {
  std::vector<std::uint32_t> palette;
  for (std::size_t i = 0; i < count; ++i) {
    const auto n = static_cast<std::uint32_t>(i);
    palette.push_back((n & 0xFF) | ((255 - (n & 0xFF)) << 8) | (((n * 7 + 1) & 0xFF) << 16));
  }
  return palette;
}

}  // namespace vantrix::testing
