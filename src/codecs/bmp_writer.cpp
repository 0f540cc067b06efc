#include "codecs/bmp_writer.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

#include "common/checked.hpp"

namespace vantrix {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;
constexpr std::uint32_t kPixelsPerMetre = 2834;  // 72 dots per inch

}  // namespace

std::optional<std::size_t> bmpFileSize(const BmpPicture& picture, BmpIndices indices) {
  const bool paletted = picture.bytesPerPixel == 1 && indices == BmpIndices::paletted;
  if (picture.bytesPerPixel != 1 && picture.bytesPerPixel != 4) return std::nullopt;

  const std::uint32_t width = picture.width;
  const std::uint32_t height = picture.height;
  const std::uint32_t dataOffset = kHeadersSize + (paletted ? 256 * 4 : 0);
  const auto rowBytes = checkedMul(width, paletted ? 1 : 3);
  const auto rowSize = checkedAdd(rowBytes, 3);
  if (!rowSize) return std::nullopt;
  const std::size_t paddedRow = *rowSize & ~std::size_t{3};
  const auto imageSize = checkedMul(paddedRow, height);
  const auto fileSize = checkedAdd(imageSize, dataOffset);
  constexpr auto kMax32 = std::size_t{std::numeric_limits<std::uint32_t>::max()};
  constexpr auto kMaxSigned32 = std::uint32_t{std::numeric_limits<std::int32_t>::max()};
  if (!fileSize || *fileSize > kMax32 || width > kMaxSigned32 || height > kMaxSigned32) {
    return std::nullopt;
  }
  return *fileSize;
}

namespace {

// Blue, green, red of a colour 0xAARRGGBB, as a BMP stores them.
inline void storeBgr(std::uint8_t* to, std::uint32_t colour) {
  to[0] = static_cast<std::uint8_t>(colour);
  to[1] = static_cast<std::uint8_t>(colour >> 8);
  to[2] = static_cast<std::uint8_t>(colour >> 16);
}

// The same in one store where the machine is little-endian, which writes the alpha byte after
// them too: the next pixel overwrites it.
inline void storeBgrAndMore(std::uint8_t* to, std::uint32_t colour) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(to, &colour, 4);
  } else {
    storeBgr(to, colour);
  }
}

}  // namespace

std::size_t encodeBmp(const BmpPicture& picture, const Palette& palette,
                      std::span<std::uint8_t> file, BmpIndices indices) {
  const std::optional<std::size_t> fileSize = bmpFileSize(picture, indices);
  if (!fileSize || *fileSize > file.size()) return 0;
  const bool paletted = picture.bytesPerPixel == 1 && indices == BmpIndices::paletted;
  const std::uint32_t width = picture.width;
  const std::uint32_t height = picture.height;
  const std::uint32_t dataOffset = kHeadersSize + (paletted ? 256 * 4 : 0);
  const std::size_t paddedRow = (std::size_t{width} * (paletted ? 1 : 3) + 3) & ~std::size_t{3};
  const std::size_t imageSize = paddedRow * height;
  // Written through a pointer rather than grown byte by byte; `file` may hold old bytes, so
  // every reserved byte and the row padding are written too.
  std::uint8_t* out = file.data();
  auto put16 = [&out](std::uint32_t v) {
    out[0] = static_cast<std::uint8_t>(v);
    out[1] = static_cast<std::uint8_t>(v >> 8);
    out += 2;
  };
  auto put32 = [&put16](std::uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  *out++ = 'B';
  *out++ = 'M';
  put32(static_cast<std::uint32_t>(*fileSize));
  put32(0);  // two reserved 16-bit fields
  put32(dataOffset);
  put32(kInfoHeaderSize);
  put32(width);
  put32(height);  // positive: the bottom row comes first
  put16(1);       // planes
  put16(paletted ? 8 : 24);
  put32(0);  // no compression
  put32(static_cast<std::uint32_t>(imageSize));
  put32(kPixelsPerMetre);
  put32(kPixelsPerMetre);
  put32(paletted ? 256 : 0);  // colours used
  put32(paletted ? 256 : 0);  // important colours
  if (paletted) {
    for (std::uint32_t colour : palette) {
      out[0] = static_cast<std::uint8_t>(colour >> 16);  // blue
      out[1] = static_cast<std::uint8_t>(colour >> 8);   // green
      out[2] = static_cast<std::uint8_t>(colour);        // red
      out[3] = 0;
      out += 4;
    }
  }
  for (std::uint32_t r = height; r-- > 0; out += paddedRow) {
    const std::uint8_t* pixels = picture.pixels + r * picture.pitch;
    std::fill(out + std::size_t{width} * (paletted ? 1 : 3), out + paddedRow, std::uint8_t{0});
    if (paletted) {
      std::memcpy(out, pixels, width);
    } else if (picture.bytesPerPixel == 1) {
      // Indices written as the colours they stand for.
      std::uint8_t* to = out;
      for (std::uint32_t x = 0; x + 1 < width; ++x, to += 3)
        storeBgrAndMore(to, palette[pixels[x]]);
      if (width > 0) storeBgr(to, palette[pixels[width - 1]]);
    } else {
      // 0xAARRGGBB is stored as blue, green, red, alpha: the first three are the BMP's, and
      // the fourth is overwritten by the next pixel.
      std::uint8_t* to = out;
      for (std::uint32_t x = 0; x + 1 < width; ++x, pixels += 4, to += 3)
        std::memcpy(to, pixels, 4);
      if (width > 0) std::memcpy(to, pixels, 3);
    }
  }
  return *fileSize;
}

}  // namespace vantrix
