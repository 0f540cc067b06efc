#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "common/bytes.hpp"
#include "image/palette.hpp"
#include "image/picture_target.hpp"

namespace vantrix {

// Why a BMP picture was not drawn, or drawn only in part.
enum class BmpError {
  none,
  // A damaged or unsupported file: a short or inconsistent header, a depth other than 1, 4
  // or 8 bits (more than 32), a short palette, or pixel data that ends early, which keeps
  // the palette and the rows drawn before it.
  damaged,
  moreThan8Bits,  // 9 to 32 bits a pixel, which a picture of palette indices cannot show
  outOfMemory,    // the target could not take the picture
};

std::string_view toString(BmpError error);

// Draws a BMP picture (1, 4 or 8 bits a pixel; uncompressed, RLE8 or RLE4; bottom-up or
// top-down; Windows or OS/2 headers) at (0, 0) on a picture of palette indices `width` ×
// `height` pixels large, whose rows go to `target` (clipped to it), and puts its colours
// into the first entries of `palette`. Pixels the file does not draw keep the background
// (index 0). A raw dump of such a picture's pixels (first byte 0xFD or 0xFE) is copied into its
// rows instead, `width` pixels a row, and its six-bit colours, when it has them, replace the
// whole palette. Only BmpError::none draws the whole picture; moreThan8Bits changes nothing.
BmpError drawBmp(ByteView file, std::uint32_t width, std::uint32_t height, PictureTarget& target,
                 Palette& palette);

// The size in pixels a BMP file's header declares, or nothing when the header is damaged.
struct BmpSize {
  std::int64_t width;
  std::int64_t height;
};
std::optional<BmpSize> readBmpSize(ByteView file);

}  // namespace vantrix
