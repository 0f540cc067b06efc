#pragma once

// The container half of the PNG decoder: the chunk walk with its CRC checks, the header,
// palette and transparency chunks, and the inflation of the joined image data into the
// filtered scanlines that png_decoder.cpp turns into pixels.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "codecs/inflate.hpp"
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
  // The inflated, still filtered rows of every pass: scanlineSize bytes, then kScanlineSlack
  // bytes of no meaning that a row's converter may read past its last pixel. Not zero-filled
  // first, since the inflater writes every byte before a decode goes on.
  std::unique_ptr<std::uint8_t[]> scanlines;
  std::size_t scanlineSize = 0;
  // The zlib stream of the image data: a view of the file, or of joinedImageData where the
  // chunks had to be copied together.
  ByteView imageData;
  Bytes joinedImageData;

  bool complete = false;
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

enum class PngInflation {
  now,  // into info.scanlines, all of them
  // A plain image's by inflateScanlinesThrough, which holds a window of them at a time; an
  // interlaced image's now, as its passes spread over the whole picture.
  laterWhenPlain,
};

// Checks the whole file in `info.file` but the image data's zlib stream, and inflates that
// into info.scanlines or leaves it for later. Sets info.complete on success; otherwise
// info.error says why the file is refused.
bool readPngChunks(PngInfo& info, const DecodeLimits& limits = kDefaultDecodeLimits,
                   PngInflation inflation = PngInflation::now);

// Inflates the image data of a file whose inflation readPngChunks left for later through `window`
// (at least kMinInflateWindow bytes, or all info.scanlineSize), handing the scanlines to `sink` in
// order. PngError::none when the stream is whole and gives exactly the scanlines.
PngError inflateScanlinesThrough(const PngInfo& info, std::span<std::uint8_t> window,
                                 InflateSink& sink);

}  // namespace vantrix
