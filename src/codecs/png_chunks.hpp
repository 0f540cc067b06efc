#pragma once

// The container half of the PNG decoder: the chunk walk with its CRC checks, the header,
// palette and transparency chunks, and the image data joined into one zlib stream, which
// png_decoder.cpp inflates and turns into pixels.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "codecs/png_error.hpp"
#include "common/bytes.hpp"
#include "common/decode_limits.hpp"

namespace vantrix {

// Bytes after the scanlines that may be read, never written, by the pixel converters.
constexpr std::size_t kScanlineSlack = 16;

struct PngChunk {
  std::uint32_t length = 0;
  std::array<std::uint8_t, 4> type{};  // compared as four bytes: case matters
  ByteView data;                       // points into the file buffer
  std::uint32_t crc = 0;
};

struct PngRgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
};

// The state of one decode. The caller places the file bytes in `file`, and the same bytes in
// writableFile when they may be overwritten (image data in several chunks is then joined in
// place instead of copied); readPngChunks fills the rest.
struct PngInfo {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint8_t bitDepth = 0;
  std::uint8_t colourType = 0;
  std::uint8_t compressionMethod = 0;
  std::uint8_t filterMethod = 0;
  std::uint8_t interlaceMethod = 0;

  std::array<PngRgb, 256> palette{};  // entries "PLTE" does not give stay black
  std::uint32_t paletteCount = 0;

  bool transparency = false;                   // a "tRNS" chunk was found
  std::array<std::uint8_t, 256> alphaTable{};  // palette alphas; 255 beyond the chunk
  std::uint16_t greyKey = 0;
  std::uint16_t redKey = 0;
  std::uint16_t greenKey = 0;
  std::uint16_t blueKey = 0;

  ByteView file;
  std::uint8_t* writableFile = nullptr;
  std::size_t readPosition = 0;
  std::vector<PngChunk> chunks;

  std::uint32_t filterUnit = 0;  // bytes per complete pixel, 1 to 8
  // The bytes the image data inflates to: the still filtered rows of every pass.
  std::size_t scanlineSize = 0;
  // The zlib stream of the image data: a view of the file, or of joinedImageData where the
  // chunks had to be copied together.
  ByteView imageData;
  Bytes joinedImageData;

  PngError error = PngError::none;
};

// One Adam7 pass (or the single pass of a plain image) with its size in this image.
struct PngPass {
  std::uint32_t columnStart = 0;
  std::uint32_t rowStart = 0;
  std::uint32_t columnStep = 1;
  std::uint32_t rowStep = 1;
  std::uint32_t width = 0;    // pixels per row; 0 when the pass misses the image
  std::uint32_t height = 0;   // rows; 0 when the pass misses the image
  std::size_t rowLength = 0;  // bytes per row with its filter type byte; 0 for no rows
};

// The passes of the image whose header `info` holds: one, or the seven of Adam7. Nothing
// when a row length does not fit in size_t.
std::optional<std::vector<PngPass>> pngPasses(const PngInfo& info);

// Samples per pixel of a colour type (0 for a type that does not exist).
unsigned pngChannels(std::uint8_t colourType);

// Checks the whole file in `info.file` but the image data's zlib stream: every chunk and its
// CRC, the header, palette and transparency, and the limits, and joins the image data into
// info.imageData. False, with info.error saying why, for a file it refuses.
bool readPngChunks(PngInfo& info, const DecodeLimits& limits = kDefaultDecodeLimits);

}  // namespace vantrix
