#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "common/bytes.hpp"
#include "image/canvas.hpp"
#include "image/image_status.hpp"

namespace vantrix {

// Draws a BMP picture (1, 4 or 8 bits a pixel; uncompressed, RLE8 or RLE4; bottom-up or
// top-down; Windows or OS/2 headers) onto an 8-bit canvas at (0, 0), clipped to the canvas,
// and puts its colours into the first palette entries. A raw canvas dump (first byte 0xFD or
// 0xFE) is copied straight into the canvas pixels instead.
//
// fileError for a damaged or unsupported file; pixel data that ends early also gives
// fileError but keeps the palette and rows already drawn. illegalCall, with nothing changed,
// for files of more than 8 bits a pixel or a canvas that is not 8-bit.
ImageStatus loadBmpToCanvas(Canvas& canvas, ByteView file);

// The pixels of a plain BMP where they lie in the file: 8 bits a pixel, no run-length coding,
// exactly width × height pixels, all of whose rows the file holds. loadBmpToCanvas draws such
// a file on a new 8-bit canvas of that size as these rows and this palette (its colours over
// the default palette); any other file gives nothing and is drawn on a canvas as it is.
struct PlainBmp {
  Palette palette;
  const std::uint8_t* topRow;  // points into the file
  std::ptrdiff_t pitch;        // from a row to the one below it: negative for bottom-up files
};
std::optional<PlainBmp> readPlainBmp(ByteView file, std::uint32_t width, std::uint32_t height);

// The size in pixels a BMP file's header declares, or nothing when the header is damaged.
struct BmpSize {
  std::int64_t width;
  std::int64_t height;
};
std::optional<BmpSize> readBmpSize(ByteView file);

// loadBmpToCanvas for the file at `path`; fileNotFound when it cannot be read.
ImageStatus loadBmpToCanvas(Canvas& canvas, const std::string& path);

}  // namespace vantrix
