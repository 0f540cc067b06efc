// The XYZ writer. It compresses with zlib, so builds without zlib (the WebAssembly module)
// leave this file out and can only read XYZ pictures.

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "codecs/xyz.hpp"
#include "codecs/xyz_format.hpp"
#include "platform/platform.hpp"

namespace vantrix {
namespace {

void report(XyzError* error, XyzError why) {
  if (error) *error = why;
}

}  // namespace

std::optional<Bytes> encodeXyzImage(const PixelImage& image, const PaletteTable& table,
                                    bool sixBitInput, bool rgbOrder, XyzError* error) {
  const std::uint32_t width = image.width();
  const std::uint32_t height = image.height();
  // The header holds each side in 16 bits.
  if (image.layout() != PixelLayout::full || image.bytesPerPixel() != 1 || width > kXyzMaxSide ||
      height > kXyzMaxSide) {
    report(error, XyzError::badImage);
    return std::nullopt;
  }
  const std::size_t pixelEnd = kXyzPaletteBytes + std::size_t{width} * height;
  const std::size_t workSize = pixelEnd + kXyzTrailingRoom;
  if (workSize > std::numeric_limits<uLong>::max()) {
    report(error, XyzError::badImage);
    return std::nullopt;
  }
  Bytes file;
  Bytes work(workSize, 0);
  const int shift = sixBitInput ? 2 : 0;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const auto hi = static_cast<std::uint8_t>(((table[i] >> 16) & 0xFF) << shift);
    const auto mid = static_cast<std::uint8_t>(((table[i] >> 8) & 0xFF) << shift);
    const auto lo = static_cast<std::uint8_t>((table[i] & 0xFF) << shift);
    work[3 * i] = rgbOrder ? hi : lo;
    work[3 * i + 1] = mid;
    work[3 * i + 2] = rgbOrder ? lo : hi;
  }
  for (std::uint32_t y = 0; y < height; ++y) {
    std::memcpy(work.data() + kXyzPaletteBytes + std::size_t{y} * width, image.row(y), width);
  }
  uLongf compressedSize = compressBound(static_cast<uLong>(workSize));
  file.resize(kXyzHeaderSize + compressedSize);
  if (compress(file.data() + kXyzHeaderSize, &compressedSize, work.data(),
               static_cast<uLong>(workSize)) != Z_OK) {
    report(error, XyzError::writeFailed);
    return std::nullopt;
  }
  file.resize(kXyzHeaderSize + compressedSize);
  std::copy(kXyzMagic, kXyzMagic + 4, file.begin());
  const std::uint32_t packed = (height << 16) | width;
  for (std::size_t i = 0; i < 4; ++i)
    file[4 + i] = static_cast<std::uint8_t>(packed >> (8 * i));
  report(error, XyzError::none);
  return file;
}

XyzError saveXyzImage(const std::string& path, const PixelImage& image, const PaletteTable& table,
                      bool sixBitInput, bool rgbOrder) {
  XyzError error = XyzError::none;
  const auto file = encodeXyzImage(image, table, sixBitInput, rgbOrder, &error);
  if (!file) return error;
  return platform::writeFile(path, *file) ? XyzError::none : XyzError::writeFailed;
}

}  // namespace vantrix
