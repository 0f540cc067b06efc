#include "codecs/png_chunks.hpp"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "codecs/crc32.hpp"
#include "common/checked.hpp"

namespace vantrix {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {137, 80, 78, 71, 13, 10, 26, 10};

// Column start, row start, column step, row step of the seven Adam7 passes.
constexpr std::uint32_t kAdam7[7][4] = {
    {0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
    {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2},
};

bool isType(const PngChunk& chunk, const char (&name)[5]) {
  return std::memcmp(chunk.type.data(), name, 4) == 0;
}

const PngChunk* firstChunk(const PngInfo& info, const char (&name)[5]) {
  auto found = std::find_if(info.chunks.begin(), info.chunks.end(),
                            [&](const PngChunk& chunk) { return isType(chunk, name); });
  return found == info.chunks.end() ? nullptr : &*found;
}

bool fail(PngInfo& info, PngError error) {
  info.error = error;
  return false;
}

bool walkChunks(PngInfo& info) {
  const ByteView file = info.file;
  if (file.size() < kSignature.size() ||
      !std::equal(kSignature.begin(), kSignature.end(), file.begin())) {
    return fail(info, PngError::badSignature);
  }
  info.readPosition = kSignature.size();
  info.chunks.reserve(8);  // most files: one allocation
  while (info.readPosition < file.size()) {
    const std::size_t left = file.size() - info.readPosition;
    if (left < 8) return fail(info, PngError::chunkOverrun);
    const std::uint8_t* p = file.data() + info.readPosition;
    PngChunk chunk;
    chunk.length = readBe32(p);
    std::copy(p + 4, p + 8, chunk.type.begin());
    auto chunkSize = checkedAdd(std::size_t{12}, chunk.length);
    if (!chunkSize || *chunkSize > left) return fail(info, PngError::chunkOverrun);
    chunk.data = file.subspan(info.readPosition + 8, chunk.length);
    chunk.crc = readBe32(p + 8 + chunk.length);
    // A chunk's CRC covers its type and data, not its length.
    std::uint32_t crc = crc32Of(0, p + 4, 4);
    crc = crc32Of(crc, chunk.data.data(), chunk.length);
    info.readPosition += *chunkSize;
    if (static_cast<std::uint32_t>(crc) != chunk.crc) return fail(info, PngError::crcMismatch);
    info.chunks.push_back(chunk);
  }
  // Whatever follows an "IEND" must itself be whole chunks ending in an "IEND".
  if (info.chunks.size() < 3 || !isType(info.chunks.back(), "IEND")) {
    return fail(info, PngError::missingIend);
  }
  return true;
}

bool validDepth(std::uint8_t colourType, std::uint8_t depth) {
  switch (colourType) {
    case 0:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6:
      return depth == 8 || depth == 16;
    default:
      return false;
  }
}

bool readHeader(PngInfo& info) {
  const PngChunk& first = info.chunks.front();
  if (!isType(first, "IHDR") || first.length != 13) return fail(info, PngError::missingIhdr);
  const std::uint8_t* p = first.data.data();
  info.width = readBe32(p);
  info.height = readBe32(p + 4);
  info.bitDepth = p[8];
  info.colourType = p[9];
  info.compressionMethod = p[10];
  info.filterMethod = p[11];
  info.interlaceMethod = p[12];
  if (info.width == 0 || info.height == 0 || !validDepth(info.colourType, info.bitDepth) ||
      info.compressionMethod != 0 || info.filterMethod != 0 || info.interlaceMethod > 1) {
    return fail(info, PngError::badIhdr);
  }
  info.filterUnit = std::max(1u, info.bitDepth / 8u) * pngChannels(info.colourType);
  return true;
}

bool readPalette(PngInfo& info) {
  if (info.colourType != 3) return true;
  const PngChunk* plte = firstChunk(info, "PLTE");
  if (!plte) return fail(info, PngError::missingPalette);
  const std::uint32_t count = plte->length / 3;  // a remainder is ignored
  if (count > 256) return fail(info, PngError::oversizedPalette);
  for (std::uint32_t i = 0; i < count; ++i) {
    info.palette[i] = {plte->data[3 * i], plte->data[3 * i + 1], plte->data[3 * i + 2]};
  }
  info.paletteCount = count;
  return true;
}

bool readTransparency(PngInfo& info) {
  const PngChunk* trns = firstChunk(info, "tRNS");
  if (!trns) return true;
  info.transparency = true;
  const std::uint8_t* p = trns->data.data();
  switch (info.colourType) {
    case 0:
      if (trns->length != 2) break;
      info.greyKey = static_cast<std::uint16_t>(p[0] << 8 | p[1]);
      return true;
    case 2:
      if (trns->length != 6) break;
      info.redKey = static_cast<std::uint16_t>(p[0] << 8 | p[1]);
      info.greenKey = static_cast<std::uint16_t>(p[2] << 8 | p[3]);
      info.blueKey = static_cast<std::uint16_t>(p[4] << 8 | p[5]);
      return true;
    case 3:
      if (trns->length > 256) break;
      info.alphaTable.fill(255);
      std::copy(trns->data.begin(), trns->data.end(), info.alphaTable.begin());
      return true;
    default:  // colour types 4 and 6 carry their own alpha
      break;
  }
  return fail(info, PngError::badTransparency);
}

std::optional<std::size_t> expectedSize(const PngInfo& info) {
  auto passes = pngPasses(info);
  if (!passes) return std::nullopt;
  std::optional<std::size_t> total = 0;
  for (const PngPass& pass : *passes) {
    auto passBytes = checkedMul(pass.height, pass.rowLength);
    if (!passBytes) return std::nullopt;
    total = checkedAdd(total, *passBytes);
  }
  return total;
}

// The bytes of image data in all "IDAT" chunks together.
std::optional<std::size_t> imageDataSize(PngInfo& info) {
  std::optional<std::size_t> total = 0;
  for (const PngChunk& chunk : info.chunks) {
    if (isType(chunk, "IDAT")) total = checkedAdd(total, chunk.length);
  }
  // The chunks lie in the file, so their total cannot overflow; the check costs nothing.
  if (!total || *total == 0) {
    fail(info, total ? PngError::noImageData : PngError::tooLarge);
    return std::nullopt;
  }
  return total;
}

// The image data of every "IDAT" chunk, wherever it stands, joined in file order: a view of
// the one chunk where there is one, else moved together in a writable file (whose chunks are
// then not read again), else a copy in `joined`.
ByteView joinImageData(const PngInfo& info, std::size_t total, Bytes& joined) {
  const PngChunk* first = firstChunk(info, "IDAT");
  if (first->length == total) return first->data;
  if (info.writableFile) {
    std::uint8_t* const start = info.writableFile + (first->data.data() - info.file.data());
    std::uint8_t* end = start;
    for (const PngChunk& chunk : info.chunks) {
      if (!isType(chunk, "IDAT")) continue;
      // Later chunks lie further on, so a move never overwrites data not yet moved.
      std::memmove(end, info.writableFile + (chunk.data.data() - info.file.data()), chunk.length);
      end += chunk.length;
    }
    return ByteView(start, total);
  }
  joined.reserve(total);
  for (const PngChunk& chunk : info.chunks) {
    if (isType(chunk, "IDAT")) joined.insert(joined.end(), chunk.data.begin(), chunk.data.end());
  }
  return joined;
}

bool readChunks(PngInfo& info, const DecodeLimits& limits) {
  if (!walkChunks(info) || !readHeader(info)) return false;
  const std::optional<std::size_t> streamSize = imageDataSize(info);
  if (!streamSize) return false;
  auto expected = expectedSize(info);
  // What a whole picture takes to decode: its scanlines and an image of 32-bit pixels in rows
  // padded to 32 bytes, the widest form a decode ever gave.
  const auto pitch = checkedAdd(checkedMul(info.width, 4), 31);
  const auto output = pitch ? checkedMul(*pitch & ~std::size_t{31}, info.height) : std::nullopt;
  auto held = expected ? checkedAdd(output, *expected) : std::nullopt;
  if (!held || *held > limits.maxDecodedBytes) return fail(info, PngError::tooLarge);
  // The palette and transparency checks are cheap; a file they refuse is never inflated.
  if (!readPalette(info) || !readTransparency(info)) return false;
  info.imageData = joinImageData(info, *streamSize, info.joinedImageData);
  info.scanlineSize = *expected;
  // A deflate code cannot be shorter than 1 bit, so a match of at most 258 bytes costs at
  // least 2 bits (length and distance) and a literal 1 bit: n stream bytes give at most
  // 258 × 4 × n bytes. Anything the header promises beyond that cannot be in the file, so
  // it is refused before memory is allocated for it.
  auto bound = checkedMul(info.imageData.size(), limits.maxInflateRatio);
  if (bound && *expected > *bound) return fail(info, PngError::tooLittleData);
  return true;
}

}  // namespace

unsigned pngChannels(std::uint8_t colourType) {
  switch (colourType) {
    case 0:
    case 3:
      return 1;
    case 2:
      return 3;
    case 4:
      return 2;
    case 6:
      return 4;
    default:
      return 0;
  }
}

std::optional<std::vector<PngPass>> pngPasses(const PngInfo& info) {
  std::vector<PngPass> passes;
  const std::size_t count = info.interlaceMethod == 1 ? 7 : 1;
  passes.reserve(count);
  for (std::size_t p = 0; p < count; ++p) {
    PngPass pass;
    if (info.interlaceMethod == 1) {
      pass.columnStart = kAdam7[p][0];
      pass.rowStart = kAdam7[p][1];
      pass.columnStep = kAdam7[p][2];
      pass.rowStep = kAdam7[p][3];
    }
    // 64-bit sums: the width and height may be as large as 2^32 - 1.
    if (pass.columnStart < info.width && pass.rowStart < info.height) {
      pass.width = static_cast<std::uint32_t>(
          (std::uint64_t{info.width} + pass.columnStep - pass.columnStart - 1) / pass.columnStep);
      pass.height = static_cast<std::uint32_t>(
          (std::uint64_t{info.height} + pass.rowStep - pass.rowStart - 1) / pass.rowStep);
      auto bits = checkedAdd(checkedMul(pass.width, info.bitDepth), 7);
      if (!bits) return std::nullopt;
      auto rowLength = checkedAdd(checkedMul(*bits / 8, pngChannels(info.colourType)), 1);
      if (!rowLength) return std::nullopt;
      pass.rowLength = *rowLength;
    }
    passes.push_back(pass);
  }
  return passes;
}

bool readPngChunks(PngInfo& info, const DecodeLimits& limits) {
  info.error = PngError::none;
  return readChunks(info, limits);
}

}  // namespace vantrix
