#pragma once

#include <cstdint>

namespace vantrix {

// Where a decoder puts a picture, row by row: palette indices, one byte a pixel, or colours
// 0xAARRGGBB, four bytes a pixel stored blue, green, red, alpha (or, where the decoder is
// asked for it, red, green, blue, alpha). A caller that keeps only part of a picture (a face
// set's cells) need never hold the rest.
class PictureTarget {
 public:
  // The kept picture's size, to which the decoder clips what it draws, and its bytes a pixel.
  // With `anyOrder` rows are asked for in any order and must all stay valid until the decode
  // ends; otherwise one at a time, each finished by rowDone before the next is asked for.
  // False stops the decode: the memory for the picture cannot be had.
  virtual bool begin(std::uint32_t width, std::uint32_t height, int bytesPerPixel,
                     bool anyOrder) = 0;
  // Row y of the kept picture: `width` pixels, holding the picture's background where the
  // decoder leaves them unwritten. (A PNG decode writes every pixel of a row, or of a plain
  // picture every pixel of the shown part: see DecodeLimits.)
  virtual std::uint8_t* row(std::uint32_t y) = 0;
  // Row y holds its pixels (rows asked for one at a time only).
  virtual void rowDone(std::uint32_t y) = 0;

 protected:
  ~PictureTarget() = default;
};

}  // namespace vantrix
