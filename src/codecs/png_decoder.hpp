#pragma once

// The PNG decoder: every colour type and bit depth, plain or Adam7, to 32-bit pixels
// 0xAARRGGBB. Sixteen-bit samples keep their high byte, a "tRNS" colour key gives alpha 0,
// and no gamma, background or colour-space correction is applied.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "codecs/png_error.hpp"
#include "common/bytes.hpp"
#include "common/decode_limits.hpp"
#include "image/pixel_image.hpp"

namespace vantrix {

enum class PngTarget {
  compactImage = 1,  // PixelLayout::compact, rows top first, pitch width × 4
  fullImage = 2,     // PixelLayout::full, pitch width × 4 rounded up to a multiple of 32
  bottomUpRgba = 3,  // PixelLayout::bottomUpRgba, rows bottom first, bytes R, G, B, A
};

// Decodes a whole PNG file held in memory. Nothing when the file is refused; `why`, when
// given, then says why. Never throws.
std::optional<PixelImage> decodePngBuffer(ByteView bytes, PngTarget target, PngError* why = nullptr,
                                          const DecodeLimits& limits = kDefaultDecodeLimits);

// decodePngBuffer that may overwrite the file's bytes, to join image data held in several
// chunks without a copy of it.
std::optional<PixelImage> decodePngBufferInPlace(std::span<std::uint8_t> bytes, PngTarget target,
                                                 PngError* why = nullptr,
                                                 const DecodeLimits& limits = kDefaultDecodeLimits);

// Takes the rows of a picture as a decode restores them, where a caller keeps only some of
// its pixels and would rather not hold all of them.
class PngRowSink {
 public:
  // Asked before begin of a plain picture of 8-bit palette indices: true has its rows come as
  // the indices themselves, one byte a pixel, that stand for `colours` (32-bit pixels).
  virtual bool takesIndices(std::uint32_t /*width*/, std::uint32_t /*height*/,
                            const std::array<std::uint32_t, 256>& /*colours*/) {
    return false;
  }
  // The kept picture's size, once every check but the image data's has passed. False stops
  // the decode with PngError::outOfMemory.
  virtual bool begin(std::uint32_t width, std::uint32_t height) = 0;
  // Pixels [left, left + count) of kept row y, as 32-bit pixels 0xAARRGGBB (or indices, see
  // takesIndices). Rows come top
  // first and only those of the shown part, which they cover (`left` may lie a few pixels
  // left of it, where samples of under 8 bits share a byte).
  virtual void row(std::uint32_t y, std::uint32_t left, const std::uint8_t* pixels,
                   std::uint32_t count) = 0;

 protected:
  ~PngRowSink() = default;
};

// Decodes a whole PNG file as decodePngBufferInPlace does, but hands the shown part of the
// kept picture (see DecodeLimits) to `sink` row by row instead of making an image. The file
// is checked whole all the same; when the result is not PngError::none, the rows handed
// over are of no use. Never throws.
PngError decodePngRowsInPlace(std::span<std::uint8_t> bytes, PngRowSink& sink,
                              const DecodeLimits& limits = kDefaultDecodeLimits);

// Reads the file at `path` and decodes it as decodePngBuffer does.
std::optional<PixelImage> loadPngImage(const std::string& path, PngTarget target,
                                       PngError* why = nullptr);

}  // namespace vantrix
