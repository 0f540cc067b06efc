#pragma once

// The PNG decoder: every colour type and bit depth, plain or Adam7, to 32-bit pixels
// 0xAARRGGBB. Sixteen-bit samples keep their high byte, a "tRNS" colour key gives alpha 0,
// and no gamma, background or colour-space correction is applied.

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

// Reads the file at `path` and decodes it as decodePngBuffer does.
std::optional<PixelImage> loadPngImage(const std::string& path, PngTarget target,
                                       PngError* why = nullptr);

}  // namespace vantrix
