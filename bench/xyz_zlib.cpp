#include "xyz_zlib.hpp"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <climits>

namespace bench {

using namespace vantrix;

std::optional<IndexedImage> decodeXyzByZlib(ByteView file) {
  if (file.size() < 8 || !std::equal(file.begin(), file.begin() + 4, "XYZ1")) return {};
  const std::uint32_t width = file[4] | std::uint32_t{file[5]} << 8;
  const std::uint32_t height = file[6] | std::uint32_t{file[7]} << 8;
  if (width == 0 || height == 0) return {};
  IndexedImage image{width, height, std::vector<std::uint8_t>(std::size_t{width} * height), {}};
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) return {};
  const ByteView data = file.subspan(8);
  zs.next_in = const_cast<Bytef*>(data.data());
  zs.avail_in = static_cast<uInt>(std::min<std::size_t>(data.size(), UINT_MAX));
  std::array<std::uint8_t, 768> palette;
  std::array<std::uint8_t, 32768> discard;
  const std::size_t pixelEnd = 768 + std::size_t{width} * height;
  const std::size_t capacity = pixelEnd + (std::size_t{1} << 20);
  std::size_t produced = 0;
  int result = Z_OK;
  while (result == Z_OK && produced <= capacity) {
    std::uint8_t* out = discard.data();
    std::size_t room = std::min(discard.size(), capacity + 1 - produced);
    if (produced < 768) {
      out = palette.data() + produced;
      room = 768 - produced;
    } else if (produced < pixelEnd) {
      out = image.indices.data() + (produced - 768);
      room = pixelEnd - produced;
    }
    zs.next_out = out;
    zs.avail_out = static_cast<uInt>(room);
    result = inflate(&zs, Z_NO_FLUSH);
    produced += room - zs.avail_out;
  }
  inflateEnd(&zs);
  if (result != Z_STREAM_END || produced < pixelEnd || produced > capacity) return {};
  for (std::size_t i = 0; i < 256; ++i) {
    image.palette[i] = std::uint32_t{palette[3 * i]} << 16 |
                       std::uint32_t{palette[3 * i + 1]} << 8 | palette[3 * i + 2];
  }
  return image;
}

}  // namespace bench
