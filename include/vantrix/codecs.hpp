#pragma once

// The picture and text codecs vantrix reads face sets with, for game tools: BMP, PNG and XYZ
// pictures decoded to RGBA, XYZ pictures written, and Base64. Part of vantrix.hpp.
//
// Nothing here throws, prints or touches a file. A decode refuses a picture that would take
// more than 200 MiB to decode; `why`, when given, says in English why a call gave nothing.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrix {

// Bytes held by the caller for the length of a call.
using ByteView = std::span<const std::uint8_t>;

// A decoded picture: `width` × `height` pixels, rows top first, four bytes a pixel in the
// order red, green, blue, alpha; `rgba` holds width × height × 4 bytes.
struct RgbaImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rgba;
};

// A picture of palette indices: `indices` holds width × height bytes, rows top first;
// `palette` holds 256 colours 0xRRGGBB.
struct IndexedImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> indices;
  std::array<std::uint32_t, 256> palette{};
};

// A whole PNG file: every colour type, bit depth and interlacing; 16-bit samples keep their
// high byte, a "tRNS" colour key gives alpha 0, and no gamma or colour-space correction is
// applied.
std::optional<RgbaImage> decodePng(ByteView bytes, std::string* why = nullptr);

// A whole BMP file of 1, 4 or 8 bits a pixel (uncompressed, RLE8 or RLE4; Windows or OS/2
// headers), the kinds face sets are made of. Every pixel is opaque. A file whose pixel data
// ends early is refused.
std::optional<RgbaImage> decodeBmp(ByteView bytes, std::string* why = nullptr);

// A whole XYZ file (RPG Maker 2000's own format: "XYZ1", 16-bit width and height, then a
// zlib stream of 256 RGB colours and the palette indices), with its full 8-bit colours.
std::optional<IndexedImage> decodeXyz(ByteView bytes, std::string* why = nullptr);

// The picture with its palette applied, every pixel opaque.
RgbaImage toRgba(const IndexedImage& image);

#ifndef VANTRIX_NO_ZLIB
// The bytes of an XYZ file of the picture; nothing when a side is 0 or above 65,535 or
// `indices` does not hold width × height bytes. (Not in a build without zlib.)
std::optional<std::vector<std::uint8_t>> encodeXyz(const IndexedImage& image,
                                                   std::string* why = nullptr);
#endif

// The standard Base64 alphabet with "=" padding, as one line.
std::string encodeBase64(ByteView bytes);

// The bytes of Base64 text, strictly: CR and LF are skipped, and any other character outside
// the alphabet, a wrong length or misplaced padding gives nothing.
std::optional<std::vector<std::uint8_t>> decodeBase64Bytes(std::string_view text);

}  // namespace vantrix
