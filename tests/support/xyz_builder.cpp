#include "support/xyz_builder.hpp"

#include <zlib.h>

namespace vantrix::testing {

Bytes zlibStream(const Bytes& bytes, int level) {
  uLongf size = compressBound(static_cast<uLong>(bytes.size()));
  Bytes stream(size);
  if (compress2(stream.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()), level) !=
      Z_OK) {
    return {};
  }
  stream.resize(size);
  return stream;
}

Bytes xyzFile(std::uint16_t width, std::uint16_t height, const Bytes& stream) {
  Bytes file = {'X', 'Y', 'Z', '1'};
  putLe16(file, width);
  putLe16(file, height);
  file.insert(file.end(), stream.begin(), stream.end());
  return file;
}

Bytes xyzContent(std::uint16_t width, std::uint16_t height, std::size_t trailing) {
  Bytes content;
  for (int i = 0; i < 256; ++i) {
    content.push_back(static_cast<std::uint8_t>(i));
    content.push_back(static_cast<std::uint8_t>(255 - i));
    content.push_back(static_cast<std::uint8_t>(i / 2));
  }
  for (std::size_t y = 0; y < height; ++y) {
    for (std::size_t x = 0; x < width; ++x)
      content.push_back(static_cast<std::uint8_t>(x + 3 * y));
  }
  content.resize(content.size() + trailing, 0x77);
  return content;
}

}  // namespace vantrix::testing
