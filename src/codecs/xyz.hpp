#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/bytes.hpp"
#include "common/decode_limits.hpp"
#include "image/pixel_image.hpp"

namespace vantrix {

// 256 colours of an XYZ picture, in the form the reading flags ask for.
using PaletteTable = std::array<std::uint32_t, 256>;

// Why an XYZ picture gave no image.
enum class XyzError {
  none,
  fileNotFound,    // the file cannot be read
  badMagic,        // the first four bytes are not "XYZ1"
  shortHeader,     // the file ends before its width and height
  emptyImage,      // width or height is 0
  tooLarge,        // the pixels would take more than the decode limit
  cannotHoldData,  // the compressed data is too short to inflate to the palette and pixels
  damagedStream,   // the zlib stream is corrupt
  cutStream,       // the zlib stream ends before its end marker
  overCapacity,    // the stream inflates to more than the pixels and 1 MiB of trailing bytes
  shortStream,     // the stream ends before the palette and every pixel
  outOfMemory,
  badImage,     // saving: not a full-layout image of one byte a pixel, or too large
  writeFailed,  // saving: deflating or writing the file failed
};

std::string_view toString(XyzError error);

// Reading flags. sixBit: each component is the file's 8-bit value shifted right by 2.
// rgbOrder: red in bits 16 to 23 and blue in bits 0 to 7; clear, the other way round.
// Every entry's top byte is 0xFF.
//
// An 8-bit full-layout image (rows padded to 16 bytes) of the picture's palette indices, or
// nothing. The table is written only on success. `error`, when given, says why it failed.
// The picture is inflated into `memory`'s storage where it has room.
std::optional<PixelImage> decodeXyzImage(ByteView file, PaletteTable& table, bool sixBit,
                                         bool rgbOrder, XyzError* error = nullptr,
                                         const DecodeLimits& limits = kDefaultDecodeLimits,
                                         PixelBytes memory = {});
std::optional<PixelImage> loadXyzImage(const std::string& path, PaletteTable& table, bool sixBit,
                                       bool rgbOrder, XyzError* error = nullptr);

// The picture with its colours applied: a 32-bit full-layout image of 0xFFRRGGBB pixels. With
// transparentZero, pixels of index 0 are 0x00FF00FF (transparent magenta) instead.
std::optional<PixelImage> decodeXyzImageTrueColour(
    ByteView file, bool transparentZero, XyzError* error = nullptr,
    const DecodeLimits& limits = kDefaultDecodeLimits);
std::optional<PixelImage> loadXyzImageTrueColour(const std::string& path, bool transparentZero,
                                                 XyzError* error = nullptr);

// The writer (xyz_writer.cpp), left out of builds without zlib.
#ifndef VANTRIX_NO_ZLIB
// The file bytes of a full-layout image of one byte a pixel and at most 65,535 × 65,535
// pixels. sixBitInput: the table holds six-bit components, widened by shifting left 2.
// rgbOrder as when reading. The stream carries 1 MiB of zero bytes after the pixels.
std::optional<Bytes> encodeXyzImage(const PixelImage& image, const PaletteTable& table,
                                    bool sixBitInput, bool rgbOrder, XyzError* error = nullptr);
// Writes encodeXyzImage's bytes to `path`: none, or why it failed.
XyzError saveXyzImage(const std::string& path, const PixelImage& image, const PaletteTable& table,
                      bool sixBitInput, bool rgbOrder);
#endif

}  // namespace vantrix
