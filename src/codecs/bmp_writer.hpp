#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "image/palette.hpp"

namespace vantrix {

// A picture to write: `height` rows of `width` pixels, top row first, `pitch` bytes apart;
// one byte a pixel (palette indices) or four (0xAARRGGBB, stored blue, green, red, alpha).
struct BmpPicture {
  const std::uint8_t* pixels = nullptr;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::size_t pitch = 0;
  int bytesPerPixel = 1;
};

// How a picture of palette indices is written: as an 8-bit BMP holding all 256 entries of the
// palette (3,382 bytes for 48 × 48), or as the 24-bit BMP of the colours (0xAARRGGBB) its
// indices stand for in the palette. A picture of four bytes a pixel is always written as a
// 24-bit BMP without alpha (6,966 bytes for 48 × 48).
enum class BmpIndices { paletted, trueColour };

// The size of the picture's BMP file, or nothing when a BMP header cannot hold it.
std::optional<std::size_t> bmpFileSize(const BmpPicture& picture, BmpIndices indices);

// Writes the picture's BMP file, rows bottom first, into the start of `file` and returns its
// size; 0 when it cannot be written as BMP or does not fit.
std::size_t encodeBmp(const BmpPicture& picture, const Palette& palette,
                      std::span<std::uint8_t> file, BmpIndices indices = BmpIndices::paletted);

}  // namespace vantrix
