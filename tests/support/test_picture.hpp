#pragma once

// A picture a decoder draws on, as a canvas would hold it, for tests that look at every pixel.

#include <array>
#include <cstdint>
#include <vector>

#include "codecs/png_decoder.hpp"

namespace vantrix::testing {

// All of a decoded picture: `width` × `height` pixels of one or four bytes, each starting as
// `fill`, so what a decoder leaves untouched is easy to tell. A decoder's begin keeps the
// pixels when it asks for this size, and makes them anew (of `fill`) otherwise.
class TestPicture final : public PngTarget {
 public:
  TestPicture() = default;
  TestPicture(std::uint32_t width, std::uint32_t height, int bytesPerPixel, std::uint32_t fill);

  // Whether a palette picture's rows are taken as indices.
  bool indices = false;
  std::array<std::uint32_t, 256> colours{};  // what they stand for, when they were taken

  bool takesIndices(std::uint32_t width, std::uint32_t height,
                    const std::array<std::uint32_t, 256>& colours) override;
  bool begin(std::uint32_t width, std::uint32_t height, int bytesPerPixel, bool anyOrder) override;
  std::uint8_t* row(std::uint32_t y) override { return pixels.data() + y * pitch(); }
  void rowDone(std::uint32_t) override { ++rowsDone; }

  std::size_t pitch() const { return std::size_t{width} * static_cast<std::size_t>(bytesPerPixel); }
  std::uint8_t at(std::uint32_t x, std::uint32_t y) const { return pixels[y * pitch() + x]; }
  std::uint32_t pixel(std::uint32_t x, std::uint32_t y) const;

  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int bytesPerPixel = 4;
  std::uint32_t fill = 0;
  std::vector<std::uint8_t> pixels;
  int begun = 0;
  int rowsDone = 0;
};

// A PNG decoded into a TestPicture (of 32-bit pixels starting as `fill`, or palette indices
// when `indices` is set and the picture has them), with the reason it was refused. `inPlace`
// decodes a copy of the file that the decoder may overwrite.
struct DecodedPng {
  PngError error = PngError::none;
  TestPicture picture;
};
DecodedPng decodePngPicture(ByteView file, const DecodeLimits& limits = kDefaultDecodeLimits,
                            PngPixels pixels = PngPixels::argb, bool indices = false,
                            bool inPlace = false, std::uint32_t fill = 0x5A5A5A5A);

}  // namespace vantrix::testing
