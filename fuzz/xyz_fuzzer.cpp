// The XYZ decoder in both reading forms: the palette-index image with its table, and the
// true-colour image, which must be that table applied to those indices. A decode that keeps
// a corner accepts and refuses alike and gives that corner's indices.

#include <algorithm>

#include "codecs/xyz.hpp"
#include "fuzz_target.hpp"
#include "image/canvas.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrix;
  const ByteView file(data, size);
  // The face loader's flags, and the ones the true-colour form uses inside.
  PaletteTable sixBitTable{};
  XyzError indexedWhy = XyzError::none;
  const auto indices = decodeXyzImage(file, sixBitTable, true, false, &indexedWhy);
  FUZZ_CHECK(indices.has_value() == (indexedWhy == XyzError::none));

  PaletteTable table{};
  XyzError rgbWhy = XyzError::none;
  const auto sameIndices = decodeXyzImage(file, table, false, true, &rgbWhy);
  FUZZ_CHECK(rgbWhy == indexedWhy);

  XyzError colourWhy = XyzError::none;
  const auto colours = decodeXyzImageTrueColour(file, true, &colourWhy);
  FUZZ_CHECK(colours.has_value() == (colourWhy == XyzError::none));
  // The colour image may be refused as too large where the indices are not.
  if (colourWhy != XyzError::tooLarge) FUZZ_CHECK(colourWhy == indexedWhy);

  DecodeLimits corner;
  corner.keptWidth = 7;
  corner.keptHeight = 5;
  PaletteTable cornerTable{};
  XyzError cornerWhy = XyzError::none;
  // Inflated into memory lent to it, which holds bytes of no meaning.
  const auto part =
      decodeXyzImage(file, cornerTable, true, false, &cornerWhy, corner, PixelBytes(4099, 0xA5));
  FUZZ_CHECK(cornerWhy == indexedWhy && part.has_value() == indices.has_value());
  if (!indices) return 0;
  FUZZ_CHECK(cornerTable == sixBitTable);
  FUZZ_CHECK(part->width() == std::min(indices->width(), 7u));
  FUZZ_CHECK(part->height() == std::min(indices->height(), 5u));
  for (std::uint32_t y = 0; y < part->height(); ++y) {
    for (std::uint32_t x = 0; x < part->width(); ++x)
      FUZZ_CHECK(part->row(y)[x] == indices->row(y)[x]);
  }

  FUZZ_CHECK(sameIndices && indices->bytes().size() == sameIndices->bytes().size());
  FUZZ_CHECK(indices->bytesPerPixel() == 1 && indices->layout() == PixelLayout::full);
  FUZZ_CHECK(indices->pitch() % 16 == 0 && indices->pitch() >= indices->width());
  for (std::size_t i = 0; i < 256; ++i) {
    FUZZ_CHECK(sixBitTable[i] >> 24 == 0xFF && (sixBitTable[i] & 0xC0C0C0) == 0);
  }
  if (colours) {
    FUZZ_CHECK(colours->width() == indices->width() && colours->height() == indices->height());
    for (std::uint32_t y = 0; y < indices->height(); ++y) {
      for (std::uint32_t x = 0; x < indices->width(); ++x) {
        const std::uint8_t index = indices->row(y)[x];
        const std::uint32_t expected = index == 0 ? 0x00FF00FFu : table[index];
        FUZZ_CHECK(loadPixel32(colours->row(y) + 4 * x) == expected);
      }
    }
  }

  // As the face loader draws it.
  Canvas canvas;
  FUZZ_CHECK(canvas.createCanvas(192, 192, 8) == ImageStatus::success);
  for (int i = 0; i < 256; ++i)
    canvas.setPaletteColour(i, sixBitTable[static_cast<std::size_t>(i)]);
  FUZZ_CHECK(canvas.putImage(*indices, 0, 0) == ImageStatus::success);
  return 0;
}
