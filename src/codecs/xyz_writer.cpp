// The XYZ writer. It compresses with zlib, so builds without zlib (the WebAssembly module)
// leave this file out and can only read XYZ pictures.

#include <zlib.h>

#include <limits>

#include "codecs/xyz.hpp"
#include "codecs/xyz_format.hpp"
#include "common/checked.hpp"

namespace vantrix {

std::optional<Bytes> encodeXyz(const IndexedImage& image, XyzError& why) {
  // The header holds each side in 16 bits.
  const auto pixels = checkedMul(image.width, image.height);
  const auto workSize = checkedAdd(checkedAdd(pixels, kXyzPaletteBytes), kXyzTrailingRoom);
  if (image.width == 0 || image.height == 0 || image.width > kXyzMaxSide ||
      image.height > kXyzMaxSide || !workSize || image.indices.size() != *pixels ||
      *workSize > std::numeric_limits<uLong>::max()) {
    why = XyzError::badImage;
    return std::nullopt;
  }
  Bytes work(*workSize, 0);
  for (std::size_t i = 0; i < image.palette.size(); ++i) {
    work[3 * i] = static_cast<std::uint8_t>(image.palette[i] >> 16);
    work[3 * i + 1] = static_cast<std::uint8_t>(image.palette[i] >> 8);
    work[3 * i + 2] = static_cast<std::uint8_t>(image.palette[i]);
  }
  std::copy(image.indices.begin(), image.indices.end(), work.begin() + kXyzPaletteBytes);
  uLongf compressedSize = compressBound(static_cast<uLong>(*workSize));
  Bytes file(kXyzHeaderSize + compressedSize);
  if (compress(file.data() + kXyzHeaderSize, &compressedSize, work.data(),
               static_cast<uLong>(*workSize)) != Z_OK) {
    why = XyzError::compressFailed;
    return std::nullopt;
  }
  file.resize(kXyzHeaderSize + compressedSize);
  std::copy(kXyzMagic, kXyzMagic + 4, file.begin());
  writeLe32(file.data() + 4, image.height << 16 | image.width);
  why = XyzError::none;
  return file;
}

}  // namespace vantrix
